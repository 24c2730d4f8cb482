// The application object's life cycle: start-up, the message loop's guard,
// idle time and shutdown.

#include "CClientApp.h"

#include "CrashHandler.h"
#include "CrashHooks.h"
#include "CrashReport.h"
#include "SingleInstance.h"

#include "app/Constants.h"
#include "app/TsanSync.h"
#include "app/Utils.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "net/VersionControl.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"
#include "net/XRequest.h"
#include "sync/XPoller.h"

#include <QCoreApplication>
#include <QDir>
#include <QMetaObject>
#include <QThread>

namespace {
// Bounded so that the program's end never waits long on the network.
constexpr int LogoutConnectMs = 2000;
constexpr int LogoutTotalMs = 3000;

// The text of a failure as the member and the log see it (255 characters at most).
QString ErrorText(const std::exception &e)
{
    QString text;
    if (const auto *db = dynamic_cast<const DbException *>(&e))
        text = db->BoxText(db->Message());
    else
        text = QString::fromLocal8Bit(e.what());
    return text.left(255);
}
} // namespace

CClientApp &theClientApp()
{
    return Globals::Require<CClientApp>(GlobalSlot::App, "theApp");
}

CClientApp *theClientAppIfAny()
{
    return Globals::As<CClientApp>(GlobalSlot::App);
}

CClientApp::CClientApp() : CClientApp(Options{}) {}

CClientApp::CClientApp(const Options &options)
    : m_options(options), m_crashHooks(std::make_unique<::CrashHooks>()), m_mainContext(std::make_unique<QObject>())
{
    if (QCoreApplication *app = QCoreApplication::instance())
        m_mainContext->moveToThread(app->thread());
    if (m_options.installCrashHandler) {
        CrashHandler::InstallCrashHandler(QLatin1String(Korvant::AppName), Utils::GetClientVersion());
        SetCrashHooks(m_crashHooks.get());
    }
    SetLoginHook(this);
}

CClientApp::~CClientApp()
{
    m_mainContext.reset();
    SetLoginHook(nullptr);
    SetCrashHooks(nullptr);
    m_instance.reset();
    m_folderLock.reset();
    if (m_options.installCrashHandler)
        CrashHandler::RemoveCrashHandler();
}

bool CClientApp::IsMainThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

bool CClientApp::ExitBegun()
{
    const XPoller *poller = thePollerIfAny();
    return poller && poller->IsExiting();
}

void CClientApp::QueueOnMain(std::function<void()> fn)
{
    if (!QCoreApplication::instance()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(m_mainContext.get(), HandedOver(std::move(fn)), Qt::QueuedConnection);
}

bool CClientApp::RunOnMain(const std::function<bool()> &fn, bool cancelAnswer)
{
    if (IsMainThread())
        return fn();
    return Dispatcher().Call<bool>(fn, cancelAnswer);
}

// --- start-up ----------------------------------------------------------------------------

void CClientApp::Step(const char *label)
{
    WriteLog(QStringLiteral("InitInstance"), QLatin1String(label), 5);
}

bool CClientApp::InitInstance()
{
    m_stopReason.clear();
    try {
        return StartupSteps();
    } catch (...) {
        return StartupFailed(std::current_exception());
    }
}

bool CClientApp::StartupFailed(std::exception_ptr error)
{
    m_stopReason = ReportException(error, true);
    if (m_factory)
        m_factory->DestroySplash();
    return false;
}

QString CClientApp::ReportException(std::exception_ptr error, bool startup)
{
    // The failure is recorded first: the box below files it as a report, the
    // prompt offers its dump and start-up logs what it was.
    RecordFailure();
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        const QString text = ErrorText(e);
        WriteLog(text, QStringLiteral("CException"), 3);
        ShowMessageBox(text, QStringLiteral("Error"), MsgBox::IconError);
        WriteLog(text, QStringLiteral("Error"), 3);
        return text;
    } catch (...) {
        if (ICrashHooks *hooks = CrashHooks())
            hooks->DisableExceptionRecording();
        WriteLog(startup ? CrashHandler::GetExceptionText() : QStringLiteral("Unknown Error"),
                 QStringLiteral("unknown error"), 3);
        OnUnhandledError();
        return QStringLiteral("unknown error");
    }
}

