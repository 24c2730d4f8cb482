#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/Globals.h"
#include "app/TasksDispatcher.h"
#include "app/XSLTransformer.h"
#include "app/XSettings.h"
#include "application/CClientApp.h"
#include "application/StallProbe.h"
#include "application/TerminationSignals.h"
#include "browser/AppCommands.h"
#include "browser/AppUrl.h"
#include "browser/CWebBrowser2.h"
#include "browser/HtmlPrinting.h"
#include "browser/WebHost.h"
#include "db/KVDatabase.h"
#include "dialogs/CWizardScopeDlg.h"
#include "dialogs/NewInventoryImpDlg.h"
#include "dialogs/OptionsPropSheet.h"
#include "dialogs/PageLinks.h"
#include "forms/ProfilePropertySheet.h"
#include "dialogs/WidgetDialogs.h"
#include "browser/AddressBookDlg.h"
#include "forms/AddCommentsDlg.h"
#include "forms/FilterCarsDlg.h"
#include "forms/NewQueryCarsPropSheet.h"
#include "forms/NewInfoDlg.h"
#include "forms/NewInventoryCarsPropSheet.h"
#include "forms/NewInventoryDlg.h"
#include "forms/NewQuoteDlg.h"
#include "forms/SellerQueries.h"
#include "forms/NewMessageDlg.h"
#include "forms/CarQuoteDetail.h"
#include "forms/HotDealEditorDlg.h"
#include "forms/NewOrderDlg.h"
#include "forms/NewQueryDlg.h"
#include "forms/OrderUpdateDlg.h"
#include "forms/PrintOrderDlg.h"
#include "forms/SearchUserDlg.h"
#include "views/SearchDlg.h"
#include "frame/CMainFrame.h"
#include "frame/FrameCommands.h"
#include "frame/FrameFormHost.h"
#include "frame/GuiFrameFactory.h"
#include "frame/SignalShutdown.h"
#include "frame/IFrameDialogs.h"
#include "views/ListRegistry.h"
#include "views/ListState.h"
#include "views/ViewsPaneFactory.h"
#include "import/ImportArray.h"
#include "net/NetInit.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"
#include "net/XProfile.h"
#include "sync/XPoller.h"

#include <QApplication>
#include <QScopeGuard>
#include <QFile>
#include <QTimer>
#include <QWindow>

#include <memory>
#include <sys/stat.h>
#include <time.h>

namespace {

// The last-resort guard of the message loop: a failure escaping an event
// handler is logged, shown and reported, and the program ends.
class KorvantApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        ++s_depth;
        const auto leave = qScopeGuard([] { --s_depth; });
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

    // Events being handled now, one inside another: 1 is the main loop's own.
    static int Depth() { return s_depth; }

private:
    static inline int s_depth = 0;
};


// The start-up benchmark's probe: with KORVANT_EXPOSE_PROBE naming a file, the
// monotonic time of the main window's first expose is written there and the
// program ends as Exit ends it. The window is often exposed while start-up
// still waits for the server; Exit waits for the main loop then, as a quit
// inside start-up would be lost when the loop starts.
class ExposeProbe : public QObject
{
public:
    ExposeProbe(GuiFrameFactory &factory, QString file) : m_factory(factory), m_file(std::move(file)) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        CMainFrame *frame = m_factory.Frame();
        if (!m_done && event->type() == QEvent::Expose && frame && watched == static_cast<QObject *>(frame->windowHandle())) {
            m_done = true;
            timespec now{};
            ::clock_gettime(CLOCK_MONOTONIC, &now);
            QFile out(m_file);
            if (out.open(QIODevice::WriteOnly))
                out.write(QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec));
            if (m_looping)
                frame->PostExit();
        }
        return false;
    }

    // Called from the main loop's first event.
    void LoopStarted()
    {
        m_looping = true;
        if (CMainFrame *frame = m_factory.Frame(); m_done && frame)
            frame->PostExit();
    }

private:
    GuiFrameFactory &m_factory;
    QString m_file;
    bool m_done = false;
    bool m_looping = false;
};

// The trading forms of this version; the other dialogs stay placeholders.
class FormsFrameDialogs : public PlaceholderFrameDialogs
{
public:
    explicit FormsFrameDialogs(IFormHost &host) : m_host(host) {}

