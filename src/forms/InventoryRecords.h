#pragma once

// Storing inventory records with their pictures, and the copy of a sent
// quote into the inventory. A new row's ID is the one its insert made (a
// set's last row is another record under a sort); the row and its picture
// titles are written in one transaction, and the picture files of a new row
// that could not be stored are removed again.

#include "app/Interfaces.h"

#include <QList>

#include <functional>

class XBaseSet;
class XInventorySet;
class XInventoryCarsSet;
class XQuoteSet;
class XQuoteCarsSet;

namespace InventoryRecords {

// The set is adding a new row or editing one. Returns the record's ID;
// throws (nothing stored) when the row or a picture cannot be written.
qint64 SavePart(XInventorySet &set, const QList<InvPicture> &pictures);
qint64 SaveCar(XInventoryCarsSet &set, const QList<InvPicture> &pictures);

// A new inventory row made from the stored, sent quote, with copies of its
// picture files; runs inside the caller's transaction. Returns the new ID.
qint64 StorePartQuote(const XQuoteSet &quote);
qint64 StoreCarQuote(const XQuoteCarsSet &quote);

// Runs a form's save; when it throws, the error is shown and the set is back
// in add (new) or edit mode with every value the member typed: -1 then.
qint64 SaveKeepingValues(XBaseSet &set, bool isNew, const std::function<qint64()> &save,
                         const std::function<void()> &reopen);

} // namespace InventoryRecords
