#pragma once

#include "app/XLayoutSettings.h"

class QHeaderView;
class QWidget;

// Moves a window's geometry or a list header's column widths in and out of
// its remembered layout.
namespace LayoutAdapters {

void StorePlacement(XLayoutSettings &layout, const QWidget *window);
// False when nothing was applied (never saved, or saved while minimised).
bool RestorePlacement(XLayoutSettings &layout, QWidget *window);
void StoreColumns(XLayoutSettings &layout, const QHeaderView *header);
void RestoreColumns(const XLayoutSettings &layout, QHeaderView *header);

} // namespace LayoutAdapters
