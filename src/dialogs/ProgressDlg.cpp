#include "ProgressDlg.h"

#include "app/AppCore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

#include <climits>

// --- ForegroundRun -------------------------------------------------------------

namespace {
QSet<QString> &RunningCommands()
{
    static QSet<QString> commands;
    return commands;
}
} // namespace

int &ForegroundRun::OpenWindows()
{
    static int open = 0;
    return open;
}

ForegroundRun::ForegroundRun(const QString &command) : m_command(command)
{
    if (!RunningCommands().contains(command)) {
        RunningCommands().insert(command);
        m_acquired = true;
    }
}

ForegroundRun::~ForegroundRun()
{
    if (m_acquired)
        RunningCommands().remove(m_command);
}

bool ForegroundRun::IsBusy()
{
    return OpenWindows() > 0 || !RunningCommands().isEmpty();
}

bool ForegroundRun::IsRunning(const QString &command)
{
    return RunningCommands().contains(command);
}

// --- CProgressDlg ------------------------------------------------------------------

CProgressDlg::CProgressDlg(const QString &caption) : QDialog(nullptr)
{
    setObjectName(QStringLiteral("CProgressDlg"));
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Inventory Import In Process") : caption);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusText"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setMinimumWidth(m_status->fontMetrics().averageCharWidth() * 50);

    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setTextVisible(false);
    m_bar->setRange(m_lower, m_upper);
    m_bar->setValue(m_lower);

    m_percent = new QLabel(QStringLiteral(" 0 %"), this);
    m_percent->setObjectName(QStringLiteral("percentText"));
    m_percent->setTextFormat(Qt::PlainText);
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    // Enter must not cancel the run by way of the focused button.
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { m_cancel = true; });

    auto *barRow = new QHBoxLayout;
    barRow->addWidget(m_bar, 1);
    barRow->addWidget(m_percent);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_cancelButton);
    buttonRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addLayout(barRow);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CProgressDlg::~CProgressDlg()
{
    DestroyWindow();
}

QWidget *CProgressDlg::FindMainWindow()
{
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops) {
        if (qobject_cast<QMainWindow *>(w) && w->isVisible())
            return w;
    }
    return nullptr;
}

bool CProgressDlg::Create(QWidget *parent)
{
    if (m_created)
        return false;
    QWidget *owner = parent ? parent->window() : FindMainWindow();
    if (owner == this)
        owner = nullptr;
    m_owner = owner;
    m_ownerWasEnabled = false;
    if (owner && owner->isEnabled()) {
        owner->setEnabled(false);
        m_ownerWasEnabled = true;
    }
    // Not a child of the owner, which is disabled; stacked above it instead.
    winId();
    if (owner && owner->windowHandle() && windowHandle())
        windowHandle()->setTransientParent(owner->windowHandle());
    m_bar->setRange(m_lower, qMax(m_lower, m_upper));
    m_bar->setValue(m_pos);
    show();
    m_created = true;
    ++ForegroundRun::OpenWindows();
    return true;
}

void CProgressDlg::DestroyWindow()
{
    if (!m_created)
        return;
    m_created = false;
    --ForegroundRun::OpenWindows();
    if (m_ownerWasEnabled && m_owner)
        m_owner->setEnabled(true);
    m_ownerWasEnabled = false;
    hide();
}

void CProgressDlg::SetStatus(const QString &text)
{
    m_status->setText(text);
}

void CProgressDlg::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    m_bar->setRange(lower, qMax(lower, upper));
    m_pos = qBound(lower, m_pos, qMax(lower, upper));
    m_bar->setValue(m_pos);
}

void CProgressDlg::SetStep(int step)
{
    m_step = step;
}

int CProgressDlg::StepIt()
{
    PumpMessages();
    const int previous = m_pos;
    const qint64 low = m_lower;
    const qint64 high = qMax(m_lower, m_upper);
    qint64 next = qint64(m_pos) + m_step;
    // Past the end the bar starts over from the beginning.
    if (next > high)
        next = high > low ? low + (next - high - 1) % (high - low) + 1 : low;
    if (next < low)
        next = low;
    m_pos = int(next);
    m_bar->setValue(m_pos);
    UpdatePercent();
    return previous;
}

