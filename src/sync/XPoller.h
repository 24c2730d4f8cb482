#pragma once

#include "app/AutoEvent.h"
#include "app/Globals.h"
#include "app/Interfaces.h"

#include <QMutex>
#include <QThread>

#include <array>
#include <atomic>
#include <functional>
#include <memory>

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
    void StopAutoReply() { m_autoReplyCancel = true; }
    bool IsAutoReplyCancelled() const { return m_autoReplyCancel.load(); }
    bool IsExiting() const { return m_exit.load(); }
    bool IsStopped() const { return m_stop.load(); }

    // One poll: the lock is held for all of it; an exit requested while
    // waiting for the lock sends nothing.
    void Poll();
    // What one poll does (set by the poll's own code; tests replace it).
    void SetPollBody(std::function<void(XPoller &)> body) { m_pollBody = std::move(body); }

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

    // How long the loop waits between polls ("PollTimeout"; at or below 0: 60 s).
    static int PollIntervalMs();

private:
    void PollLoop();
    // Waits for a slot's thread; on the main thread queued calls keep running.
    bool WaitForThread(Slot slot, int timeoutMs);

    AutoEvent m_pollEvent{false};
    std::array<std::atomic<int>, NewCounts::Size> m_counts{};
    QMutex m_pollLock;
    std::array<std::unique_ptr<PollerThread>, SlotCount> m_threads;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_exit{false};
    std::atomic<bool> m_autoReplyCancel{false};
    std::function<void(XPoller &)> m_pollBody;
};

XPoller &thePoller();
XPoller *thePollerIfAny();
