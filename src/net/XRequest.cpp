#include "XRequest.h"

#include "app/WaitCursor.h"

#include "NetInit.h"
#include "ReloginThread.h"
#include "app/AppCore.h"
#include "app/ThreadWait.h"
#include "app/Utils.h"
#include "app/XSettings.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <utility>
#include <vector>

namespace {

std::atomic<int> g_defaultConnectMs{30000};
// A trickling answer keeps the low-speed abort away: this bounds it.
std::atomic<int> g_defaultTotalMs{120000};
std::atomic<int> g_lowSpeedSeconds{60};
std::atomic<bool> g_cancelAll{false};

// What the log keeps of a long server text.
constexpr int MaxLoggedChars = 64 * 1024;

// A text as a status bar or box shows it: at most MaxShownChars characters.
QString Shown(const QString &text, int maxChars = XRequest::MaxShownChars)
{
    const QString cut = CutToChars(text, maxChars);
    return cut.size() < text.size() ? cut + QStringLiteral("...") : cut;
}

// What a member reads for a failed transfer; empty where curl's own text is clear enough.
QString TransferFaultText(CURLcode rc)
{
    switch (rc) {
    case CURLE_ABORTED_BY_CALLBACK:
        return XRequest::CancelledText();
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("The server did not answer in time.");
    case CURLE_PARTIAL_FILE:
        return QStringLiteral("The connection was closed before the whole answer arrived.");
    case CURLE_GOT_NOTHING:
        return QStringLiteral("The server closed the connection without an answer.");
    case CURLE_TOO_MANY_REDIRECTS:
        return QStringLiteral("The server sent the request on to other addresses too many times.");
    case CURLE_UNSUPPORTED_PROTOCOL:
        return QStringLiteral("The server sent the request on to an address that is not a web address.");
    case CURLE_RECV_ERROR:
        return QStringLiteral("The connection was broken while the server answered.");
    default:
        return {};
    }
}

// Failures after the server was reached: no network advice would help.
bool ReachedServer(CURLcode rc, bool connected)
{
    switch (rc) {
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_RECV_ERROR:
    case CURLE_ABORTED_BY_CALLBACK:  // the member's or the exit's choice
        return true;
    case CURLE_OPERATION_TIMEDOUT:
        return connected;
    default:
        return false;
    }
}

// An HTML page where the answer's XML was expected (a proxy's or a web
// server's error page).
bool IsWebPage(const QByteArray &body)
{
    const QByteArray head = body.left(512).trimmed().toLower();
    return head.startsWith("<!doctype html") || head.startsWith("<html") ||
           (head.startsWith("<?xml") && head.contains("<html"));
}

// The transfers running now, so that exit can end them all at once.
struct InFlight
{
    QMutex mutex;
    QSet<XRequest *> requests;
};
// Never destroyed: a global torn down at exit may still cancel through it.
InFlight &TheInFlight()
{
    static InFlight *f = new InFlight;
    return *f;
}

AppCore *App()
{
    return theAppIfAny();
}

void Log(const QString &message, const QString &context, int level)
{
    if (AppCore *app = App())
        app->WriteLog(message, context, level);
}

void StatusBar(const QString &text)
{
    if (AppCore *app = App())
        app->SetStatusText(text);
}

QString DefaultUrl()
{
    if (XSettings *s = theSettingsIfAny()) {
        const QString url = s->GetString(Setting::ServerURL);
        if (!url.isEmpty())
            return url;
    }
    return QString::fromLatin1(DefaultServerUrl);
}


// Re-logins started by SendWithRelogin, shared by all threads: one runs at a
// time, and a thread that finds the session renewed while it waited uses the
// new session instead of logging in again.
struct Relogin
{
    std::mutex mutex;  // standard, so ThreadSanitizer sees the waits
    std::condition_variable done;
    bool running = false;
};
Relogin &TheRelogin()
{
    static Relogin r;
    return r;
}

// A login that itself runs a request which finds its session expired must not
// start another login on the same thread.
thread_local int t_reloginDepth = 0;

} // namespace

