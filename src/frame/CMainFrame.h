#pragma once

#include "CRestrictionBar.h"
#include "CommandRules.h"
#include "app/Interfaces.h"
#include "app/XLayoutSettings.h"
#include "dialogs/PaneInterfaces.h"
#include "views/IListHost.h"

#include <QIcon>
#include <QMainWindow>
#include <QMutex>

#include <atomic>
#include <functional>
#include <map>
#include <memory>

class CChildView;
class CTrayIcon;
class FrameShutdown;
class FrameTimers;
class NewInfoModel;
class NodeCounters;
struct NodeCounter;
struct RefreshPlan;
class CInfoPanelCtrl;
class CLogo;
class CNavigatorTree;
class CProgStatusBar;
class CSizingControlBarCF;
class IFrameDialogs;
class QAction;
class QMenu;
class QStackedWidget;
class QToolBar;
class VMContextChanger;

// The one main window: status bar, tool bar, the client view with the info
// panel, the filter bars and the pane shown, the Details and Navigator bars,
// the record lists and browser panes, the logos and the market mode. It
// implements the window services the core asks for; calls from worker
// threads are applied queued on the main thread and never wait.
class CMainFrame : public QMainWindow, public IMainFrame, public IListHost
{
    Q_OBJECT
public:
    // The kinds of pane ShowPane knows.
    enum PaneKind : int {
        PaneDocument = 1,
        PanePartQueries = 2,
        PanePartInventory = 3,
        PaneSpeciality = 4,
        PaneMessages = 5,
        PaneHotDeals = 6,
        PaneCarQueries = 7,
        PaneCarInventory = 8,
        PaneOrders = 9,
        PaneDashboard = 184,
    };
    enum LogoId : int { MakerLogo = 61204, SponsorLogo = 61206 };
    static constexpr int NodeHomeParts = 185;
    static constexpr int NodeHomeCars = 188;
    static constexpr int NodeMyCatalog = 20105;
    static constexpr char SponsorWebSite[] = "https://www.korvant.example/partners";

    // `dialogs` outlives the frame; null: the placeholders.
    explicit CMainFrame(IPaneFactory &panes, IFrameDialogs *dialogs = nullptr, QWidget *parent = nullptr);
    ~CMainFrame() override;

    // The ten creation steps. False when a structural step failed; the
    // reason is logged and kept.
    bool OnCreate();
    QString CreationError() const { return m_creationError; }
    // The frame's own failures at creation step 6 arrive here as well.

    // --- panes ---------------------------------------------------------------------
    void ShowPane(int kind);
    int GetPaneKind() const { return m_paneKind; }
    int GetActiveListType() const { return m_activeList.load(); }
    IRecordList *CurrentList() const { return m_currentList; }
    IRecordList *List(IPaneFactory::ListKind kind) const;
    IRecordList *GetListForNode(int nodeId) const;
    IBrowserPane *DetailsBrowser() const { return m_detBrowser.get(); }
    IDashboardPane *Dashboard() const { return m_dashboard.get(); }
    ISpecialityPane *Speciality() const { return m_speciality.get(); }
    void ShowHome();
    void SetMarketMode(int mode);
    void ApplyProfileMarketMode();
    void SwitchToCars();
    void SwitchToParts();
    QString GetNewButtonText() const { return m_newButtonText; }

    // --- navigator ------------------------------------------------------------------
    CNavigatorTree *PartsTree() const { return m_partsTree; }
    CNavigatorTree *CarsTree() const { return m_carsTree; }
    CNavigatorTree *CurrentTree() const { return m_currentTree; }
    VMContextChanger *MarketControl() const { return m_changer; }
    void OnNavigatorSelect(int nodeId);
    QList<int> History() const { return m_history; }
    // Forces a rebuild of the current tree; the other is rebuilt when next chosen.
    void ReloadNavigator();
    // The address a server page of the page table opens.
    QString ServerPageUrl(const QString &page, const QString &parameter) const;
    void SetSubscribeRequest(const QString &marketId, int kind, bool asBuyer);

    // --- commands -------------------------------------------------------------------
    void RunCommand(int id);
    // F6 / Shift+F6: the keyboard moves between navigator, page and Details bar.
    void FocusNextPane(bool forward);
    QAction *Action(int id) const;
    QMenu *TopMenu(const QString &title) const;
    CommandState CurrentCommandState() const;
    void UpdateCommandStates();
    void OnDelete();
    void SetStatus(int id);
    void ExportInventory();
    // The page that holds a quote (-1 when the quote is unknown).
    static int GetQuoteListId(const QString &quoteId);
    static int GetCarQuoteListId(const QString &quoteId);
    IFrameDialogs &Dialogs() const { return *m_dialogs; }

