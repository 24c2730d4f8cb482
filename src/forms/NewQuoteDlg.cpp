#include "NewQuoteDlg.h"

#include "CSelectPartImage.h"
#include "FormControls.h"
#include "FormWidgets.h"
#include "IFormHost.h"
#include "QuoteWalk.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XPhotoSet.h"
#include "app/XSettings.h"
#include "browser/CWebBrowser2.h"
#include "db/XInventorySet.h"
#include "dialogs/DataExchange.h"
#include "dialogs/PaneInterfaces.h"
#include "net/MetaUtils.h"
#include "net/XMetaData.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

using namespace FormWidgets;

namespace {

NewQuoteDlg::PaneMaker &Maker()
{
    static NewQuoteDlg::PaneMaker maker;
    return maker;
}

QString ModeName(IFormHost *)
{
    if (AppCore *app = theAppIfAny())
        if (IMainFrame *frame = app->Frame())
            return frame->GetMarketModeName();
    return QStringLiteral("Parts");
}

} // namespace

NewQuoteDlg::PaneMaker NewQuoteDlg::SetPaneMaker(PaneMaker maker)
{
    PaneMaker previous = Maker();
    Maker() = std::move(maker);
    return previous;
}

std::unique_ptr<IBrowserPane> NewQuoteDlg::MakeDetailsPane(QWidget *parent, QObject *context,
                                                           std::function<void()> getContact)
{
    if (Maker())
        return Maker()(parent);
    auto browser = std::make_unique<CWebBrowser2>(parent, QStringLiteral("QuoteDetails"));
    QObject::connect(browser.get(), &CWebBrowser2::getContact, context, std::move(getContact));
    return browser;
}

NewQuoteDlg::NewQuoteDlg(IFormHost *host, std::unique_ptr<ISellerQueries> list, QWidget *parent)
    : FormDialog(parent, QStringLiteral("NewQuoteDlg"), QStringLiteral("New Quote")), m_host(host),
      m_form(host, std::move(list)), m_pipeline(host), m_picture(std::make_unique<CSelectPartImage>(this))
{
    BuildControls();
    Place(QStringLiteral("NewQuoteDlg"));
}

NewQuoteDlg::~NewQuoteDlg() = default;

