#pragma once

#include <QString>

#include <functional>

class XSettings;

// The ordered end of the program (Exit): the import cancelled, the automatic
// reply stopped, the importers deleted, the placement kept, the main-window
// flag cleared, the poller stopped, the window closed, each step logged. The
// steps are operations handed in, so the order is tested without a window;
// Steps::FromApplication fills those of the core, the window adds its own.
class FrameShutdown
{
public:
    struct Steps
    {
        std::function<bool()> importRunning;       // an import task runs
        std::function<bool()> autoImport;          // "AutoITPImport" is on
        std::function<void()> cancelImport;        // returns once the run has ended
        std::function<bool()> autoReplyRunning;    // an automatic-reply task runs
        std::function<void()> stopAutoReply;
        std::function<int()> importerCount;
        std::function<bool(int)> deleteImporter;   // false for an empty entry
        std::function<void()> storePlacement;      // the window's
        std::function<void()> clearMainWindowFlag;
        std::function<void()> pollerExit;
        std::function<void()> closeFrame;          // the window's: destroyed, loop left
        // One line at level 5, source "CMainFrame".
        std::function<void(const QString &)> log;

        // The core's steps from the installed globals (task registry,
        // settings, import service, importers, poller, application).
        static Steps FromApplication();
    };

    explicit FrameShutdown(Steps steps);

    // Runs the steps once; false when they ran before. A step that fails is
    // logged and the next one still runs.
    bool Run();
    // From the first step on: queued refreshes, counts and pop-ups are dropped.
    bool HasBegun() const { return m_begun; }

private:
    void Do(const char *what, const std::function<void()> &step);

    Steps m_steps;
    bool m_begun = false;
};

// Closing the main window never ends the program: it goes to the tray (or,
// with no tray to find it in, to the task bar).
namespace CloseRules {

inline constexpr char NoticeText[] =
    "Korvant will be running in background mode. To activate it please double-click on the tray icon below. "
    "To stop the application use main menu File / Exit.";

enum class Action { HideToTray, Minimise };
struct Decision
{
    bool showNotice = false;
    Action action = Action::HideToTray;
    bool operator==(const Decision &) const = default;
};

// The notice about the tray only where there is a tray to point at.
Decision Decide(bool closeConfirm, bool trayAvailable);

struct Ops
{
    // The program's message box with the do-not-show-again box bound to
    // *flag; returns 1 for OK. Empty: theApp().ShowMessageDlg.
    std::function<int(int *flag)> notice;
    std::function<void()> storePlacement;
    std::function<void()> hideToTray;
    std::function<void()> minimise;
};

// The whole close: the notice (its box's answer kept in "CloseConfirm"),
// the placement stored, then hidden or minimised. The decision taken.
Decision Run(XSettings &settings, bool trayAvailable, const Ops &ops);

} // namespace CloseRules
