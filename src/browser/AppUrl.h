#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QUrl>

// The in-page command language: "app:" addresses and the form fields posted to them.
using AppParams = QMap<QString, QString>;

namespace AppUrl {

// Percent-decoding of one key or value: "%XX" becomes that byte, any other "%"
// stays as it is; the bytes are read as UTF-8.
QString Decode(QByteArrayView text);

// True when the address's scheme is "app" (any letter case); the command is
// the text after "app:" up to the first "?", the query's pairs go into params
// (a later equal key replaces an earlier one, a key whose "=" ends the query is
// dropped). "+" stays as it is in an address's query.
bool ParseAppUrl(const QString &url, QString *command, AppParams *params);

// Adds the fields of an urlencoded form body. Each piece between "&" with an
// "=" is a pair; "+" means a blank; empty values are skipped; a key that the
// address already gave keeps the address's value.
void ParsePostData(const QByteArray &body, AppParams *params);

// Whether a navigation may run commands: only main frames, and only pages our
// own scheme served or pages of the server's origin (scheme, host and port).
bool CommandsAllowed(const QUrl &pageUrl, bool mainFrame, const QString &ownScheme, const QString &serverUrl);

} // namespace AppUrl
