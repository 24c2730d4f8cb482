#include "CapInvImportProgrDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CapInvImportProgrDlg::CapInvImportProgrDlg(const QString &sourceFile, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CapInvImportProgrDlg"));
    setWindowTitle(QStringLiteral("Importing"));
    setModal(false);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setTextVisible(false);
    m_percent = new QLabel(this);
    m_percent->setObjectName(QStringLiteral("percentText"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &CapInvImportProgrDlg::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(m_percent);
    layout->addWidget(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 45);

    m_bar->setRange(0, 100);
    Show(0);
    m_importer = std::make_unique<CapInvImporter>(sourceFile, this);
    m_importer->Start();
}

CapInvImportProgrDlg::~CapInvImportProgrDlg()
{
    Detach();
    m_importer.reset();  // waits for the run, which rolls back
}

void CapInvImportProgrDlg::Detach()
{
    if (!m_importer)
        return;
    // After this returns no step is on its way here.
    m_importer->SetProgress(nullptr);
    m_importer->Cancel();
}

void CapInvImportProgrDlg::SetRange(int lines)
{
    m_range = qMax(lines, 0);
    m_position = 0;
    m_posted = 0;
    QMetaObject::invokeMethod(
        this,
        [this, lines] {
            m_bar->setRange(0, qMax(lines, 0));
            Show(0);
        },
        Qt::QueuedConnection);
}

void CapInvImportProgrDlg::Step()
{
    // Only a changed percentage travels to the window: a long dump has many lines.
    const int position = ++m_position;
    const int percent = m_range > 0 ? int(qint64(position) * 100 / m_range) : 0;
    if (percent == m_posted)
        return;
    m_posted = percent;
    QMetaObject::invokeMethod(this, [this, position] { Show(position); }, Qt::QueuedConnection);
}

void CapInvImportProgrDlg::Show(int position)
{
    m_bar->setValue(qMin(position, m_bar->maximum()));
    const int span = m_bar->maximum() - m_bar->minimum();
    const int percent = span > 0 ? int(qint64(m_bar->value() - m_bar->minimum()) * 100 / span) : 0;
    if (percent != m_shown) {
        m_shown = percent;
        m_percent->setText(QStringLiteral("%1%").arg(percent));
    }
}

QString CapInvImportProgrDlg::PercentText() const
{
    return m_percent->text();
}

void CapInvImportProgrDlg::reject()
{
    Detach();
    QDialog::reject();
    deleteLater();
}