void NewQuoteDlg::BuildControls()
{
    auto *top = new QVBoxLayout(this);
    auto *split = new QSplitter(Qt::Horizontal, this);
    top->addWidget(split, 1);

    // The page asked for the buyer's contact: the query is read again.
    m_details = MakeDetailsPane(split, this, [this] {
        m_form.LoadCurrentQuery();
        ShowQueryDetails(m_details.get(), m_form);
    });
    if (m_details)
        split->addWidget(m_details->Widget());

    auto *form = new QWidget(split);
    split->addWidget(form);
    auto *fl = new QVBoxLayout(form);
    auto *quote = new QGroupBox(QStringLiteral("Quote"), form);
    QFont bold = quote->font();
    bold.setWeight(QFont::Bold);
    quote->setFont(bold);
    auto *qg = new QGridLayout(quote);
    m_partName = Edit(quote, "partNameEdit");
    m_partName->setMaxLength(128);
    m_condition = Combo(quote, "conditionCombo");
    m_quantity = new QSpinBox(quote);
    m_quantity->setObjectName(QStringLiteral("quantitySpin"));
    m_quantity->setRange(1, 100);
    m_boxQuantity = Edit(quote, "boxQuantityEdit");
    m_price = Edit(quote, "priceEdit");
    m_shipping = Edit(quote, "shippingEdit");
    m_core = Edit(quote, "coreEdit");
    m_stock = Edit(quote, "stockEdit");
    m_brand = Edit(quote, "brandEdit");
    m_fields.color = Edit(quote, "colorEdit");
    m_fields.side = Combo(quote, "sideCombo");
    m_fields.wheelWidth = Combo(quote, "wheelWidthCombo");
    m_fields.wheelHeight = Combo(quote, "wheelHeightCombo");
    m_url = Edit(quote, "urlEdit");
    int row = 0;
    for (QLabel *label : {AddRow(qg, row, 0, QStringLiteral("Part &Name"), m_partName),
                          AddRow(qg, row, 2, QStringLiteral("Part Cond"), m_condition)})
        label->setFont(bold);
    ++row;
    AddRow(qg, row, 0, QStringLiteral("&Quantity"), m_quantity);
    AddRow(qg, row++, 2, QStringLiteral("Box Quantity"), m_boxQuantity);
    AddRow(qg, row, 0, QStringLiteral("&Price"), m_price)->setFont(bold);
    AddRow(qg, row++, 2, QStringLiteral("S&&H"), m_shipping);
    AddRow(qg, row, 0, QStringLiteral("Core Deposit"), m_core);
    AddRow(qg, row++, 2, QStringLiteral("Stock &#"), m_stock);
    AddRow(qg, row, 0, QStringLiteral("&Brand"), m_brand);
    AddRow(qg, row++, 2, QStringLiteral("C&olor"), m_fields.color);
    AddRow(qg, row, 0, QStringLiteral("S&ide"), m_fields.side);
    AddRow(qg, row++, 2, QStringLiteral("Wheel Width"), m_fields.wheelWidth);
    AddRow(qg, row, 0, QStringLiteral("Wheel Height"), m_fields.wheelHeight);
    AddRow(qg, row++, 2, QStringLiteral("Buy URL"), m_url);
    for (QWidget *w : quote->findChildren<QWidget *>()) {
        if (!qobject_cast<QLabel *>(w))
            w->setFont(font());
    }
    fl->addWidget(quote);

    auto *vehicle = new QGroupBox(QStringLiteral("Vehicle"), form);
    auto *vg = new QGridLayout(vehicle);
    m_fields.bodyStyle = Combo(vehicle, "bodyStyleCombo");
    m_fields.engine = Combo(vehicle, "engineCombo");
    m_fields.transmission = Combo(vehicle, "transmissionCombo");
    m_fields.axle = Combo(vehicle, "axleCombo");
    m_fields.fuel = Combo(vehicle, "fuelCombo");
    m_fields.engineSize = Edit(vehicle, "engineSizeEdit");
    m_fields.engineUnit = Combo(vehicle, "engineUnitCombo");
    m_fields.engineUnit->setMinimumContentsLength(4);
    m_fields.delivery = Combo(vehicle, "deliveryCombo");
    m_fields.aspiration = Combo(vehicle, "aspirationCombo");
    QWidget *size = FormControls::Beside(vehicle, m_fields.engineSize, m_fields.engineUnit);
    AddRow(vg, 0, 0, QStringLiteral("Body Style"), m_fields.bodyStyle);
    AddRow(vg, 0, 2, QStringLiteral("Engine Type"), m_fields.engine);
    AddRow(vg, 1, 0, QStringLiteral("Transmission"), m_fields.transmission);
    AddRow(vg, 1, 2, QStringLiteral("Axle"), m_fields.axle);
    AddRow(vg, 2, 0, QStringLiteral("Fuel"), m_fields.fuel);
    AddRow(vg, 2, 2, QStringLiteral("Engine Size"), size);
    AddRow(vg, 3, 0, QStringLiteral("Fuel Delivery"), m_fields.delivery);
    AddRow(vg, 3, 2, QStringLiteral("Aspiration"), m_fields.aspiration);
    fl->addWidget(vehicle);

    m_fields.notes = FormControls::AddNotes(fl, form, QStringLiteral("Notes"), 60, PartFields::NotesLimit);

    auto *extras = new QHBoxLayout;
    m_pictureButton = new QPushButton(QStringLiteral("Select ..."), form);
    m_pictureButton->setObjectName(QStringLiteral("pictureButton"));
    m_fromInventory = new QPushButton(QStringLiteral("Select From Inventory"), form);
    m_fromInventory->setObjectName(QStringLiteral("fromInventoryButton"));
    m_storeToInventory = new QCheckBox(QStringLiteral("Store Quote to My Inventory"), form);
    m_storeToInventory->setObjectName(QStringLiteral("storeCheck"));
    extras->addWidget(m_pictureButton);
    extras->addWidget(m_fromInventory);
    extras->addWidget(m_storeToInventory);
    extras->addStretch(1);
    fl->addLayout(extras);

    m_cost = FormControls::CostLabel(this);
    m_walk = std::make_unique<QuoteWalkButtons>(this, this, m_form, m_host, [this] { OnInitDialog(); },
                                                [this] { done(QDialog::Rejected); });
    m_submit = FormControls::Button(this, QStringLiteral("&Submit"), "submitButton");
    m_submit->setDefault(true);
    m_cancel = FormControls::Button(this, QStringLiteral("&Cancel"), "cancelButton");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cost);
    buttons->addStretch(1);
    m_walk->AddTo(buttons);
    buttons->addWidget(m_submit);
    buttons->addWidget(m_cancel);
    top->addLayout(buttons);

    connect(m_submit, &QPushButton::clicked, this, &NewQuoteDlg::OnSubmit);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pictureButton, &QPushButton::clicked, this, [this] { m_picture->DoModal(); });
    connect(m_fromInventory, &QPushButton::clicked, this, &NewQuoteDlg::OnSelectFromInventory);
}

