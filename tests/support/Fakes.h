#pragma once

// Recording fakes of the interfaces the core needs of the windows above it.

#include "app/Interfaces.h"

#include <QCoreApplication>
#include <QMutex>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <functional>

// Thread-safe call record: "Name|arg|arg"; calls made off the main thread
// are also kept apart.
class CallLog
{
public:
    void Add(const QString &entry)
    {
        QMutexLocker l(&m_mutex);
        m_calls.append(entry);
        const QCoreApplication *app = QCoreApplication::instance();
        if (app && QThread::currentThread() != app->thread())
            m_offMain.append(entry);
    }
    QStringList OffMainThread() const
    {
        QMutexLocker l(&m_mutex);
        return m_offMain;
    }
    QStringList Calls() const
    {
        QMutexLocker l(&m_mutex);
        return m_calls;
    }
    int Count(const QString &prefix) const
    {
        QMutexLocker l(&m_mutex);
        int n = 0;
        for (const QString &c : m_calls)
            n += c.startsWith(prefix) ? 1 : 0;
        return n;
    }
    void Clear()
    {
        QMutexLocker l(&m_mutex);
        m_calls.clear();
        m_offMain.clear();
    }

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
    QStringList m_offMain;
};

class FakeProgress : public IProgress
{
public:
    explicit FakeProgress(CallLog &log) : m_log(log) {}
    void Create(const QString &caption) override { m_created = true; m_log.Add("Progress.Create|" + caption); }
    bool IsCreated() const override { return m_created; }
    void SetStatus(const QString &text) override { m_log.Add("Progress.SetStatus|" + text); }
    void SetRange(int lower, int upper) override { m_log.Add(QStringLiteral("Progress.SetRange|%1|%2").arg(lower).arg(upper)); }
    void SetStep(int step) override { m_log.Add(QStringLiteral("Progress.SetStep|%1").arg(step)); }
    void StepIt() override { ++steps; }
    bool CheckCancelButton() override;

    int steps = 0;
    // Cancel is reported once when the step count reaches this number.
    int cancelAtStep = -1;

private:
    CallLog &m_log;
    bool m_created = false;
};

class FakeDialogs : public IDialogs
{
public:
    int MessageBox(const QString &text, const QString &caption, unsigned flags) override;
    int MessageDlg(const QString &text, const QString &detail, int *flag, int mode, int icon) override;
    int MessageDlg2(const QString &text, const QString &detail, int *flag, int mode, int icon) override;
    int LinkMessageDlg(const LinkBoxRequest &request) override;
    int LoginDlg(int mode) override;
    int ProfileSheet(const QString &caption, bool editing) override;
    int SubscribeMsgDlg(const QString &notice, bool disableBuyPasses) override;
    QString GetOpenFileName(const QString &title, const QString &filter, const QString &file) override;
    QString GetSaveFileName(const QString &title, const QString &filter, const QString &defaultExt,
                            const QString &file) override;
    std::unique_ptr<IProgress> CreateProgress() override;

    // Answers given in order; when empty, defaultAnswer.
    void QueueAnswer(int answer);
    void QueueFileName(const QString &name);
    int defaultAnswer = MsgBox::IdOk;
    // The progress created next reports Cancel at this step (-1: never).
    int cancelAtStep = -1;
    FakeProgress *lastProgress = nullptr;
    // Runs inside LoginDlg / ProfileSheet (a test fills the session there).
    std::function<int(int)> onLogin;
    std::function<int(const QString &, bool)> onProfileSheet;
    // Runs inside MessageBox, before its answer.
    std::function<void(const QString &)> onMessageBox;

    CallLog log;

private:
    int NextAnswer();
    QMutex m_mutex;
    QList<int> m_answers;
    QStringList m_fileNames;
};

