#include "DialogCommon.h"

#include "GuiUtils.h"

#include "app/Constants.h"
#include "app/Interfaces.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>

namespace DialogCommon {

QString AppTitle()
{
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QString::fromLatin1(Korvant::AppName) : name;
}

QString CaptionOrTitle(const QString &caption)
{
    return caption.isEmpty() ? AppTitle() : caption;
}

QIcon StandardIcon(int iconId)
{
    QStyle::StandardPixmap which;
    switch (iconId) {
    case MsgBox::IconResError: which = QStyle::SP_MessageBoxCritical; break;
    case MsgBox::IconResQuestion: which = QStyle::SP_MessageBoxQuestion; break;
    case MsgBox::IconResWarning: which = QStyle::SP_MessageBoxWarning; break;
    case MsgBox::IconResInformation: which = QStyle::SP_MessageBoxInformation; break;
    default: return {};
    }
    return QApplication::style()->standardIcon(which);
}

int IconIdFromFlags(unsigned flags)
{
    switch (flags & 0xF0u) {
    case MsgBox::IconError: return MsgBox::IconResError;
    case MsgBox::IconQuestion: return MsgBox::IconResQuestion;
    case MsgBox::IconWarning: return MsgBox::IconResWarning;
    case MsgBox::IconInformation: return MsgBox::IconResInformation;
    default: return 0;
    }
}

} // namespace DialogCommon

LinkLabel::LinkLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    ApplyColor(m_link);
}

void LinkLabel::SetLink(const QString &text, const QString &url)
{
    setText(text);
    m_url = url;
}

void LinkLabel::SetColors(const QColor &link, const QColor &hover)
{
    m_link = link;
    m_hover = hover;
    ApplyColor(underMouse() ? m_hover : m_link);
}

void LinkLabel::ApplyColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void LinkLabel::enterEvent(QEnterEvent *event)
{
    ApplyColor(m_hover);
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent *event)
{
    ApplyColor(m_link);
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Activate();
        event->accept();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::Activate()
{
    emit clicked(m_url);
    if (!m_notifyOnly)
        GuiUtils::OpenNewBrowserWindow(m_url);
}

void LinkLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space) {
        Activate();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}
