#include "LayoutAdapters.h"

#include <QHeaderView>
#include <QWidget>

namespace LayoutAdapters {

void StorePlacement(XLayoutSettings &layout, const QWidget *window)
{
    if (window)
        layout.StorePlacement(window->saveGeometry(), window->isMinimized());
}

bool RestorePlacement(XLayoutSettings &layout, QWidget *window)
{
    const QByteArray geometry = layout.RestorePlacement();
    return window && !geometry.isEmpty() && window->restoreGeometry(geometry);
}

void StoreColumns(XLayoutSettings &layout, const QHeaderView *header)
{
    if (!header)
        return;
    QList<int> widths;
    for (int i = 0; i < header->count(); ++i)
        widths.append(header->sectionSize(i));
    layout.StoreColumns(widths);
}

void RestoreColumns(const XLayoutSettings &layout, QHeaderView *header)
{
    if (!header || !layout.IsValid())
        return;
    const QList<int> widths = layout.Columns();
    for (int i = 0; i < widths.size() && i < header->count(); ++i)
        header->resizeSection(i, widths[i]);
}

} // namespace LayoutAdapters
