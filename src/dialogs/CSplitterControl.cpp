#include "CSplitterControl.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

CSplitterControl::CSplitterControl(const QRect &rect, QWidget *parent)
    : QWidget(parent), m_orientation(rect.width() < rect.height() ? Vertical : Horizontal)
{
    QRect r = rect;
    if (m_orientation == Vertical)
        r.setWidth(5);
    else
        r.setHeight(5);
    setGeometry(r);
    setCursor(m_orientation == Vertical ? Qt::SizeHorCursor : Qt::SizeVerCursor);
    SetRange(0, 0, -1);
}

int CSplitterControl::Centre() const
{
    const QRect g = geometry();
    return m_orientation == Vertical ? g.left() + g.width() / 2 : g.top() + g.height() / 2;
}

void CSplitterControl::SetRange(int below, int above, int position)
{
    if (position < 0)
        position = Centre();
    m_lower = position - below;
    m_upper = position + above;
}

int CSplitterControl::Clamp(int value) const
{
    return std::clamp(value, m_lower, std::max(m_lower, m_upper));
}

void CSplitterControl::ChangeHeight(QWidget *window, int delta, Alignment alignment)
{
    if (!window)
        return;
    QRect g = window->geometry();
    if (alignment == AlignTop)
        g.setBottom(g.bottom() + delta);
    else if (alignment == AlignBottom)
        g.setTop(g.top() + delta);
    window->setGeometry(g);
}

void CSplitterControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect r = rect();
    p.setPen(palette().light().color());
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(palette().dark().color());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(QColor(200, 200, 200));
    p.setBrush(QColor(200, 220, 220));
    p.drawRect(r.adjusted(1, 1, -2, -2));
}

void CSplitterControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_start = m_position = Centre();
}

void CSplitterControl::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    const QPoint inParent = mapToParent(event->position().toPoint());
    m_position = Clamp(m_orientation == Vertical ? inParent.x() : inParent.y());
}

void CSplitterControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_pressed || event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    QRect g = geometry();
    if (m_orientation == Vertical)
        g.moveLeft(m_position - g.width() / 2);
    else
        g.moveTop(m_position - g.height() / 2);
    setGeometry(g);
    emit moved(m_position - m_start);
}
