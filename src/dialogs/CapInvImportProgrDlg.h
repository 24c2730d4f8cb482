#pragma once

// The progress window of the schedule's CAP loader (modeless, opened by no
// command). It starts the loader over its source file and shows each line
// read; Cancel stops the loader and closes the window, after which no step
// of the still-ending run reaches it.

#include "import/CapInvImporter.h"

#include "ProgressDlg.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;

class CapInvImportProgrDlg : public QDialog, public ICapImportProgress
{
    Q_OBJECT
public:
    explicit CapInvImportProgrDlg(const QString &sourceFile, QWidget *parent = nullptr);
    ~CapInvImportProgrDlg() override;

    // Called on the loader's thread; shown on the window's.
    void SetRange(int lines) override;
    void Step() override;

    CapInvImporter &Importer() { return *m_importer; }
    QString PercentText() const;

    void reject() override;

private:
    void Detach();
    void Show(int position);

    std::unique_ptr<CapInvImporter> m_importer;
    // The program keeps Exit back while the window is open.
    ForegroundRun m_run{QStringLiteral("capimport")};
    QProgressBar *m_bar;
    QLabel *m_percent;
    int m_shown = -1;
    // The loader's side of the count (its thread only).
    int m_range = 0;
    int m_position = 0;
    int m_posted = 0;
};
