#pragma once

#include "CPicture.h"
#include "Interfaces.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

// A preview: a picture and the file it came from.
struct PictureHolder
{
    CPicture image;
    QString path;
};

// Up to six photos of a record, each a small (lists, previews) and a big
// (detail pages) JPEG kept as bytes, made from any picture file and written
// to and read from their files in the data folder.
class XPhotoSet
{
public:
    static constexpr int SlotCount = 6;
    static constexpr int SmallSide = 160, SmallQuality = 80;
    static constexpr int BigSide = 800, BigQuality = 50;

    struct Slot
    {
        QByteArray small;
        QByteArray big;
        bool IsEmpty() const { return small.isEmpty() && big.isEmpty(); }
    };

    XPhotoSet() = default;

    const Slot &GetSlot(int index) const;
    bool IsSlotFilled(int index) const { return !GetSlot(index).IsEmpty(); }
    // The slot takes the JPEG encodings of the two pictures at their qualities.
    void SetSlot(int index, const CPicture &small, const CPicture &big);
    void SetSlotBytes(int index, const QByteArray &small, const QByteArray &big);
    void ClearSlot(int index);

    // Loads the source by extension, scales it to 800 (big) or 160 (small) and saves a JPEG.
    static bool ConvertToJpeg(const QString &source, const QString &target, bool big);
    // A picture file made into both sizes, or (fromPair) the "_sm.jpg"/"_big.jpg"
    // pair that `path` belongs to. False, slot unchanged, when either does not load.
    bool LoadPhoto(const QString &path, int index, bool fromPair);
    // Writes the slot's two files (an empty slot writes nothing and succeeds).
    // A file that cannot be written is reported to the member; false then.
    bool SavePhotoFiles(int index, const QString &smallPath, const QString &bigPath) const;

    // <data>/<folder>/<id>_<number>_big.jpg or ..._sm.jpg
    static QString GetPhotoFileName(const QString &folder, const QString &recordId, const QString &number, bool big);
    // <data>/<folder>/outcoming/qt_<id>_<number>_big.jpg or ..._sm.jpg
    static QString GetQuotePhotoFileName(const QString &folder, const QString &recordId, const QString &number,
                                         bool big);
    // The base a pair is named by: the path up to the last "_" of its file name; empty without one.
    static QString PairBase(const QString &path);

    // The picture of an inventory record: an imported ITrackPro record's
    // "<images folder>/<stock>_01.{jpg,jpeg,gif,bmp}", else the big photo file
    // of the record's id. The holder is left as it was when there is none.
    static void LoadInventoryPicture(PictureHolder &holder, const QString &source, const QString &stockNumber,
                                     qint64 id);

    // An id names files only when made of [A-Za-z0-9_-], at most 16 characters.
    static bool IsSafeId(const QString &id);

    // An inventory record's pictures into <data>/<folder>/<id>_<n>_{sm,big}.jpg.
    // A picture without a file removes its pair; a file equal to the record's
    // own big picture is left as it is; any other file is made into the pair
    // only when it loads as an image (else its old pair stays and false is
    // returned). `titles` gets, by picture number, the title of each picture
    // the record now has (empty where it has none).
    static bool SaveInventoryPictures(const char *folder, const QString &recordId, const QList<InvPicture> &pictures,
                                      QStringList &titles);
    // The part's one picture ("part_images"); `title` is picture 1's.
    static bool SavePartInventoryPictures(const QString &recordId, const QList<InvPicture> &pictures, QString &title);
    // A car's six pictures ("images"); `titles` has six entries.
    static bool SaveCarInventoryPictures(const QString &recordId, const QList<InvPicture> &pictures,
                                         QStringList &titles);
    // Pictures 1..count of the member's own quote copied (overwriting) to the
    // inventory record's names; a picture the quote lacks removes the record's.
    // Returns the pairs copied; nothing is touched for an unsafe quote id.
    static int CopyQuotePicturesToInventory(const char *folder, const QString &quoteId, const QString &inventoryId,
                                            int count);
    // Deletes pictures 1..count of a record.
    static void RemoveInventoryPictures(const char *folder, const QString &recordId, int count);

private:
    std::array<Slot, SlotCount> m_slots;
};
