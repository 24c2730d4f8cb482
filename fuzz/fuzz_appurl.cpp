// The in-page command language: any "app:" address and any posted form body
// read without harm, and what was read, written again with every key and
// value percent-encoded, reads back the same (decode -> encode -> decode).

#include "FuzzCheck.h"

#include "browser/AppUrl.h"

#include <QUrl>

namespace {

QByteArray Encoded(const QString &text)
{
    return QUrl::toPercentEncoding(text);
}

QString Shown(const AppParams &params)
{
    QStringList out;
    for (auto it = params.begin(); it != params.end(); ++it)
        out << Escaped(it.key()) + u'=' + Escaped(it.value());
    return out.join(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = FuzzFields(FuzzBytes(data, size), 2);
    const QString url = QString::fromUtf8(parts[0]);

    QString command;
    AppParams params;
    if (AppUrl::ParseAppUrl(url, &command, &params)) {
        FUZZ_CHECK(!command.contains(u'?'), Escaped(url));
        // A closing "&": a last key with an empty value is kept as it was read.
        QString again = QStringLiteral("app:") + command + u'?';
        for (auto it = params.begin(); it != params.end(); ++it)
            again += QString::fromLatin1(Encoded(it.key()) + '=' + Encoded(it.value()) + '&');
        QString command2;
        AppParams params2;
        FUZZ_CHECK(AppUrl::ParseAppUrl(again, &command2, &params2), Escaped(again));
        FUZZ_CHECK(command2 == command, Escaped(url) + "\n" + Escaped(again));
        FUZZ_CHECK(params2 == params, Escaped(url) + "\n" + Shown(params) + "\n--\n" + Shown(params2));
    } else {
        FUZZ_CHECK(!url.startsWith(QLatin1String("app:"), Qt::CaseInsensitive), Escaped(url));
    }

    AppParams posted;
    AppUrl::ParsePostData(parts[1], &posted);
    QByteArray body;
    for (auto it = posted.begin(); it != posted.end(); ++it) {
        FUZZ_CHECK(!it.value().isEmpty(), Escaped(QString::fromUtf8(parts[1])));
        body += Encoded(it.key()) + '=' + Encoded(it.value()) + '&';
    }
    AppParams posted2;
    AppUrl::ParsePostData(body, &posted2);
    FUZZ_CHECK(posted2 == posted, Escaped(QString::fromUtf8(parts[1])) + "\n" + Shown(posted) + "\n--\n" + Shown(posted2));
    // The address's own values win over the posted ones.
    AppParams both = params;
    AppUrl::ParsePostData(parts[1], &both);
    for (auto it = params.begin(); it != params.end(); ++it)
        FUZZ_CHECK(both.value(it.key()) == it.value(), Escaped(url));
    return 0;
}