int NewQuoteDlg::DoModal()
{
    if (!m_form.HasQuery()) {
        theApp().ShowMessageBox(QStringLiteral("Please select the query to quote."), QStringLiteral("New Quote"),
                                MsgBox::IconInformation);
        return MsgBox::IdCancel;
    }
    return FormDialog::DoModal();
}

void NewQuoteDlg::OnInitDialog()
{
    m_initialised = false;
    ClearCombos();
    const XQuoteSet &q = m_form.Quote();
    const XMetaData::FixedLists &fixed = theMeta().Fixed();
    setWindowTitle(m_form.Caption(ModeName(m_host)));

    if (theApp().PaymentFeature()) {
        QString amount;
        MetaUtils::GetPartAmount(q.GetText("P_NAME"), amount, 1);
        m_cost->setText(QStringLiteral("Cost: $%1").arg(amount));
        m_cost->show();
    } else {
        m_cost->hide();
    }
    m_partName->setText(q.GetText("P_NAME"));
    m_condition->addItems(fixed.conditionsOther);
    if (m_form.QueryConditionIsAny()) {
        m_condition->insertItem(0, PartQuoteForm::ChooseOne);
        m_condition->setCurrentIndex(0);
    } else {
        SelectText(m_condition, q.GetText("P_TYPE"), 0);
    }
    m_quantity->setValue(qMax(1, q.GetInt("P_QUANTITY")));
    m_boxQuantity->setText(QString::number(q.GetInt("P_BOX_QUANTITY")));
    m_price->setText(MoneyText(q.GetDouble("P_PRICE")));
    m_shipping->setText(MoneyText(q.GetDouble("P_SHIPPING")));
    m_core->setText(MoneyText(q.GetDouble("P_CORE_DEPOSIT")));
    m_stock->setText(q.GetText("P_NUMBER"));
    m_brand->setText(q.GetText("P_BRAND"));
    m_url->setText(q.GetText("P_BUY_URL"));
    m_fields.Load(q);
    // Each query starts from the member's last choice, which the previous send stored.
    m_storeToInventory->setChecked(theSettings().IsOn(Setting::SaveToInventoryParts));
    ShowQueryDetails(m_details.get(), m_form);
    m_walk->Update();
    if (m_host)
        m_host->MarkReadIncoming();
    m_price->setFocus();
    m_initialised = true;
}

