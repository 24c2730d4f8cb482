#include "CSizingControlBar.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int CaptionHeight = 15;
constexpr int ButtonSize = 11;
} // namespace

QString FlatCaption::CaptionFamily(const QStringList &families)
{
    for (const char *name : {"Tahoma", "Arial"}) {
        if (families.contains(QLatin1String(name), Qt::CaseInsensitive))
            return QLatin1String(name);
    }
    return QApplication::font().family();
}

FlatCaption::FlatCaption(QDockWidget *bar)
    : QWidget(bar), m_bar(bar), m_family(CaptionFamily(QFontDatabase::families()))
{
    QFont f(m_family);
    f.setPointSizeF(8.5);
    setFont(f);
}

QSize FlatCaption::sizeHint() const
{
    return {std::max(40, fontMetrics().horizontalAdvance(m_bar->windowTitle()) + ButtonSize + 12),
            std::max(CaptionHeight, fontMetrics().height() + 2)};
}

void FlatCaption::SetActive(bool active)
{
    if (active != m_active) {
        m_active = active;
        update();
    }
}

QRect FlatCaption::ButtonRect() const
{
    return QRect(width() - ButtonSize - 3, (height() - ButtonSize) / 2, ButtonSize, ButtonSize);
}

void FlatCaption::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette::ColorGroup group = m_active ? QPalette::Active : QPalette::Inactive;
    const QColor from = m_active ? palette().color(group, QPalette::Highlight) : palette().color(QPalette::Mid);
    QLinearGradient gradient(rect().topLeft(), rect().topRight());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, from.lighter(140));
    p.fillRect(rect(), gradient);
    p.setPen(m_active ? palette().color(group, QPalette::HighlightedText) : palette().color(QPalette::WindowText));
    p.drawText(rect().adjusted(4, 0, -ButtonSize - 6, 0), int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine),
               m_bar->windowTitle());
    // The hide mark, drawn rather than taken from a symbol font.
    const QRect b = ButtonRect().adjusted(3, 3, -3, -3);
    p.setPen(QPen(p.pen().color(), 1.5));
    p.drawLine(b.topLeft(), b.bottomRight());
    p.drawLine(b.topRight(), b.bottomLeft());
}

void FlatCaption::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && ButtonRect().contains(event->position().toPoint()))
        m_bar->hide();
    else
        QWidget::mouseReleaseEvent(event);
}

CSizingControlBarCF::CSizingControlBarCF(const QString &title, QWidget *parent)
    : QDockWidget(title, parent), m_caption(new FlatCaption(this))
{
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    setTitleBarWidget(m_caption);
    connect(qApp, &QApplication::focusChanged, this, &CSizingControlBarCF::OnFocusChanged);
    connect(this, &QDockWidget::windowTitleChanged, m_caption, qOverload<>(&QWidget::update));
}

CSizingControlBarCF::~CSizingControlBarCF()
{
    // QWidget's destructor closes a floating bar, which moves the focus: the
    // slot must not run on a bar that is already half destroyed.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void CSizingControlBarCF::OnFocusChanged(QWidget *, QWidget *now)
{
    m_caption->SetActive(now && isAncestorOf(now));
}
