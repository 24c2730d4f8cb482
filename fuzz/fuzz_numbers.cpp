// The strict number parser of the edit fields and the money helpers: a
// number that was read prints and reads back to itself; a money text, once
// normalised, stays as it is.

#include "FuzzCheck.h"

#include "app/Utils.h"
#include "dialogs/FieldValidation.h"

#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzBytes(data, size);
    const QString text = QString::fromUtf8(bytes);

    if (const auto value = FieldValidation::ParseDoubleText(text)) {
        FUZZ_CHECK(std::isfinite(*value), Escaped(text));
        const QString printed = FieldValidation::FormatDouble(*value);
        const auto again = FieldValidation::ParseDoubleText(printed);
        FUZZ_CHECK(again.has_value(), Escaped(text) + " -> " + printed);
        FUZZ_CHECK(*again == *value || std::fabs(*again - *value) <= std::fabs(*value) * 1e-14,
                   Escaped(text) + " -> " + printed);
    }
    if (const auto value = FieldValidation::ParseLongText(text)) {
        const QString printed = FieldValidation::FormatLong(*value);
        FUZZ_CHECK(FieldValidation::ParseLongText(printed) == value, Escaped(text) + " -> " + printed);
    }

    for (int decimals = 0; decimals <= 4; ++decimals) {
        const QString normal = Utils::NormalizeMoney(text, decimals);
        FUZZ_CHECK(Utils::NormalizeMoney(normal, decimals) == normal, Escaped(text) + " -> " + normal);
    }
    if (bytes.size() >= 9) {
        double value;
        std::memcpy(&value, bytes.constData(), sizeof value);
        const int decimals = uint8_t(bytes[8]) % 5;
        const QString money = Utils::FormatMoney(value, decimals);
        FUZZ_CHECK(Utils::NormalizeMoney(money, decimals) == money, money);
        FUZZ_CHECK(!money.isEmpty(), money);
        Utils::FormatNumber(value, decimals);
    }
    return 0;
}