    // --- parts of the window (main thread) -----------------------------------------
    CProgStatusBar *ProgStatusBar() const { return m_statusBar; }
    CChildView *ChildView() const { return m_view; }
    CInfoPanelCtrl *InfoPanel() const;
    CSizingControlBarCF *NavigatorBar() const { return m_navigatorBar; }
    CSizingControlBarCF *DetailsBar() const { return m_detailsBar; }
    QToolBar *ToolBar() const { return m_toolBar; }
    CLogo *Logo(int id) const;
    NewCounts GetNewCounts() const;

    // Shows, restores, raises and activates the window.
    void ActivateMainWindow();
    // The orderly end of the program: placement kept, the main-window flag
    // cleared, the poller stopped, the loop left.
    void OnAppExit();
    bool IsExiting() const { return m_exiting; }
    // The member closed the window: to the tray, or minimised without one.
    void OnClose();
    CTrayIcon *TrayIcon() const { return m_tray.get(); }
    InstalledFilterBars FilterBars() const { return m_bars; }
    NewInfoModel *NewInfo() const { return m_newInfo.get(); }
    // Runs a refresh plan on the main thread (nothing once Exit has begun).
    void RunPlan(const RefreshPlan &plan);
    void ApplyCounter(const NodeCounter &counter);
    void UpdateNewInfoNotice();
    void OnPollNotify();

    // --- IMainFrame ---------------------------------------------------------------
    int GetMarketMode() const override { return m_marketMode.load(); }
    QString GetMarketModeName() const override;
    int GetPageSection() const override { return m_pageSection.load(); }
    QString GetPageTitle() const override;
    bool HasNavigatorTree() const override { return m_hasTrees.load(); }
    void SetWindowTitle(const QString &title) override;
    void UpdateTrayIcon() override;
    void SetStatusText(const QString &text) override;
    bool TakeCountersDirty() override { return m_countersDirty.exchange(false); }
    void UpdatePartsCounters() override;
    void UpdateCarsCounters() override;
    void StartVerSheduler(int ms) override;
    void StartDataSyncSheduler(int ms) override;
    void StartCompactDBSheduler(int ms) override;
    void RebuildNavigator() override {}
    void ShowHowItWorks() override;
    void ApplyRoleToNavigator() override;
    void UpdateRoleMenus() override;
    void NewRecord() override;
    void SelectNavigatorItem(int nodeId) override;
    void PostExit() override;
    void SetNewCounts(const NewCounts &counts) override;
    void RefreshListAfterRequest() override;
    void RefreshSellerQueries() override;
    void RefreshSellerCarQueries() override;
    void ProgressStart(const QString &text, int range) override;
    void ProgressStep() override;
    void ProgressEnd() override;
    void SetItemCounter(int nodeId, int total, int second, bool bold) override;
    void SetItemBold(int nodeId, bool bold) override;
    void ShowTrayMessage(const QString &text, int clickAction) override;
    void NotifyCatalogChanged() override;
    void UpdateNewInfoIndicator() override;
    bool IsMinimizedOrHidden() const override { return m_minimizedOrHidden.load(); }
    void ShowImportedRecords() override;

    // --- IListHost ------------------------------------------------------------------
    int CurrentNode() const override;
    void ShowActionMenu(const QPoint &globalPos) override;
    QIcon RowIcon(int listType) const override;
    void RefreshCounters(int listType, int nodeId) override;
    void OpenDetails() override;
    void ShowHotDealPreview() override;
    void UpdateSelectedOrder() override;
    void SelectNode(int nodeId) override;
    void NewQuoteForSelection() override;
    void SendCarQuote() override;
    void NewOrderForQuote(const QString &queryId, const QString &quoteId) override;
    void ShowCarQuoteDetail(const QString &caption, const QString &quoteId) override;
    void WriteComment() override;
    void ComposeMessageForSelection() override;
    // A new message about the shown list's selected record (`kind`: see
    // XBaseListCtrl::GetMessageAddress), a broadcast without one.
    void ComposeMessage(int kind) override;
    // A message was sent: the shown list, the message list and its counter.
    void RefreshAfterMessage();
    void ShowMarketSubscription(const QString &marketId, int kind) override;
    void UpdateMessagesCounter() override;

signals:
    // The pane shown changed (kind).
    void paneShown(int kind);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Runs on the main thread: now when called there, else queued.
    void OnMain(std::function<void()> fn);
    void Step(int number, const char *what);
    void CreateBars();
    void CreateViews();
    void CreateBrowsers();
    // Makes what the panes put off (their web views); after the first expose.
    void RealizePanes();
    void CreateLists();
    void CreateNavigator();
    void CreateLogos();
    void CreateMenus();
    void SetupToolBar();
    void ConnectSignals();
    void ShowListOnNode(int pane, int node);
    void RefillFilterBar(int mode);
    void ApplyCounterOf(int nodeId);
    void UpdateMessagesAfterMarks();
    void HideToTray(bool flag);
    void OnCtxButton(int mode);
    void ToggleSearchBar();
    void RepositionLogos();
    void OnLogoClick(int id);
    void ContactUs();
    void ShowNewInfo();

