#pragma once

// Faults switched while the server runs. An operation given a mode answers
// with it from its next request on; the mode "ok" gives it back its usual
// answer (its responder, queued or scripted answer). Modes are the fault
// names of FakeServer (silent, trickle, html, http500, ...), "garbage": a
// whole 200 answer of broken XML with stray bytes in it, and "code4-once":
// result code 4 to the next request only, as a session that expired once.
//
// The control wraps the responder an operation has when it is first named,
// so it is set up after every responder is installed.

#include "FakeServer.h"

#include <QByteArray>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class FaultControl : public QObject
{
public:
    explicit FaultControl(FakeServer &server);

    // False, and nothing changes, for an empty operation or an unknown mode.
    bool Set(const QString &operation, const QString &mode);
    // Lines "operation=mode", applied in order (blank lines and lines
    // starting with '#' are skipped); returns the lines that could not be.
    QStringList Apply(const QByteArray &text);

    // Reads the file every `intervalMs` and applies its lines whenever its
    // text changes; `applied` hears of each line applied ("poll=silent").
    // A missing file names nothing.
    void Watch(const QString &path, std::function<void(const QString &)> applied = {}, int intervalMs = 100);

    static QStringList Modes();
    static QByteArray GarbageBody();

private:
    struct State
    {
        QMutex mutex;
        QMap<QString, FakeServer::Answer> faults;
        QSet<QString> once;  // faults that answer one request, then end
    };

    void CheckFile();

    FakeServer &m_server;
    std::shared_ptr<State> m_state = std::make_shared<State>();
    QSet<QString> m_wrapped;
    QString m_path;
    QByteArray m_lastText;
    QTimer m_timer;
    std::function<void(const QString &)> m_applied;
};
