#include "PopupPlacement.h"

#include <algorithm>

namespace PopupPlacement {

std::optional<QRect> PanelRect(const QRect &screen, const QRect &available)
{
    const int top = available.top() - screen.top();
    const int bottom = screen.bottom() - available.bottom();
    const int left = available.left() - screen.left();
    const int right = screen.right() - available.right();
    const int widest = std::max({top, bottom, left, right});
    if (widest <= 0)
        return std::nullopt;
    if (bottom == widest)
        return QRect(screen.left(), available.bottom() + 1, screen.width(), bottom);
    if (top == widest)
        return QRect(screen.left(), screen.top(), screen.width(), top);
    if (right == widest)
        return QRect(available.right() + 1, screen.top(), right, screen.height());
    return QRect(screen.left(), screen.top(), left, screen.height());
}

Edge PanelEdge(const QRect &panel, const QRect &workArea)
{
    if (panel.width() < panel.height())
        return panel.right() > workArea.right() ? Edge::Right : Edge::Left;
    return panel.bottom() > workArea.bottom() ? Edge::Bottom : Edge::Top;
}

Placement Place(const QSize &size, const QRect &screen, const QRect &available)
{
    Placement p;
    const std::optional<QRect> panel = PanelRect(screen, available);
    p.edge = panel ? PanelEdge(*panel, available) : Edge::None;
    const QSize s(size.width(), std::min(size.height(), available.height()));
    switch (p.edge) {
    case Edge::Top:
        p.rect = QRect(QPoint(available.right() - s.width() + 1, available.top()), s);
        break;
    case Edge::Left:
        p.rect = QRect(QPoint(available.left(), available.bottom() - s.height() + 1), s);
        break;
    case Edge::Bottom:
    case Edge::Right:
    case Edge::None:
        p.rect = QRect(QPoint(available.right() - s.width() + 1, available.bottom() - s.height() + 1), s);
        break;
    }
    return p;
}

QRect Collapsed(const QRect &full, Edge edge)
{
    switch (edge) {
    case Edge::Top:
        return QRect(full.left(), full.top(), full.width(), 1);
    case Edge::Left:
        return QRect(full.left(), full.top(), 1, full.height());
    case Edge::Right:
        return QRect(full.right(), full.top(), 1, full.height());
    case Edge::Bottom:
    case Edge::None:
        break;
    }
    return QRect(full.left(), full.bottom(), full.width(), 1);
}

QPoint ContentOffset(const QSize &full, const QSize &shown, Edge edge)
{
    switch (edge) {
    case Edge::Top:
        return {0, shown.height() - full.height()};
    case Edge::Left:
        return {shown.width() - full.width(), 0};
    case Edge::Bottom:
    case Edge::Right:
    case Edge::None:
        break;
    }
    return {0, 0};
}

} // namespace PopupPlacement