struct XRequestCurl
{
    struct Answer
    {
        QByteArray &data;
        CURL *curl = nullptr;
        bool tooLarge = false;
    };

    static size_t Write(char *data, size_t size, size_t count, void *user)
    {
        auto *answer = static_cast<Answer *>(user);
        const size_t n = size * count;
        if (answer->data.size() + qsizetype(n) > XRequest::MaxAnswerBytes) {
            answer->tooLarge = true;
            return 0;
        }
        // A declared length is room taken once, not a buffer doubled as it fills.
        curl_off_t length = -1;
        if (answer->data.isEmpty() && answer->curl &&
            curl_easy_getinfo(answer->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
            length > qsizetype(n) && length <= XRequest::MaxAnswerBytes)
            answer->data.reserve(qsizetype(length));
        answer->data.append(data, qsizetype(n));
        return n;
    }

    static size_t Header(char *data, size_t size, size_t count, void *user)
    {
        auto *r = static_cast<XRequest *>(user);
        const size_t n = size * count;
        const QByteArray line = QByteArray(data, qsizetype(n)).trimmed();
        if (line.startsWith("HTTP/")) {
            // "HTTP/1.1 500 Internal Server Error": the last status line wins (redirects).
            const qsizetype sp1 = line.indexOf(' ');
            const qsizetype sp2 = sp1 < 0 ? -1 : line.indexOf(' ', sp1 + 1);
            r->m_httpReason = sp2 < 0 ? QString() : QString::fromLatin1(line.mid(sp2 + 1));
        }
        return n;
    }

    static size_t ReadBody(char *buffer, size_t size, size_t count, void *user)
    {
        return size_t(static_cast<XmlReadStream *>(user)->Read(buffer, qint64(size * count)));
    }

    static int SeekBody(void *user, curl_off_t offset, int origin)
    {
        if (origin != SEEK_SET)
            return CURL_SEEKFUNC_CANTSEEK;
        return static_cast<XmlReadStream *>(user)->Seek(qint64(offset)) ? CURL_SEEKFUNC_OK : CURL_SEEKFUNC_FAIL;
    }

    static int Progress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded)
    {
        auto *r = static_cast<XRequest *>(user);
        if (uploaded > 0)
            r->m_bodySent = true;
        return (r->m_cancel.load() || g_cancelAll.load()) ? 1 : 0;
    }
};

XRequest::XRequest(const QString &operation, const QString &url)
    : m_operation(operation)
    , m_url(url.isEmpty() ? DefaultUrl() : url)
    , m_connectTimeoutMs(g_defaultConnectMs.load())
    , m_totalTimeoutMs(g_defaultTotalMs.load())
{
    NetInit::Ensure();
    m_request = XmlDoc::Create(QStringLiteral("kv_request"));
    XmlNode root = m_request.Root();
    root.SetAttr(QStringLiteral("version"), QStringLiteral("2.5"));
    root.SetAttr(QStringLiteral("operation"), operation);
    AppCore *app = App();
    root.SetAttr(QStringLiteral("features"), app ? app->Features() : QString());
    // Present from the start so that it keeps its place; filled just before sending.
    root.SetAttr(QStringLiteral("session_id"), QString());
}

XRequest::~XRequest() = default;

XmlNode XRequest::AddParam(const QString &name, const QString &value)
{
    return m_request.Root().AddChild(name, value);
}

void XRequest::SetTimeouts(int connectMs, int totalMs)
{
    if (connectMs > 0)
        m_connectTimeoutMs = connectMs;
    if (totalMs > 0)
        m_totalTimeoutMs = totalMs;
}

void XRequest::SetDefaultTimeouts(int connectMs, int totalMs)
{
    g_defaultConnectMs.store(connectMs);
    g_defaultTotalMs.store(totalMs);
}

void XRequest::SetLowSpeedTime(int seconds)
{
    g_lowSpeedSeconds.store(seconds);
}

void XRequest::CancelAll(bool on)
{
    g_cancelAll.store(on);
}

