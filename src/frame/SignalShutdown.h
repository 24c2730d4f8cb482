#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class CMainFrame;

// What SIGINT and SIGTERM do, in whatever state they find the program: a
// sign-up sheet or login dialog during start-up, a form waiting for its
// send, a box, an import or a poll. Every transfer on the wire is cancelled
// at once, the workers' questions get their cancel answer, imports are asked
// to stop, and every modal window and menu is closed (again and again, as
// closing one may open the next); then the main window's Exit runs, or the
// loop ends when there is none. A last guard ends the process when all of
// that has not ended it in time, so a desktop log-out never waits for a kill.
class SignalShutdown : public QObject
{
public:
    using FrameGetter = std::function<CMainFrame *()>;
    // `topLevel`: whether the event being handled is the main loop's own, not
    // one handled inside another handler (a foreground import's progress).
    SignalShutdown(FrameGetter frame, std::function<bool()> topLevel, QObject *parent = nullptr);

    void Begin(int signalNumber);
    static bool IsRequested();
    // The loop has ended: nothing more to close or quit.
    void Finish();
    // The process is about to return from main: the guard stands down.
    static void Ended();

    // After a signal, the process ends within this time whatever happens.
    static constexpr int HardLimitMs = 4500;
    // Written to the log when the guard had to end it.
    static const char *HardExitText();

private:
    void Tick();

    FrameGetter m_frame;
    std::function<bool()> m_topLevel;
    QTimer m_timer;
    bool m_exitPosted = false;
};
