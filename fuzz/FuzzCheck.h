#pragma once

// What every fuzz target shares. A property that does not hold prints what
// it saw and aborts, so libFuzzer keeps the input as a finding.

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void FuzzFail(const char *property, const QString &detail)
{
    std::fprintf(stderr, "property does not hold: %s\n%s\n", property, qPrintable(detail.left(4000)));
    std::abort();
}

#define FUZZ_CHECK(condition, detail)              \
    do {                                           \
        if (!(condition))                          \
            FuzzFail(#condition, (detail));        \
    } while (0)

inline QByteArray FuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// The input as several fields, split at zero bytes (missing fields are empty).
inline QList<QByteArray> FuzzFields(const QByteArray &bytes, int count)
{
    QList<QByteArray> fields = bytes.split('\0');
    while (fields.size() < count)
        fields.append(QByteArray());
    return fields;
}

inline QString Escaped(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}
