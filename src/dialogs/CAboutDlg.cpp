#include "CAboutDlg.h"

#include "app/AppCore.h"
#include "app/XVersionInfo.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(QStringLiteral("About Korvant"));
    auto *layout = new QVBoxLayout(this);
    XVersionInfo info;
    info.Open(theApp().GetModuleFilePath());
    auto *version = new QLabel(QStringLiteral("%1  %2").arg(QStringLiteral("Version: ") + info.GetProductVersion(),
                                                            QStringLiteral("Build: ") + info.GetProductBuild()),
                               this);
    version->setObjectName(QStringLiteral("version"));
    layout->addWidget(version);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
