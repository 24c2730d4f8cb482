#include "NewInventoryImpDlg.h"

#include "CLogViewDlg.h"
#include "ProgressDlg.h"

#include "app/AppCore.h"
#include "app/XSettings.h"
#include "import/ImportArray.h"
#include "import/ImportSheduler.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

const QString ListLabel = QStringLiteral("Import inventory from");

QCheckBox *Check(const QString &text, const char *name, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

} // namespace

NewInventoryImpDlg::NewInventoryImpDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("NewInventoryImpDlg"));
    setWindowTitle(QStringLiteral("Inventory Import"));

    XSettings &settings = theSettings();
    m_index = settings.GetInt(Setting::DefaultImportType);
    m_monitor = settings.IsOn(Setting::MonitorChanges);
    m_everyTime = settings.IsOn(Setting::ImportEveryTime);
    m_importNow = settings.IsOn(Setting::ImportNow);
    m_prompt = settings.IsOn(Setting::PromptOnDataReady);

    m_importers = new QComboBox(this);
    m_importers->setObjectName(QStringLiteral("importerCombo"));
    m_description = new QLabel(this);
    m_description->setObjectName(QStringLiteral("descriptionText"));
    m_description->setTextFormat(Qt::PlainText);
    m_description->setWordWrap(true);
    m_pane = new QTextBrowser(this);
    m_pane->setObjectName(QStringLiteral("descriptionPane"));
    m_pane->setOpenExternalLinks(true);
    m_pane->setFrameShape(QFrame::NoFrame);
    m_pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pane->setFixedHeight(m_pane->fontMetrics().height() * 6);
    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("pathEdit"));
    m_browse = new QPushButton(QStringLiteral("Browse..."), this);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setAutoDefault(false);
    m_importNowCheck = Check(QStringLiteral("Import now (after clicking OK)"), "importNowCheck", this);
    m_everyTimeCheck = Check(QStringLiteral("Import every time Korvant starts"), "everyTimeCheck", this);
    m_monitorCheck = Check(QStringLiteral("Monitor changes and import automatically"), "monitorCheck", this);
    m_promptCheck =
        Check(QStringLiteral("Prompt me every time when the data is ready to be imported"), "promptCheck", this);
    auto *settingsButton = new QPushButton(QStringLiteral("Import settings"), this);
    settingsButton->setObjectName(QStringLiteral("importSettingsButton"));
    settingsButton->setAutoDefault(false);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    buttons->addButton(settingsButton, QDialogButtonBox::ActionRole);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ListLabel + u':', this));
    layout->addWidget(m_importers);
    layout->addWidget(m_description);
    layout->addWidget(m_pane);
    layout->addWidget(new QLabel(QStringLiteral("Source:"), this));
    auto *pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    layout->addLayout(pathRow);
    for (QCheckBox *box : {m_importNowCheck, m_everyTimeCheck, m_monitorCheck, m_promptCheck})
        layout->addWidget(box);
    layout->addStretch(1);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 70);

    // OnInitDialog: every importer by its format name, in array order.
    if (CImportArray *array = theImportArrayIfAny()) {
        for (int i = 0; i < array->GetSize(); ++i) {
            CBaseImport *importer = array->GetAt(i);
            m_importers->addItem(importer ? importer->GetFormatName() : QString());
        }
    }
    m_importers->setCurrentIndex(m_index >= 0 && m_index < m_importers->count() ? m_index : -1);
    OnSelChange(m_importers->currentIndex());

    connect(m_importers, &QComboBox::currentIndexChanged, this, &NewInventoryImpDlg::OnSelChange);
    connect(m_browse, &QPushButton::clicked, this, &NewInventoryImpDlg::OnBrowse);
    for (QCheckBox *box : {m_importNowCheck, m_everyTimeCheck, m_monitorCheck, m_promptCheck})
        connect(box, &QCheckBox::clicked, this, &NewInventoryImpDlg::OnOptionClicked);
    connect(buttons, &QDialogButtonBox::accepted, this, &NewInventoryImpDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewInventoryImpDlg::reject);
}