class FakeMainFrame : public IMainFrame
{
public:
    int GetMarketMode() const override { return marketMode.load(); }
    QString GetMarketModeName() const override { return marketMode.load() == 1 ? "Cars" : "Parts"; }
    int GetPageSection() const override { return pageSection.load(); }
    QString GetPageTitle() const override { return pageTitle; }
    bool HasNavigatorTree() const override { return hasTree; }
    void SetWindowTitle(const QString &title) override { log.Add("SetWindowTitle|" + title); windowTitle = title; }
    void UpdateTrayIcon() override { log.Add("UpdateTrayIcon"); }
    void SetStatusText(const QString &text) override { log.Add("SetStatusText|" + text); }
    bool TakeCountersDirty() override { return countersDirty.exchange(false); }
    void UpdatePartsCounters() override { log.Add("UpdatePartsCounters"); }
    void UpdateCarsCounters() override { log.Add("UpdateCarsCounters"); }
    void StartVerSheduler(int ms) override { log.Add(QStringLiteral("StartVerSheduler|%1").arg(ms)); }
    void StartDataSyncSheduler(int ms) override { log.Add(QStringLiteral("StartDataSyncSheduler|%1").arg(ms)); }
    void StartCompactDBSheduler(int ms) override { log.Add(QStringLiteral("StartCompactDBSheduler|%1").arg(ms)); }
    void RebuildNavigator() override { log.Add("RebuildNavigator"); }
    void ShowHowItWorks() override { log.Add("ShowHowItWorks"); }
    void ApplyRoleToNavigator() override { log.Add("ApplyRoleToNavigator"); }
    void UpdateRoleMenus() override { log.Add("UpdateRoleMenus"); }
    void NewRecord() override { log.Add("NewRecord"); }
    void SelectNavigatorItem(int nodeId) override { log.Add(QStringLiteral("SelectNavigatorItem|%1").arg(nodeId)); }
    void PostExit() override { log.Add("PostExit"); }
    void SetNewCounts(const NewCounts &c) override;
    void RefreshListAfterRequest() override { log.Add("RefreshListAfterRequest"); }
    void RefreshSellerQueries() override { log.Add("RefreshSellerQueries"); }
    void RefreshSellerCarQueries() override { log.Add("RefreshSellerCarQueries"); }
    void ProgressStart(const QString &text, int range) override { log.Add(QStringLiteral("ProgressStart|%1|%2").arg(text).arg(range)); }
    void ProgressStep() override { log.Add("ProgressStep"); }
    void ProgressEnd() override { log.Add("ProgressEnd"); }
    void SetItemCounter(int nodeId, int total, int second, bool bold) override;
    void SetItemBold(int nodeId, bool bold) override { log.Add(QStringLiteral("SetItemBold|%1|%2").arg(nodeId).arg(bold)); }
    void ShowTrayMessage(const QString &text, int clickAction) override;
    void NotifyCatalogChanged() override { log.Add("NotifyCatalogChanged"); }
    void UpdateNewInfoIndicator() override { log.Add("UpdateNewInfoIndicator"); }
    bool IsMinimizedOrHidden() const override { return minimized.load(); }
    void ShowImportedRecords() override { log.Add("ShowImportedRecords"); }
    std::atomic<bool> minimized{false};

    NewCounts Counts() const;

    std::atomic<int> marketMode{0};
    std::atomic<int> pageSection{0};
    std::atomic<bool> countersDirty{false};
    QString pageTitle = QStringLiteral("Home");
    QString windowTitle;
    bool hasTree = true;
    CallLog log;

private:
    mutable QMutex m_mutex;
    NewCounts m_counts;
};

class FakeRecordViews : public IRecordViews
{
public:
    bool IsOperationEnabled(ListKind kind, int operation) const override
    {
        Q_UNUSED(kind);
        Q_UNUSED(operation);
        return enabled.load();
    }
    void BuildSpecialityFilterXml() override { log.Add("BuildSpecialityFilterXml"); }
    std::atomic<bool> enabled{false};
    CallLog log;
};

class FakeImport : public IImport
{
public:
    void CreateImporters() override { log.Add("CreateImporters"); }
    void SchedulerInit() override { log.Add("SchedulerInit"); }
    void InventoryImportStart(bool fromStartup) override { log.Add(QStringLiteral("InventoryImportStart|%1").arg(fromStartup)); }
    void CancelAndWait() override { log.Add("CancelAndWait"); }
    CallLog log;
};

class FakeCrashHooks : public ICrashHooks
{
public:
    bool IsRecentException() override { return recent.load(); }
    void FileReportFromMessageBox(const QString &text) override { log.Add("FileReport|" + text); }
    void DisableExceptionRecording() override { log.Add("DisableExceptionRecording"); }
    void OnUnhandledError() override { log.Add("OnUnhandledError"); }
    void RecordException(uint32_t code, uint64_t) override { log.Add(QStringLiteral("RecordException|%1").arg(code, 0, 16)); }
    void PrepareThread() override { ++preparedThreads; }
    std::atomic<bool> recent{false};
    std::atomic<int> preparedThreads{0};
    CallLog log;
};

class FakeLoginHook : public ILoginHook
{
public:
    bool DoLogin() override;
    // Runs instead of the fixed answer when set.
    std::function<bool()> onLogin;
    std::atomic<bool> result{true};
    std::atomic<int> calls{0};
};
