#pragma once

// The order pages the order forms show and print, rendered through the
// order view's style sheet.

#include <QString>

class XmlDoc;
class QWidget;

namespace OrderPages {

// The document through the order sheet; empty on failure (the member was told).
QString Render(const XmlDoc &doc);
// A stored order's page: 0 the detail view, 1 the purchase order print,
// 2 the receipt/label print; empty when no such order is stored.
QString OrderHtml(const QString &orderId, int mode);
// The main window's title, the first part of the forms' captions.
QString MainTitle(QWidget *parent);

} // namespace OrderPages
