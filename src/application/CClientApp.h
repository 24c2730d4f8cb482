#pragma once

#include "IFrameFactory.h"

#include "app/AppCore.h"
#include "app/Turn.h"

#include <QObject>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>

class CrashHooks;
class SingleInstance;
class DataFolderLock;

// The application object: the start-up order of every service, the
// single-instance guard, the member's login and logout, the commands that act
// on the database file as a whole, the hand-over to the updater and the
// shutdown. It is the AppCore every layer reaches through theApp(), installed
// as the login hook; theClientApp() gives the whole object.
class CClientApp : public AppCore, public ILoginHook
{
public:
    struct Options
    {
        // Tests that do not test the crash handler keep the test framework's own.
        bool installCrashHandler = true;
        // The single-instance socket's name; empty: the program's own.
        QString instanceName{};
    };

    // Starts a program with arguments; false when it could not be started.
    using ProcessLauncher = std::function<bool(const QString &program, const QStringList &arguments)>;

    CClientApp();
    explicit CClientApp(const Options &options);
    ~CClientApp() override;

    void SetFrameFactory(IFrameFactory *factory) { m_factory = factory; }

    // --- life cycle ---------------------------------------------------------------
    // The start-up sequence; false ends the program (ExitInstance still runs).
    bool InitInstance();
    // Why start-up stopped before the message loop (empty when it did not).
    QString StartupStopReason() const { return m_stopReason; }
    // Runs the message loop inside the last-resort guard; 0 after a failure.
    int Run(const std::function<int()> &loop);
    // The guard's handlers, for the loop and for QApplication::notify: log,
    // tell the member, report; the exit code the program then ends with (0).
    int HandleLoopException(std::exception_ptr error);
    // Lets the main frame finish its counter updates; true when it wants more idle time.
    bool OnIdle(int idleCount);
    int ExitInstance();
    bool IsStarted() const { return m_started.load(); }

    // True when the program must not go on normally: the member chose to
    // update now, or a required update was postponed.
    bool CheckNewVersion(bool offerOptional);
    // The database file the connections open, logged at level 4.
    QString GetConnectString();

    // --- login, logout and session ---------------------------------------------
    bool DoLogin() override;
    int Login(int mode);
    void Logout();
    void UpdateWindowTitle();
    QString GetWindowTitle() const;
    // Commands of the application.
    void OnLogin() { DoLogin(); }
    void OnLogout() { Logout(); }
    void OnMyProfile();
    void OnSynchronize();
    bool IsLoginEnabled() const { return !GetSession().IsLoggedIn(); }
    bool IsLogoutEnabled() const { return GetSession().IsLoggedIn(); }
    bool IsMyProfileEnabled() const { return GetSession().IsLoggedIn(); }

    // --- database file and updater -------------------------------------------------
    // True when the database was backed up.
    bool BackupData();
    void RestoreData();
    void CompactDatabase(bool sizeCheck);
    void PurgeQueries();
    void UpdateClient();
    void RunUpdaterAndExit();
    void RestartProgram();
    static QString UpdaterPath();
    // The program a restart starts with this run's own arguments. Taken by
    // main() before the globals go and started after them, so the new run
    // finds the database closed and the single-instance socket free.
    struct RestartCommand
    {
        bool pending = false;
        QString program;
        QStringList arguments;
    };
    bool RestartPending() const { return m_restartPending.load(); }
    RestartCommand TakePendingRestart();
    // Starts a program detached (tests replace the launcher).
    static bool StartDetached(const QString &program, const QStringList &arguments);
    static void SetProcessLauncher(ProcessLauncher launcher);

    static constexpr qint64 CompactThreshold = 268435456;  // 256 MB
    static constexpr int NodeNavigatorCars = 166;
    static constexpr int NodeNavigatorParts = 20100;

private:
    void Step(const char *label);
    bool StartupSteps();
    // Logs and shows an exception that ended start-up or the loop; the text shown.
    QString ReportException(std::exception_ptr error, bool startup);
    bool StartupFailed(std::exception_ptr error);
    bool RunOnMain(const std::function<bool()> &fn, bool cancelAnswer);
    void QueueOnMain(std::function<void()> fn);
    static bool IsMainThread();
    // Exit has begun (the window's Exit stops the poller first): a login or
    // start-up step not yet under way is not begun.
    static bool ExitBegun();

    enum class Credentials { Proceed, Failed, LoggedInByDialog };
    Credentials PrepareCredentials();
    void AfterLogin();
    void RunFollowUps();
    void OfferFirstQuery();
    // Stops everything that uses the database (poller, imports).
    void StopWorkers();
    // Undoes StopWorkers after a swap that did not happen.
    void ResumeWorkers();
    bool ExtractAndVerify(const QString &archive, const QString &target, QString *why);

    Options m_options;
    IFrameFactory *m_factory = nullptr;
    std::unique_ptr<::CrashHooks> m_crashHooks;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<DataFolderLock> m_folderLock;
    // Calls queued to the main thread go with the object.
    std::unique_ptr<QObject> m_mainContext;
    // One "login" exchange at a time (the exchange only, never what follows it).
    Turn m_loginTurn;
    // Set while the steps that follow a login run (main thread).
    int m_followUps = 0;
    mutable QMutex m_titleMutex;
    QString m_windowTitle;
    QString m_stopReason;
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_restartPending{false};
    std::atomic<bool> m_updaterQueued{false};
    QStringList m_restartArguments;
};

// The application object as a whole (theApp() gives its AppCore part).
CClientApp &theClientApp();
CClientApp *theClientAppIfAny();