bool XRequest::IsCancelAll()
{
    return g_cancelAll.load();
}

int XRequest::CancelInFlight()
{
    InFlight &f = TheInFlight();
    QMutexLocker lock(&f.mutex);
    for (XRequest *r : std::as_const(f.requests))
        r->Cancel();
    return int(f.requests.size());
}

QString XRequest::NetworkErrorText(const QString &description)
{
    if (description.isEmpty())
        return QStringLiteral("Korvant cannot connect to the network.  Please make sure you are connected to the "
                              "Internet and are able to browse the WEB using Microsoft Internet Explorer.");
    return QStringLiteral("Korvant cannot connect to the network. ") + description +
           QStringLiteral(" Please make sure you are connected to the Internet and are able to browse the WEB using "
                          "Microsoft Internet Explorer.");
}

void XRequest::MakeWhole() const
{
    if (m_listParts.isEmpty() || !m_wholeOnRequest)
        return;
    XmlDoc whole = XmlDoc::Parse(m_responseBody);
    if (whole.IsNull())
        return;
    m_response = whole;
    m_listParts.clear();
    m_listDoc = XmlDoc();
    m_listIndex = -1;
}

XmlNode XRequest::GetResponseRoot() const
{
    MakeWhole();
    return m_response.Root();
}

const XmlDoc &XRequest::GetResponseDocument() const
{
    MakeWhole();
    return m_response;
}

QString XRequest::GetResponseText(const QString &path) const
{
    for (const XmlDoc::Part &p : std::as_const(m_listParts)) {
        if (path.section(u'/', 0, 0) == p.name) {
            MakeWhole();
            break;
        }
    }
    return GetChildText(m_response.Root(), path);
}

XmlNode XRequest::GetResponseNode(const QString &path) const
{
    // A search from the root ("//profile") may need any part of the answer.
    if (path.startsWith(u'/'))
        MakeWhole();
    if (!m_listParts.isEmpty()) {
        const qsizetype slash = path.indexOf(u'/');
        const QString first = slash < 0 ? path : path.left(slash);
        for (qsizetype i = 0; i < m_listParts.size(); ++i) {
            if (m_listParts[i].name != first)
                continue;
            if (m_listIndex != i) {
                m_listDoc = XmlDoc();  // one list's tree at a time
                const XmlDoc::Part &p = m_listParts[i];
                m_listDoc = XmlDoc::Parse(QByteArray::fromRawData(m_responseBody.constData() + p.offset, p.size));
                m_listIndex = i;
                if (m_listDoc.IsNull()) {
                    // Never a list lost: the whole answer is read instead.
                    m_listDoc = XmlDoc::Parse(m_responseBody);
                    m_listIndex = -2;
                }
            }
            if (m_listIndex == -2)
                return m_listDoc.Root().Select(path);
            const XmlNode list = m_listDoc.Root();
            return slash < 0 ? list : list.Select(path.mid(slash + 1));
        }
    }
    return m_response.Root().Select(path);
}

namespace {

// A list's items are parsed a run at a time, as the children of one element
// made up around them: one parse of a few kilobytes of items costs about half
// of parsing each on its own, and the run's tree stays small.
constexpr qsizetype ItemRunBytes = 4 * 1024;

class ItemRuns
{
public:
    ItemRuns(const char *text, const QString &list, const QString &item) : m_text(text), m_list(list), m_item(item) {}

    // Whether the item still fits the run begun with `bytes` of items.
    static bool Fits(qsizetype bytes, const XmlDoc::Part &p) { return bytes == 0 || bytes + p.size <= ItemRunBytes; }

