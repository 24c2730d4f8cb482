#include "CInfoPanelCtrl.h"

#include "app/XSettings.h"
#include "dialogs/CMyHyperLink.h"

#include <QPainter>
#include <QStyle>

CInfoButton::CInfoButton(const QString &text, QWidget *parent)
    : QAbstractButton(parent), m_icon(style()->standardIcon(QStyle::SP_MessageBoxInformation))
{
    setText(text);
    setFocusPolicy(Qt::TabFocus);
    m_timer.setInterval(BlinkInterval);
    connect(&m_timer, &QTimer::timeout, this, &CInfoButton::OnTimer);
}

void CInfoButton::SetBlink(bool on)
{
    m_blinking = on;
    if (on) {
        m_frame = true;
        m_phase = true;
        if (!m_timer.isActive())
            m_timer.start();
    } else {
        m_timer.stop();
        m_phase = true;
        m_frame = false;
    }
    update();
}

void CInfoButton::OnTimer()
{
    m_phase = !m_phase;
    m_frame = !m_frame;
    if (!m_hovered)
        update();
}

QSize CInfoButton::GetContentSize() const
{
    return {fontMetrics().horizontalAdvance(text()), 16};
}

QSize CInfoButton::sizeHint() const
{
    const QSize c = GetContentSize();
    return {c.width() + 16 + 15, std::max(c.height(), fontMetrics().height()) + 4};
}

void CInfoButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const int shift = isDown() ? 1 : 0;
    if (m_hovered || m_frame) {
        p.fillRect(rect(), palette().button());
        p.setPen(isDown() ? palette().dark().color() : palette().light().color());
        p.drawLine(rect().topLeft(), rect().topRight());
        p.drawLine(rect().topLeft(), rect().bottomLeft());
        p.setPen(isDown() ? palette().light().color() : palette().dark().color());
        p.drawLine(rect().bottomLeft(), rect().bottomRight());
        p.drawLine(rect().topRight(), rect().bottomRight());
    }
    const int iconLeft = 5 + shift;
    if (m_phase || m_hovered)
        m_icon.paint(&p, QRect(iconLeft, (height() - 16) / 2 + shift, 16, 16), Qt::AlignCenter,
                     isEnabled() ? QIcon::Normal : QIcon::Disabled);
    const QRect textRect(iconLeft + 16 + 5, shift, width() - (iconLeft + 16 + 5), height());
    if (textRect.width() <= 5)
        return;
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(textRect, int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine),
               fontMetrics().elidedText(text(), Qt::ElideRight, textRect.width()));
}

void CInfoButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CInfoButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

CInfoPanelCtrl::CInfoPanelCtrl(QWidget *parent)
    : QWidget(parent),
      m_link(new CMyHyperLink(this, LinkId)),
      m_notice(new CInfoButton(QStringLiteral("You have new information..."), this))
{
    setObjectName(QStringLiteral("InfoPanel"));
    QFont f = font();
    f.setPointSize(10);
    f.setBold(true);
    setFont(f);
    m_link->setObjectName(QStringLiteral("contactUs"));
    m_link->SetNotifyParent(true);
    m_link->SetLinkColor(QColor(238, 51, 17));
    m_link->SetHoverColor(QColor(255, 85, 51));
    m_link->SetLinkText(QStringLiteral("Contact Us"));
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->hide();
    connect(m_link, &CMyHyperLink::linkClicked, this, [this](int id) {
        if (id == LinkId)
            emit contactUs();
    });
    connect(m_notice, &QAbstractButton::clicked, this, &CInfoPanelCtrl::OnNotice);
}

void CInfoPanelCtrl::SetShowTitle(bool show)
{
    m_showTitle = show;
    repaint();
}

void CInfoPanelCtrl::ShowNotice(bool show)
{
    m_noticeShown = show;
    if (!show)
        m_notice->SetBlink(false);
    Layout();
}

void CInfoPanelCtrl::SetNoticeBlink(bool blink)
{
    m_notice->SetBlink(blink && m_noticeShown);
}

QString CInfoPanelCtrl::Breadcrumb(const Context &context, const QString &title, bool showTitle)
{
    static const char *const sections[] = {nullptr, "Buy", "Sell", "General", "Affiliate", "Sale"};
    QString text;
    if (context.section >= 1 && context.section <= 5)
        text = QLatin1String(sections[context.section]);
    text += QLatin1Char(' ') + context.modeName + QStringLiteral(" > ") + context.nodeCaption;
    if (showTitle && !title.isEmpty())
        text += QStringLiteral(" > ") + title;
    return text;
}

QString CInfoPanelCtrl::GetBreadcrumb() const
{
    return Breadcrumb(m_source ? m_source() : Context{}, m_title, m_showTitle);
}

void CInfoPanelCtrl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    p.setPen(palette().buttonText().color());
    // Painted as plain text: an "&" in a title shows as itself.
    const int right = m_noticeShown ? m_notice->x() : m_link->x();
    const QRect r(5, 0, std::max(0, right - 10), height());
    p.drawText(r, int(Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine),
               fontMetrics().elidedText(GetBreadcrumb(), Qt::ElideRight, r.width()));
}

void CInfoPanelCtrl::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Layout();
}

void CInfoPanelCtrl::Layout()
{
    const QSize link = m_link->sizeHint();
    m_link->setGeometry(width() - link.width() - 4, (height() - link.height()) / 2, link.width(), link.height());
    if (m_noticeShown) {
        const QSize n = m_notice->sizeHint();
        m_notice->setGeometry(m_link->x() - 10 - n.width(), (height() - n.height()) / 2, n.width(), n.height());
        m_notice->show();
    } else {
        m_notice->hide();
    }
    update();
}

void CInfoPanelCtrl::OnNotice()
{
    m_notice->SetBlink(false);
    if (XSettings *settings = theSettingsIfAny()) {
        settings->SetInt(Setting::BlinkNewInfo, 0);
        settings->Save();
    }
    emit noticeClicked();
}
