#include "QuotePictures.h"

#include "RecordXml.h"
#include "TradeXml.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XBase64.h"
#include "app/XPhotoSet.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

namespace {
void Log(const QString &message)
{
    if (AppCore *app = theAppIfAny())
        app->WriteLog(message, QStringLiteral("Quote pictures"), 3);
}
} // namespace

const QuotePictures &QuotePictures::Parts()
{
    static const QuotePictures parts(Korvant::PartImagesFolder, "part_quote_image");
    return parts;
}

const QuotePictures &QuotePictures::Cars()
{
    static const QuotePictures cars(Korvant::ImagesFolder, "car_quote_image");
    return cars;
}

bool QuotePictures::IsSafeId(const QString &id)
{
    return XPhotoSet::IsSafeId(id);
}

QString QuotePictures::Folder(bool incoming) const
{
    return theApp().GetDataFolder() + QLatin1String(m_folder) + QLatin1Char('/') +
           QLatin1String(incoming ? Korvant::IncomingFolder : Korvant::OutcomingFolder);
}

QString QuotePictures::FileName(bool incoming, const QString &quoteId, int number, bool big) const
{
    return QStringLiteral("%1/qt_%2_%3_%4.jpg")
        .arg(Folder(incoming), quoteId)
        .arg(number)
        .arg(big ? QStringLiteral("big") : QStringLiteral("sm"));
}

int QuotePictures::SavePictureFile(const XmlNode &node, const QString &element, const QString &path) const
{
    const QString text = RecordXml::ChildText(node, element.toLatin1().constData());
    if (text.isEmpty())
        return 0;
    const QByteArray bytes = XBase64::DecodeText(text.toLatin1());
    // Only a real picture goes to disk.
    QImage probe;
    if (bytes.isEmpty() || !probe.loadFromData(bytes) || probe.isNull()) {
        Log(QStringLiteral("Picture %1 is not an image; not stored").arg(element));
        return 0;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        Log(QStringLiteral("Cannot write the picture %1: %2").arg(path, f.errorString()));
        return 0;
    }
    return 1;
}

QString QuotePictures::SaveIncoming(const XmlNode &info, const QString &quoteId, int number) const
{
    const QString title = RecordXml::ChildText(info, QStringLiteral("image_%1_title").arg(number).toLatin1().constData());
    const QString small = QStringLiteral("image_%1_small").arg(number);
    if (RecordXml::ChildText(info, small.toLatin1().constData()).isEmpty())
        return title;
    if (!IsSafeId(quoteId)) {
        Log(QStringLiteral("Quote id \"%1\" cannot name a file; picture %2 not stored").arg(quoteId).arg(number));
        return title;
    }
    const QString folder = Folder(true);
    if (!QDir().mkpath(folder)) {
        Log(QStringLiteral("Cannot create the folder %1").arg(folder));
        return title;
    }
    if (SavePictureFile(info, small, FileName(true, quoteId, number, false)))
        SavePictureFile(info, QStringLiteral("image_%1_full").arg(number), FileName(true, quoteId, number, true));
    return title;
}

int QuotePictures::AddPictureElement(const QByteArray &bytes, XmlNode parent, int number, bool full)
{
    if (bytes.isEmpty())
        return 0;
    parent.AddChildCData(QStringLiteral("image_%1_%2").arg(number).arg(full ? QStringLiteral("full")
                                                                             : QStringLiteral("small")),
                         QString::fromLatin1(XBase64::EncodeToText(bytes)));
    return 1;
}

void QuotePictures::AddPhotoElements(XmlNode parent, const XPhotoSet &photos, int slot, int number,
                                     const QString &title)
{
    if (!photos.IsSlotFilled(slot))
        return;
    const XPhotoSet::Slot &s = photos.GetSlot(slot);
    AddPictureElement(s.small, parent, number, false);
    AddPictureElement(s.big, parent, number, true);
    parent.AddChild(QStringLiteral("image_%1_title").arg(number), title);
}

void QuotePictures::AddPictureXml(XmlNode parent, bool incoming, const QString &quoteId, int number,
                                  const QString &title) const
{
    if (!IsSafeId(quoteId))
        return;
    const QString small = FileName(incoming, quoteId, number, false);
    if (!QFileInfo::exists(small))
        return;
    const QString big = FileName(incoming, quoteId, number, true);
    XmlNode picture = parent.AddChild(QStringLiteral("picture"));
    picture.SetAttr(QStringLiteral("id"), QString::number(number));
    picture.SetAttr(QStringLiteral("title"), title);
    picture.SetAttr(QStringLiteral("small"), small);
    if (QFileInfo::exists(big)) {
        picture.SetAttr(QStringLiteral("big"), big);
    } else if (incoming) {
        picture.SetAttr(QStringLiteral("big"), QStringLiteral("%1/%2/%3/%4")
                                                   .arg(TradeXml::ServerWebAddress(), QLatin1String(m_serverPath),
                                                        quoteId)
                                                   .arg(number));
        picture.SetAttr(QStringLiteral("name"), big);
    }
}