    int NewQueryDlg(const QString &title, const QMap<QString, QString> &fields) override
    {
        ::NewQueryDlg dlg(&m_host, title, m_host.DialogParent());
        if (!fields.isEmpty())
            dlg.InitFromParams(fields);
        return dlg.DoModal();
    }
    int NewMessageDlg(const MessageAddress &address) override
    {
        ::NewMessageDlg dlg(&m_host, m_host.DialogParent());
        dlg.SetAddress(address);
        return dlg.DoModal();
    }
    int AddCommentsDlg() override
    {
        ::AddCommentsDlg dlg(&m_host, m_host.DialogParent());
        return dlg.DoModal();
    }
    int NewInfoDlg() override
    {
        ::NewInfoDlg dlg(&m_host, m_host.DialogParent());
        return dlg.DoModal();
    }
    int SearchUserDlg() override
    {
        ::SearchUserDlg dlg(&m_host, m_host.DialogParent());
        return dlg.DoModal();
    }
    int AddressBookDlg() override
    {
        ::AddressBookDlg dlg(m_host.DialogParent());
        return dlg.DoModal();
    }
    int SearchDlg() override
    {
        ::SearchDlg dlg(GetActiveListType(), m_listHost, m_host.DialogParent());
        return dlg.DoModal();
    }
    int NewInventoryDlg(qint64 recordId) override
    {
        ::NewInventoryDlg dlg(&m_host, recordId, m_host.DialogParent());
        return dlg.DoModal();
    }
    int NewQuoteDlg() override
    {
        ::NewQuoteDlg dlg(&m_host, m_host.SellerQueries(Korvant::MarketParts), m_host.DialogParent());
        return dlg.DoModal();
    }
    int SubmitQuickQuote(const QMap<QString, QString> &params, const QString &pictureFile) override
    {
        ::NewQuoteDlg dlg(&m_host, m_host.SellerQueries(Korvant::MarketParts), m_host.DialogParent());
        return dlg.SubmitQuickQuote(params, pictureFile) ? MsgBox::IdOk : MsgBox::IdCancel;
    }
    int NewQueryCarsPropSheet(const QString &title, const QMap<QString, QString> &params) override
    {
        ::NewQueryCarsPropSheet sheet(&m_host, title, m_host.DialogParent());
        if (!params.isEmpty())
            sheet.MainPage()->InitFromParams(params);
        return sheet.DoModal();
    }
    int FilterCarsDlg() override
    {
        ::FilterCarsDlg dlg(m_host.DialogParent(), 1);
        return dlg.DoModal();
    }

    int NewInventoryCarsPropSheet(const QString &title, bool quoteMode, qint64 recordId) override
    {
        ::NewInventoryCarsPropSheet sheet(&m_host, title, quoteMode, recordId, m_host.DialogParent());
        return sheet.DoModal();
    }
    int CarQuoteDetail(const QString &caption, const QString &quoteId, bool parts, int picture) override
    {
        ::CarQuoteDetail dlg(m_host.DialogParent());
        dlg.SetQuoteId(quoteId);
        dlg.SetParts(parts);
        dlg.SetCaption(caption);
        if (picture > 0)
            dlg.SetPictureMode(picture);
        dlg.SetSendMessage([this] {
            if (m_listHost)
                m_listHost->ComposeMessageForSelection();
        });
        return dlg.DoModal();
    }
    int HotDealEditorDlg() override
    {
        ::HotDealEditorDlg dlg(&m_host, m_host.DialogParent());
        return dlg.DoModal();
    }
    int NewOrderDlg(const QString &, const QString &quoteId) override
    {
        ::NewOrderDlg dlg(&m_host, QStringLiteral("quote"), quoteId, m_host.DialogParent());
        return dlg.DoModal();
    }
    int OrderUpdateDlg() override
    {
        const QString id = m_host.SelectedOrderId();
        if (id.isEmpty())
            return 2;
        ::OrderUpdateDlg dlg(&m_host, id, m_host.DialogParent());
        return dlg.DoModal();
    }
    int PrintOrderDlg() override
    {
        const QString id = m_host.SelectedOrderId();
        if (id.isEmpty())
            return 2;
        ::PrintOrderDlg dlg(id, m_host.DialogParent());
        return dlg.DoModal();
    }
    int PrintDetailPage(const QString &html) override
    {
        QWidget *parent = m_host.DialogParent();
        return HtmlPrinting::Print(
                   html, [parent](QPrinter &printer) { return HtmlPrinting::AskPrinter(printer, parent); },
                   QStringLiteral("Print"), QStringLiteral("The page could not be printed."))
                   ? MsgBox::IdOk
                   : MsgBox::IdCancel;
    }
    void SetListHost(IListHost *host) { m_listHost = host; }
    // A negative page opens the page shown last during this run.
    int OptionsPropSheet(int page) override
    {
        ::OptionsPropSheet dlg(QStringLiteral("Options"), m_host.DialogParent());
        return dlg.DoModal(page < 0 ? ::OptionsPropSheet::LastPage() : page);
    }
    int CWizardScopeDlg() override
    {
        ::CWizardScopeDlg dlg(m_host.DialogParent(), 1);
        return dlg.DoModal();
    }
    int ProfilePropertySheet(const QString &caption, int mode, int startPage) override
    {
        ::ProfilePropertySheet sheet(&m_host, caption, mode, m_host.DialogParent(), startPage);
        return sheet.DoModal();
    }
    int NewInventoryImpDlg() override
    {
        ::NewInventoryImpDlg dlg(m_host.DialogParent());
        return dlg.DoModal();
    }

private:
    IFormHost &m_host;
    IListHost *m_listHost = nullptr;
};