    // Parses the run's items (in their order in the text) and hands each over.
    void Read(const std::vector<const XmlDoc::Part *> &run, const std::function<void(const XmlNode &)> &each)
    {
        if (run.size() > 1) {
            m_run.resize(0);
            m_run.append("<r>");
            for (const XmlDoc::Part *p : run)
                m_run.append(m_text + p->offset, p->size);
            m_run.append("</r>");
            const XmlDoc doc = m_reader.Parse(m_run);
            const QList<XmlNode> items = doc.IsNull() ? QList<XmlNode>() : doc.Root().Children();
            if (items.size() == qsizetype(run.size())) {
                for (const XmlNode &node : items)
                    each(node);
                return;
            }
        }
        // One at a time, so the item that cannot be read ends the list after
        // the ones before it.
        for (const XmlDoc::Part *p : run)
            each(ReadOne(*p).Root());
    }

    XmlDoc ReadOne(const XmlDoc::Part &p)
    {
        XmlDoc one = m_reader.Parse(QByteArray::fromRawData(m_text + p.offset, p.size));
        if (one.IsNull())
            throw XmlError(QStringLiteral("Cannot read a %1 of the %2").arg(m_item, m_list));
        return one;
    }

private:
    const char *m_text;
    const QString &m_list;
    const QString &m_item;
    XmlDoc::Reader m_reader;
    QByteArray m_run;  // kept with its room from run to run
};

} // namespace

void XRequest::ForEachResponseItem(const QString &list, const QString &item,
                                   const std::function<void(const XmlNode &)> &each) const
{
    for (const XmlDoc::Part &part : m_listParts) {
        if (part.name != list)
            continue;
        // The items were found by the answer's own outline pass.
        if (part.children.empty())
            break;
        ItemRuns runs(m_responseBody.constData() + part.offset, list, item);
        std::vector<const XmlDoc::Part *> run;
        qsizetype bytes = 0;
        for (const XmlDoc::Part &p : part.children) {
            if (p.name != item)
                continue;
            if (!ItemRuns::Fits(bytes, p)) {
                runs.Read(run, each);
                run.clear();
                bytes = 0;
            }
            run.push_back(&p);
            bytes += p.size;
        }
        if (!run.empty())
            runs.Read(run, each);
        return;
    }
    const XmlNode listNode = GetResponseNode(list);
    if (listNode.IsNull())
        return;
    for (const XmlNode &node : listNode.SelectAll(item))
        each(node);
}

