#pragma once

#include "NewInfoAlert.h"

#include "app/AutoEvent.h"
#include "app/Globals.h"
#include "app/Interfaces.h"

#include "app/Turn.h"

#include <QMutex>
#include <QThread>
#include <QVariantList>

#include <array>
#include <atomic>
#include <functional>
#include <list>
#include <memory>

class CRateSystem;
class XBaseSet;
class XInventoryCarsSet;
class XPhotoSet;
class XQueryCarsSet;
class XQuerySet;
class XQuoteCarsSet;
class XQuoteSet;
class XRequest;
class XmlNode;

// A worker thread that runs one function, with its own alternate signal stack.
class PollerThread : public QThread
{
public:
    explicit PollerThread(std::function<void()> body) : m_body(std::move(body)) {}

protected:
    void run() override;

private:
    std::function<void()> m_body;
};

// The background side of the server link: the poll loop, the one-shot poll
// and the auto-reply thread, and the counts of what the last poll brought.
// Waits on the main thread keep serving queued calls, so a worker that is
// updating the window is never blocked by the thread waiting for it.
class XPoller : public GlobalObject
{
public:
    enum Slot { LoopSlot, OneShotSlot, AutoReplySlot, SlotCount };

    XPoller();
    ~XPoller() override;

    void StartPolling();
    void StopPolling();
    void RequestBackground();
    void Exit();
    // Takes work again after an Exit that was not the program's end (a
    // restore or compaction that failed before its swap).
    void Resume()
    {
        m_exit = false;
        m_autoReplyCancel = false;
    }
    void StopAutoReply() { m_autoReplyCancel = true; }
    bool IsExiting() const { return m_exit.load(); }
    bool IsStopped() const { return m_stop.load(); }

    // One poll: the lock is held for all of it; an exit requested while
    // waiting for the lock sends nothing.
    void Poll();
    // Replaces what one poll does (tests of the threads); empty: the real poll.
    void SetPollBody(std::function<void(XPoller &)> body) { m_pollBody = std::move(body); }
    // Replaces the loop's wait between polls (tests): gets the interval in
    // milliseconds, returns true when woken to stop.
    void SetLoopWait(std::function<bool(int ms)> wait) { m_loopWait = std::move(wait); }

    // The answer lists of one poll, each stored in one transaction with a
    // savepoint per item.
    void ReadQueries(const XRequest &request);
    void ReadCarQueries(const XRequest &request);
    void ReadQuotes(const XRequest &request);
    void ReadCarQuotes(const XRequest &request);
    void ReadMessages(const XRequest &request);
    void ReadHotDeals(const XRequest &request);
    void ReadOrders(const XRequest &request);
    void ReadOrderUpdates(const XRequest &request);

    // --- auto-reply ---------------------------------------------------------------
    // Starts a run unless one runs or the poller is exiting.
    void StartAutoReply();
    void AutoReplyCars();
    void AutoReplyParts();
    // Keeps the best-rated inventory of the query just rated and selects it; false when none.
    bool SelectRatedInventory(XBaseSet &inventory, CRateSystem &rating, bool cars);
    // Sends one automatic quote and stores it under the server's id; false
    // when the server refused it (the query's run ends).
    bool SendAutoQuote(XBaseSet &quote, const QString &operation, const QString &idElement,
                       const std::function<void(XRequest &)> &build,
                       const std::function<void(const QString &)> &storePictures);
    void AutoReplyToQuery(XQuerySet &query, CRateSystem &rating);
    // Ids of queries answered go to `answered`, marked after the query's replies.
    void AutoReplyToCarQuery(XQueryCarsSet &query, CRateSystem &rating, QVariantList &answered);
    // The threshold of a rating level ("MinAutoReplyRating" / "...Cars").
    static int GetMinAutoReplyRating(bool cars);
    static int RatingThreshold(int level);
    // Auto-reply threads started so far.
    int AutoReplyStarts() const { return m_autoReplyStarts.load(); }
    // Waits for the auto-reply thread to end (tests, shutdown).
    bool WaitForAutoReply(int timeoutMs);

