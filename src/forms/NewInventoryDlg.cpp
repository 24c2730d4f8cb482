#include "NewInventoryDlg.h"

#include "CSelectPartImage.h"
#include "FormWidgets.h"
#include "IFormHost.h"
#include "PartFields.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XPhotoSet.h"
#include "dialogs/ComboItemSink.h"
#include "dialogs/DataExchange.h"
#include "dialogs/GuiUtils.h"
#include "net/MetaUtils.h"
#include "net/XMetaData.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace FormWidgets;
using FormControls::AddNotes;
using FormControls::FillModels;
using FormControls::FollowMake;
using FormControls::Beside;
using FormControls::YearSpin;

namespace {

constexpr int UrlLimit = 1024;

} // namespace

NewInventoryDlg::NewInventoryDlg(IFormHost *host, qint64 recordId, QWidget *parent)
    : FormDialog(parent, QStringLiteral("NewInventoryDlg"), QStringLiteral("Catalog Record")), m_host(host),
      m_picture(std::make_unique<CSelectPartImage>(this))
{
    if (recordId > 0)
        m_form.Open(recordId);
    BuildControls();
    Place(QStringLiteral("NewInvDlg"));
}

NewInventoryDlg::~NewInventoryDlg() = default;

void NewInventoryDlg::BuildControls()
{
    auto *top = new QVBoxLayout(this);
    auto *part = new QGroupBox(QStringLiteral("Part"), this);
    auto *pg = new QGridLayout(part);
    m_stock = Edit(part, "stockEdit");
    m_oem = Edit(part, "oemEdit");
    m_aaia = Edit(part, "aaiaEdit");
    m_interchange = Edit(part, "interchangeEdit");
    m_condition = Combo(part, "conditionCombo");
    m_category = Combo(part, "categoryCombo");
    m_partName = Combo(part, "partNameCombo", true);
    m_pick = new QPushButton(QStringLiteral("..."), part);
    m_pick->setObjectName(QStringLiteral("pickPartButton"));
    m_pick->setFixedWidth(30);
    m_quantity = new QSpinBox(part);
    m_quantity->setObjectName(QStringLiteral("quantitySpin"));
    m_quantity->setRange(0, 10000);
    m_price = Edit(part, "priceEdit");
    m_core = Edit(part, "coreEdit");
    m_handling = Edit(part, "handlingEdit");
    m_weight = Edit(part, "weightEdit");
    m_brand = Edit(part, "brandEdit");
    m_fields.color = Edit(part, "colorEdit");
    m_fields.side = Combo(part, "sideCombo");
    m_fields.wheelWidth = Combo(part, "wheelWidthCombo");
    m_fields.wheelHeight = Combo(part, "wheelHeightCombo");
    m_url = Edit(part, "urlEdit");
    m_url->setMaxLength(UrlLimit);
    m_openUrl = new QPushButton(QStringLiteral(">>"), part);
    m_openUrl->setObjectName(QStringLiteral("openUrlButton"));
    m_openUrl->setFixedWidth(30);
    m_pictureButton = new QPushButton(QStringLiteral("&Picture..."), part);
    m_pictureButton->setObjectName(QStringLiteral("pictureButton"));
    AddRow(pg, 0, 0, QStringLiteral("Stock &#"), m_stock);
    AddRow(pg, 0, 2, QStringLiteral("OEM #"), m_oem);
    AddRow(pg, 1, 0, QStringLiteral("AAIA #"), m_aaia);
    AddRow(pg, 1, 2, QStringLiteral("Interchange #"), m_interchange);
    AddRow(pg, 2, 0, QStringLiteral("Part &Condition"), m_condition);
    AddRow(pg, 2, 2, QStringLiteral("Part C&ategory"), m_category);
    AddRow(pg, 3, 0, QStringLiteral("Part &Name"), Beside(part, m_partName, m_pick));
    AddRow(pg, 3, 2, QStringLiteral("Box &Quantity"), m_quantity);
    AddRow(pg, 4, 0, QStringLiteral("&Price"), m_price);
    AddRow(pg, 4, 2, QStringLiteral("Core Deposit"), m_core);
    AddRow(pg, 5, 0, QStringLiteral("S&&H"), m_handling);
    AddRow(pg, 5, 2, QStringLiteral("Weight (lbs)"), m_weight);
    AddRow(pg, 6, 0, QStringLiteral("&Brand"), m_brand);
    AddRow(pg, 6, 2, QStringLiteral("C&olor"), m_fields.color);
    AddRow(pg, 7, 0, QStringLiteral("S&ide"), m_fields.side);
    AddRow(pg, 7, 2, QStringLiteral("Wheel Width"), m_fields.wheelWidth);
    AddRow(pg, 8, 0, QStringLiteral("Wheel Height"), m_fields.wheelHeight);
    AddRow(pg, 8, 2, QStringLiteral("URL to &Buy"), Beside(part, m_url, m_openUrl));
    pg->addWidget(m_pictureButton, 9, 1);
    pg->setColumnStretch(1, 1);
    pg->setColumnStretch(3, 1);
    top->addWidget(part);

    auto *vehicle = new QGroupBox(QStringLiteral("Vehicle"), this);
    auto *vg = new QGridLayout(vehicle);
    m_make = Combo(vehicle, "makeCombo");
    m_model = Combo(vehicle, "modelCombo", true);
    m_year = YearSpin(vehicle, "yearSpin");
    m_endYear = YearSpin(vehicle, "endYearSpin");
    m_fields.transmission = Combo(vehicle, "transmissionCombo");
    m_fields.axle = Combo(vehicle, "axleCombo");
    m_fields.bodyStyle = Combo(vehicle, "bodyStyleCombo");
    m_fields.engine = Combo(vehicle, "engineCombo");
    m_fields.fuel = Combo(vehicle, "fuelCombo");
    m_fields.engineSize = Edit(vehicle, "engineSizeEdit");
    m_fields.engineUnit = Combo(vehicle, "engineUnitCombo");
    m_fields.engineUnit->setMinimumContentsLength(4);
    m_fields.delivery = Combo(vehicle, "deliveryCombo");
    m_fields.aspiration = Combo(vehicle, "aspirationCombo");
    m_vin = Edit(vehicle, "vinEdit");
    AddRow(vg, 0, 0, QStringLiteral("Ma&ke"), m_make);
    AddRow(vg, 0, 2, QStringLiteral("Mo&del"), m_model);
    AddRow(vg, 1, 0, QStringLiteral("&Year"), m_year);
    AddRow(vg, 1, 2, QStringLiteral("&End Year"), m_endYear);
    AddRow(vg, 2, 0, QStringLiteral("&Transmission"), m_fields.transmission);
    AddRow(vg, 2, 2, QStringLiteral("A&xle"), m_fields.axle);
    AddRow(vg, 3, 0, QStringLiteral("Body &Style"), m_fields.bodyStyle);
    AddRow(vg, 3, 2, QStringLiteral("Engine Type"), m_fields.engine);
    AddRow(vg, 4, 0, QStringLiteral("Engine Size"), Beside(vehicle, m_fields.engineSize, m_fields.engineUnit));
    AddRow(vg, 4, 2, QStringLiteral("&Fuel"), m_fields.fuel);
    AddRow(vg, 5, 0, QStringLiteral("Fuel Delivery"), m_fields.delivery);
    AddRow(vg, 5, 2, QStringLiteral("Aspiration"), m_fields.aspiration);
    AddRow(vg, 6, 0, QStringLiteral("&VIN"), m_vin);
    vg->setColumnStretch(1, 1);
    vg->setColumnStretch(3, 1);
    top->addWidget(vehicle);

    // Typing runs on; the save keeps the first PartFields::NotesLimit characters.
    m_fields.notes = AddNotes(top, this, QStringLiteral("Notes"), 60, 0);

    m_saveClose = new QPushButton(QStringLiteral("&Save And Close"), this);
    m_saveClose->setObjectName(QStringLiteral("saveCloseButton"));
    m_saveClose->setDefault(true);
    m_saveNew = new QPushButton(QStringLiteral("Sa&ve And New"), this);
    m_saveNew->setObjectName(QStringLiteral("saveNewButton"));
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_saveClose);
    buttons->addWidget(m_saveNew);
    buttons->addWidget(m_cancel);
    top->addLayout(buttons);

    PartNameController::Placeholders text;
    text.category = InventoryPartForm::CategoryPlaceholder;
    text.name = InventoryPartForm::NamePlaceholder;
    auto live = [this] { return m_initialised; };
    m_parts = std::make_unique<PartNameBoxes>(this, m_condition, m_category, m_partName, m_pick, text, live);
    FollowMake(m_make, m_model, Korvant::MarketParts, InventoryPartForm::ModelPlaceholder, live);
    connect(m_condition, &QComboBox::currentIndexChanged, this, [this] {
        if (m_initialised)
            m_parts->Names().ConditionChanged(m_category->currentText(), m_partName->currentText());
    });
    connect(m_openUrl, &QPushButton::clicked, this, &NewInventoryDlg::OnOpenUrl);
    connect(m_pictureButton, &QPushButton::clicked, this, [this] { m_picture->DoModal(); });
    connect(m_saveClose, &QPushButton::clicked, this, [this] {
        if (SaveRecord())
            done(QDialog::Accepted);
    });
    connect(m_saveNew, &QPushButton::clicked, this, &NewInventoryDlg::OnSaveAndNew);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void NewInventoryDlg::OnInitDialog()
{
    m_initialised = false;
    ClearCombos();
    const XInventorySet &r = m_form.Record();
    const XMetaData::FixedLists &fixed = theMeta().Fixed();
    MetaUtils fill(theMeta());
    setWindowTitle(QStringLiteral("%1 - Catalog Record").arg(QStringLiteral("Parts")));

    m_stock->setText(r.GetText("P_STOCK_NUMBER"));
    m_oem->setText(r.GetText("P_OEM_NUMBER"));
    m_aaia->setText(r.GetText("P_AAIA_NUMBER"));
    m_interchange->setText(r.GetText("P_INTERCHANGE_NUMBER"));
    m_condition->addItems(fixed.conditionsOther);
    SelectText(m_condition, r.GetText("P_TYPE"), 0);
    m_parts->Names().ConditionChanged(r.GetText("P_CATEGORY"), r.GetText("P_NAME"));
    m_quantity->setValue(r.GetInt("P_QUANTITY"));
    m_price->setText(MoneyText(r.GetDouble("P_PRICE")));
    m_core->setText(MoneyText(r.GetDouble("P_CORE_DEPOSIT")));
    m_handling->setText(MoneyText(r.GetDouble("P_HANDLING")));
    m_weight->setText(MoneyText(r.GetDouble("P_WEIGHT")));
    m_brand->setText(r.GetText("P_BRAND"));
    m_url->setText(r.GetText("P_BUY_URL"));

    ComboItemSink make(m_make);
    // A stored make the metadata lacks (an imported record) stays shown: saving must not lose it.
    fill.FillCombo(make, 0, InventoryPartForm::MakePlaceholder, false, r.GetText("V_MAKE"));
    FillModels(m_make, m_model, Korvant::MarketParts, InventoryPartForm::ModelPlaceholder, r.GetText("V_MODEL"));
    m_year->setValue(r.GetText("V_YEAR").toInt() ? r.GetText("V_YEAR").toInt() : 2000);
    m_endYear->setValue(r.GetText("V_END_YEAR").toInt() ? r.GetText("V_END_YEAR").toInt() : m_year->value());
    m_vin->setText(r.GetText("V_VIN"));
    m_fields.Load(r);

    if (m_form.IsNew()) {
        m_picture->ClearPicture();
    } else {
        PictureHolder holder;
        XPhotoSet::LoadInventoryPicture(holder, r.GetText("SOURCE"), r.GetText("P_STOCK_NUMBER"), m_form.RecordId());
        m_picture->SetPictureFile(holder.path);
    }
    m_initialised = true;
}