// In-page command addresses opened from dialogs, run as the window's pages run them.
class DialogPageLinks : public IPageLinks, private IPageHost
{
public:
    DialogPageLinks() { SetPageLinks(this); }
    ~DialogPageLinks() override { SetPageLinks(nullptr); }
    void SetFrame(CMainFrame *frame) { m_commands = frame ? std::make_unique<FrameCommands>(*frame) : nullptr; }
    bool RunPageLink(const QString &url) override
    {
        QString command;
        AppParams params;
        return m_commands && AppUrl::ParseAppUrl(url, &command, &params) && AppCommands::Run(command, params, *m_commands, *this);
    }

private:
    // No page stands behind a dialog's link.
    void Redraw() override {}
    void StopAndNavigate(const QString &) override {}
    void FillQuoteInputs(const QString &, const QString &, const QString &, int) override {}
    void NotifyGetContact() override {}
    void AcceptOwnerDialog() override {}
    void RejectOwnerDialog() override {}
    IOrderPage *OwnerOrderPage() override { return nullptr; }

    std::unique_ptr<FrameCommands> m_commands;
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
        // Panes: the record lists, then the browsers, then placeholders for the rest.
        PlaceholderPaneFactory placeholders;
        BrowserPaneFactory browsers(placeholders);
        ViewsPaneFactory views(browsers);
        FrameFormHost formHost;
        FormsFrameDialogs frameDialogs(formHost);
        dialogs.SetProfileSheetOpener([&formHost](const QString &caption, bool editing) {
            ProfilePropertySheet sheet(&formHost, caption, editing ? 1 : 0, formHost.DialogParent());
            return sheet.DoModal();
        });
        DialogPageLinks pageLinks;
        GuiFrameFactory factory(&views, true, &frameDialogs);
        factory.SetFrameCreatedHook([&views, &formHost, &frameDialogs, &pageLinks](CMainFrame &frame) {
            views.SetListHost(&frame);
            frameDialogs.SetListHost(&frame);
            formHost.Attach(&frame);
            pageLinks.SetFrame(&frame);
        });
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
        Globals::Install(GlobalSlot::ImportArray, std::make_unique<CImportArray>());
        Globals::Install(GlobalSlot::ListStates, std::make_unique<ListStateMap>());
        app.SetRecordViews(&ListRegistry::Instance());
        ImportService import;
        app.SetImport(&import);

        // SIGINT and SIGTERM end the program the way Exit does, from any state.
        SignalShutdown shutdown([&factory] { return factory.Frame(); },
                                [] { return KorvantApplication::Depth() == 1; });
        TerminationSignals termination;
        QObject::connect(&termination, &TerminationSignals::terminationRequested,
                         [&shutdown](int number) { shutdown.Begin(number); });
        std::unique_ptr<ExposeProbe> probe;
        if (qEnvironmentVariableIsSet("KORVANT_EXPOSE_PROBE")) {
            probe = std::make_unique<ExposeProbe>(factory, qEnvironmentVariable("KORVANT_EXPOSE_PROBE"));
            qapp.installEventFilter(probe.get());
        }
        // How long the window waits for its events: its stalls from start-up
        // on (the start-up login's included), its summary from the main
        // loop's start (start-up has its own benchmark).
        const std::unique_ptr<StallProbe> stalls = StallProbe::FromEnvironment();
        // A signal during start-up (a sheet, a box) ends it there: the loop
        // would otherwise start afresh after the quit and run on.
        if (app.InitInstance() && !SignalShutdown::IsRequested()) {
            QTimer idle;
            int idleCount = 0;
            QObject::connect(&idle, &QTimer::timeout, [&] { app.OnIdle(++idleCount); });
            idle.start(250);
            if (stalls)
                stalls->StartSummary();
            if (probe)
                QTimer::singleShot(0, probe.get(), [&probe] { probe->LoopStarted(); });
            exitCode = app.Run([] { return QApplication::exec(); });
        }
        shutdown.Finish();
        app.SetMainWindowFlag(false);
        if (XPoller *poller = thePollerIfAny())
            poller->Exit();
        import.CancelAndWait();
        app.ExitInstance();
        restart = app.TakePendingRestart();
        app.Dispatcher().Shutdown();
        factory.DestroyFrame();
        formHost.Attach(nullptr);
        app.SetFrameFactory(nullptr);
        app.SetImport(nullptr);
        app.SetRecordViews(nullptr);
        app.SetDialogs(nullptr);
    }
    SignalShutdown::Ended();
    // The new run starts once this one has closed its database and its guard.
    if (restart.pending)
        CClientApp::StartDetached(restart.program, restart.arguments);
    return exitCode;
}