    // Pictures of a quote: without an id the photos are made from the
    // pictures; with one they are written to the quote's outgoing files.
    static void PrepareQuoteImages(XPhotoSet &photos, const QString &quoteId, bool outgoing,
                                   const PictureCollection &pictures, XQuoteSet &quote);
    static void LoadCarImages(PictureCollection &pictures, const XInventoryCarsSet &car);
    static void PrepareCarQuoteImages(XPhotoSet &photos, const QString &quoteId, bool outgoing,
                                      const PictureCollection &pictures, XQuoteCarsSet &quote);

    // --- alerts -------------------------------------------------------------------
    // Starts the alert thread: the sound (when on) and the pop-up with this text.
    void RaiseAlert(const QString &text, bool playSound);
    int AlertSoundRequests() const { return m_sound.PlayRequests(); }

    // Starts a function on a slot's thread (the previous one must have ended).
    void StartThread(Slot slot, std::function<void()> body, QThread::Priority priority);
    bool IsThreadRunning(Slot slot) const;

    int GetNewQueries() const { return m_counts[NewCounts::Queries]; }
    int GetNewCarQueries() const { return m_counts[NewCounts::CarQueries]; }
    int GetNewQuotes() const { return m_counts[NewCounts::Quotes]; }
    int GetNewCarQuotes() const { return m_counts[NewCounts::CarQuotes]; }
    int GetNewMessages() const { return m_counts[NewCounts::Messages]; }
    int GetNewCarMessages() const { return m_counts[NewCounts::CarMessages]; }
    int GetNewHotDeals() const { return m_counts[NewCounts::HotDeals]; }
    int GetNewOrders() const { return m_counts[NewCounts::Orders]; }
    int GetNewOrderUpdates() const { return m_counts[NewCounts::OrderUpdates]; }
    int GetAutoReplied() const { return m_counts[NewCounts::AutoReplied]; }
    void AddCount(NewCounts::Index index, int n = 1) { m_counts[index] += n; }
    void SetCount(NewCounts::Index index, int n) { m_counts[index] = n; }
    void ClearCounts();
    NewCounts Counts() const;

    // The box of a failure that ended a worker's run, filed as a crash report.
    static void ShowFailure(const QString &text);

    // How long the loop waits between polls ("PollTimeout"; at or below 0: 60 s).
    static int PollIntervalMs();

private:
    void RunPoll();
    // One answer list, item by item in document order; a database error skips
    // the item. Each store must undo itself on failure (one statement, or its
    // own transaction scope): the list adds no savepoint per item.
    void ReadList(const XRequest &request, const char *list, const char *item, const char *logSource,
                  const std::function<void(const XmlNode &)> &store);
    void AutoReplyThread();
    void AutoReplyRun(bool cars);
    void SetRating(CRateSystem *rating);
    void ReapAlertThreads(bool wait);
    void PollLoop();
    // Waits for a slot's thread; on the main thread queued calls keep running.
    bool WaitForThread(Slot slot, int timeoutMs);
    static bool WaitFor(QThread *thread, int timeoutMs);

    AutoEvent m_pollEvent{false};
    std::array<std::atomic<int>, NewCounts::Size> m_counts{};
    Turn m_pollTurn;  // held by the running poll (never a lock across its send)
    std::array<std::unique_ptr<PollerThread>, SlotCount> m_threads;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_exit{false};
    std::atomic<bool> m_autoReplyCancel{false};
    // The poll request in flight, so StopPolling can cancel a stalled transfer.
    QMutex m_requestMutex;
    XRequest *m_pollRequest = nullptr;
    friend class PollRequestScope;
    std::function<void(XPoller &)> m_pollBody;
    std::function<bool(int)> m_loopWait;

    std::atomic<int> m_autoReplyStarts{0};
    QMutex m_autoReplyStart;  // a start and Exit's flags never interleave
    QMutex m_ratingMutex;
    CRateSystem *m_rating = nullptr;  // the auto-reply run's, stopped at exit

    QMutex m_alertMutex;
    std::list<std::unique_ptr<PollerThread>> m_alertThreads;
    AlertSound m_sound;
};

XPoller &thePoller();
XPoller *thePollerIfAny();
