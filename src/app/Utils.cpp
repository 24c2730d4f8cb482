#include "Utils.h"

#include "AppCore.h"
#include "Interfaces.h"
#include "XVersionInfo.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringDecoder>

#include <libexslt/exslt.h>
#include <libxml/parser.h>
#include <libxslt/security.h>
#include <libxslt/imports.h>
#include <libxslt/transform.h>
#include <libxslt/variables.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cfloat>
#include <charconv>
#include <climits>
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

namespace {

bool IsSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

} // namespace

// --- numbers and money ------------------------------------------------------------

int Utils::StrToInt(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;  // saturated; keep reading the digits
    }
    if (negative)
        return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

double Utils::StrToDouble(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const char *p = bytes.constData();
    const char *end = p + bytes.size();
    while (p < end && (*p == ' ' || (*p >= '\t' && *p <= '\r')))
        ++p;
    if (p < end && *p == '+') {
        ++p;
        if (p < end && *p == '-')
            return 0.0;
    }
    double value = 0.0;
    const auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0.0;
    return value;
}

int Utils::CompareNumbers(const QString &a, const QString &b)
{
    const int x = StrToInt(a);
    const int y = StrToInt(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

int Utils::StrToRating(const QString &text)
{
    if (text.isEmpty() || text == u"0")
        return 0;
    const int value = StrToInt(text);
    return value > 5 ? 5 : value;
}

bool Utils::IsNumeric(const QString &text)
{
    const QString trimmed = text.trimmed();
    for (const QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

QString Utils::FormatNumber(double value, int decimals)
{
    if (decimals < 0)
        decimals = 0;
    // Beyond this every digit of a normal double is already zero.
    if (decimals > 340)
        decimals = 340;
    const double magnitude = std::fabs(value);
    if (!std::isfinite(value) || magnitude > DBL_MAX || magnitude < DBL_MIN)
        value = 0.0;

    // C-locale fixed notation, like "%.*f" in the "C" locale.
    std::vector<char> buffer(size_t(DBL_MAX_10_EXP + decimals + 8));
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, decimals);
    const QString printed = QString::fromLatin1(buffer.data(), result.ptr - buffer.data());

    QString integer = printed;
    QString fraction;
    if (decimals > 0) {
        const qsizetype dot = printed.indexOf(u'.');
        integer = dot >= 0 ? printed.left(dot) : printed;
        fraction = printed.right(decimals);
    }
    bool negative = false;
    if (!integer.isEmpty() && !integer[0].isDigit()) {
        integer.remove(0, 1);
        // An amount that rounds to zero prints as zero, never "-0".
        const auto nonZero = [](const QString &digits) {
            return std::any_of(digits.cbegin(), digits.cend(), [](QChar c) { return c != u'0'; });
        };
        negative = nonZero(integer) || nonZero(fraction);
    }
    if (integer.size() >= 4) {
        for (qsizetype pos = integer.size() - 3; pos > 0; pos -= 3)
            integer.insert(pos, u',');
    }
    QString text = negative ? u'-' + integer : integer;
    if (decimals > 0)
        text += u'.' + fraction;
    return text;
}

QString Utils::FormatMoney(double value, int decimals)
{
    QString text = FormatNumber(value, decimals);
    // Decided on the printed text: a tiny negative value that prints as 0 has no sign.
    text.insert(text.startsWith(u'-') ? 1 : 0, u'$');
    return text;
}

QString Utils::NormalizeMoney(const QString &text, int decimals)
{
    QString money = text;
    qsizetype start = 0;
    while (start < money.size() && IsSpace(money[start]))
        ++start;
    money.remove(0, start);
    if (!money.isEmpty()) {
        if (money.startsWith(u'$'))
            money.remove(0, 1);
        else if (money.startsWith(u"-$"))
            money.remove(1, 1);  // what FormatMoney writes for a negative amount
        money.remove(u',');
    }
    return FormatMoney(StrToDouble(money), decimals);
}

// --- texts ---------------------------------------------------------------------------

QString Utils::EscapeSqlQuotes(const QString &text)
{
    QString out = text;
    out.replace(u'\'', QStringLiteral("''"));
    return out;
}

QString Utils::ToCrLf(const QString &text)
{
    QString out;
    out.reserve(text.size() + text.count(u'\n'));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            out += u'\r';
        out += text[i];
    }
    return out;
}

QString Utils::AddHttpPrefix(const QString &url)
{
    if (url.isEmpty() || url.startsWith(u"http://", Qt::CaseInsensitive)
        || url.startsWith(u"https://", Qt::CaseInsensitive))
        return url;
    return QStringLiteral("http://") + url;
}

// --- version, time, random ----------------------------------------------------------

QString Utils::GetClientVersion()
{
    XVersionInfo info;
    info.Open();
    return info.GetProductVersion() + u'.' + info.GetProductBuild();
}

QString Utils::GetCurrentYear()
{
    const QDate today = QDate::currentDate();
    return today.isValid() ? QString::number(today.year()) : QStringLiteral("0");
}

QString Utils::GenerateRandomDigits(bool reseed)
{
    Q_UNUSED(reseed);
    QString digits;
    for (int i = 0; i < 8; ++i)
        digits += QChar(u'0' + QRandomGenerator::global()->bounded(9));
    return digits;
}

// --- XSL -------------------------------------------------------------------------------

namespace {

constexpr char kXslErrorCaption[] = "Error of XSL transformation";

// libxml2 and libxslt report through printf-like callbacks. The texts of the
// current thread's transformation go to its own sink; anything else keeps
// going to stderr as before.
thread_local QByteArray *t_errorSink = nullptr;

void CollectError(void *, const char *format, ...)
{
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (t_errorSink)
        t_errorSink->append(text);
    else
        std::fputs(text, stderr);
}

class ErrorScope
{
public:
    ErrorScope() : m_previous(t_errorSink)
    {
        t_errorSink = &errors;
        // libxml2's generic handler is per thread.
        m_savedFunc = xmlGenericError;
        m_savedContext = xmlGenericErrorContext;
        xmlSetGenericErrorFunc(nullptr, &CollectError);
    }
    ~ErrorScope()
    {
        xmlSetGenericErrorFunc(m_savedContext, m_savedFunc);
        t_errorSink = m_previous;
    }
    ErrorScope(const ErrorScope &) = delete;
    ErrorScope &operator=(const ErrorScope &) = delete;

    QString Text() const { return QString::fromUtf8(errors).trimmed(); }
    QByteArray errors;

private:
    QByteArray *m_previous;
    xmlGenericErrorFunc m_savedFunc;
    void *m_savedContext;
};

struct XslGlobals
{
    XslGlobals()
    {
        xmlInitParser();
        xsltInit();
        // The EXSLT functions (str:encode-uri and the rest) for every sheet.
        exsltRegisterAll();
        xsltSetGenericErrorFunc(nullptr, &CollectError);
        security = xsltNewSecurityPrefs();
        xsltSetSecurityPrefs(security, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
        xsltSetSecurityPrefs(security, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
        xsltSetSecurityPrefs(security, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
        xsltSetSecurityPrefs(security, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
    }
    ~XslGlobals() { xsltFreeSecurityPrefs(security); }

    // A failed load is kept too, with its reason, so that a missing or broken
    // file is neither read nor reported again until it changes.
    struct Sheet
    {
        bool exists = false;
        QDateTime modified;
        qint64 size = -1;
        std::shared_ptr<xsltStylesheet> style;
        QString error;
    };

    xsltSecurityPrefsPtr security = nullptr;
    QMutex mutex;
    QHash<QString, Sheet> sheets;
};

XslGlobals &Xsl()
{
    static XslGlobals globals;
    return globals;
}

// The compiled sheet of the file, compiled again when the file has changed
// or when the caller asks for a fresh read. A failure is remembered until the
// file changes; *known tells that it was met before.
std::shared_ptr<xsltStylesheet> LoadSheet(const QString &path, QString &error, bool fresh, bool *known = nullptr)
{
    XslGlobals &g = Xsl();
    const QFileInfo info(path);
    QMutexLocker lock(&g.mutex);
    const auto found = g.sheets.constFind(path);
    if (!fresh && found != g.sheets.constEnd() && found->exists == info.exists()
        && found->modified == info.lastModified() && found->size == info.size()) {
        if (!found->style) {
            error = found->error;
            if (known)
                *known = true;
        }
        return found->style;
    }
    const auto failed = [&](const QString &reason) {
        error = reason;
        g.sheets.insert(path, {info.exists(), info.lastModified(), info.size(), nullptr, reason});
        return nullptr;
    };
    if (!info.exists())
        return failed(QStringLiteral("Cannot load %1").arg(path));

    ErrorScope scope;
    xmlParserCtxtPtr parser = xmlNewParserCtxt();
    if (!parser) {
        error = QStringLiteral("Out of memory.");
        return nullptr;
    }
    xmlDocPtr doc = xmlCtxtReadFile(parser, QFile::encodeName(path).constData(), nullptr, XML_PARSE_NONET);
    if (!doc) {
        const xmlError *e = xmlCtxtGetLastError(parser);
        QString reason = e && e->message ? QString::fromUtf8(e->message).trimmed() : scope.Text();
        if (reason.isEmpty())
            reason = QStringLiteral("Cannot load %1").arg(path);
        xmlFreeParserCtxt(parser);
        return failed(reason);
    }
    xmlFreeParserCtxt(parser);
    xsltStylesheetPtr style = xsltParseStylesheetDoc(doc);  // owns doc on success
    if (!style || style->errors > 0) {
        if (style)
            xsltFreeStylesheet(style);
        else
            xmlFreeDoc(doc);
        QString reason = scope.Text();
        if (reason.isEmpty())
            reason = QStringLiteral("Invalid style sheet %1").arg(path);
        return failed(reason);
    }
    std::shared_ptr<xsltStylesheet> shared(style, &xsltFreeStylesheet);
    g.sheets.insert(path, {true, info.lastModified(), info.size(), shared, QString()});
    return shared;
}

QString DecodeOutput(const xmlChar *bytes, int size, xsltStylesheetPtr style)
{
    const auto *data = reinterpret_cast<const char *>(bytes);
    const xmlChar *encoding = nullptr;
    XSLT_GET_IMPORT_PTR(encoding, style, encoding);
    if (encoding && xmlStrcasecmp(encoding, BAD_CAST "UTF-8") != 0) {
        QStringDecoder decoder(reinterpret_cast<const char *>(encoding));
        if (decoder.isValid())
            return decoder.decode(QByteArrayView(data, size));
    }
    return QString::fromUtf8(data, size);
}

QString Fail(const QString &text)
{
    if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(text, QString::fromLatin1(kXslErrorCaption), MsgBox::IconError);
    return QString();
}

} // namespace

QString Utils::TransformXml(const QByteArray &xmlText, const QString &sheetName)
{
    Xsl();
    QString parseError;
    xmlDocPtr doc = nullptr;
    {
        ErrorScope scope;
        xmlParserCtxtPtr parser = xmlNewParserCtxt();
        if (parser) {
            // Server text: no network, no external entities, no DTD loading.
            doc = xmlCtxtReadMemory(parser, xmlText.constData(), int(qMin<qsizetype>(xmlText.size(), INT_MAX)),
                                    nullptr, nullptr, XML_PARSE_NONET);
            if (!doc) {
                const xmlError *e = xmlCtxtGetLastError(parser);
                parseError = e && e->message ? QString::fromUtf8(e->message).trimmed() : scope.Text();
            }
            xmlFreeParserCtxt(parser);
        }
    }
    if (!doc)
        return Fail(parseError.isEmpty() ? QStringLiteral("The document is not well-formed XML.") : parseError);
    const QString result = TransformXml(doc, sheetName);
    xmlFreeDoc(doc);
    return result;
}

QString Utils::TransformXml(xmlDocPtr document, const QString &sheetName)
{
    if (!document)
        return Fail(QStringLiteral("No document to transform."));
    AppCore *app = theAppIfAny();
    const QString path = (app ? app->GetXslFolder() : QString()) + u'/' + sheetName;
    QString error;
    bool known = false;
    const XslSheet style = LoadSheet(path, error, false, &known);
    if (!style)
        return known ? QString() : Fail(error);
    const QString text = ApplyXslSheet(style, document, &error);
    if (!error.isEmpty())
        return Fail(error);
    return text;
}

Utils::XslSheet Utils::LoadXslSheet(const QString &path, QString *error, bool fresh)
{
    QString reason;
    XslSheet style = LoadSheet(path, reason, fresh);
    if (error)
        *error = reason;
    return style;
}

QString Utils::ApplyXslSheet(const XslSheet &style, xmlDocPtr document, QString *error)
{
    XslGlobals &g = Xsl();
    QString failure;
    QString text;
    if (!style || !document) {
        failure = QStringLiteral("No document to transform.");
    } else {
        ErrorScope scope;
        AppCore *app = theAppIfAny();
        const QString folder = app ? app->GetXslFolder() : QString();
        // xsl:strip-space edits the source in place: work on a copy then.
        xmlDocPtr input = document;
        if (style->stripSpaces)
            input = xmlCopyDoc(document, 1);
        xsltTransformContextPtr ctxt = input ? xsltNewTransformContext(style.get(), input) : nullptr;
        if (ctxt) {
            xsltSetCtxtSecurityPrefs(g.security, ctxt);
            xsltSetTransformErrorFunc(ctxt, nullptr, &CollectError);
            xsltSetCtxtParseOptions(ctxt, XSLT_PARSE_OPTIONS | XML_PARSE_NONET);
            const QByteArray folderUtf8 = folder.toUtf8();
            bool ok = xsltQuoteOneUserParam(ctxt, BAD_CAST "xsl-path", BAD_CAST folderUtf8.constData()) == 0;
            xmlDocPtr result = ok ? xsltApplyStylesheetUser(style.get(), input, nullptr, nullptr, nullptr, ctxt) : nullptr;
            ok = result && ctxt->state == XSLT_STATE_OK;
            if (ok) {
                xmlChar *bytes = nullptr;
                int size = 0;
                if (xsltSaveResultToString(&bytes, &size, result, style.get()) == 0) {
                    if (bytes)
                        text = DecodeOutput(bytes, size, style.get());
                } else {
                    ok = false;
                }
                xmlFree(bytes);
            }
            if (result)
                xmlFreeDoc(result);
            xsltFreeTransformContext(ctxt);
            if (!ok)
                failure = scope.Text().isEmpty() ? QStringLiteral("The transformation failed.") : scope.Text();
        } else {
            failure = QStringLiteral("Out of memory.");
        }
        if (input && input != document)
            xmlFreeDoc(input);
    }
    if (error)
        *error = failure;
    return failure.isEmpty() ? text : QString();
}

void Utils::ClearXslCache()
{
    XslGlobals &g = Xsl();
    QMutexLocker lock(&g.mutex);
    g.sheets.clear();
}

QString Utils::FromUtf8Text(const char *bytes, qsizetype size)
{
    if (!bytes)
        return {};
    if (size < 0)
        size = qsizetype(qstrlen(bytes));
    if (size >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF') {
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        return decoder(QByteArrayView(bytes, size));
    }
    return QString::fromUtf8(bytes, size);
}
