#pragma once

// Inventory Import: the member picks an importer and its source file, and
// whether it imports now, at every start, by watching its source, and with a
// question when data is ready. OK stores the choices; the run by hand and the
// start of monitor mode follow once the dialog has closed, so the progress
// window is the only one in front while the import works.
//
// The importer's HTML description is shown in a QTextBrowser: it is one
// paragraph with a link, which needs no web engine.

#include <QDialog>

class CBaseImport;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;

class NewInventoryImpDlg : public QDialog
{
    Q_OBJECT
public:
    // The result with which the completion dialog's "View Log" ends it.
    static constexpr int ViewLogResult = 1454;

    explicit NewInventoryImpDlg(QWidget *parent = nullptr);

    // Runs the dialog, then what OK asked for (the import now, monitor mode).
    int DoModal();

    // The description pane's page in the button-face colour.
    static QString DescriptionPage(const QString &html, const QColor &face);

    void OnSelChange(int index);
    void OnBrowse();
    void OnOptionClicked();
    bool ConfirmStopMonitoring();
    // A foreground run of the importer, then the completion dialog.
    void RunImportNow(CBaseImport *importer);

    void accept() override;

private:
    CBaseImport *Selected() const;
    void OnOK();
    void ReportFailure();
    void ShowNoImporter();

    int m_index = -1;
    bool m_importNow = false;
    bool m_everyTime = false;
    bool m_monitor = false;
    bool m_prompt = false;
    bool m_optionTicked = false;
    // What OK left to do once the dialog has closed.
    CBaseImport *m_runNow = nullptr;
    CBaseImport *m_startMonitor = nullptr;

    QComboBox *m_importers;
    QLabel *m_description;
    QTextBrowser *m_pane;
    QLineEdit *m_path;
    QPushButton *m_browse;
    QCheckBox *m_importNowCheck;
    QCheckBox *m_everyTimeCheck;
    QCheckBox *m_monitorCheck;
    QCheckBox *m_promptCheck;
};

// The counts of a run by hand, with a way to the import log.
class NewInvImpCompleteDlg : public QDialog
{
    Q_OBJECT
public:
    NewInvImpCompleteDlg(int inserted, int updated, int deleted, int errors, QWidget *parent = nullptr);
    int DoModal() { return exec(); }
};
