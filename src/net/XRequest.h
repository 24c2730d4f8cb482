#pragma once

#include "XmlUtil.h"

#include <QString>

#include <atomic>
#include <functional>
#include <optional>

// One exchange with the marketplace server: a "kv_request" document posted
// over HTTP and its answer. Built as a local object by the thread that sends
// it; only Cancel() may be called from another thread.
class XRequest
{
public:
    explicit XRequest(const QString &operation, const QString &url = QString());
    ~XRequest();
    XRequest(const XRequest &) = delete;
    XRequest &operator=(const XRequest &) = delete;

    // Appends <name>value</name> to the request root; the caller may add children to it.
    XmlNode AddParam(const QString &name, const QString &value = QString());

    bool Send();
    // Send, and after result code 4 one re-login and one more attempt.
    bool SendWithRelogin();

    bool IsSuccess() const { return m_resultCode == 0; }
    int GetResultCode() const { return m_resultCode; }
    int GetWarningCode() const { return m_warningCode; }
    QString GetStatusText() const { return m_statusText; }
    QString GetErrorMessage() const { return m_errorMessage; }

    QString GetResponseText(const QString &path) const;
    // A child of the root (or a path below one). In the list-at-a-time mode a
    // large list is parsed when asked for and kept until another is.
    XmlNode GetResponseNode(const QString &path) const;
    // Calls `each` with every child named `item` of the first `list` below the
    // root, in order. In the list-at-a-time mode a large list is read one item
    // at a time (an item that cannot be read throws XmlError).
    void ForEachResponseItem(const QString &list, const QString &item,
                             const std::function<void(const XmlNode &)> &each) const;
    // As ForEachResponseItem, in the order of `key` (ties in document order).
    // In the list-at-a-time mode an item is read once for its key and again
    // when its turn comes: only the keys are held, never the items' trees.
    void ForEachResponseItemBy(const QString &list, const QString &item,
                               const std::function<XmlTime(const XmlNode &)> &key,
                               const std::function<void(const XmlNode &)> &each) const;
    XmlTime GetResponseDate(const QString &path) const;
    XmlNode GetResponseRoot() const;
    const XmlDoc &GetResponseDocument() const;
    QByteArray GetResponseBody() const { return m_responseBody; }

    XmlNode GetRequestRoot() const { return m_request.Root(); }
    // The body as posted: the request root without an XML declaration.
    QByteArray GetRequestXml() const { return m_request.ToXml(false); }
    QString GetOperation() const { return m_operation; }
    QString GetUrl() const { return m_url; }

    // The answer's large lists are parsed one at a time, when asked for through
    // GetResponseNode or ForEachResponseItem, instead of the whole answer at
    // once: a big answer then needs memory for its text and its largest list,
    // not for its whole tree. On unless set otherwise, but for the request
    // trace (log level 5), which writes the whole parsed answer. A reader of
    // the whole answer (GetResponseRoot, GetResponseDocument, a text inside
    // such a list) has it parsed whole when it asks; in the poll, which sets
    // this on, the other readers see the answer less those lists.
    void SetListsParsedOnDemand(bool on) { m_listsOnDemand = on; }
    // Lists this size or larger are left to GetResponseNode in that mode.
    static constexpr qsizetype OnDemandListBytes = 64 * 1024;

    // Time-outs of this request in milliseconds (0 keeps the default).
    void SetTimeouts(int connectMs, int totalMs);
    // Defaults for requests built from now on (tests shorten them).
    static void SetDefaultTimeouts(int connectMs, int totalMs);
    // A transfer that moves less than one byte a second for this long is aborted.
    static void SetLowSpeedTime(int seconds);

    // Aborts this request's transfer (any thread).
    void Cancel() { m_cancel.store(true); }
    // Whether it was aborted so (itself, or with the others in flight).
    bool IsCancelled() const { return m_cancel.load(); }
    // Aborts every transfer in progress and every later one until cleared
    // (set at exit, so no worker hangs on the network).
    static void CancelAll(bool on = true);
    static bool IsCancelAll();
    // Aborts every transfer running now, on any thread, and no later one
    // (exit: what the member waits for ends, the logout still goes out).
    // Returns how many there were.
    static int CancelInFlight();

    // After a failure: whether any of the body went out, so the server may
    // have the record although no answer came back.
    bool MayHaveReachedServer() const { return m_bodySent; }

    // The status texts the request sets.
    static QString NetworkErrorText(const QString &description);
    static QString AnswerTooLargeText() { return QStringLiteral("The server's answer was too large."); }
    static QString CancelledText() { return QStringLiteral("The request was cancelled."); }
    static QString WebPageText()
    {
        return QStringLiteral("The server answered with a web page instead of its data. It may be down for "
                              "maintenance or a proxy may stand in the way; please try again later.");
    }

    // The largest answer accepted: many times the largest real poll, small
    // enough that reading and parsing it stay within memory and seconds.
    static constexpr qsizetype MaxAnswerBytes = qsizetype(64) * 1024 * 1024;
    // Status and error texts are cut to this many characters; the log keeps more.
    static constexpr int MaxShownChars = 500;

    // An XML text as the log may keep it: passwords, security codes, card
    // expiry and payment accounts hidden, card numbers down to their last
    // four digits. Works on text, so a broken answer is masked too.
    static QString MaskSecrets(const QString &xml);
    // One such element's text as it may be kept ("cc_number", "password", ...).
    static QString MaskedValue(const QString &element, const QString &value);

private:
    bool SendRequest();
    bool Transfer(XmlReadStream &body, QByteArray &answer);
    void Fail(const QString &statusText);
    void SetStatusShown(const QString &text);

    QString m_operation;
    QString m_url;
    XmlDoc m_request;
    mutable XmlDoc m_response;
    QByteArray m_responseBody;
    // Parses the whole answer in place of its outline (a reader needs it whole).
    void MakeWhole() const;

    std::optional<bool> m_listsOnDemand;
    bool m_wholeOnRequest = false;
    mutable QList<XmlDoc::Part> m_listParts;
    mutable XmlDoc m_listDoc;
    mutable qsizetype m_listIndex = -1;
    QString m_statusText = QStringLiteral("Initialization");
    QString m_errorMessage;
    QString m_httpReason;
    int m_resultCode = -1;
    int m_warningCode = 0;
    int m_httpStatus = 0;
    int m_connectTimeoutMs;
    int m_totalTimeoutMs;
    quint64 m_sentGeneration = 0;
    std::atomic<bool> m_cancel{false};
    bool m_bodySent = false;

    friend struct XRequestCurl;
};
