#pragma once

#include "AppSignals.h"
#include "Globals.h"
#include "Interfaces.h"
#include "Session.h"
#include "UiDispatcher.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>

// The services of the application object that every layer uses: the session,
// the command-line options, the log, the message boxes, the folders and the
// login hook. The application library's CClientApp builds on it.
class AppCore : public GlobalObject
{
public:
    AppCore();
    ~AppCore() override;

    // --- command line -------------------------------------------------------
    // Parses the raw command line ("-url X -dbpath Y -features a,b -level 5").
    void ParseCommandLine(const QString &commandLine);
    // The same from main()'s arguments (argv[0] is skipped).
    void ParseCommandLine(const QStringList &arguments);
    QString ServerUrlOption() const { return m_serverUrl; }
    QString DbPathOption() const { return m_dbPath; }
    QString Features() const { return m_features; }
    bool OverrideFlag() const { return m_override; }
    bool PaymentFeature() const { return m_payment; }
    bool ExtProfileFeature() const { return m_extProfile; }
    bool MarketplacesFeature() const { return m_marketplaces; }
    QStringList RawArguments() const { return m_rawArguments; }

    // --- log ------------------------------------------------------------------
    int LogLevel() const { return m_logLevel.load(); }
    void SetLogLevel(int level) { m_logLevel.store(level); }
    // One line "** <time> <context> <message> \n" in kvc.log when level <= the log level.
    void WriteLog(const QString &message, const QString &context, int level);
    // The same format into another file of the data folder (import.log).
    void WriteLogTo(const QString &fileName, const QString &message, const QString &context, int level);
    static QString FormatLogLine(const QString &timeStamp, const QString &context, const QString &message);

    // --- message boxes (any thread) -------------------------------------------
    // Each box's title and text go to the level-5 trace ("Box"): what the
    // member was told stands beside what the program did.
    int ShowMessageBox(const QString &text, const QString &caption, unsigned flags);
    void ShowDebugMessage(const QString &text, const QString &caption, int level);
    // Yes/No question; true on Yes.
    bool AskYesNo(const QString &text, const QString &caption, unsigned flags = MsgBox::IconQuestion);
    int ShowMessageDlg(const QString &text, const QString &detail, int *flag, int mode, int icon);
    int ShowMessageDlg2(const QString &text, const QString &detail, int *flag, int mode, int icon);
    int ShowLinkMessageDlg(const LinkBoxRequest &request);
    int ShowSubscribeMsgDlg(const QString &notice, bool disableBuyPasses);
    QString AskOpenFileName(const QString &title, const QString &filter, const QString &file);
    QString AskSaveFileName(const QString &title, const QString &filter, const QString &defaultExt,
                            const QString &file);
    void OnUnhandledError();
    // Records a failure the program's own handlers caught, so the box or the
    // prompt that follows files it as a crash report.
    void RecordFailure(uint32_t code = CppExceptionCode);
    // The first call of every thread the program starts: a fatal signal on it
    // then leaves a dump and a report like one on the main thread.
    static void PrepareWorkerThread();

    // --- session and login ------------------------------------------------------
    Session &GetSession() { return m_session; }
    const Session &GetSession() const { return m_session; }
    // Opens a session through the installed login hook; false without one.
    bool DoLogin();
    // Logs in when not logged in; returns the logged-in flag.
    bool EnsureLoggedIn();
    void SetStatusText(const QString &text);

    bool MainWindowFlag() const { return m_mainWindow.load(); }
    void SetMainWindowFlag(bool on) { m_mainWindow.store(on); }
    // Bound to the "do not show again" box of the server-error warning.
    int *ShowErrorsFlag() { return &m_showErrors; }
    bool UpdateLater() const { return m_updateLater.load(); }
    void SetUpdateLater(bool on) { m_updateLater.store(on); }

    // --- folders ----------------------------------------------------------------
    QString GetModuleFilePath() const;
    QString GetModuleFolder() const;  // with a trailing '/'
    // Tests and the in-place build point the program folder elsewhere.
    void SetModuleFolder(const QString &folder);
    QString GetDataFolder();          // with a trailing '/', created 0700 when missing
    QString GetRefFolder() const;     // created when missing
    QString GetXslFolder() const;
    QString GetDocFolder() const;
    static bool DirectoryExists(const QString &path);
    // Start with the desktop session: the XDG autostart entry.
    bool CreateStartupShortcut() const;
    bool DeleteStartupShortcut() const;
    static QString StartupShortcutPath();

    // --- installed services -------------------------------------------------------
    UiDispatcher &Dispatcher() { return m_dispatcher; }
    AppSignals &Signals() { return m_signals; }
    void SetDialogs(IDialogs *d) { m_dialogs = d; }
    void SetMainFrame(IMainFrame *f) { m_frame.store(f); }
    void SetRecordViews(IRecordViews *v) { m_views = v; }
    void SetImport(IImport *i) { m_import = i; }
    void SetCrashHooks(ICrashHooks *h) { m_crash = h; }
    void SetLoginHook(ILoginHook *h) { m_login = h; }
    IDialogs *Dialogs() const { return m_dialogs; }
    IMainFrame *Frame() const { return m_frame.load(); }
    IRecordViews *Views() const { return m_views; }
    IImport *Import() const { return m_import; }
    ICrashHooks *CrashHooks() const { return m_crash; }

private:
    template<class R>
    R OnMainThread(std::function<R()> fn, R cancelAnswer);
    void TraceBox(const QString &title, const QString &text);
    bool AppendLine(const QString &path, const QString &line);

    Session m_session;
    std::atomic<int> m_logLevel{3};
    std::atomic<bool> m_updateLater{false};
    int m_showErrors = 1;
    std::atomic<bool> m_mainWindow{false};

    QString m_serverUrl;
    QString m_dbPath;
    QString m_features;
    QStringList m_rawArguments;
    bool m_override = false;
    bool m_payment = false;
    bool m_extProfile = false;
    bool m_marketplaces = false;

    QString m_moduleFolder;
    QMutex m_folderMutex;
    QString m_dataFolder;

    std::recursive_mutex m_logLock;  // standard: Qt's recursive mutex locks inside Qt, unseen by ThreadSanitizer
    std::atomic<bool> m_logFailureShown{false};

    UiDispatcher m_dispatcher;
    AppSignals m_signals;
    IDialogs *m_dialogs = nullptr;
    std::atomic<IMainFrame *> m_frame{nullptr};
    IRecordViews *m_views = nullptr;
    IImport *m_import = nullptr;
    ICrashHooks *m_crash = nullptr;
    ILoginHook *m_login = nullptr;
};

// The one application object (slot 1 of the globals).
AppCore &theApp();
AppCore *theAppIfAny();