bool NewInventoryDlg::SaveToRecord()
{
    XInventorySet &r = m_form.Record();
    DataExchange dx(this, true);
    double price = 0, core = 0, handling = 0, weight = 0;
    if (!DDX_RequiredDouble(dx, m_price, QStringLiteral("Price"), false, price) ||
        !DDX_RequiredDouble(dx, m_core, QStringLiteral("Core Deposit"), false, core) ||
        !DDX_RequiredDouble(dx, m_handling, QStringLiteral("S&H"), false, handling) ||
        !DDX_RequiredDouble(dx, m_weight, QStringLiteral("Weight"), false, weight))
        return false;
    r.SetText("P_STOCK_NUMBER", m_stock->text().trimmed());
    r.SetText("P_OEM_NUMBER", m_oem->text());
    r.SetText("P_AAIA_NUMBER", m_aaia->text());
    r.SetText("P_INTERCHANGE_NUMBER", m_interchange->text());
    r.SetText("P_TYPE", m_condition->currentText());
    r.SetText("P_CATEGORY", m_category->currentText());
    r.SetText("P_NAME", m_partName->currentText().trimmed());
    r.SetInt("P_QUANTITY", m_quantity->value());
    r.SetDouble("P_PRICE", price);
    r.SetDouble("P_CORE_DEPOSIT", core);
    r.SetDouble("P_HANDLING", handling);
    r.SetDouble("P_WEIGHT", weight);
    r.SetText("P_BRAND", m_brand->text());
    r.SetText("P_BUY_URL", m_url->text().trimmed());
    r.SetText("V_MAKE", m_make->currentText());
    r.SetText("V_MODEL", m_model->currentText().trimmed());
    r.SetText("V_YEAR", QString::number(m_year->value()));
    r.SetText("V_END_YEAR", QString::number(m_endYear->value()));
    r.SetText("V_VIN", m_vin->text());
    m_fields.Save(r);
    return true;
}

bool NewInventoryDlg::SaveRecord()
{
    if (!SaveToRecord())
        return false;
    const QString missing = m_form.MissingFields();
    if (!missing.isEmpty()) {
        theApp().ShowMessageBox(GuiUtils::SubmissionErrorText(missing), QStringLiteral("Submission Error"),
                                MsgBox::IconError);
        return false;
    }
    m_picture->CollectPictures();
    if (m_form.Save(m_picture->Pictures()) < 0)
        return false;
    if (m_host)
        m_host->OpenInventoryList(Korvant::MarketParts);
    return true;
}

void NewInventoryDlg::OnSaveAndNew()
{
    if (!SaveRecord())
        return;
    m_form.StartNewKeepingVehicle();
    OnInitDialog();
}

void NewInventoryDlg::OnOpenUrl()
{
    const QString url = InventoryPartForm::BuyUrl(m_url->text());
    if (!url.isEmpty())
        GuiUtils::OpenNewBrowserWindow(url);
}