QString NewInventoryImpDlg::DescriptionPage(const QString &html, const QColor &face)
{
    // Two hex digits each: "#F0F0F0" and "#0A0B0C" alike.
    const QString colour = QString::asprintf("#%02X%02X%02X", face.red(), face.green(), face.blue());
    return QStringLiteral("<html><body style=\"font-size:8pt;margin:0;background-color:%1;"
                          "font-family:verdana,tahoma,arial,helvetica,helv,sans-serif;\" scroll=\"no\">%2</body></html>")
        .arg(colour, html);
}

CBaseImport *NewInventoryImpDlg::Selected() const
{
    CImportArray *array = theImportArrayIfAny();
    return array ? array->GetAt(m_index) : nullptr;
}

void NewInventoryImpDlg::OnSelChange(int index)
{
    m_index = index;
    CBaseImport *importer = Selected();
    QString description;
    QString path;
    QString html;
    if (importer) {
        description = importer->GetFormatDescription();
        path = importer->GetSourcePath();
        html = importer->GetHtmlDescription();
    }
    m_description->setText(description);
    m_path->setText(path);
    m_monitorCheck->setEnabled(importer && importer->CanMonitor());
    m_everyTimeCheck->setEnabled(importer && importer->CanImportEveryTime());
    m_importNowCheck->setEnabled(importer && importer->CanImportNow());
    m_promptCheck->setEnabled(importer && importer->CanPromptOnDataReady());
    m_optionTicked = m_importNow || m_everyTime || m_monitor || m_prompt;
    // The pane stands where the plain description would: one of the two shows.
    const bool pane = !html.isEmpty();
    if (pane)
        m_pane->setHtml(DescriptionPage(html, palette().color(QPalette::Button)));
    else
        m_pane->clear();
    m_pane->setEnabled(pane);
    m_pane->setVisible(pane);
    m_description->setVisible(!pane);
    m_importNowCheck->setChecked(m_importNow);
    m_everyTimeCheck->setChecked(m_everyTime);
    m_monitorCheck->setChecked(m_monitor);
    m_promptCheck->setChecked(m_prompt);
}

void NewInventoryImpDlg::ShowNoImporter()
{
    theApp().ShowMessageBox(
        QStringLiteral("No one import was selected.\nPlease select import-type in drop-down list on prompt: \n\n\"%1\".")
            .arg(ListLabel),
        QString(), MsgBox::Ok | MsgBox::IconWarning);
}

void NewInventoryImpDlg::OnBrowse()
{
    CBaseImport *importer = Selected();
    if (!importer) {
        ShowNoImporter();
        return;
    }
    if (importer->BrowseSourceFile())
        OnSelChange(m_index);
}

void NewInventoryImpDlg::OnOptionClicked()
{
    m_importNow = m_importNowCheck->isChecked();
    m_everyTime = m_everyTimeCheck->isChecked();
    m_monitor = m_monitorCheck->isChecked();
    m_prompt = m_promptCheck->isChecked();
    m_optionTicked = m_importNow || m_everyTime || m_monitor || m_prompt;
}

bool NewInventoryImpDlg::ConfirmStopMonitoring()
{
    CImportArray *array = theImportArrayIfAny();
    const int current = theSettings().GetInt(Setting::DefaultImportType);
    CBaseImport *importer = array ? array->GetAt(current) : nullptr;
    if (!importer) {
        theApp().ShowMessageBox(QStringLiteral("Invalid default import number."), QString(),
                                MsgBox::Ok | MsgBox::IconError);
        return false;
    }
    if (!importer->IsMonitoring())
        return true;
    if (!theApp().AskYesNo(
            QStringLiteral("Are you sure you want to Stop monitor changes from %1 now?").arg(importer->GetFormatName()),
            QString()))
        return false;
    if (ImportSheduler *sheduler = theImpShedulerIfAny())
        sheduler->CancelImport();
    else
        importer->StopMonitoring();
    return true;
}

void NewInventoryImpDlg::ReportFailure()
{
    theApp().WriteLog(QStringLiteral("Unknown Error in NewInventoryImpDlg"), QStringLiteral("unknown error"), 1);
    theApp().ShowMessageBox(QStringLiteral("Unknown error"), QStringLiteral("Error"), MsgBox::Ok | MsgBox::IconError);
}

