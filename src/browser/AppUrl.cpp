#include "AppUrl.h"

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int DefaultPort(const QString &scheme)
{
    if (scheme == u"http")
        return 80;
    if (scheme == u"https")
        return 443;
    return -1;
}

} // namespace

QString AppUrl::Decode(QByteArrayView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            bytes += char(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            bytes += c;
        }
    }
    return QString::fromUtf8(bytes);
}

bool AppUrl::ParseAppUrl(const QString &url, QString *command, AppParams *params)
{
    if (!url.startsWith(QLatin1String("app:"), Qt::CaseInsensitive))
        return false;
    const QString rest = url.mid(4);
    const qsizetype mark = rest.indexOf(u'?');
    if (command)
        *command = mark < 0 ? rest : rest.left(mark);
    if (mark < 0 || !params)
        return true;

    // Split the raw query first, then decode each key and value, so an encoded
    // "&" or "=" stays inside its value.
    const QByteArray query = rest.mid(mark).toUtf8();
    enum { None, Key, Value } state = None;
    QByteArray key;
    QByteArray value;
    auto store = [&] { params->insert(Decode(key), Decode(value)); };
    for (qsizetype i = 0; i < query.size(); ++i) {
        const char c = query[i];
        const bool last = i == query.size() - 1;
        switch (state) {
        case None:
            if (c == '?' || c == '&') {
                state = Key;
                key.clear();
            }
            break;
        case Key:
            if (c == '=') {
                state = Value;
                value.clear();
            } else {
                key += c;
            }
            break;
        case Value:
            if (c == '&') {
                store();
                state = Key;
                key.clear();
            } else {
                value += c;
                if (last)
                    store();
            }
            break;
        }
    }
    return true;
}

void AppUrl::ParsePostData(const QByteArray &body, AppParams *params)
{
    if (!params)
        return;
    for (const QByteArray &piece : body.split('&')) {
        const qsizetype eq = piece.indexOf('=');
        if (eq < 0)
            continue;
        QByteArray value = piece.mid(eq + 1);
        if (value.isEmpty())
            continue;
        value.replace('+', ' ');
        const QString key = Decode(piece.left(eq));
        if (!params->contains(key))
            params->insert(key, Decode(value));
    }
}

bool AppUrl::CommandsAllowed(const QUrl &pageUrl, bool mainFrame, const QString &ownScheme, const QString &serverUrl)
{
    if (!mainFrame || !pageUrl.isValid())
        return false;
    const QString scheme = pageUrl.scheme().toLower();
    if (!ownScheme.isEmpty() && scheme == ownScheme.toLower())
        return true;
    const QUrl server(serverUrl.trimmed());
    const QString serverScheme = server.scheme().toLower();
    if (!server.isValid() || server.host().isEmpty() || (serverScheme != u"http" && serverScheme != u"https"))
        return false;
    return scheme == serverScheme && pageUrl.host().compare(server.host(), Qt::CaseInsensitive) == 0
           && pageUrl.port(DefaultPort(scheme)) == server.port(DefaultPort(serverScheme));
}
