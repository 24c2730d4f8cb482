#pragma once

#include "CPicture.h"

#include <QByteArray>
#include <QString>

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

private:
    std::array<Slot, SlotCount> m_slots;
};
