#include "XPhotoSet.h"

#include "AppCore.h"
#include "Constants.h"
#include "XSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
bool LoadScaled(CPicture &picture, const QString &path, int side, int quality)
{
    if (!LoadPictureFile(picture, path))
        return false;
    ScaleToFit(picture, side);
    picture.SetJpegQuality(quality);
    return true;
}

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(QStringLiteral("An error occurred while accessing %1.\n%2").arg(path, f.errorString()),
                            QStringLiteral("Error"), MsgBox::IconError);
    return false;
}
} // namespace

const XPhotoSet::Slot &XPhotoSet::GetSlot(int index) const
{
    static const Slot empty;
    return index >= 0 && index < SlotCount ? m_slots[size_t(index)] : empty;
}

void XPhotoSet::SetSlot(int index, const CPicture &small, const CPicture &big)
{
    SetSlotBytes(index, small.Encode(), big.Encode());
}

void XPhotoSet::SetSlotBytes(int index, const QByteArray &small, const QByteArray &big)
{
    if (index < 0 || index >= SlotCount)
        return;
    m_slots[size_t(index)] = Slot{small, big};
}

void XPhotoSet::ClearSlot(int index)
{
    SetSlotBytes(index, {}, {});
}

bool XPhotoSet::ConvertToJpeg(const QString &source, const QString &target, bool big)
{
    CPicture picture;
    if (!LoadScaled(picture, source, big ? BigSide : SmallSide, big ? BigQuality : SmallQuality))
        return false;
    return picture.Save(target);
}

QString XPhotoSet::PairBase(const QString &path)
{
    // Only the file name counts: a "_" in a folder name is not the pair's.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype underscore = path.lastIndexOf(QLatin1Char('_'));
    if (underscore < 0 || underscore < slash)
        return {};
    return path.left(underscore);
}

bool XPhotoSet::LoadPhoto(const QString &path, int index, bool fromPair)
{
    if (index < 0 || index >= SlotCount)
        return false;
    CPicture small, big;
    if (!fromPair) {
        if (!LoadScaled(small, path, SmallSide, SmallQuality) || !LoadScaled(big, path, BigSide, BigQuality))
            return false;
    } else {
        const QString base = PairBase(path);
        if (base.isEmpty())
            return false;
        if (!LoadPictureFile(small, base + QLatin1String("_sm.jpg")) ||
            !LoadPictureFile(big, base + QLatin1String("_big.jpg")))
            return false;
        small.SetJpegQuality(SmallQuality);
        big.SetJpegQuality(BigQuality);
    }
    SetSlot(index, small, big);
    return true;
}

bool XPhotoSet::SavePhotoFiles(int index, const QString &smallPath, const QString &bigPath) const
{
    const Slot &slot = GetSlot(index);
    if (slot.IsEmpty())
        return true;
    return WriteFile(smallPath, slot.small) && WriteFile(bigPath, slot.big);
}

QString XPhotoSet::GetPhotoFileName(const QString &folder, const QString &recordId, const QString &number, bool big)
{
    return QStringLiteral("%1%2/%3_%4_%5.jpg")
        .arg(theApp().GetDataFolder(), folder, recordId, number, big ? QStringLiteral("big") : QStringLiteral("sm"));
}

QString XPhotoSet::GetQuotePhotoFileName(const QString &folder, const QString &recordId, const QString &number,
                                         bool big)
{
    return QStringLiteral("%1%2/%3/qt_%4_%5_%6.jpg")
        .arg(theApp().GetDataFolder(), folder, QLatin1String(Korvant::OutcomingFolder), recordId, number,
             big ? QStringLiteral("big") : QStringLiteral("sm"));
}

void XPhotoSet::LoadInventoryPicture(PictureHolder &holder, const QString &source, const QString &stockNumber,
                                     qint64 id)
{
    if (source.contains(QLatin1String("ITR"))) {
        const XSettings *settings = theSettingsIfAny();
        if (!settings || stockNumber.isEmpty())
            return;
        QString folder;
        try {
            folder = settings->GetImagesFolder();
        } catch (const std::exception &) {
            return;  // no ITrackPro installation to take pictures from
        }
        const QString base = QDir(folder).filePath(stockNumber + QLatin1String("_01"));
        for (const char *ext : {".jpg", ".jpeg", ".gif", ".bmp"}) {
            const QString path = base + QLatin1String(ext);
            if (!QFileInfo::exists(path))
                continue;
            CPicture picture;
            if (LoadPictureFile(picture, path)) {
                holder.image = picture;
                holder.path = path;
            }
            return;
        }
        return;
    }
    const QString path = GetPhotoFileName(QLatin1String(Korvant::PartImagesFolder), QString::number(id),
                                          QStringLiteral("1"), true);
    CPicture picture;
    if (QFileInfo::exists(path) && LoadPictureFile(picture, path)) {
        holder.image = picture;
        holder.path = path;
    }
}

