// The text helpers of Utils and ParseServerDate: each result keeps its own
// promise, and a date that was read prints and reads back to the same time.

#include "FuzzCheck.h"

#include "app/Utils.h"
#include "net/XmlUtil.h"

#include <QDateTime>

#include <cmath>
#include <cstdlib>
#include <ctime>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Local time without daylight saving, so every printed time reads back.
    setenv("TZ", "UTC", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(FuzzBytes(data, size));

    const QString crlf = Utils::ToCrLf(text);
    FUZZ_CHECK(Utils::ToCrLf(crlf) == crlf, Escaped(text));
    FUZZ_CHECK(QString(crlf).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) ==
                   QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
               Escaped(text));

    const QString sql = Utils::EscapeSqlQuotes(text);
    FUZZ_CHECK(sql.count(u'\'') == 2 * text.count(u'\''), Escaped(text));
    FUZZ_CHECK(QString(sql).replace(QStringLiteral("''"), QStringLiteral("'")) == text, Escaped(text));

    const QString url = Utils::AddHttpPrefix(text);
    FUZZ_CHECK(Utils::AddHttpPrefix(url) == url, Escaped(text));
    FUZZ_CHECK(text.isEmpty() || url.startsWith(QStringLiteral("http://"), Qt::CaseInsensitive) ||
                   url.startsWith(QStringLiteral("https://"), Qt::CaseInsensitive),
               Escaped(text));

    FUZZ_CHECK(std::isfinite(Utils::StrToDouble(text)), Escaped(text));
    const int rating = Utils::StrToRating(text);
    FUZZ_CHECK(rating <= 5, Escaped(text));
    Utils::StrToInt(text);
    Utils::IsNumeric(text);
    Utils::CompareNumbers(text, text.mid(text.size() / 2));

    if (const XmlTime t = ParseServerDate(text)) {
        const QDateTime when = QDateTime::fromSecsSinceEpoch(t);
        for (const QString &format : {QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-ddTHH:mm:ss"),
                                      QStringLiteral("MM/dd/yyyy hh:mm:ss AP")}) {
            const QString printed = QLocale::c().toString(when, format);
            FUZZ_CHECK(ParseServerDate(printed) == t, Escaped(text) + " -> " + printed);
        }
    }
    ParseLeadingInt(text);
    return 0;
}
