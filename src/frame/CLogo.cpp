#include "CLogo.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QToolBar>

CLogo::CLogo(int controlId, const QString &resourceText, QMainWindow *frame)
    : QLabel(frame), m_frame(frame), m_id(controlId)
{
    const int cut = resourceText.indexOf(QLatin1Char('\n'));
    m_prompt = cut < 0 ? resourceText : resourceText.left(cut);
    if (cut >= 0)
        setToolTip(resourceText.mid(cut + 1));
    setCursor(Qt::PointingHandCursor);
}

bool CLogo::SetAnchorWindow(QWidget *anchor)
{
    if (!anchor || anchor == this)
        return false;
    m_anchor = anchor;
    return true;
}

bool CLogo::IsCovered(QMainWindow *frame, const QRect &globalRect, const QWidget *except)
{
    for (QToolBar *bar : frame->findChildren<QToolBar *>()) {
        if (!bar->isVisible())
            continue;
        // A tool bar row spans the window; only its buttons cover anything.
        for (QAction *action : bar->actions()) {
            QWidget *w = bar->widgetForAction(action);
            if (w && w != except && w->isVisible() &&
                QRect(w->mapToGlobal(QPoint(0, 0)), w->size()).intersects(globalRect))
                return true;
        }
    }
    for (QDockWidget *dock : frame->findChildren<QDockWidget *>()) {
        if (dock->isVisible() && QRect(dock->mapToGlobal(QPoint(0, 0)), dock->size()).intersects(globalRect))
            return true;
    }
    return false;
}

void CLogo::Reposition()
{
    if (!m_frame)
        return;
    const QSize size = pixmap().isNull() ? sizeHint() : pixmap().size();
    int top = m_frame->menuWidget() && m_frame->menuWidget()->isVisible() ? m_frame->menuWidget()->height() : 0;
    int x;
    if (m_anchor) {
        x = m_anchor->x() - 10 - size.width();
        top = m_anchor->y();
    } else {
        x = m_frame->width() - size.width() - 2;
    }
    setGeometry(x, top, size.width(), size.height());
    raise();
    const QRect global(m_frame->mapToGlobal(QPoint(x, top)), size);
    setVisible(!IsCovered(m_frame, global, this));
}

void CLogo::enterEvent(QEnterEvent *event)
{
    if (m_frame && m_frame->statusBar())
        m_frame->statusBar()->showMessage(m_prompt);
    QLabel::enterEvent(event);
}

void CLogo::leaveEvent(QEvent *event)
{
    if (m_frame && m_frame->statusBar())
        m_frame->statusBar()->showMessage(QStringLiteral("Ready"));
    QLabel::leaveEvent(event);
}

void CLogo::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit logoClicked(m_id);
    QLabel::mousePressEvent(event);
}
