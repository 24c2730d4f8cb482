#pragma once

// The checks behind the edit fields of the forms, free of widgets so they can
// be tested and reused. Each check answers an empty text on success and the
// "Validation Error" message on failure; DataExchange.h binds them to widgets.

#include <QString>
#include <QStringView>

#include <optional>

namespace FieldValidation {

// A decimal number: the whole text, with blanks and tabs allowed around it;
// an empty (or blank) text is 0. Digits are required before the point, so
// ".5" is refused; "-0" and "+0" are refused as well (a zero that does not
// start with the digit 0). Locale-free ('.' only, no group separators), finite
// values only.
std::optional<double> ParseDoubleText(QStringView text);
// A whole number in the 32-bit range, same blank rules, base 10.
std::optional<qint32> ParseLongText(QStringView text);

// The texts a number field shows when it is filled.
QString FormatDouble(double value);
QString FormatLong(qint32 value);

// On success the parsed value is stored and an empty text returned; on
// failure the value is left alone and the message returned.
QString RequiredDouble(QStringView text, const QString &name, bool required, double &value);
QString RequiredLong(QStringView text, const QString &name, bool required, qint32 &value);
// Fails on an empty text and on a text starting with '-' (the combo boxes'
// placeholder items, "-- Select Business Type --").
QString MustBeSelected(const QString &name, bool orEntered, const QString &text);
QString MustBeEntered(const QString &name, const QString &text);
QString GreaterThanZeroDouble(const QString &name, double value);
QString GreaterThanZeroLong(const QString &name, qint32 value);

} // namespace FieldValidation
