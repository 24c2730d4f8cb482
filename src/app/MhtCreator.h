#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Packs an HTML page and the local files it shows (pictures) into one MIME HTML
// file: a multipart/related message whose first part is the page in UTF-8 at
// the location "file:///" and whose further parts are the files, each at its
// FileUrl and with a Content-ID, so the page's addresses of those files
// (PageUrl) resolve inside the message.
class MhtCreator
{
public:
    MhtCreator() = default;
    virtual ~MhtCreator() = default;

    // The address a page uses for a local file and the part's location in the
    // message: "file:///" and the path with '\' turned into '/' ("C:\a\b.jpg"
    // gives "file:///C:/a/b.jpg", "/home/a.jpg" gives "file:///home/a.jpg"),
    // blanks and other characters a URL cannot hold percent-encoded.
    static QString FileUrl(const QString &path);
    // The address the page itself uses for an attached file: "cid:" and the
    // part's Content-ID (the path percent-encoded whole, as the hot deal sheet
    // writes it), which the web engine resolves inside the message (it will not
    // show file: addresses from a saved page).
    static QString PageUrl(const QString &path);

    // The whole message; false and the reason when a file cannot be read.
    bool BuildMessage(const QString &html, const QStringList &files, QByteArray *message,
                      QString *error = nullptr) const;
    // Builds the message and writes it to the target; nothing is written when a
    // step fails.
    bool SaveToFile(const QString &html, const QStringList &files, const QString &target,
                    QString *error = nullptr) const;
};
