#pragma once

#include <QByteArray>
#include <QString>

#include <libxml/tree.h>

#include <memory>

struct _xsltStylesheet;

// Helpers shared by every layer; no state. The number and text helpers may be
// called from any thread and never depend on the C locale: numbers are read
// and written with '.' as the decimal point whatever LC_NUMERIC says.
class Utils
{
public:
    virtual ~Utils() = default;

    // --- numbers and money ------------------------------------------------------
    // The text's leading decimal number (blanks and a sign allowed before it), 0
    // when none; saturates at the 32-bit bounds.
    static int StrToInt(const QString &text);
    // The text's leading floating-point number, 0 when none or not finite.
    static double StrToDouble(const QString &text);
    static int CompareNumbers(const QString &a, const QString &b);
    // 0 for "" and "0", else StrToInt capped at 5.
    static int StrToRating(const QString &text);
    // True when the trimmed text holds only the digits 0-9 (so "" and "  " are numeric).
    static bool IsNumeric(const QString &text);
    // "1,234,567.89": fixed decimals, "," between thousands; NaN, infinities and
    // values below the smallest normal double print as 0.
    static QString FormatNumber(double value, int decimals);
    // FormatNumber with "$" in front of the digits: "$1,234.50", "-$1,234.50".
    static QString FormatMoney(double value, int decimals);
    // Re-formats a money text a member typed ("$1,234" or "1234.5").
    static QString NormalizeMoney(const QString &text, int decimals);

    // --- texts ------------------------------------------------------------------
    // UTF-8 bytes as text, a leading U+FEFF kept (QString::fromUtf8 takes it
    // for a byte-order mark and drops it). size -1: up to the first zero.
    static QString FromUtf8Text(const char *bytes, qsizetype size = -1);
    // Doubles every single quote (for the rare SQL literal that is not a bound parameter).
    static QString EscapeSqlQuotes(const QString &text);
    // Every bare LF becomes CR LF; CR LF pairs stay.
    static QString ToCrLf(const QString &text);
    // Prefixes "http://" unless the text already starts with "http://" or
    // "https://" in any letter case; an empty text stays empty.
    static QString AddHttpPrefix(const QString &url);

    // --- version, time, random ------------------------------------------------------
    // "3.1.52": major.minor and the build of the program; "." when unknown.
    static QString GetClientVersion();
    static QString GetCurrentYear();
    // Eight characters '0'..'8' (never '9'). The generator is seeded by the
    // system, so the reseed flag has nothing left to do and is kept for callers.
    static QString GenerateRandomDigits(bool reseed = false);

    // --- XSL ----------------------------------------------------------------------
    // Renders an XML document (as text) with the style sheet GetXslFolder()/sheetName,
    // passing the parameter "xsl-path" (the style sheet folder). Sheets are compiled
    // once and reused while the file is unchanged. Sheets may read local files but
    // never write files, create folders or reach the network. On any error the
    // member sees a box captioned "Error of XSL transformation" and the result is
    // empty.
    static QString TransformXml(const QByteArray &xmlText, const QString &sheetName);
    // The same for a parsed document; the document is not changed.
    static QString TransformXml(xmlDocPtr document, const QString &sheetName);
    // Drops the compiled sheets (tests; a changed file is recompiled anyway).
    static void ClearXslCache();
    // The loader and the runner under TransformXml, for callers that keep their
    // own sheets. LoadXslSheet gives null and the reason when the file is missing
    // or not a sheet; fresh compiles the file again even when it is unchanged.
    // ApplyXslSheet gives the output, or an empty text and the reason. Neither
    // shows a box.
    using XslSheet = std::shared_ptr<_xsltStylesheet>;
    static XslSheet LoadXslSheet(const QString &path, QString *error, bool fresh = false);
    static QString ApplyXslSheet(const XslSheet &sheet, xmlDocPtr document, QString *error);
};
