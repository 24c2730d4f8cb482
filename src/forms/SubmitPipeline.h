#pragma once

// The road every trading form's submit takes: the missing-field list, the
// login, the request built by the form, the exchange with one re-login, and
// the answer routed by its result code. The form supplies its steps; the
// pipeline owns the order, the boxes and the transaction around the store.

#include "ServerRefusal.h"

#include <QString>

#include <functional>

class IFormHost;
class XRequest;
struct XMarketPlace;

enum class FormOutcome {
    Busy,           // a submit of this pipeline is already running
    Invalid,        // missing fields shown, or the form stopped it
    LoginFailed,    // silently
    Sent,           // sent and stored
    SentNotStored,  // the server took it; the local store failed (never re-sent)
    Refused,        // 110/112, the member stays on the form
    RefusedClosed,  // 110/112, the member chose a page: the form ends
    FormCode,       // a result code the form handles itself
    Failed,         // the error box was shown
};

// The server took the record (stored here or not).
inline bool IsSent(FormOutcome outcome)
{
    return outcome == FormOutcome::Sent || outcome == FormOutcome::SentNotStored;
}

// One submit from a window: its buttons off (`busy`) while it runs, and the
// window ended (`close`) when the member chose a marketplace page after a
// refusal.
FormOutcome SubmitFromWindow(const std::function<FormOutcome()> &submit, const std::function<void(bool)> &busy,
                             const std::function<void()> &close);

// The form's own steps of one submit.
class SubmitForm
{
public:
    virtual ~SubmitForm() = default;
    // One line per missing field ("- Make\n"); empty when complete.
    virtual QString MissingFields() = 0;
    // Columns that do not need the session; false stops (the form told why).
    virtual bool Prepare() { return true; }
    // After the login: adds the record's element to the request.
    virtual void BuildRequest(XRequest &request) = 0;
    // Runs inside one transaction after result code 0; throws on failure.
    virtual void Store(const XRequest &answer) = 0;
    // After the store is committed and the notice shown: the window's refresh.
    virtual void AfterStore() {}
    // The marketplace a refusal names (id, else name).
    virtual XMarketPlace RefusingMarket() const = 0;
    // A failure code the form answers itself (true: handled).
    virtual bool HandleResultCode(const XRequest &) { return false; }
    // Where the request goes; empty: the configured server.
    virtual QString RequestUrl() const { return {}; }
};

struct SubmitSpec
{
    QString operation;        // "newQuery"
    QString failureCaption;   // "Cannot send the query"
    QString recordWord;       // "query", in the not-stored notice
    RefusalSender sender = RefusalSender::Query;
    int marketMode = 0;
    const char *confirmSetting = nullptr;  // the success notice's setting, null: none
    QString successText;
};

class SubmitPipeline
{
public:
    // Runs the exchange; the default sends with one re-login on a worker
    // thread while this thread keeps processing events.
    using Exchange = std::function<void(XRequest &)>;

    explicit SubmitPipeline(IFormHost *host = nullptr);

    FormOutcome Run(SubmitForm &form, const SubmitSpec &spec);
    bool IsBusy() const { return m_busy; }
    void SetExchange(Exchange exchange) { m_exchange = std::move(exchange); }

    static void SendOffThread(XRequest &request);
    // How long a send runs before its box with Cancel shows.
    static constexpr int WaitBoxDelayMs = 1000;
    // After a failure without an answer: whether the server may have the record.
    static QString NoAnswerText(const XRequest &request, const QString &recordWord);

private:
    FormOutcome Route(SubmitForm &form, const SubmitSpec &spec, XRequest &request);
    void ShowSuccessNotice(const SubmitSpec &spec);

    IFormHost *m_host;
    Exchange m_exchange;
    bool m_busy = false;
};
