#pragma once

// What the core libraries need of the windows above them. The GUI implements
// these and main() installs them; tests install recording fakes. Every method
// may be called from any thread unless it says otherwise: implementations
// that touch widgets hop to the main thread themselves (queued, never blocking
// the caller) or answer through the UiDispatcher.

#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

// Message box flags and answers (the values the callers test).
namespace MsgBox {
enum Flags : unsigned {
    Ok = 0x0,
    OkCancel = 0x1,
    YesNoCancel = 0x3,
    YesNo = 0x4,
    RetryCancel = 0x5,
    IconError = 0x10,
    IconQuestion = 0x20,
    IconWarning = 0x30,
    IconInformation = 0x40,
    DefButton2 = 0x100,
};
enum Answer : int { IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7 };
// Icon resource ids the boxes are given.
enum Icon : int { IconResError = 32513, IconResQuestion = 32514, IconResWarning = 32515, IconResInformation = 32516 };
} // namespace MsgBox

// The ten new-item counts the poll copies into the main frame, in this order.
struct NewCounts
{
    enum Index {
        Queries, CarQueries, Quotes, CarQuotes, AutoReplied, Messages, CarMessages, HotDeals, Orders, OrderUpdates, Size
    };
    std::array<int, Size> value{};
    bool operator==(const NewCounts &) const = default;
};

// The main window's services.
class IMainFrame
{
public:
    virtual ~IMainFrame() = default;

    // Read on the main thread and on worker threads.
    virtual int GetMarketMode() const = 0;   // 0 parts, 1 cars, -1 before the first switch
    virtual QString GetMarketModeName() const = 0;  // "Parts" or "Cars"
    virtual int GetPageSection() const = 0;  // 0 Home, 1 Buy, 2 Sell, 3 General, 4 Affiliate, 5 Sale
    virtual QString GetPageTitle() const = 0;
    virtual bool HasNavigatorTree() const = 0;

    virtual void SetWindowTitle(const QString &title) = 0;
    virtual void UpdateTrayIcon() = 0;
    virtual void SetStatusText(const QString &text) = 0;
    virtual bool TakeCountersDirty() = 0;  // returns the counters-dirty flag and clears it
    virtual void UpdatePartsCounters() = 0;
    virtual void UpdateCarsCounters() = 0;
    virtual void StartVerSheduler(int ms) = 0;
    virtual void StartDataSyncSheduler(int ms) = 0;
    virtual void StartCompactDBSheduler(int ms) = 0;
    virtual void RebuildNavigator() = 0;
    virtual void ShowHowItWorks() = 0;
    virtual void ApplyRoleToNavigator() = 0;
    virtual void UpdateRoleMenus() = 0;
    virtual void NewRecord() = 0;
    virtual void SelectNavigatorItem(int nodeId) = 0;
    virtual void PostExit() = 0;

    // From the poll and auto-reply threads; the window applies them queued.
    virtual void SetNewCounts(const NewCounts &counts) = 0;
    virtual void RefreshListAfterRequest() = 0;
    virtual void RefreshSellerQueries() = 0;
    virtual void RefreshSellerCarQueries() = 0;
    virtual void ProgressStart(const QString &text, int range) = 0;
    virtual void ProgressStep() = 0;
    virtual void ProgressEnd() = 0;
    virtual void SetItemCounter(int nodeId, int total, int second, bool bold) = 0;
    virtual void SetItemBold(int nodeId, bool bold) = 0;
    // The tray pop-up; clickAction 0 = poll news, 1 = import news.
    virtual void ShowTrayMessage(const QString &text, int clickAction) = 0;
    // An import starts or ends: My Catalog shows or leaves its "import running" state (queued).
    virtual void NotifyCatalogChanged() {}
    // The alert settings changed: the new-information indicator follows them.
    virtual void UpdateNewInfoIndicator() {}
    // Any thread: the window is minimised or hidden in the tray, so questions wait.
    virtual bool IsMinimizedOrHidden() const { return false; }
    // Any thread: the member asked to see the records just imported (queued).
    virtual void ShowImportedRecords() {}
};

// The record views' services.
class IRecordViews
{
public:
    enum class ListKind { Queries, CarQueries, Orders, HotDeals, Messages, Inventory, CarInventory };
    enum Operation : int { OpSendMessage = 14 };

    virtual ~IRecordViews() = default;
    // Whether the list shown for that kind can perform the operation on its selection.
    virtual bool IsOperationEnabled(ListKind kind, int operation) const = 0;
    // Rebuild the speciality page's filter from the profile (queued to the window).
    virtual void BuildSpecialityFilterXml() = 0;
};