bool XPhotoSet::IsSafeId(const QString &id)
{
    if (id.isEmpty() || id.size() > 16)
        return false;
    for (const QChar c : id) {
        const char16_t u = c.unicode();
        if (!((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_' ||
              u == u'-'))
            return false;
    }
    return true;
}

namespace {
bool SameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a), fb(b);
    return fa.exists() && fb.exists() && fa.canonicalFilePath() == fb.canonicalFilePath();
}

void RemovePair(const QString &small, const QString &big)
{
    QFile::remove(small);
    QFile::remove(big);
}
} // namespace

bool XPhotoSet::SaveInventoryPictures(const char *folder, const QString &recordId, const QList<InvPicture> &pictures,
                                      QStringList &titles)
{
    titles = QStringList(SlotCount, QString());
    if (!IsSafeId(recordId))
        return false;
    QDir().mkpath(theApp().GetDataFolder() + QLatin1String(folder));
    bool allTaken = true;
    const QString f = QLatin1String(folder);
    for (const InvPicture &p : pictures) {
        const int n = p.number.toInt();
        if (n < 1 || n > SlotCount)
            continue;
        const QString small = GetPhotoFileName(f, recordId, p.number, false);
        const QString big = GetPhotoFileName(f, recordId, p.number, true);
        const QString source = p.file.trimmed();
        if (source.isEmpty()) {
            RemovePair(small, big);
            continue;
        }
        if (!SameFile(source, big)) {
            // Both sizes come from a picture that loads, or the old pair stays.
            CPicture bigPic;
            if (!LoadScaled(bigPic, source, BigSide, BigQuality)) {
                allTaken = false;
            } else {
                // The small one from the big: one decode of a camera-sized file.
                CPicture smallPic = bigPic;
                ScaleToFit(smallPic, SmallSide);
                smallPic.SetJpegQuality(SmallQuality);
                if (!smallPic.Save(small) || !bigPic.Save(big))
                    allTaken = false;
            }
        }
        if (QFileInfo::exists(big))
            titles[n - 1] = p.text;
    }
    return allTaken;
}

bool XPhotoSet::SavePartInventoryPictures(const QString &recordId, const QList<InvPicture> &pictures, QString &title)
{
    QStringList titles;
    const bool ok = SaveInventoryPictures(Korvant::PartImagesFolder, recordId, pictures, titles);
    title = titles.value(0);
    return ok;
}

bool XPhotoSet::SaveCarInventoryPictures(const QString &recordId, const QList<InvPicture> &pictures,
                                         QStringList &titles)
{
    return SaveInventoryPictures(Korvant::ImagesFolder, recordId, pictures, titles);
}

int XPhotoSet::CopyQuotePicturesToInventory(const char *folder, const QString &quoteId, const QString &inventoryId,
                                            int count)
{
    if (!IsSafeId(quoteId) || !IsSafeId(inventoryId))
        return 0;
    const QString f = QLatin1String(folder);
    QDir().mkpath(theApp().GetDataFolder() + f);
    int copied = 0;
    for (int n = 1; n <= count && n <= SlotCount; ++n) {
        const QString number = QString::number(n);
        const QString fromSmall = GetQuotePhotoFileName(f, quoteId, number, false);
        const QString fromBig = GetQuotePhotoFileName(f, quoteId, number, true);
        const QString toSmall = GetPhotoFileName(f, inventoryId, number, false);
        const QString toBig = GetPhotoFileName(f, inventoryId, number, true);
        RemovePair(toSmall, toBig);
        if (QFileInfo::exists(fromSmall) && QFileInfo::exists(fromBig) && QFile::copy(fromSmall, toSmall) &&
            QFile::copy(fromBig, toBig))
            ++copied;
    }
    return copied;
}

void XPhotoSet::RemoveInventoryPictures(const char *folder, const QString &recordId, int count)
{
    if (!IsSafeId(recordId))
        return;
    for (int n = 1; n <= count && n <= SlotCount; ++n) {
        const QString number = QString::number(n);
        RemovePair(GetPhotoFileName(QLatin1String(folder), recordId, number, false),
                   GetPhotoFileName(QLatin1String(folder), recordId, number, true));
    }
}
