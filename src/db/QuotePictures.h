#pragma once

// The picture store of quotes, parts and cars alike: picture n of a quote is
// a pair of JPEG files "qt_<id>_<n>_sm.jpg" / "qt_<id>_<n>_big.jpg" in
// <data>/<folder>/incoming (received) or .../outcoming (the member's own).
// Server pictures arrive as base64 inside the quote's XML; requests carry the
// member's photos the same way.

#include "net/XmlUtil.h"

#include <QByteArray>
#include <QString>

class XPhotoSet;

class QuotePictures
{
public:
    // folder "part_images" or "images"; serverPath "part_quote_image" or "car_quote_image".
    QuotePictures(const char *folder, const char *serverPath) : m_folder(folder), m_serverPath(serverPath) {}

    static const QuotePictures &Parts();
    static const QuotePictures &Cars();

    // A server id names files only when made of [A-Za-z0-9_-], at most 16 characters.
    static bool IsSafeId(const QString &id);
    QString Folder(bool incoming) const;
    QString FileName(bool incoming, const QString &quoteId, int number, bool big) const;

    // Picture n of a received quote: returns its title ("image_<n>_title" of
    // `info`) and writes the small file and, only when that was written, the
    // big one. Nothing is written for an unsafe id, an empty or undecodable
    // picture; a file that cannot be written is logged. Never throws.
    QString SaveIncoming(const XmlNode &info, const QString &quoteId, int number) const;
    // The element's base64 text into the file; 1 when a file was written, else 0.
    int SavePictureFile(const XmlNode &node, const QString &element, const QString &path) const;

    // "image_<n>_full" / "image_<n>_small" with the bytes in base64; 0 without bytes.
    static int AddPictureElement(const QByteArray &bytes, XmlNode parent, int number, bool full);
    // The two pictures of a photo slot (each when it has bytes) and "image_<n>_title".
    static void AddPhotoElements(XmlNode parent, const XPhotoSet &photos, int slot, int number,
                                 const QString &title);
    // One "picture" of a detail page; nothing when the small file is missing.
    void AddPictureXml(XmlNode parent, bool incoming, const QString &quoteId, int number, const QString &title) const;

private:
    const char *m_folder;
    const char *m_serverPath;
};
