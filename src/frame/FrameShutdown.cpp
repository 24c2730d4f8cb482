#include "FrameShutdown.h"

#include "app/AppCore.h"
#include "app/TasksDispatcher.h"
#include "app/XSettings.h"
#include "import/ImportArray.h"
#include "sync/XPoller.h"

#include <exception>

namespace {
constexpr unsigned ImportTask = 1;
constexpr unsigned AutoReplyTask = 3;
} // namespace

FrameShutdown::Steps FrameShutdown::Steps::FromApplication()
{
    Steps s;
    s.importRunning = [] {
        TasksDispatcher *tasks = Globals::As<TasksDispatcher>(GlobalSlot::TasksDispatcher);
        return tasks && tasks->IsTaskRunning(ImportTask);
    };
    s.autoImport = [] {
        XSettings *settings = theSettingsIfAny();
        return settings && settings->IsOn(Setting::AutoITPImport);
    };
    s.cancelImport = [] {
        if (IImport *import = theApp().Import())
            import->CancelAndWait();
    };
    s.autoReplyRunning = [] {
        TasksDispatcher *tasks = Globals::As<TasksDispatcher>(GlobalSlot::TasksDispatcher);
        return tasks && tasks->IsTaskRunning(AutoReplyTask);
    };
    s.stopAutoReply = [] {
        if (XPoller *poller = thePollerIfAny())
            poller->StopAutoReply();
    };
    s.importerCount = [] {
        CImportArray *array = theImportArrayIfAny();
        return array ? array->GetSize() : 0;
    };
    s.deleteImporter = [](int i) {
        CImportArray *array = theImportArrayIfAny();
        return array && array->DeleteAt(i);
    };
    s.clearMainWindowFlag = [] { theApp().SetMainWindowFlag(false); };
    s.pollerExit = [] {
        if (XPoller *poller = thePollerIfAny())
            poller->Exit();
    };
    s.log = [](const QString &text) {
        if (AppCore *app = theAppIfAny())
            app->WriteLog(text, QStringLiteral("CMainFrame"), 5);
    };
    return s;
}

FrameShutdown::FrameShutdown(Steps steps) : m_steps(std::move(steps)) {}

void FrameShutdown::Do(const char *what, const std::function<void()> &step)
{
    if (!step)
        return;
    // Whatever one step throws, the program still ends.
    try {
        step();
    } catch (const std::exception &e) {
        if (m_steps.log)
            m_steps.log(QStringLiteral("OnAppExit: %1 failed: %2").arg(QLatin1String(what), QString::fromUtf8(e.what())));
    } catch (...) {
        if (m_steps.log)
            m_steps.log(QStringLiteral("OnAppExit: %1 failed").arg(QLatin1String(what)));
    }
}

bool FrameShutdown::Run()
{
    if (m_begun)
        return false;
    m_begun = true;
    const auto log = [this](const char *text) {
        if (m_steps.log)
            m_steps.log(QLatin1String(text));
    };
    const auto ask = [](const std::function<bool()> &f) { return f && f(); };

    log("OnAppExit: [Start]");
    if (ask(m_steps.importRunning) || ask(m_steps.autoImport)) {
        Do("CancelImport", m_steps.cancelImport);
        log("OnAppExit: [theImpSheduler.CancelImport()]");
    }
    if (ask(m_steps.autoReplyRunning)) {
        Do("StopAutoReply", m_steps.stopAutoReply);
        log("OnAppExit: [thePoller.StopAutoReply()]");
    }
    const int importers = m_steps.importerCount ? m_steps.importerCount() : 0;
    for (int i = 0; i < importers; ++i) {
        bool deleted = false;
        Do("delete importer", [&] { deleted = m_steps.deleteImporter && m_steps.deleteImporter(i); });
        if (deleted)
            log("OnAppExit: [delete theImportArray[i]]");
    }
    Do("store placement", m_steps.storePlacement);
    Do("main window flag", m_steps.clearMainWindowFlag);
    Do("thePoller.Exit", m_steps.pollerExit);
    log("OnAppExit: [thePoller.Exit()]");
    Do("close", m_steps.closeFrame);
    log("OnAppExit: [OK]");
    return true;
}

namespace CloseRules {

Decision Decide(bool closeConfirm, bool trayAvailable)
{
    Decision d;
    d.action = trayAvailable ? Action::HideToTray : Action::Minimise;
    d.showNotice = closeConfirm && trayAvailable;
    return d;
}

Decision Run(XSettings &settings, bool trayAvailable, const Ops &ops)
{
    const Decision d = Decide(settings.IsOn(Setting::CloseConfirm), trayAvailable);
    if (d.showNotice) {
        int flag = 1;
        const int answer = ops.notice ? ops.notice(&flag)
                                      : theApp().ShowMessageDlg(QString(), QLatin1String(NoticeText), &flag, 0,
                                                                MsgBox::IconResInformation);
        if (answer == MsgBox::IdOk && flag != settings.GetInt(Setting::CloseConfirm)) {
            settings.SetInt(Setting::CloseConfirm, flag);
            settings.Save();
        }
    }
    if (ops.storePlacement)
        ops.storePlacement();
    const auto &act = d.action == Action::HideToTray ? ops.hideToTray : ops.minimise;
    if (act)
        act();
    return d;
}

} // namespace CloseRules