bool CClientApp::StartupSteps()
{
    // The command line was read before anything else (it names the data
    // folder the log is written to).
    const auto stop = [this](const QString &why) {
        m_stopReason = why;
        WriteLog(QStringLiteral("Start-up ends: ") + why, QStringLiteral("InitInstance"), 3);
        if (m_factory)
            m_factory->DestroySplash();
        return false;
    };

    if (!OverrideFlag()) {
        m_instance = std::make_unique<SingleInstance>(
            m_options.instanceName.isEmpty() ? SingleInstance::DefaultName() : m_options.instanceName);
        if (!m_instance->Acquire()) {
            m_instance.reset();
            m_started = false;
            m_stopReason = QStringLiteral("another instance is running");
            return false;
        }
        QObject::connect(m_instance.get(), &SingleInstance::ShowRequested, m_instance.get(), [this] {
            if (m_factory && MainWindowFlag())
                m_factory->ActivateMainWindow();
        });
    }

    // The guard above is skipped for a named folder or server; two clients on
    // one database would both poll and store every record twice.
    m_folderLock = std::make_unique<DataFolderLock>(GetDataFolder());
    const DataFolderLock::Result folder = m_folderLock->Acquire();
    if (folder != DataFolderLock::Result::Acquired) {
        m_folderLock.reset();
        m_started = false;
        m_stopReason = QStringLiteral("the data folder is in use");
        if (folder == DataFolderLock::Result::InUse)
            ShowMessageBox(QStringLiteral("Korvant is already running on the data folder %1 and does not answer. "
                                          "Close it, or start Korvant on another folder.")
                               .arg(QDir::toNativeSeparators(GetDataFolder())),
                           QStringLiteral("Korvant"), MsgBox::IconError);
        return false;
    }
    QObject::connect(m_folderLock.get(), &DataFolderLock::ShowRequested, m_folderLock.get(), [this] {
        WriteLog(QStringLiteral("another start on this data folder"), QStringLiteral("ShowWindow"), 5);
        if (m_factory && MainWindowFlag())
            m_factory->ActivateMainWindow();
    });

    if (m_factory)
        m_factory->ShowSplash();
    Step("SplashScreen");

    if (m_factory && !m_factory->EnableControlContainer())
        return stop(QStringLiteral("the browser views could not be set up"));
    m_started = true;
    ::CrashHooks::RemoveStaleArchives();

    Step("SetRegistryKey");

    Step("theDatabase.init");
    if (!theDatabase().init())
        return stop(QStringLiteral("the database could not be created"));

    Step("theSettings.init");
    theSettings().init();

    Step("theMeta.init");
    theMeta().init();
    Step("theMetaCars.init");
    theMetaCars().init();

    Step("theMarketPlaces.init");
    theMarketPlaces().init();

    Step("theImpSheduler.init");
    if (IImport *import = Import())
        import->SchedulerInit();

    if (theDatabase().GetDbVersion() != GetClientDbVersion()) {
        Step("theDatabase.ConvertDatabase");
        if (!theDatabase().ConvertDatabase())
            return stop(QStringLiteral("the database could not be converted"));
    }

    GetSession().SetPassportId(theDatabase().GetPassportId());
    GetSession().SetPassword(theSettings().GetString(Setting::Password));
    CrashReport::UpdateSignalTemplate();

    Step("theDatabase.OpenEx");
    GetConnectString();
    theDatabase().Connection();
    WriteLog(QStringLiteral("Open database: [OK]"), QString(), 4);

    if (theSettings().IsOn(Setting::PurgeExpired)) {
        Step("PurgeQueries()");
        PurgeQueries();
    }

    Step("XITrackInvImport");
    Step("KVInvImport");
    Step("CapInvImport");
    if (IImport *import = Import())
        import->CreateImporters();

    Step("new CMainFrame");
    IMainFrame *frame = m_factory ? m_factory->CreateMainFrame() : nullptr;
    if (!frame) {
        return stop(QStringLiteral("no main window: ") +
                    (m_factory ? m_factory->WhyNoFrame() : QStringLiteral("none in this build")));
    }
    SetMainFrame(frame);

    Step("LoadFrame(IDR_MAINFRAME)");
    if (!m_factory->LoadFrame()) {
        const QString why = m_factory->WhyNoFrame();
        return stop(QStringLiteral("the main window could not be loaded") +
                    (why.isEmpty() ? QString() : QStringLiteral(": ") + why));
    }
    SetMainWindowFlag(true);

    Step("theFrame->ShowWindow");
    m_factory->ShowFrame();
    UpdateWindowTitle();
    QDir::setCurrent(GetModuleFolder());

    Step("theFrame->StartVerSheduler");
    frame->StartVerSheduler(7200000);
    Step("theFrame->StartDataSyncSheduler");
    frame->StartDataSyncSheduler(60000);
    Step("theFrame->StartCompactDBSheduler");
    frame->StartCompactDBSheduler(7200000);

    // The window answers from here on: the member may choose Exit while a
    // request of start-up is on the wire, and start-up then ends there.
    const QString exitChosen = QStringLiteral("Exit was chosen during start-up");
    const bool newVersion = CheckNewVersion(true);
    if (ExitBegun())
        return stop(exitChosen);
    if (newVersion) {
        if (!UpdateLater()) {
            Step("UpdateClient");
            UpdateClient();
            return stop(QStringLiteral("the updater was started"));
        }
        // A postponed required update: the program runs offline.
        m_factory->DestroySplash();
        return true;
    }

    if (theSettings().IsOn(Setting::AutoLogin)) {
        Step("autologin");
        DoLogin();
    } else {
        Step("login");
        Login(1);
    }
    if (ExitBegun())
        return stop(exitChosen);

    {
        CrashReport report;
        if (report.LoadSaved())
            report.SendSaved();
    }

    Step("theImpSheduler.InventoryImportStart");
    if (IImport *import = Import())
        import->InventoryImportStart(true);

    if (GetSession().IsLoggedIn()) {
        UpdateWindowTitle();
        if (GetSession().IsLoggedIn() && theSettings().IsOn(Setting::CheckStartup)) {
            Step("thePoller.RequestBackground");
            thePoller().RequestBackground();
        }
        Step("theFrame->RebuildNavigator");
        frame->RebuildNavigator();
    }

    m_factory->DestroySplash();
    return true;
}

