#pragma once

// The modeless progress window of long work that runs on the main thread
// (the import by hand, backup and restore). The working loop owns it: Create
// disables the owner window, the loop reports status and steps, and polls
// CheckCancelButton; every step pumps the thread's pending events so the
// program stays responsive.
//
// Pumping events re-enters the main thread's handlers (timers, queued calls,
// shortcuts). While a foreground run is up, ForegroundRun::IsBusy() is true:
// the main frame keeps Exit disabled then, and each command that runs in the
// foreground takes a ForegroundRun with its own name so a second start of the
// same command is refused instead of nesting inside the first.

#include "app/Interfaces.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

// Main thread only.
class ForegroundRun
{
public:
    // Takes the command's slot; not acquired when a run of that command is already up.
    explicit ForegroundRun(const QString &command);
    ~ForegroundRun();
    ForegroundRun(const ForegroundRun &) = delete;
    ForegroundRun &operator=(const ForegroundRun &) = delete;

    bool Acquired() const { return m_acquired; }
    explicit operator bool() const { return m_acquired; }

    // A foreground run or a progress window is up: Exit must wait.
    static bool IsBusy();
    static bool IsRunning(const QString &command);

private:
    friend class CProgressDlg;
    static int &OpenWindows();

    QString m_command;
    bool m_acquired = false;
};

class CProgressDlg : public QDialog
{
    Q_OBJECT
public:
    // caption: empty gives "Inventory Import In Process".
    explicit CProgressDlg(const QString &caption = QString());
    ~CProgressDlg() override;

    // Disables the owner (parent's window, or the main window when none is
    // given) when it is enabled, then shows the dialog. False when already up.
    bool Create(QWidget *parent = nullptr);
    bool IsCreated() const { return m_created; }
    // Enables the owner again (when this dialog disabled it) and hides the window.
    void DestroyWindow();

    void SetStatus(const QString &text);
    void SetRange(int lower, int upper);
    void SetStep(int step);
    // Each pumps events, moves the bar, shows the percent and returns the previous position.
    int StepIt();
    int SetPos(int position);
    int OffsetPos(int delta);
    // Pumps events; whether Cancel was pressed since the last call (then cleared).
    bool CheckCancelButton();

    int Position() const { return m_pos; }
    QString PercentText() const;
    // "%d%" of (position - lower) * 100 / (upper - lower); 0 for an empty range.
    static QString FormatPercent(qint64 position, qint64 lower, qint64 upper);

protected:
    void accept() override;  // Enter does nothing
    void reject() override;  // Esc: only raises the cancel flag
    void closeEvent(QCloseEvent *event) override;

private:
    void PumpMessages();
    void UpdatePercent();
    static QWidget *FindMainWindow();

    int m_lower = 0;
    int m_upper = 100;
    int m_step = 10;
    int m_pos = 0;
    bool m_cancel = false;
    bool m_created = false;
    QPointer<QWidget> m_owner;
    bool m_ownerWasEnabled = false;

    QProgressBar *m_bar;
    QLabel *m_percent;
    QLabel *m_status;
    QPushButton *m_cancelButton;
};

// The core's progress interface over CProgressDlg. Calls from a worker
// thread run on the main thread through the UiDispatcher.
class ProgressAdapter : public IProgress
{
public:
    ProgressAdapter();
    ~ProgressAdapter() override;

    void Create(const QString &caption) override;
    bool IsCreated() const override;
    void SetStatus(const QString &text) override;
    void SetRange(int lower, int upper) override;
    void SetStep(int step) override;
    void StepIt() override;
    bool CheckCancelButton() override;

    CProgressDlg *Dialog() const { return m_dlg.get(); }

private:
    std::unique_ptr<CProgressDlg> m_dlg;
};
