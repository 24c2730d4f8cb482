#include "HotDealEditorDlg.h"

#include "IFormHost.h"

#include "app/AppCore.h"
#include "app/WaitCursor.h"
#include "browser/BrowserDlg.h"
#include "dialogs/ComboItemSink.h"
#include "net/MetaUtils.h"
#include "net/XMetaData.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int NotesLimit = 65535;
const QString AnyItem = QStringLiteral("Any");

QLineEdit *Edit(QWidget *parent, const QString &name, int limit)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(limit);
    return edit;
}

QPushButton *Button(QWidget *parent, const QString &text, const char *name)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

HotDealEditorDlg::HotDealEditorDlg(IFormHost *host, QWidget *parent) : QDialog(parent), m_host(host), m_pipeline(host)
{
    setObjectName(QStringLiteral("HotDealEditorDlg"));
    setWindowTitle(QStringLiteral("New Hot Deal"));
    BuildControls();
}

void HotDealEditorDlg::BuildControls()
{
    auto *top = new QVBoxLayout(this);
    QFont bold = font();
    bold.setWeight(QFont::Bold);
    for (const char *text : {"Sell your surplus, overstock, and non-inventory item(s)!", "Get rid of it today!"}) {
        auto *label = new QLabel(QLatin1String(text), this);
        label->setFont(bold);
        top->addWidget(label);
    }

    auto *grid = new QGridLayout;
    const auto row = [this, grid](int r, int c, const QString &label, QWidget *control) {
        auto *text = new QLabel(label, this);
        text->setBuddy(control);
        grid->addWidget(text, r, c);
        grid->addWidget(control, r, c + 1);
    };
    m_make = new QComboBox(this);
    m_make->setObjectName(QStringLiteral("makeCombo"));
    m_model = new QComboBox(this);
    m_model->setObjectName(QStringLiteral("modelCombo"));
    m_year = Edit(this, QStringLiteral("yearEdit"), 64);
    m_year->setText(AnyItem);
    m_title = Edit(this, QStringLiteral("productEdit"), 128);
    m_price = Edit(this, QStringLiteral("priceEdit"), 64);
    m_quantity = Edit(this, QStringLiteral("quantityEdit"), 64);
    m_stock = Edit(this, QStringLiteral("stockEdit"), 128);
    m_application = Edit(this, QStringLiteral("applicationEdit"), 128);
    row(0, 0, QStringLiteral("Ma&ke"), m_make);
    row(0, 2, QStringLiteral("Mo&del"), m_model);
    row(1, 0, QStringLiteral("&Year"), m_year);
    row(1, 2, QStringLiteral("&Product"), m_title);
    row(2, 0, QStringLiteral("&Unit Price"), m_price);
    row(2, 2, QStringLiteral("&Quantity"), m_quantity);
    row(3, 0, QStringLiteral("&Stock #"), m_stock);
    row(3, 2, QStringLiteral("&Application"), m_application);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    top->addLayout(grid);

    auto *prompt = new QLabel(QStringLiteral("Describe the product (condition, terms, shipping):"), this);
    top->addWidget(prompt);
    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("notesEdit"));
    prompt->setBuddy(m_notes);
    top->addWidget(m_notes, 1);

    auto *pictures = new QGroupBox(QStringLiteral("Pictures"), this);
    auto *pg = new QGridLayout(pictures);
    for (int i = 0; i < HotDealForm::PictureRows; ++i) {
        m_paths[i] = Edit(pictures, QStringLiteral("imageEdit%1").arg(i + 1), 260);
        m_titles[i] = Edit(pictures, QStringLiteral("titleEdit%1").arg(i + 1), 128);
        auto *browse = Button(pictures, QStringLiteral("..."), "browseButton");
        browse->setObjectName(QStringLiteral("browseButton%1").arg(i + 1));
        auto *label = new QLabel(QStringLiteral("Picture %1").arg(i + 1), pictures);
        label->setBuddy(m_paths[i]);
        pg->addWidget(label, i, 0);
        pg->addWidget(m_paths[i], i, 1);
        pg->addWidget(browse, i, 2);
        pg->addWidget(new QLabel(QStringLiteral("Title"), pictures), i, 3);
        pg->addWidget(m_titles[i], i, 4);
        QLineEdit *path = m_paths[i];
        connect(browse, &QPushButton::clicked, this, [path] {
            const QString file = theApp().AskOpenFileName(
                QStringLiteral("Select Picture"),
                QStringLiteral("Image files (*.bmp;*.gif;*.jpg;*.jpeg;*.png;*.BMP;*.GIF;*.JPG;*.JPEG;*.PNG)"
                               "|*.bmp;*.gif;*.jpg;*.jpeg;*.png;*.BMP;*.GIF;*.JPG;*.JPEG;*.PNG||"),
                path->text());
            if (!file.isEmpty())
                path->setText(file);
        });
    }
    pg->setColumnStretch(1, 2);
    pg->setColumnStretch(4, 1);
    top->addWidget(pictures);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *preview = Button(this, QStringLiteral("Pre&view"), "previewButton");
    auto *submit = Button(this, QStringLiteral("&Submit"), "submitButton");
    auto *cancel = Button(this, QStringLiteral("&Cancel"), "cancelButton");
    buttons->addWidget(preview);
    buttons->addWidget(submit);
    buttons->addWidget(cancel);
    top->addLayout(buttons);
    connect(preview, &QPushButton::clicked, this, &HotDealEditorDlg::Preview);
    connect(submit, &QPushButton::clicked, this, &HotDealEditorDlg::Submit);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    if (Globals::As<XMetaData>(GlobalSlot::Meta)) {
        ComboItemSink make(m_make), model(m_model);
        MetaUtils fill(theMeta());
        fill.FillCombo(make, 0, AnyItem, true, QString());
        fill.ResetDependentCombo(make, model, 1, AnyItem, AnyItem);
    } else {
        m_make->addItem(AnyItem);
        m_model->addItem(AnyItem);
    }
    m_model->setCurrentIndex(0);
    connect(m_make, &QComboBox::currentIndexChanged, this, [this] {
        if (!Globals::As<XMetaData>(GlobalSlot::Meta))
            return;
        ComboItemSink make(m_make), model(m_model);
        MetaUtils(theMeta()).ResetDependentCombo(make, model, 1, AnyItem, AnyItem);
        if (m_model->currentIndex() < 0 && m_model->count() > 0)
            m_model->setCurrentIndex(0);
    });
    resize(640, 620);
}

int HotDealEditorDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void HotDealEditorDlg::Exchange()
{
    m_form.make = m_make->currentText();
    m_form.model = m_model->currentText();
    m_form.year = m_year->text();
    m_form.title = m_title->text();
    m_form.price = m_price->text();
    m_form.quantity = m_quantity->text();
    m_form.stockNumber = m_stock->text();
    m_form.application = m_application->text();
    m_form.notes = m_notes->toPlainText().left(NotesLimit);
    for (int i = 0; i < HotDealForm::PictureRows; ++i) {
        m_form.picturePath[i] = m_paths[i]->text();
        m_form.pictureTitle[i] = m_titles[i]->text();
    }
}

void HotDealEditorDlg::Preview()
{
    WaitCursor wait;
    Exchange();
    if (!m_form.PreparePage())
        return;
    BrowserDlg dlg(this);
    dlg.SetTitle(QStringLiteral("Hot Deal Preview"));
    dlg.SetResizable(true);
    dlg.SetURL(QUrl::fromLocalFile(HotDealForm::PagePath()).toString());
    dlg.exec();
}

void HotDealEditorDlg::Submit()
{
    if (m_pipeline.IsBusy())
        return;
    Exchange();
    if (m_form.title.trimmed().isEmpty()) {
        theApp().ShowMessageBox(QStringLiteral("The \"Product\" must be entered."), QStringLiteral("Korvant"),
                                MsgBox::IconWarning);
        m_title->setFocus();
        return;
    }
    if (m_form.Submit(m_pipeline) != FormOutcome::Sent)
        return;
    BrowserDlg payment(this);
    payment.SetTitle(QStringLiteral("Hot Deal Payment"));
    payment.SetResizable(true);
    payment.SetURL(m_form.PaymentUrl());
    payment.exec();
    if (!payment.Cancelled()) {
        if (m_form.StoreDeal()) {
            if (m_host)
                m_host->RefreshMyHotDeals(true);
            theApp().ShowMessageBox(QStringLiteral("Thank you. Your Hot Deal has been sent successfully."),
                                    QStringLiteral("Korvant"), MsgBox::IconInformation);
        }
    } else {
        m_form.WithdrawDeal();
    }
    accept();
}