QString CClientApp::GetConnectString()
{
    const QString path = theDatabase().DatabasePath();
    WriteLog(path, QStringLiteral("ODBC connection string:"), 4);
    return path;
}

bool CClientApp::CheckNewVersion(bool offerOptional)
{
    VersionControl version;
    if (!version.CheckVersion())
        return false;
    LinkBoxRequest box;
    box.linkText = QStringLiteral("Release Notes");
    box.linkUrl = QStringLiteral("%1/releasenotes.html#%2")
                      .arg(QLatin1String(Korvant::MakerWebSite), Utils::GetClientVersion());
    if (version.IsUpdateRequired()) {
        box.text = QStringLiteral("The Current version of \"Korvant\" is obsolete and you have to update it.");
        box.acceptText = QStringLiteral("Update Now");
        box.declineText = QStringLiteral("Update Later");
        box.icon = MsgBox::IconWarning;
        SetUpdateLater(ShowLinkMessageDlg(box) != 1);
        return true;
    }
    if (offerOptional && version.IsNewVersionAvailable()) {
        box.text = QStringLiteral("New version of Korvant is available. Do you want to update your current version?");
        box.acceptText = QStringLiteral("Yes");
        box.declineText = QStringLiteral("No");
        box.icon = MsgBox::IconQuestion;
        return ShowLinkMessageDlg(box) == 1;
    }
    return false;
}

// --- message loop ---------------------------------------------------------------------------

int CClientApp::Run(const std::function<int()> &loop)
{
    try {
        return loop();
    } catch (...) {
        return HandleLoopException(std::current_exception());
    }
}

int CClientApp::HandleLoopException(std::exception_ptr error)
{
    ReportException(error, false);
    return 0;
}

bool CClientApp::OnIdle(int idleCount)
{
    IMainFrame *frame = Frame();
    if (idleCount > 0 && frame && MainWindowFlag() && frame->TakeCountersDirty()) {
        if (frame->GetMarketMode() == Korvant::MarketCars)
            frame->UpdateCarsCounters();
        else
            frame->UpdatePartsCounters();
    }
    return false;
}

// --- shutdown ---------------------------------------------------------------------------------

int CClientApp::ExitInstance()
{
    SetMainWindowFlag(false);
    if (m_started.exchange(false)) {
        XRequest logout(QStringLiteral("logout"));
        logout.SetTimeouts(LogoutConnectMs, LogoutTotalMs);
        logout.Send();
        GetSession().SetLoggedIn(false);
    }
    m_instance.reset();
    m_folderLock.reset();
    return 0;
}
