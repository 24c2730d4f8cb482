#include "FieldValidation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace FieldValidation {

namespace {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The text between leading and trailing blanks and tabs, as Latin-1 bytes;
// nullopt when it holds anything outside ASCII (never part of a number).
std::optional<QByteArray> Core(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    QByteArray out;
    out.reserve(end - begin);
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t c = text[i].unicode();
        if (c > 0x7f)
            return std::nullopt;
        out.append(static_cast<char>(c));
    }
    return out;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// [+-]? digits+ ( '.' digits* )? ( [eE] [+-]? digits+ )?
bool MatchesDecimal(const QByteArray &s)
{
    qsizetype i = 0;
    const qsizetype n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    const qsizetype intStart = i;
    while (i < n && IsDigit(s[i]))
        ++i;
    if (i == intStart)
        return false;
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && IsDigit(s[i]))
            ++i;
    }
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        const qsizetype expStart = i;
        while (i < n && IsDigit(s[i]))
            ++i;
        if (i == expStart)
            return false;
    }
    return i == n;
}

} // namespace

std::optional<double> ParseDoubleText(QStringView text)
{
    const auto core = Core(text);
    if (!core)
        return std::nullopt;
    if (core->isEmpty())
        return 0.0;
    if (!MatchesDecimal(*core))
        return std::nullopt;
    // from_chars takes no leading '+'.
    const char *first = core->constData();
    const char *last = first + core->size();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || !std::isfinite(value))
        return std::nullopt;
    if (value == 0 && core->at(0) != '0')
        return std::nullopt;
    return value;
}

std::optional<qint32> ParseLongText(QStringView text)
{
    const auto core = Core(text);
    if (!core)
        return std::nullopt;
    if (core->isEmpty())
        return 0;
    const char *first = core->constData();
    const char *last = first + core->size();
    const char *digits = (*first == '+' || *first == '-') ? first + 1 : first;
    if (digits == last || !std::all_of(digits, last, IsDigit))
        return std::nullopt;
    if (*first == '+')
        ++first;
    qint32 value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, 10);
    if (ec != std::errc() || ptr != last)
        return std::nullopt;
    return value;
}

QString FormatDouble(double value)
{
    return QString::number(value, 'g', 15);
}

QString FormatLong(qint32 value)
{
    return QString::number(value);
}

QString RequiredDouble(QStringView text, const QString &name, bool required, double &value)
{
    if (const auto parsed = ParseDoubleText(text)) {
        value = *parsed;
        return {};
    }
    return required ? QStringLiteral("Required Field: \"%1\" (numbers only)").arg(name)
                    : QStringLiteral("\"%1\" (numbers only)").arg(name);
}

QString RequiredLong(QStringView text, const QString &name, bool required, qint32 &value)
{
    if (const auto parsed = ParseLongText(text)) {
        value = *parsed;
        return {};
    }
    return required ? QStringLiteral("Required Field: \"%1\" (numbers only)").arg(name)
                    : QStringLiteral("\"%1\" (whole numbers only)").arg(name);
}

QString MustBeSelected(const QString &name, bool orEntered, const QString &text)
{
    if (!text.isEmpty() && !text.startsWith(u'-'))
        return {};
    return orEntered ? QStringLiteral("\"%1\" must be selected or entered.").arg(name)
                     : QStringLiteral("\"%1\" must be selected.").arg(name);
}

QString MustBeEntered(const QString &name, const QString &text)
{
    if (!text.isEmpty())
        return {};
    return QStringLiteral("\"%1\" must be entered.").arg(name);
}

QString GreaterThanZeroDouble(const QString &name, double value)
{
    if (value > 0)
        return {};
    return QStringLiteral("\"%1\" must be entered and greater than 0.").arg(name);
}

QString GreaterThanZeroLong(const QString &name, qint32 value)
{
    if (value > 0)
        return {};
    return QStringLiteral("\"%1\" must be entered and greater than 0.").arg(name);
}

} // namespace FieldValidation
