#include "CompactDbDlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CompactDbDlg::CompactDbDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CompactDbDlg"));
    setWindowTitle(QApplication::applicationName().isEmpty() ? QStringLiteral("Korvant")
                                                             : QApplication::applicationName());
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Compacting Korvant database, please wait."), this));
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAutoDefault(false);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    connect(cancel, &QPushButton::clicked, this, &CompactDbDlg::reject);
}

void CompactDbDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}