// The modeless progress dialog.
class IProgress
{
public:
    virtual ~IProgress() = default;
    virtual void Create(const QString &caption) = 0;
    virtual bool IsCreated() const = 0;
    virtual void SetStatus(const QString &text) = 0;
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetStep(int step) = 0;
    virtual void StepIt() = 0;
    // Returns whether Cancel was pressed since the last call and clears it.
    virtual bool CheckCancelButton() = 0;
};

struct LinkBoxRequest
{
    QString text;
    QString linkText;
    QString linkUrl;
    QString acceptText;
    QString declineText;
    unsigned icon = MsgBox::IconQuestion;
};

// The account dialogs and the program's own boxes. Called on the main thread
// only; AppCore routes worker-thread calls through the UiDispatcher.
class IDialogs
{
public:
    virtual ~IDialogs() = default;
    virtual int MessageBox(const QString &text, const QString &caption, unsigned flags) = 0;
    virtual int MessageDlg(const QString &text, const QString &detail, int *flag, int mode, int icon) = 0;
    virtual int MessageDlg2(const QString &text, const QString &detail, int *flag, int mode, int icon) = 0;
    virtual int LinkMessageDlg(const LinkBoxRequest &request) = 0;
    virtual int LoginDlg(int mode) = 0;
    virtual int ProfileSheet(const QString &caption, bool editing) = 0;
    virtual int SubscribeMsgDlg(const QString &notice, bool disableBuyPasses) = 0;
    // Empty when the member does not confirm.
    virtual QString GetOpenFileName(const QString &title, const QString &filter, const QString &file) = 0;
    virtual QString GetSaveFileName(const QString &title, const QString &filter, const QString &defaultExt,
                                    const QString &file) = 0;
    virtual std::unique_ptr<IProgress> CreateProgress() = 0;
};

// The inventory import's services.
class IImport
{
public:
    virtual ~IImport() = default;
    virtual void CreateImporters() = 0;
    virtual void SchedulerInit() = 0;
    virtual void InventoryImportStart(bool fromStartup) = 0;
    // Cancels a running import and returns once it has ended.
    virtual void CancelAndWait() = 0;
};

// The report code of a failure the program caught as a C++ exception.
constexpr uint32_t CppExceptionCode = 0xE06D7363;

// The crash handler's hooks that the log and the boxes call.
class ICrashHooks
{
public:
    virtual ~ICrashHooks() = default;
    virtual bool IsRecentException() = 0;
    virtual void FileReportFromMessageBox(const QString &text) = 0;
    virtual void DisableExceptionRecording() = 0;
    virtual void OnUnhandledError() = 0;
    // Records a failure the program caught itself (code and address as the
    // report shows them; address 0 when unknown).
    virtual void RecordException(uint32_t code, uint64_t address) = 0;
    // Gives the calling thread what the fatal-signal handler needs on it.
    virtual void PrepareThread() = 0;
};

// Opens the member's session (CClientApp::DoLogin). Runs on any thread.
class ILoginHook
{
public:
    virtual ~ILoginHook() = default;
    virtual bool DoLogin() = 0;
};

// One picture of a quote or inventory record: its file, its text and its slot ("1" to "6").
struct InvPicture
{
    QString file;
    QString text;
    QString number;
};

// The pictures of a part (one slot) or a car (six slots), collected without a window.
class PictureCollection
{
public:
    // Not "slots": Qt defines that word away, which left every collection without slots.
    explicit PictureCollection(int count) : m_files(qMax(0, count)), m_titles(qMax(0, count)) {}
    int Slots() const { return m_files.size(); }
    void SetPicture(int slot, const QString &file, const QString &title = QString())
    {
        if (slot >= 0 && slot < m_files.size()) {
            m_files[slot] = file;
            m_titles[slot] = title;
        }
    }
    QString File(int slot) const { return slot >= 0 && slot < m_files.size() ? m_files[slot] : QString(); }
    QString Title(int slot) const { return slot >= 0 && slot < m_titles.size() ? m_titles[slot] : QString(); }
    // One picture per slot, in slot order, the path trimmed (also in the slot).
    // Empty slots are listed too, with an empty path: the savers delete the
    // files of a removed picture, and a picture keeps its number.
    void CollectPictures()
    {
        m_pictures.clear();
        for (int i = 0; i < m_files.size(); ++i) {
            m_files[i] = m_files[i].trimmed();
            m_pictures.append({m_files[i], m_titles[i], QString::number(i + 1)});
        }
    }
    const QList<InvPicture> &Pictures() const { return m_pictures; }

private:
    QList<QString> m_files;
    QList<QString> m_titles;
    QList<InvPicture> m_pictures;
};
