#pragma once

// The small images of the record lists: row icons, rating bars, message and
// comment marks, personal and marketplace marks. Drawn once, kept for the run.

#include <QIcon>

namespace ListImages {

// 0 a query or thread, 1 a quote, 2 a quote in Replied Quotes.
QIcon Row(int index);
// Rating 0-4 as filled bars; none outside.
QIcon Rating(int index);
// 0 messages, 1 comments, 2 both.
QIcon MessageMark(int index);
// 0 personal or broadcast, 1 hot deal, 2 purchase order.
QIcon PersonalMark(int index);
// A marketplace without an icon of its own.
QIcon Market();
// The marketplace's own icon file, else Market().
QIcon MarketIcon(const QString &marketId, int marketMode);

} // namespace ListImages
