#pragma once

// Fetches members' profiles ("getProfile") one request at a time on its own
// thread and hands each answer back queued on the owner's thread. A new
// batch, or Cancel, drops whatever the previous batch had not delivered.

#include <QObject>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class XRequest;

class ProfileFetcher : public QObject
{
    Q_OBJECT
public:
    explicit ProfileFetcher(QObject *parent = nullptr);
    ~ProfileFetcher() override;

    // Replaces any batch still running.
    void Fetch(const QStringList &passportIds);
    void Cancel();
    // True while a batch has rows left to deliver.
    bool Busy() const;

signals:
    // The profile row of one member, in the batch's order.
    void rowReady(const QStringList &row);
    // A member the server no longer knows (code 350): no row, no message.
    void memberGone(const QString &passportId);
    void failed(const QString &passportId, const QString &serverMessage);
    void finished();

private:
    void Run();
    void Deliver(quint64 batch, const std::function<void()> &emitter);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<QString> m_pending;
    quint64 m_batch = 0;
    bool m_quit = false;
    bool m_busy = false;
    XRequest *m_current = nullptr;
    std::thread m_thread;
};
