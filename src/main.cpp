#include "app/AppCore.h"
#include "app/Globals.h"
#include "app/TasksDispatcher.h"
#include "app/XSLTransformer.h"
#include "app/XSettings.h"
#include "app/XVersionInfo.h"
#include "application/CClientApp.h"
#include "browser/WebHost.h"
#include "db/KVDatabase.h"
#include "dialogs/SplashWnd.h"
#include "dialogs/WidgetDialogs.h"
#include "net/NetInit.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"
#include "net/XProfile.h"
#include "sync/XPoller.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>
#include <sys/stat.h>

namespace {

// The last-resort guard of the message loop: a failure escaping an event
// handler is logged, shown and reported, and the program ends.
class KorvantApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            if (CClientApp *app = theClientAppIfAny())
                exit(app->HandleLoopException(std::current_exception()));
            else
                exit(0);
            return false;
        }
    }
};

// The About box: the program's version and build.
class CAboutDlg : public QDialog
{
public:
    explicit CAboutDlg(QWidget *parent = nullptr) : QDialog(parent)
    {
        setWindowTitle(QStringLiteral("About Korvant"));
        auto *layout = new QVBoxLayout(this);
        XVersionInfo info;
        info.Open(theApp().GetModuleFilePath());
        auto *version = new QLabel(QStringLiteral("%1  %2").arg(QStringLiteral("Version: ") + info.GetProductVersion(),
                                                                QStringLiteral("Build: ") + info.GetProductBuild()),
                                   this);
        version->setObjectName(QStringLiteral("version"));
        layout->addWidget(version);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        layout->addWidget(buttons);
    }
};

// What start-up asks of the main window's subsystem. The splash is real; the
// main window is the next subsystem to land, so start-up ends before it.
class GuiFrameFactory : public IFrameFactory
{
public:
    void ShowSplash() override
    {
        m_splash = std::make_unique<CSplashWnd>();
        m_splash->SetPicture(CSplashWnd::DrawPicture());
        m_splash->ShowSplash(-1);
    }
    void DestroySplash() override { m_splash.reset(); }
    bool EnableControlContainer() override
    {
        m_webHost = std::make_unique<WebHost>();
        return true;
    }
    IMainFrame *CreateMainFrame() override { return nullptr; }
    QString WhyNoFrame() const override { return QStringLiteral("the main window is not part of this build yet"); }
    bool LoadFrame() override { return false; }
    void ShowFrame() override {}
    void ActivateMainWindow() override {}

private:
    std::unique_ptr<CSplashWnd> m_splash;
    std::unique_ptr<WebHost> m_webHost;
};

} // namespace

int main(int argc, char *argv[])
{
    // Every file the program and SQLite create is the user's alone.
    ::umask(077);
    WebHost::PrepareProcess();
    KorvantApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvant"));
    QApplication::setOrganizationName(QStringLiteral("Korvant"));
    NetInit net;

    CClientApp::RestartCommand restart;
    int exitCode = 0;
    {
        GlobalsScope globals;
        Globals::Install(GlobalSlot::App, std::make_unique<CClientApp>());
        CClientApp &app = theClientApp();
        WidgetDialogs dialogs;
        GuiFrameFactory factory;
        app.SetDialogs(&dialogs);
        app.SetFrameFactory(&factory);
        app.ParseCommandLine(QCoreApplication::arguments());
        Globals::Install(GlobalSlot::Meta, std::make_unique<XMetaData>());
        Globals::Install(GlobalSlot::MetaCars, std::make_unique<XMetaDataCars>());
        Globals::Install(GlobalSlot::Settings, std::make_unique<XSettings>());
        Globals::Install(GlobalSlot::Profile, std::make_unique<XProfile>());
        Globals::Install(GlobalSlot::MarketPlaces, std::make_unique<XMarketPlaces>());
        Globals::Install(GlobalSlot::Database, std::make_unique<KVDatabase>());
        Globals::Install(GlobalSlot::Poller, std::make_unique<XPoller>());
        Globals::Install(GlobalSlot::XslTransformer, std::make_unique<XSLTransformer>());
        Globals::Install(GlobalSlot::TasksDispatcher, std::make_unique<TasksDispatcher>());

        if (app.InitInstance()) {
            QTimer idle;
            int idleCount = 0;
            QObject::connect(&idle, &QTimer::timeout, [&] { app.OnIdle(++idleCount); });
            idle.start(250);
            exitCode = app.Run([] { return QApplication::exec(); });
        }
        if (XPoller *poller = thePollerIfAny())
            poller->Exit();
        app.ExitInstance();
        restart = app.TakePendingRestart();
        app.Dispatcher().Shutdown();
        app.SetFrameFactory(nullptr);
        app.SetDialogs(nullptr);
    }
    // The new run starts once this one has closed its database and its guard.
    if (restart.pending)
        CClientApp::StartDetached(restart.program, restart.arguments);
    return exitCode;
}