void XRequest::ForEachResponseItemBy(const QString &list, const QString &item,
                                     const std::function<XmlTime(const XmlNode &)> &key,
                                     const std::function<void(const XmlNode &)> &each) const
{
    for (const XmlDoc::Part &part : m_listParts) {
        if (part.name != list)
            continue;
        if (part.children.empty())
            break;
        ItemRuns runs(m_responseBody.constData() + part.offset, list, item);
        std::vector<const XmlDoc::Part *> items;
        for (const XmlDoc::Part &p : part.children) {
            if (p.name == item)
                items.push_back(&p);
        }
        // The keys first, read in runs of the text's order; then the items
        // in the keys' order, in runs where that order follows the text.
        std::vector<std::pair<XmlTime, size_t>> order;
        order.reserve(items.size());
        auto readRuns = [&](const std::vector<size_t> &indexes, const std::function<void(const XmlNode &)> &use) {
            std::vector<const XmlDoc::Part *> run;
            qsizetype bytes = 0;
            size_t last = 0;
            for (size_t i : indexes) {
                const XmlDoc::Part &p = *items[i];
                if (!run.empty() && (i != last + 1 || !ItemRuns::Fits(bytes, p))) {
                    runs.Read(run, use);
                    run.clear();
                    bytes = 0;
                }
                run.push_back(&p);
                bytes += p.size;
                last = i;
            }
            if (!run.empty())
                runs.Read(run, use);
        };
        std::vector<size_t> indexes(items.size());
        for (size_t i = 0; i < indexes.size(); ++i)
            indexes[i] = i;
        size_t next = 0;
        readRuns(indexes, [&](const XmlNode &node) {
            order.emplace_back(key(node), next);
            ++next;
        });
        std::stable_sort(order.begin(), order.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (size_t i = 0; i < order.size(); ++i)
            indexes[i] = order[i].second;
        readRuns(indexes, each);
        return;
    }
    const XmlNode listNode = GetResponseNode(list);
    if (listNode.IsNull())
        return;
    std::vector<std::pair<XmlTime, XmlNode>> order;
    for (const XmlNode &node : listNode.SelectAll(item))
        order.emplace_back(key(node), node);
    std::stable_sort(order.begin(), order.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &entry : order)
        each(entry.second);
}

XmlTime XRequest::GetResponseDate(const QString &path) const
{
    for (const XmlDoc::Part &p : std::as_const(m_listParts)) {
        if (path.section(u'/', 0, 0) == p.name) {
            MakeWhole();
            break;
        }
    }
    return GetChildDate(m_response.Root(), path);
}

bool XRequest::Send()
{
    WaitCursor cursor;
    // Never on the window's thread: it keeps answering while the exchange is on the wire.
    bool ok = false;
    RunOffMainThread([&] { ok = SendRequest(); });
    return ok;
}

void XRequest::Fail(const QString &statusText)
{
    m_resultCode = -1;
    SetStatusShown(statusText);
    StatusBar(QStringLiteral("Request error"));
}

// A server's text can be of any size: callers show the status text in the
// status bar and in boxes, so it is cut there and kept longer in the log.
void XRequest::SetStatusShown(const QString &text)
{
    m_statusText = Shown(text);
    Log(CutToChars(text, MaxLoggedChars), QStringLiteral("Request"), 4);
}

namespace {

const QString HiddenText = QStringLiteral("*****");

// A card number keeps its last four digits and its layout; anything else
// in its place (entities, CDATA) is hidden whole.
QString MaskCardNumber(const QString &text)
{
    static const QRegularExpression plain(QStringLiteral("^[0-9 -]*$"));
    if (!plain.match(text).hasMatch())
        return HiddenText;
    QString masked = text;
    int kept = 0;
    for (qsizetype i = masked.size() - 1; i >= 0; --i) {
        if (!masked[i].isDigit())
            continue;
        if (kept < 4)
            ++kept;
        else
            masked[i] = u'*';
    }
    return masked;
}

} // namespace

QString XRequest::MaskedValue(const QString &element, const QString &value)
{
    if (value.isEmpty())
        return value;
    return element == QLatin1String("cc_number") ? MaskCardNumber(value) : HiddenText;
}

QString XRequest::MaskSecrets(const QString &xml)
{
    static const QString names = QStringLiteral("password|cc_number|cc_v_number|cc_month|cc_year|payment_account");
    static const QRegularExpression quick(names);
    if (!quick.match(xml).hasMatch())
        return xml;
    static const QRegularExpression element(QStringLiteral("<(%1)(\\s[^>]*)?>((?:[^<]|<!\\[CDATA\\[[\\s\\S]*?\\]\\]>)*)</\\1\\s*>").arg(names));
    static const QRegularExpression attribute(QStringLiteral("(\\s(?:%1)\\s*=\\s*)(\"[^\"]*\"|'[^']*')").arg(names));
    QString out;
    out.reserve(xml.size());
    qsizetype from = 0;
    for (auto it = element.globalMatch(xml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString value = m.captured(3);
        out += QStringView(xml).mid(from, m.capturedStart(3) - from);
        out += MaskedValue(m.captured(1), value);
        from = m.capturedEnd(3);
    }
    out += QStringView(xml).mid(from);
    return out.replace(attribute, QStringLiteral("\\1\"") + HiddenText + u'"');
}

bool XRequest::SendRequest()
{
    m_statusText = QStringLiteral("Sending");
    StatusBar(QStringLiteral("Sending request ..."));
    AppCore *app = App();
    if (app && app->LogLevel() >= 5)
        Log(MaskSecrets(QString::fromUtf8(m_request.ToXml(false))), QStringLiteral("Sending Request"), 5);

    // The session id and its generation as one consistent pair.
    QString sessionId;
    if (app) {
        const Session &s = app->GetSession();
        quint64 before;
        do {
            before = s.Generation();
            sessionId = s.SessionId();
            m_sentGeneration = s.Generation();
        } while (before != m_sentGeneration);
    }
    m_request.Root().SetAttr(QStringLiteral("session_id"), sessionId);

    m_response = XmlDoc();
    m_listParts.clear();
    m_listDoc = XmlDoc();
    m_listIndex = -1;
    m_responseBody.clear();
    m_errorMessage.clear();
    m_httpReason.clear();
    m_httpStatus = 0;
    m_bodySent = false;

    QByteArray answer;
    {
        // A large text (a hot deal's page) goes out from the tree as it is
        // read: the body is never held beside it.
        XmlReadStream body(m_request.Root());
        if (!Transfer(body, answer))
            return false;
    }

    if (m_httpStatus != 200) {
        SetStatusShown(QStringLiteral("HTTP Error: %1 %2").arg(m_httpStatus).arg(m_httpReason));
        StatusBar(QStringLiteral("Request error"));
        return false;
    }

    m_responseBody = answer;
    QString parseError;
    // The trace writes the whole parsed answer: it gets it whole unless asked otherwise.
    const bool tracing = app && app->LogLevel() >= 5;
    const bool onDemand = m_listsOnDemand.value_or(!tracing);
    // Where the caller chose lists on demand, its other readers see the answer less them.
    m_wholeOnRequest = !m_listsOnDemand.has_value();
    m_response = onDemand ? XmlDoc::ParseOutline(answer, OnDemandListBytes, &m_listParts, &parseError)
                                 : XmlDoc::Parse(answer, &parseError);
    if (tracing) {
        Log(MaskSecrets(QString::fromUtf8(answer)), m_httpReason, 5);
        Log(MaskSecrets(QString::fromUtf8(m_response.ToXml(false))), m_httpReason, 5);
    }
    if (m_response.IsNull()) {
        // A broken answer is no answer: never read as a success.
        m_warningCode = 0;
        if (IsWebPage(answer)) {
            Log(parseError, QStringLiteral("Request"), 4);
            Fail(WebPageText());
            return false;
        }
        Fail(QStringLiteral("The server's answer is not valid XML (%1).").arg(Shown(parseError, 200)));
        return false;
    }

    const XmlNode root = m_response.Root();
    m_resultCode = ParseLeadingInt(root.Attr(QStringLiteral("result_code")));
    m_warningCode = ParseLeadingInt(root.Attr(QStringLiteral("warning_code")));
    if (m_resultCode == 0) {
        m_statusText = QStringLiteral("Complete");
        Log(QStringLiteral("Complete"), QStringLiteral("Request"), 4);
        StatusBar(QStringLiteral("Request complete"));
        return true;
    }
    // A long message may have been left out of the outline like a large list.
    const QString message = GetResponseText(QStringLiteral("error_message"));
    m_errorMessage = Shown(message);
    SetStatusShown(QStringLiteral("%1 [Code: %2]").arg(message).arg(m_resultCode));
    return false;
}

bool XRequest::Transfer(XmlReadStream &body, QByteArray &answer)
{
    if (m_cancel.load() || g_cancelAll.load()) {
        Fail(CancelledText());
        return false;
    }
    CURL *curl = curl_easy_init();
    if (!curl) {
        Fail(NetworkErrorText(QString()));
        return false;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    const QByteArray url = m_url.toUtf8();
    const QByteArray userClient = "USER-CLIENT: " + Utils::GetClientVersion().toUtf8();

    curl_slist *headers = nullptr;
    headers = curl_slist_append(headers, "Content-Type: text/kvp");
    headers = curl_slist_append(headers, userClient.constData());
    // No "Expect: 100-continue" round trip before the body.
    headers = curl_slist_append(headers, "Expect:");

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    if (const QByteArray *whole = body.Whole()) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, whole->constData());
    } else {
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, &XRequestCurl::ReadBody);
        curl_easy_setopt(curl, CURLOPT_READDATA, &body);
        // A redirect sends the body again from its start.
        curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, &XRequestCurl::SeekBody);
        curl_easy_setopt(curl, CURLOPT_SEEKDATA, &body);
        // A large body in pieces of a megabyte rather than 64 KiB: a sixteenth
        // of the reads and writes.
        curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, 1L << 20);
    }
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.Size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(m_connectTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, long(m_totalTimeoutMs));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, long(g_lowSpeedSeconds.load()));
    // Worker threads: no signals for time-outs of name lookups.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    // Redirects are followed and stay POSTs with their body.
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_POSTREDIR, long(CURL_REDIR_POST_ALL));
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Proxies: libcurl reads http_proxy, https_proxy and no_proxy from the
    // environment as long as CURLOPT_PROXY is left unset.
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &XRequestCurl::Write);
    XRequestCurl::Answer sink{answer, curl};
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    // A declared length over the cap fails before any byte is read.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(MaxAnswerBytes));
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &XRequestCurl::Header);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &XRequestCurl::Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);

    InFlight &inFlight = TheInFlight();
    {
        QMutexLocker lock(&inFlight.mutex);
        inFlight.requests.insert(this);
    }
    const CURLcode rc = curl_easy_perform(curl);
    {
        QMutexLocker lock(&inFlight.mutex);
        inFlight.requests.remove(this);
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_off_t connectedUs = 0;
    curl_easy_getinfo(curl, CURLINFO_CONNECT_TIME_T, &connectedUs);
    curl_off_t uploaded = 0;
    if (curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &uploaded) == CURLE_OK && uploaded > 0)
        m_bodySent = true;
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);

    if (rc != CURLE_OK) {
        // curl refuses an oversized header line as if memory had run out.
        if (sink.tooLarge || rc == CURLE_FILESIZE_EXCEEDED || rc == CURLE_OUT_OF_MEMORY) {
            Log(QString::fromUtf8(errorBuffer).trimmed(), QStringLiteral("Request"), 4);
            Fail(AnswerTooLargeText());
            return false;
        }
        QString description = TransferFaultText(rc);
        if (description.isEmpty())
            description = QString::fromUtf8(errorBuffer).trimmed();
        if (description.isEmpty())
            description = QString::fromUtf8(curl_easy_strerror(rc));
        if (!description.endsWith(u'.'))
            description += u'.';
        Fail(ReachedServer(rc, connectedUs > 0) ? description : NetworkErrorText(description));
        return false;
    }
    m_httpStatus = int(status);
    return true;
}