    IPaneFactory &m_factory;
    std::unique_ptr<IFrameDialogs> m_ownDialogs;
    IFrameDialogs *m_dialogs;
    XLayoutSettings m_layout{QStringLiteral("MainFrm")};

    CProgStatusBar *m_statusBar = nullptr;
    QToolBar *m_toolBar = nullptr;
    CChildView *m_view = nullptr;
    CSizingControlBarCF *m_detailsBar = nullptr;
    CSizingControlBarCF *m_navigatorBar = nullptr;
    QStackedWidget *m_trees = nullptr;
    CNavigatorTree *m_partsTree = nullptr;
    CNavigatorTree *m_carsTree = nullptr;
    CNavigatorTree *m_currentTree = nullptr;
    VMContextChanger *m_changer = nullptr;
    std::map<int, QAction *> m_actions;
    QMenu *m_actionMenu = nullptr;
    QMenu *m_sellMenu = nullptr;
    QMenu *m_buyMenu = nullptr;
    QList<int> m_history;
    bool m_historyFlag = true;
    bool m_reselecting = false;
    bool m_searchBar = false;
    struct SubscribeRequest
    {
        QString marketId;
        int kind = 0;
        bool asBuyer = false;
    } m_subscribe;
    std::atomic<bool> m_hasTrees{false};
    InstalledFilterBars m_bars;
    std::unique_ptr<NodeCounters> m_counters;
    std::unique_ptr<NewInfoModel> m_newInfo;
    std::unique_ptr<CTrayIcon> m_tray;
    std::unique_ptr<FrameTimers> m_timers;
    std::unique_ptr<FrameShutdown> m_exit;
    bool m_trayFlag = false;
    // Read by import threads before they ask the member anything.
    std::atomic<bool> m_minimizedOrHidden{true};
    CLogo *m_makerLogo = nullptr;
    CLogo *m_sponsorLogo = nullptr;

    std::unique_ptr<IBrowserPane> m_docBrowser;
    std::unique_ptr<IBrowserPane> m_detBrowser;
    std::unique_ptr<ISpecialityPane> m_speciality;
    std::unique_ptr<IDashboardPane> m_dashboard;
    std::map<IPaneFactory::ListKind, std::unique_ptr<IRecordList>> m_lists;
    IRecordList *m_currentList = nullptr;

    std::atomic<int> m_marketMode{-1};
    std::atomic<int> m_pageSection{2};
    std::atomic<int> m_activeList{0};
    // Set from the start: the first idle moment counts the navigator.
    std::atomic<bool> m_countersDirty{true};
    int m_paneKind = 0;
    QString m_newButtonText;
    // Rows paint their icon on every repaint: a fresh style icon reads and
    // decodes its image files each time, a kept one has its pixmaps cached.
    mutable QIcon m_rowIcons[3];

    mutable QMutex m_mutex;  // guards what worker threads read or write
    QString m_pageTitle;
    NewCounts m_counts;

    // The worker side of the progress: only whole-percent changes are queued.
    QMutex m_progressMutex;
    int m_progressRange = 100;
    int m_progressPos = 0;
    int m_progressPercent = 0;

    QString m_creationError;
    int m_step = 0;
    bool m_placementApplied = false;
    bool m_panesRealized = false;
    // The shown pane has details: the Details bar is shown with it.
    bool m_detailsWanted = false;
    void StoreLayout();
    void ShowPageTitle(const QString &title);
    void ApplyLayout();
    void SizeDetailsBar();
    bool m_exiting = false;
};