void NewInventoryImpDlg::accept()
{
    try {
        OnOK();
    } catch (...) {
        ReportFailure();
    }
}

void NewInventoryImpDlg::OnOK()
{
    OnOptionClicked();
    const QString path = m_path->text();
    if (!QFileInfo(path).isFile()) {
        ReportFailure();
        return;
    }
    if (!m_optionTicked)
        theApp().ShowMessageBox(QStringLiteral("No one import was selected."), QString(), MsgBox::Ok);
    CBaseImport *importer = Selected();
    if (!importer) {
        ShowNoImporter();
        return;
    }
    XSettings &settings = theSettings();
    if (m_index != settings.GetInt(Setting::DefaultImportType) && !ConfirmStopMonitoring())
        return;
    if (path != importer->GetSourcePath())
        importer->SetSourcePath(path);
    settings.SetInt(Setting::DefaultImportType, m_index);
    settings.SetInt(Setting::ImportNow, m_importNow);
    settings.SetInt(Setting::ImportEveryTime, m_everyTime);
    settings.SetInt(Setting::MonitorChanges, m_monitor);
    settings.SetInt(Setting::PromptOnDataReady, m_prompt);
    settings.Save();
    if (!m_monitor && !ConfirmStopMonitoring())
        return;
    m_runNow = m_importNow && importer->CanImportNow() ? importer : nullptr;
    m_startMonitor = m_monitor && importer->CanMonitor() ? importer : nullptr;
    QDialog::accept();
}

int NewInventoryImpDlg::DoModal()
{
    const int result = exec();
    if (result != QDialog::Accepted)
        return result;
    if (m_runNow)
        RunImportNow(m_runNow);
    if (m_startMonitor) {
        if (ImportSheduler *sheduler = theImpShedulerIfAny())
            sheduler->SetMonitoredImport(m_startMonitor);
    }
    return result;
}

void NewInventoryImpDlg::RunImportNow(CBaseImport *importer)
{
    // The menu stays open during the run: a second start would nest inside this one.
    ForegroundRun run(QStringLiteral("import"));
    if (!run)
        return;
    importer->RunImportOnWorker();
    NewInvImpCompleteDlg done(importer->GetInsertedCount(), importer->GetUpdatedCount(), importer->GetDeletedCount(),
                              importer->GetErrorCount(), parentWidget());
    if (done.DoModal() == ViewLogResult) {
        CLogViewDlg log(CBaseImport::GetLogFilePath(), parentWidget());
        log.DoModal();
    }
    if (importer->GetTotalRecords() > 0) {
        if (IMainFrame *frame = theApp().Frame())
            frame->ShowImportedRecords();
    }
}

// --- the completion dialog -----------------------------------------------------------------------

NewInvImpCompleteDlg::NewInvImpCompleteDlg(int inserted, int updated, int deleted, int errors, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("NewInvImpCompleteDlg"));
    setWindowTitle(QStringLiteral("Inventory Import Completed"));
    auto *icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this).pixmap(size, size));
    auto *grid = new QGridLayout;
    grid->addWidget(icon, 0, 0, 5, 1, Qt::AlignTop);
    grid->addWidget(new QLabel(QStringLiteral("Inventory import is completed."), this), 0, 1, 1, 2);
    const std::pair<const char *, int> rows[] = {
        {"Records inserted", inserted}, {"Records updated", updated}, {"Records deleted", deleted}, {"Errors", errors}};
    const char *names[] = {"insertedCount", "updatedCount", "deletedCount", "errorCount"};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(new QLabel(QLatin1String(rows[i].first), this), i + 1, 1);
        auto *count = new QLabel(QString::number(rows[i].second), this);
        count->setObjectName(QLatin1String(names[i]));
        grid->addWidget(count, i + 1, 2, Qt::AlignRight);
    }
    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("okButton"));
    auto *viewLog = buttons->addButton(QStringLiteral("View Log"), QDialogButtonBox::ActionRole);
    viewLog->setObjectName(QStringLiteral("viewLogButton"));
    viewLog->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(viewLog, &QPushButton::clicked, this, [this] { done(NewInventoryImpDlg::ViewLogResult); });
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
}
