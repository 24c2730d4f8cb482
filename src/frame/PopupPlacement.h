#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

// Where the tray pop-up appears and which way it slides: out of the edge of
// the screen that holds the desktop's panel, in the corner next to the tray.
namespace PopupPlacement {

enum class Edge : int { None = 0, Bottom = 1, Top = 2, Left = 3, Right = 4 };

struct Placement
{
    Edge edge = Edge::None;
    QRect rect;  // the pop-up fully shown
    bool operator==(const Placement &) const = default;
};

// The panel: the widest strip of the screen outside the available area
// (none when the available area is the whole screen).
std::optional<QRect> PanelRect(const QRect &screen, const QRect &available);
// The edge a panel sits on: a panel narrower than high is on the right when
// its right side lies right of the work area's, else on the left; a flat one
// at the bottom when it reaches below the work area, else at the top.
Edge PanelEdge(const QRect &panel, const QRect &workArea);
// The pop-up of `size` against a screen and its available area: its height
// cut to the area; bottom-right for the bottom and right edges, top-right for
// the top, bottom-left for the left; with no panel, bottom-right of the area.
Placement Place(const QSize &size, const QRect &screen, const QRect &available);

// The first frame of the slide: one pixel along the edge the pop-up comes from.
QRect Collapsed(const QRect &full, Edge edge);
// Where the pop-up's full picture is drawn inside the part already shown, so
// that the side facing the slide's direction leads.
QPoint ContentOffset(const QSize &full, const QSize &shown, Edge edge);

} // namespace PopupPlacement
