#include "SignalShutdown.h"

#include "CMainFrame.h"

#include "app/AppCore.h"
#include "import/CBaseImport.h"
#include "import/ImportArray.h"
#include "net/XRequest.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<bool> g_requested{false};
std::atomic<bool> g_finished{false};

void Log(const QString &text)
{
    if (AppCore *app = theAppIfAny())
        app->WriteLog(text, QStringLiteral("Signal"), 3);
}

// Closes the modal windows and menus on top; false when one would not go.
bool CloseModalWindows()
{
    for (int guard = 0; guard < 20; ++guard) {
        QWidget *popup = QApplication::activePopupWidget();
        QWidget *modal = popup ? popup : QApplication::activeModalWidget();
        if (!modal)
            return true;
        const QPointer<QWidget> before(modal);
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        if (before && before->isVisible()) {
            // A window that refuses to close (a box without an escape
            // button) is hidden: its loop still has to end.
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->done(QDialog::Rejected);
            if (before && before->isVisible())
                return false;
        }
    }
    return false;
}

} // namespace

SignalShutdown::SignalShutdown(FrameGetter frame, QObject *parent) : QObject(parent), m_frame(std::move(frame))
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
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(HardLimitMs));
        if (g_finished.load())
            return;
        Log(QString::fromLatin1(HardExitText()));
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
    CloseModalWindows();
    CMainFrame *frame = m_frame ? m_frame() : nullptr;
    if (frame) {
        if (!m_exitPosted && !frame->IsExiting()) {
            m_exitPosted = true;
            frame->PostExit();
        }
        return;
    }
    QCoreApplication::quit();
}
