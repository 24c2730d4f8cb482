#include "SignalShutdown.h"

#include "CMainFrame.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/Globals.h"
#include "app/TasksDispatcher.h"
#include "import/CBaseImport.h"
#include "import/ImportArray.h"
#include "net/XRequest.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QDialog>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <thread>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<bool> g_requested{false};
std::atomic<bool> g_finished{false};

void Log(const QString &text)
{
    if (AppCore *app = theAppIfAny())
        app->WriteLog(text, QStringLiteral("Signal"), 3);
}

// Closes the modal window or menu on top. Queued, not called here: a window
// that asks something as it closes runs that box's loop from the queue, and
// the next round closes the box.
void CloseTopWindow()
{
    QWidget *popup = QApplication::activePopupWidget();
    QWidget *top = popup ? popup : QApplication::activeModalWidget();
    if (!top)
        return;
    QMetaObject::invokeMethod(
        top,
        [window = QPointer<QWidget>(top)] {
            if (!window)
                return;
            if (auto *dialog = qobject_cast<QDialog *>(window.data())) {
                dialog->reject();
                // A box without an escape button ignores reject: it still ends.
                if (window && window->isVisible())
                    dialog->done(QDialog::Rejected);
            } else {
                window->close();
            }
        },
        Qt::QueuedConnection);
}

} // namespace

SignalShutdown::SignalShutdown(FrameGetter frame, std::function<bool()> topLevel, QObject *parent)
    : QObject(parent), m_frame(std::move(frame)), m_topLevel(std::move(topLevel))
{
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &SignalShutdown::Tick);
}

const char *SignalShutdown::HardExitText()
{
    return "the program did not end in time after the signal; it ends now without the rest of its shutdown";
}

bool SignalShutdown::IsRequested()
{
    return g_requested.load();
}

void SignalShutdown::Begin(int signalNumber)
{
    if (g_requested.exchange(true))
        return;
    Log(QStringLiteral("signal %1: ending the program").arg(signalNumber));
    // The guard: a plain exit keeps the database whole (every write is a
    // transaction); only the rest of the shutdown is lost.
    // It writes its line by itself: the globals may be going when it wakes.
    QByteArray logPath;
    if (AppCore *app = theAppIfAny())
        logPath = QFile::encodeName(app->GetDataFolder() + QLatin1String(Korvant::LogFileName));
    const QByteArray line =
        AppCore::FormatLogLine(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                               QStringLiteral("Signal"), QString::fromLatin1(HardExitText()))
            .toUtf8();
    std::thread([logPath, line] {
        std::this_thread::sleep_for(std::chrono::milliseconds(HardLimitMs));
        if (g_finished.load())
            return;
        if (!logPath.isEmpty()) {
            const int fd = ::open(logPath.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
            if (fd >= 0) {
                [[maybe_unused]] const ssize_t n = ::write(fd, line.constData(), size_t(line.size()));
                ::close(fd);
            }
        }
        ::_exit(0);
    }).detach();
    const int cancelled = XRequest::CancelInFlight();
    if (cancelled > 0)
        Log(QStringLiteral("%1 transfer(s) cancelled").arg(cancelled));
    if (AppCore *app = theAppIfAny())
        app->Dispatcher().Shutdown();
    if (CImportArray *imports = theImportArrayIfAny()) {
        for (int i = 0; i < imports->GetSize(); ++i)
            if (CBaseImport *import = imports->GetAt(i))
                import->RequestStop();
    }
    m_timer.start();
    Tick();
}

void SignalShutdown::Finish()
{
    m_timer.stop();
}

void SignalShutdown::Ended()
{
    g_finished.store(true);
}

void SignalShutdown::Tick()
{
    // A transfer started since (a login after the sheet closed) ends too.
    XRequest::CancelInFlight();
    CloseTopWindow();
    CMainFrame *frame = m_frame ? m_frame() : nullptr;
    if (frame) {
        // The Exit runs from the window's own loop once these have ended, never
        // from inside one of them: a handler that runs a foreground import
        // would find its importer gone when it goes on.
        TasksDispatcher *tasks = Globals::As<TasksDispatcher>(GlobalSlot::TasksDispatcher);
        if (QApplication::activePopupWidget() || QApplication::activeModalWidget() ||
            (tasks && tasks->IsTaskRunning(Korvant::TaskImport)) || (m_topLevel && !m_topLevel()))
            return;
        if (!m_exitPosted && !frame->IsExiting()) {
            m_exitPosted = true;
            frame->OnAppExit();
        }
        return;
    }
    QCoreApplication::quit();
}