bool IsReloginThread()
{
    return t_reloginDepth > 0;
}

bool XRequest::SendWithRelogin()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (Send())
            return true;
        if (m_resultCode != 4 || attempt == 1)
            return false;
        AppCore *app = App();
        if (!app || t_reloginDepth > 0)
            return false;

        Relogin &r = TheRelogin();
        std::unique_lock lock(r.mutex);
        const auto renewed = [&] { return app->GetSession().Generation() != m_sentGeneration; };
        bool otherFailed = false;
        while (r.running && !renewed()) {
            if (g_cancelAll.load())
                return false;
            // The main thread keeps serving events while it waits: the other
            // thread's login may need it (dialogs through the UiDispatcher).
            if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread()) {
                // Inside a call a worker waits for, that worker may be the
                // one logging in: waiting for it would never end.
                if (app->Dispatcher().IsServingCall())
                    return false;
                lock.unlock();
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
                lock.lock();
                if (r.running && !renewed())
                    r.done.wait_for(lock, std::chrono::milliseconds(5));  // a short rest between event rounds, not a spin
            } else {
                r.done.wait_for(lock, std::chrono::milliseconds(50));
            }
            if (!r.running && !renewed())
                otherFailed = true;
        }
        if (renewed())
            continue;  // another thread logged in meanwhile: use its session
        if (otherFailed)
            return false;
        r.running = true;
        lock.unlock();
        ++t_reloginDepth;
        bool ok = false;
        try {
            ok = app->DoLogin();
        } catch (...) {
            ok = false;
        }
        --t_reloginDepth;
        lock.lock();
        r.running = false;
        r.done.notify_all();
        if (!ok)
            return false;
    }
    return false;
}
