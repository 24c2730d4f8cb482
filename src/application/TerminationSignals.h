#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT and SIGTERM become a queued signal on the thread that made the
// object: the handler only writes a byte to a socket pair the loop watches,
// so the program shuts down in order instead of dying mid-write.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;
    bool IsActive() const { return m_notifier != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private:
    void OnReadable();
    QSocketNotifier *m_notifier = nullptr;
};