int CProgressDlg::SetPos(int position)
{
    PumpMessages();
    const int previous = m_pos;
    m_pos = qBound(m_lower, position, qMax(m_lower, m_upper));
    m_bar->setValue(m_pos);
    UpdatePercent();
    return previous;
}

int CProgressDlg::OffsetPos(int delta)
{
    return SetPos(int(qBound<qint64>(qint64(INT_MIN), qint64(m_pos) + delta, qint64(INT_MAX))));
}

bool CProgressDlg::CheckCancelButton()
{
    PumpMessages();
    const bool cancel = m_cancel;
    m_cancel = false;
    return cancel;
}

QString CProgressDlg::FormatPercent(qint64 position, qint64 lower, qint64 upper)
{
    const qint64 range = upper - lower;
    const qint64 percent = range == 0 ? 0 : (position - lower) * 100 / range;
    return QStringLiteral("%1%").arg(percent == 100 ? 100 : percent % 100);
}

QString CProgressDlg::PercentText() const
{
    return m_percent->text();
}

void CProgressDlg::UpdatePercent()
{
    const QString text = FormatPercent(m_pos, m_lower, m_upper);
    if (m_percent->text() != text)
        m_percent->setText(text);
}

void CProgressDlg::PumpMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void CProgressDlg::accept() {}

void CProgressDlg::reject()
{
    m_cancel = true;
}

void CProgressDlg::closeEvent(QCloseEvent *event)
{
    m_cancel = true;
    event->ignore();
}

// --- ProgressAdapter -----------------------------------------------------------------

namespace {

bool OnMainThread()
{
    return !qApp || QThread::currentThread() == qApp->thread();
}

template<class R, class F>
R RunOnMain(F fn, R cancelAnswer)
{
    if (OnMainThread())
        return fn();
    AppCore *app = theAppIfAny();
    if (!app)
        return cancelAnswer;
    return app->Dispatcher().Call<R>(std::function<R()>(fn), cancelAnswer);
}

} // namespace

ProgressAdapter::ProgressAdapter() = default;

ProgressAdapter::~ProgressAdapter()
{
    if (m_dlg && !OnMainThread())
        m_dlg.release()->deleteLater();
}

void ProgressAdapter::Create(const QString &caption)
{
    RunOnMain<int>(
        [&] {
            if (!m_dlg)
                m_dlg = std::make_unique<CProgressDlg>(caption);
            else if (!caption.isEmpty())
                m_dlg->setWindowTitle(caption);
            m_dlg->Create(nullptr);
            return 0;
        },
        0);
}

bool ProgressAdapter::IsCreated() const
{
    return RunOnMain<bool>([&] { return m_dlg && m_dlg->IsCreated(); }, false);
}

void ProgressAdapter::SetStatus(const QString &text)
{
    RunOnMain<int>([&] { return m_dlg ? (m_dlg->SetStatus(text), 0) : 0; }, 0);
}

void ProgressAdapter::SetRange(int lower, int upper)
{
    RunOnMain<int>([&] { return m_dlg ? (m_dlg->SetRange(lower, upper), 0) : 0; }, 0);
}

void ProgressAdapter::SetStep(int step)
{
    RunOnMain<int>([&] { return m_dlg ? (m_dlg->SetStep(step), 0) : 0; }, 0);
}

void ProgressAdapter::StepIt()
{
    RunOnMain<int>([&] { return m_dlg ? m_dlg->StepIt() : 0; }, 0);
}

bool ProgressAdapter::CheckCancelButton()
{
    // A run whose window is gone (shut down) is told to stop.
    return RunOnMain<bool>([&] { return m_dlg ? m_dlg->CheckCancelButton() : false; }, true);
}
