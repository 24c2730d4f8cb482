#include "InventoryRecords.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XPhotoSet.h"
#include "db/KVDatabase.h"
#include "db/XInventoryCarsSet.h"
#include "db/XInventorySet.h"
#include "db/XQuoteCarsSet.h"
#include "db/XQuoteSet.h"

#include <stdexcept>

namespace {

constexpr int PartPictures = 1;

[[noreturn]] void PictureFailed()
{
    throw std::runtime_error("A picture could not be stored: choose another file.");
}

// Runs `write` (row and pictures) in one transaction; a new row's picture
// files go again when it is not committed.
template<class Set, class Write>
qint64 SaveWithPictures(Set &set, const char *folder, int pictureCount, Write write)
{
    const bool adding = set.IsAdding();
    SqlTransaction scope(theDatabase().Connection());
    qint64 id = adding ? 0 : set.GetInt64(set.FieldIndex("ID"));
    try {
        write(adding, id);
        scope.Commit();
    } catch (...) {
        if (adding && id > 0)
            XPhotoSet::RemoveInventoryPictures(folder, QString::number(id), pictureCount);
        throw;
    }
    return id;
}

// A new inventory row from a sent quote, with copies of the quote's pictures.
template<class Inventory, class Copy>
qint64 StoreQuote(const XBaseSet &quote, const char *folder, int pictures, Copy copy)
{
    Inventory inventory;
    inventory.AddNew();
    copy(inventory);
    inventory.Update();
    const qint64 id = inventory.GetLastInsertId();
    XPhotoSet::CopyQuotePicturesToInventory(folder, quote.GetText("ID"), QString::number(id), pictures);
    return id;
}

} // namespace

namespace InventoryRecords {

qint64 SavePart(XInventorySet &set, const QList<InvPicture> &pictures)
{
    return SaveWithPictures(set, Korvant::PartImagesFolder, PartPictures, [&](bool adding, qint64 &id) {
        if (adding) {
            set.Update();
            id = set.GetLastInsertId();
        }
        QString title;
        if (!XPhotoSet::SavePartInventoryPictures(QString::number(id), pictures, title))
            PictureFailed();
        set.SetPictureTitle(title);
        if (!adding && !set.Update())
            throw std::runtime_error("The record was deleted meanwhile.");
        return id;
    });
}

qint64 SaveCar(XInventoryCarsSet &set, const QList<InvPicture> &pictures)
{
    auto setTitles = [&set](const QStringList &titles) {
        for (int n = 1; n <= XPhotoSet::SlotCount; ++n) {
            const QByteArray column = "IMG" + QByteArray::number(n) + "_TITLE";
            set.SetText(column.constData(), titles.value(n - 1));
        }
    };
    return SaveWithPictures(set, Korvant::ImagesFolder, XPhotoSet::SlotCount, [&](bool adding, qint64 &id) {
        QStringList titles;
        if (adding) {
            // Inserted with the titles of the pictures it is about to get.
            titles = QStringList(XPhotoSet::SlotCount, QString());
            for (const InvPicture &p : pictures) {
                const int n = p.number.toInt();
                if (n >= 1 && n <= XPhotoSet::SlotCount && !p.file.trimmed().isEmpty())
                    titles[n - 1] = p.text;
            }
            setTitles(titles);
            set.Update();
            id = set.GetLastInsertId();
            if (!XPhotoSet::SaveCarInventoryPictures(QString::number(id), pictures, titles))
                PictureFailed();
            return id;
        }
        if (!XPhotoSet::SaveCarInventoryPictures(QString::number(id), pictures, titles))
            PictureFailed();
        setTitles(titles);
        if (!set.Update())
            throw std::runtime_error("The record was deleted meanwhile.");
        return id;
    });
}

qint64 StorePartQuote(const XQuoteSet &quote)
{
    return StoreQuote<XInventorySet>(quote, Korvant::PartImagesFolder, PartPictures,
                                     [&quote](XInventorySet &row) { quote.CopyToInventoryPart(row); });
}

qint64 StoreCarQuote(const XQuoteCarsSet &quote)
{
    return StoreQuote<XInventoryCarsSet>(quote, Korvant::ImagesFolder, XQuoteCarsSet::PictureCount,
                                         [&quote](XInventoryCarsSet &row) { quote.CopyToInventoryCar(row); });
}

qint64 SaveKeepingValues(XBaseSet &set, bool isNew, const std::function<qint64()> &save,
                         const std::function<void()> &reopen)
{
    std::vector<QVariant> typed;
    for (int i = 0; i < set.GetFieldCount(); ++i)
        typed.push_back(set.GetFieldValue(i));
    try {
        return save();
    } catch (const std::exception &e) {
        theApp().ShowMessageBox(QStringLiteral("The record could not be saved.\n\n%1").arg(QString::fromUtf8(e.what())),
                                QStringLiteral("Error"), MsgBox::IconError);
    }
    if (isNew && !set.IsAdding())
        set.AddNew();
    else if (!isNew && !set.IsEditing())
        reopen();
    const int idColumn = set.FindField("ID");
    for (int i = 0; i < set.GetFieldCount(); ++i) {
        if (i != idColumn)
            set.SetFieldValue(i, typed[size_t(i)]);
    }
    return -1;
}

} // namespace InventoryRecords
