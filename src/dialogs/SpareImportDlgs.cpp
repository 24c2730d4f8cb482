#include "SpareImportDlgs.h"

#include "CMyHyperLink.h"
#include "OptionsPropSheet.h"
#include "PageLinks.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

IPageLinks *g_pageLinks = nullptr;

// A colour given as 0xBBGGRR.
QColor FromBgr(unsigned bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

QDialogButtonBox *Buttons(QDialog *dlg, const QString &okText)
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dlg);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("okButton"));
    if (!okText.isEmpty())
        ok->setText(okText);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
    return buttons;
}

} // namespace

IPageLinks *PageLinks()
{
    return g_pageLinks;
}

void SetPageLinks(IPageLinks *links)
{
    g_pageLinks = links;
}

ImportDlg::ImportDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportDlg"));
    setWindowTitle(QStringLiteral("Catalog Import"));
    auto *link = new CMyHyperLink(this, 1182);
    link->setObjectName(QStringLiteral("settingsLink"));
    link->SetLinkText(QStringLiteral("Adjust import settings"));
    link->SetLinkColor(FromBgr(1127406));
    link->SetHoverColor(FromBgr(3364351));
    link->SetNotifyParent(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("You are to import catalog data from the file."), this));
    layout->addWidget(link);
    layout->addWidget(Buttons(this, QString()));
    connect(link, &CMyHyperLink::linkClicked, this, &ImportDlg::OnLinkClicked);
}

void ImportDlg::OnLinkClicked()
{
    OptionsPropSheet sheet(QStringLiteral("Options"), this);
    sheet.DoModal(4);
}

ImportStartDlg::ImportStartDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportStartDlg"));
    setWindowTitle(QStringLiteral("Import,Export starting..."));
    auto *group = new QGroupBox(QStringLiteral("Select importing format:"), this);
    m_korvant = new QRadioButton(QStringLiteral("Korvant"), group);
    m_korvant->setObjectName(QStringLiteral("korvantRadio"));
    m_korvant->setChecked(true);
    auto *carParts = new QRadioButton(QStringLiteral("Car-Parts"), group);
    carParts->setObjectName(QStringLiteral("carPartsRadio"));
    auto *options = new QVBoxLayout(group);
    options->addWidget(m_korvant);
    options->addWidget(carParts);
    auto *link = new CMyHyperLink(this, 1350);
    link->setObjectName(QStringLiteral("settingsLink"));
    link->SetLinkText(QStringLiteral("Import / Export Settings"));
    link->SetLinkUrl(QStringLiteral("app:extended-profile"));
    link->SetUseToolTip(true);
    link->SetToolTipText(QStringLiteral("Click Here to view/change settings"));
    link->SetNotifyParent(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(link);
    layout->addWidget(Buttons(this, QStringLiteral("Start right now")));
    // The address is a command of the window, not a page to open.
    connect(link, &CMyHyperLink::linkClicked, this, [link] {
        if (IPageLinks *links = PageLinks())
            links->RunPageLink(link->Url());
    });
}

void ImportStartDlg::accept()
{
    m_format = m_korvant->isChecked() ? Korvant : CarParts;
    QDialog::accept();
}
