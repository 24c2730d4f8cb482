#include "CTrayPopupWnd.h"

#include "app/AppCore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>

namespace {

QList<QPointer<CTrayPopupWnd>> &Open()
{
    static QList<QPointer<CTrayPopupWnd>> open;
    return open;
}

constexpr char OptionsText[] = "Options";

} // namespace

CTrayPopupWnd::CTrayPopupWnd(const QString &text, int clickAction, const Options &options)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_text(text), m_clickAction(clickAction), m_options(options)
{
    setObjectName(QStringLiteral("TrayPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(1, 1);
    resize(ClientWidth, ClientHeight);
    if (!m_options.cursor)
        m_options.cursor = [] { return QCursor::pos(); };
    // Known before the first paint, so an early click finds the link too.
    m_optionsRect = QRect(QPoint(3, 3), QFontMetrics(LinkFont(true)).size(Qt::TextSingleLine, QLatin1String(OptionsText)));

    m_displayTimer.setSingleShot(true);
    connect(&m_displayTimer, &QTimer::timeout, this, [this] { OnTimer(DisplayTimer); });
    m_hoverTimer.setInterval(HoverPollMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, [this] { OnTimer(HoverTimer); });
    Open().append(this);
}

CTrayPopupWnd::~CTrayPopupWnd()
{
    Open().removeAll(QPointer<CTrayPopupWnd>(this));
    Open().removeAll(QPointer<CTrayPopupWnd>());
}

CTrayPopupWnd *CTrayPopupWnd::Show(const QString &text, int clickAction, const Options &options)
{
    auto *popup = new CTrayPopupWnd(text, clickAction, options);
    popup->Popup();
    return popup;
}

void CTrayPopupWnd::CloseAll()
{
    const QList<QPointer<CTrayPopupWnd>> open = Open();
    for (const QPointer<CTrayPopupWnd> &p : open) {
        if (p) {
            p->m_finished = true;
            delete p.data();
        }
    }
    Open().clear();
}

int CTrayPopupWnd::OpenCount()
{
    int n = 0;
    for (const QPointer<CTrayPopupWnd> &p : Open())
        n += p ? 1 : 0;
    return n;
}

QFont CTrayPopupWnd::LinkFont(bool underline) const
{
    QFont f = QApplication::font();
    f.setFamilies({QStringLiteral("MS Sans Serif"), QApplication::font().family()});
    f.setPixelSize(13);
    f.setWeight(QFont::Normal);
    f.setUnderline(underline);
    return f;
}

void CTrayPopupWnd::Popup()
{
    QRect screen = m_options.screen, available = m_options.available;
    if (screen.isEmpty() || available.isEmpty()) {
        if (QScreen *s = QGuiApplication::primaryScreen()) {
            screen = s->geometry();
            available = s->availableGeometry();
        }
    }
    m_placement = PopupPlacement::Place(QSize(ClientWidth, ClientHeight), screen, available);
    const QRect full = m_placement.rect;
    if (m_options.animationMs > 0) {
        setGeometry(PopupPlacement::Collapsed(full, m_placement.edge));
        show();
        Slide(geometry(), full, {});
    } else {
        setGeometry(full);
        show();
    }
    if (m_options.displayMs > 0)
        m_displayTimer.start(m_options.displayMs);
}

void CTrayPopupWnd::Slide(const QRect &from, const QRect &to, std::function<void()> done)
{
    if (m_animation)
        m_animation->stop();
    auto *animation = new QPropertyAnimation(this, "geometry", this);
    animation->setDuration(m_options.animationMs);
    animation->setStartValue(from);
    animation->setEndValue(to);
    connect(animation, &QPropertyAnimation::finished, this, [done = std::move(done)] {
        if (done)
            done();
    });
    m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

bool CTrayPopupWnd::IsTimerActive(int id) const
{
    return id == DisplayTimer ? m_displayTimer.isActive() : id == HoverTimer ? m_hoverTimer.isActive() : false;
}

bool CTrayPopupWnd::CursorOver() const
{
    return isVisible() && frameGeometry().contains(m_options.cursor());
}

void CTrayPopupWnd::OnTimer(int id)
{
    if (m_closing)
        return;
    if (id == DisplayTimer) {
        m_displayTimer.stop();
        if (m_options.stayWhileHovered && CursorOver())
            m_hoverTimer.start();
        else
            CloseAnimated();
    } else if (id == HoverTimer) {
        if (!CursorOver())
            CloseAnimated();
    }
}

void CTrayPopupWnd::CloseAnimated()
{
    if (m_closing)
        return;
    m_closing = true;
    m_displayTimer.stop();
    m_hoverTimer.stop();
    emit closing();
    const auto finish = [this] {
        m_finished = true;
        close();
    };
    if (m_options.animationMs > 0 && isVisible())
        Slide(geometry(), PopupPlacement::Collapsed(m_placement.rect, m_placement.edge), finish);
    else
        finish();
}

void CTrayPopupWnd::closeEvent(QCloseEvent *event)
{
    if (m_finished) {
        event->accept();
        return;
    }
    // A close from outside slides back like any other.
    event->ignore();
    CloseAnimated();
}

void CTrayPopupWnd::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_closing)
        return;
    const char *signal = m_optionsRect.contains(event->position().toPoint()) ? "PoolNotifyOpt"
                         : m_clickAction == ImportNews                      ? "ImportNotify"
                                                                            : "PoolNotify";
    CloseAnimated();
    // Posted: the window reacts after this handler, not inside it.
    if (AppCore *app = theAppIfAny())
        QMetaObject::invokeMethod(&app->Signals(), signal, Qt::QueuedConnection);
}

void CTrayPopupWnd::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QSize full = m_placement.rect.isEmpty() ? QSize(ClientWidth, ClientHeight) : m_placement.rect.size();
    p.translate(PopupPlacement::ContentOffset(full, size(), m_placement.edge));
    const QRect client(QPoint(0, 0), full);

    // The picture behind the text, drawn rather than shipped as a file.
    QLinearGradient g(0, 0, 0, client.height());
    const QColor base = palette().color(QPalette::Window);
    g.setColorAt(0, base.lighter(112));
    g.setColorAt(1, base.darker(108));
    p.fillRect(client, g);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(client.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(client.adjusted(1, 1, -2, -2));

    p.setFont(LinkFont(true));
    p.setPen(palette().color(QPalette::Link));
    QRect link;
    p.drawText(QRect(3, 3, client.width() - 6, client.height() - 6), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
               QLatin1String(OptionsText), &link);
    m_optionsRect = link;

    p.setFont(LinkFont(false));
    p.setPen(palette().color(QPalette::WindowText));
    QRect textRect = client.adjusted(4, 0, -4, -4);
    textRect.setTop(client.height() / 3);
    // drawText never reads markup: server text stays text.
    p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_text);
}