bool NewQuoteDlg::SaveToRecord()
{
    XQuoteSet &q = m_form.Quote();
    DataExchange dx(this, true);
    qint32 boxQuantity = 0;
    double price = 0, shipping = 0, core = 0;
    if (!DDX_RequiredLong(dx, m_boxQuantity, QStringLiteral("Box Quantity"), false, boxQuantity) ||
        !DDX_RequiredDouble(dx, m_price, QStringLiteral("Price"), true, price) ||
        !DDV_GreaterThanZeroDouble(dx, QStringLiteral("Price"), price, m_price) ||
        !DDX_RequiredDouble(dx, m_shipping, QStringLiteral("S&H"), false, shipping) ||
        !DDX_RequiredDouble(dx, m_core, QStringLiteral("Core Deposit"), false, core) ||
        !DDV_GreaterThanZeroLong(dx, QStringLiteral("Quantity"), m_quantity->value(), m_quantity))
        return false;
    q.SetText("P_NAME", m_partName->text().trimmed());
    q.SetText("P_TYPE", m_condition->currentText());
    q.SetInt("P_QUANTITY", m_quantity->value());
    q.SetInt("P_BOX_QUANTITY", boxQuantity);
    q.SetDouble("P_PRICE", price);
    q.SetDouble("P_SHIPPING", shipping);
    q.SetDouble("P_CORE_DEPOSIT", core);
    q.SetText("P_NUMBER", m_stock->text().trimmed());
    q.SetText("P_BRAND", m_brand->text());
    q.SetText("P_BUY_URL", m_url->text().trimmed());
    m_fields.Save(q);
    m_form.SetStoreToInventory(m_storeToInventory->isChecked());
    return true;
}

void NewQuoteDlg::SetBusy(bool busy)
{
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setEnabled(!busy);
    if (!busy)
        m_walk->Update();
}

void NewQuoteDlg::OnSubmit()
{
    if (m_pipeline.IsBusy() || !SaveToRecord())
        return;
    m_picture->CollectPictures();
    m_form.SetPictures(m_picture->Pictures());
    m_lastOutcome = SubmitFromWindow([this] { return m_form.Submit(m_pipeline); }, [this](bool busy) { SetBusy(busy); },
                                     [this] { done(QDialog::Rejected); });
    if (!IsSent(m_lastOutcome))
        return;
    theSettings().SetInt(Setting::SaveToInventoryParts, m_storeToInventory->isChecked() ? 1 : 0);
    theSettings().Save();
    m_picture->ClearPicture();
    // The quoted query left the pending list: the one now at its place is next.
    if (const int next = m_form.NextPlace(); next >= 0) {
        m_walk->Move(next);
        return;
    }
    done(QDialog::Accepted);
}

void NewQuoteDlg::OnSelectFromInventory()
{
    const qint64 id = m_form.FillFromPicked();
    if (id <= 0)
        return;
    XInventorySet inventory;
    inventory.Select(SqlExpr(QStringLiteral("ID = ?"), {id}));
    PictureHolder holder;
    XPhotoSet::LoadInventoryPicture(holder, inventory.GetText("SOURCE"), inventory.GetText("P_STOCK_NUMBER"), id);
    OnInitDialog();
    m_picture->SetPictureFile(holder.path);
    m_storeToInventory->setChecked(false);
}

bool NewQuoteDlg::SubmitQuickQuote(const QMap<QString, QString> &params, const QString &pictureFile)
{
    if (!pictureFile.isEmpty())
        m_picture->SetPictureFile(pictureFile);
    m_form.SetPictures(m_picture->Pictures());
    m_form.SetStoreToInventory(false);
    m_lastOutcome = m_form.SubmitQuick(m_pipeline, params);
    if (IsSent(m_lastOutcome)) {
        m_picture->ClearPicture();
        return true;
    }
    return false;
}
