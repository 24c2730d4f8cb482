#include "NewInventoryDlg.h"

#include "CSelectPartImage.h"
#include "FormPlacement.h"
#include "FormWidgets.h"
#include "IFormHost.h"
#include "PartNameController.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XPhotoSet.h"
#include "dialogs/ComboItemSink.h"
#include "dialogs/DataExchange.h"
#include "dialogs/GuiUtils.h"
#include "dialogs/PartSelectDlg.h"
#include "net/MetaUtils.h"
#include "net/SidesList.h"
#include "net/XMetaData.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace FormWidgets;

namespace {

constexpr int NotesLimit = 1023;
constexpr int UrlLimit = 1024;

QSpinBox *YearSpin(QWidget *parent, const char *name)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(1900, 2500);
    return spin;
}

QWidget *Pair(QWidget *parent, QWidget *a, QWidget *b)
{
    auto *box = new QWidget(parent);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(a, 1);
    row->addWidget(b);
    return box;
}

} // namespace

NewInventoryDlg::NewInventoryDlg(IFormHost *host, qint64 recordId, QWidget *parent)
    : QDialog(parent), m_host(host), m_picture(std::make_unique<CSelectPartImage>(this)),
      m_sides(std::make_unique<SidesList>())
{
    setObjectName(QStringLiteral("NewInventoryDlg"));
    setWindowTitle(QStringLiteral("Catalog Record"));
    if (recordId > 0)
        m_form.Open(recordId);
    BuildControls();
    m_placement = new FormPlacement(this, QStringLiteral("NewInvDlg"));
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
    m_color = Edit(part, "colorEdit");
    m_side = Combo(part, "sideCombo");
    m_wheelWidth = Combo(part, "wheelWidthCombo");
    m_wheelHeight = Combo(part, "wheelHeightCombo");
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
    AddRow(pg, 3, 0, QStringLiteral("Part &Name"), Pair(part, m_partName, m_pick));
    AddRow(pg, 3, 2, QStringLiteral("Box &Quantity"), m_quantity);
    AddRow(pg, 4, 0, QStringLiteral("&Price"), m_price);
    AddRow(pg, 4, 2, QStringLiteral("Core Deposit"), m_core);
    AddRow(pg, 5, 0, QStringLiteral("S&&H"), m_handling);
    AddRow(pg, 5, 2, QStringLiteral("Weight (lbs)"), m_weight);
    AddRow(pg, 6, 0, QStringLiteral("&Brand"), m_brand);
    AddRow(pg, 6, 2, QStringLiteral("C&olor"), m_color);
    AddRow(pg, 7, 0, QStringLiteral("S&ide"), m_side);
    AddRow(pg, 7, 2, QStringLiteral("Wheel Width"), m_wheelWidth);
    AddRow(pg, 8, 0, QStringLiteral("Wheel Height"), m_wheelHeight);
    AddRow(pg, 8, 2, QStringLiteral("URL to &Buy"), Pair(part, m_url, m_openUrl));
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
    m_transmission = Combo(vehicle, "transmissionCombo");
    m_axle = Combo(vehicle, "axleCombo");
    m_bodyStyle = Combo(vehicle, "bodyStyleCombo");
    m_engine = Combo(vehicle, "engineCombo");
    m_fuel = Combo(vehicle, "fuelCombo");
    m_engineSize = Edit(vehicle, "engineSizeEdit");
    m_engineUnit = Combo(vehicle, "engineUnitCombo");
    m_engineUnit->setMinimumContentsLength(4);
    m_delivery = Combo(vehicle, "deliveryCombo");
    m_aspiration = Combo(vehicle, "aspirationCombo");
    m_vin = Edit(vehicle, "vinEdit");
    AddRow(vg, 0, 0, QStringLiteral("Ma&ke"), m_make);
    AddRow(vg, 0, 2, QStringLiteral("Mo&del"), m_model);
    AddRow(vg, 1, 0, QStringLiteral("&Year"), m_year);
    AddRow(vg, 1, 2, QStringLiteral("&End Year"), m_endYear);
    AddRow(vg, 2, 0, QStringLiteral("&Transmission"), m_transmission);
    AddRow(vg, 2, 2, QStringLiteral("A&xle"), m_axle);
    AddRow(vg, 3, 0, QStringLiteral("Body &Style"), m_bodyStyle);
    AddRow(vg, 3, 2, QStringLiteral("Engine Type"), m_engine);
    AddRow(vg, 4, 0, QStringLiteral("Engine Size"), Pair(vehicle, m_engineSize, m_engineUnit));
    AddRow(vg, 4, 2, QStringLiteral("&Fuel"), m_fuel);
    AddRow(vg, 5, 0, QStringLiteral("Fuel Delivery"), m_delivery);
    AddRow(vg, 5, 2, QStringLiteral("Aspiration"), m_aspiration);
    AddRow(vg, 6, 0, QStringLiteral("&VIN"), m_vin);
    vg->setColumnStretch(1, 1);
    vg->setColumnStretch(3, 1);
    top->addWidget(vehicle);

    auto *notesLabel = new QLabel(QStringLiteral("Notes"), this);
    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("notesEdit"));
    m_notes->setFixedHeight(60);
    notesLabel->setBuddy(m_notes);
    top->addWidget(notesLabel);
    top->addWidget(m_notes);

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

    m_conditionSink = std::make_unique<ComboItemSink>(m_condition);
    m_categorySink = std::make_unique<ComboItemSink>(m_category);
    m_nameSink = std::make_unique<ComboItemSink>(m_partName);
    PartNameController::Placeholders text;
    text.category = InventoryPartForm::CategoryPlaceholder;
    text.name = InventoryPartForm::NamePlaceholder;
    m_parts = std::make_unique<PartNameController>(*m_conditionSink, *m_categorySink, *m_nameSink, text);

    connect(m_make, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_initialised)
            return;
        ComboItemSink make(m_make), model(m_model);
        MetaUtils(theMeta()).ResetDependentCombo(make, model, 1, InventoryPartForm::ModelPlaceholder,
                                                 QStringLiteral("-- Select Make First --"));
    });
    connect(m_condition, &QComboBox::currentIndexChanged, this, [this] {
        if (m_initialised)
            m_parts->ConditionChanged(m_category->currentText(), m_partName->currentText());
    });
    connect(m_category, &QComboBox::currentIndexChanged, this, [this] {
        if (m_initialised)
            m_parts->CategoryChanged();
    });
    auto nameChanged = [this] {
        if (m_initialised)
            m_parts->NameChanged();
    };
    connect(m_partName, &QComboBox::currentIndexChanged, this, nameChanged);
    connect(m_partName, &QComboBox::editTextChanged, this, nameChanged);
    connect(m_pick, &QPushButton::clicked, this, &NewInventoryDlg::OnPickPart);
    connect(m_openUrl, &QPushButton::clicked, this, &NewInventoryDlg::OnOpenUrl);
    connect(m_pictureButton, &QPushButton::clicked, this, [this] { m_picture->DoModal(); });
    connect(m_saveClose, &QPushButton::clicked, this, [this] {
        if (SaveRecord())
            done(QDialog::Accepted);
    });
    connect(m_saveNew, &QPushButton::clicked, this, &NewInventoryDlg::OnSaveAndNew);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int NewInventoryDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void NewInventoryDlg::showEvent(QShowEvent *event)
{
    if (!m_initialised) {
        OnInitDialog();
        m_placement->Apply();
    }
    QDialog::showEvent(event);
}

void NewInventoryDlg::OnInitDialog()
{
    m_initialised = false;
    for (QComboBox *box : findChildren<QComboBox *>())
        box->clear();
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
    m_parts->ConditionChanged(r.GetText("P_CATEGORY"), r.GetText("P_NAME"));
    m_quantity->setValue(r.GetInt("P_QUANTITY"));
    m_price->setText(MoneyText(r.GetDouble("P_PRICE")));
    m_core->setText(MoneyText(r.GetDouble("P_CORE_DEPOSIT")));
    m_handling->setText(MoneyText(r.GetDouble("P_HANDLING")));
    m_weight->setText(MoneyText(r.GetDouble("P_WEIGHT")));
    m_brand->setText(r.GetText("P_BRAND"));
    m_color->setText(r.GetText("P_COLOR"));
    ComboItemSink side(m_side);
    m_sides->FillCombo(side);
    const QString sideCode = r.GetText("P_SIDE");
    m_side->setCurrentIndex(sideCode.isEmpty() ? -1 : m_side->findText(m_sides->GetSideName(sideCode)));
    FillFixed(m_wheelWidth, fixed.numbers5To12, r.GetText("WHEEL_WIDTH"));
    FillFixed(m_wheelHeight, fixed.numbers12To30, r.GetText("WHEEL_HEIGHT"));
    m_url->setText(r.GetText("P_BUY_URL"));

    ComboItemSink make(m_make), model(m_model);
    // A stored make the metadata lacks (an imported record) stays shown: saving must not lose it.
    fill.FillCombo(make, 0, InventoryPartForm::MakePlaceholder, false, r.GetText("V_MAKE"));
    const QString typedModel = r.GetText("V_MODEL");
    fill.FillDependentCombo(make, model, 1, InventoryPartForm::ModelPlaceholder, QStringLiteral("-- Select Make First --"),
                            typedModel.startsWith(u'-') ? QString() : typedModel);
    if (m_model->currentIndex() < 0 && m_model->count() > 0)
        m_model->setCurrentIndex(0);
    m_year->setValue(r.GetText("V_YEAR").toInt() ? r.GetText("V_YEAR").toInt() : 2000);
    m_endYear->setValue(r.GetText("V_END_YEAR").toInt() ? r.GetText("V_END_YEAR").toInt() : m_year->value());
    struct VehicleList
    {
        QComboBox *box;
        int kind;
        const char *column;
    };
    for (const VehicleList &v : {VehicleList{m_transmission, 9, "V_TRANSMISSION"}, VehicleList{m_axle, 8, "V_AXLE"},
                                 VehicleList{m_bodyStyle, 4, "V_BODY_STYLE"}, VehicleList{m_engine, 6, "V_ENGINE"},
                                 VehicleList{m_fuel, 7, "V_FUEL"}}) {
        ComboItemSink sink(v.box);
        fill.FillCombo(sink, v.kind, QString(), false, r.GetText(v.column));
    }
    m_engineSize->setText(r.GetText("V_ENGINE_SIZE"));
    m_engineUnit->addItems(fixed.engineSizeUnits);
    SelectText(m_engineUnit, r.GetText("V_ENGINE_SIZE_UNIT"), 0);
    FillFixed(m_delivery, fixed.fuelSystems, r.GetText("V_DELIVERY"));
    FillFixed(m_aspiration, fixed.turboOptions, r.GetText("V_ASPIRATION"));
    m_vin->setText(r.GetText("V_VIN"));
    m_notes->setPlainText(r.GetText("P_NOTES").left(NotesLimit));

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
    r.SetText("P_COLOR", m_color->text());
    ComboItemSink side(m_side);
    r.SetText("P_SIDE", m_sides->GetSelectedKey(side));
    r.SetText("WHEEL_WIDTH", m_wheelWidth->currentText());
    r.SetText("WHEEL_HEIGHT", m_wheelHeight->currentText());
    r.SetText("P_BUY_URL", m_url->text().trimmed());
    r.SetText("P_NOTES", m_notes->toPlainText().left(NotesLimit));
    r.SetText("V_MAKE", m_make->currentText());
    r.SetText("V_MODEL", m_model->currentText().trimmed());
    r.SetText("V_YEAR", QString::number(m_year->value()));
    r.SetText("V_END_YEAR", QString::number(m_endYear->value()));
    r.SetText("V_TRANSMISSION", m_transmission->currentText());
    r.SetText("V_AXLE", m_axle->currentText());
    r.SetText("V_BODY_STYLE", m_bodyStyle->currentText());
    r.SetText("V_ENGINE", m_engine->currentText());
    r.SetText("V_FUEL", m_fuel->currentText());
    r.SetText("V_ENGINE_SIZE", m_engineSize->text());
    r.SetText("V_ENGINE_SIZE_UNIT", m_engineUnit->currentText());
    r.SetText("V_DELIVERY", m_delivery->currentText());
    r.SetText("V_ASPIRATION", m_aspiration->currentText());
    r.SetText("V_VIN", m_vin->text());
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

void NewInventoryDlg::OnPickPart()
{
    PartSelectDlg picker(m_parts->CategoryData(), m_parts->PickerIndex(), this);
    if (picker.exec() == QDialog::Accepted)
        m_parts->NamePicked(picker.GetPartName());
}

void NewInventoryDlg::OnOpenUrl()
{
    const QString url = InventoryPartForm::BuyUrl(m_url->text());
    if (!url.isEmpty())
        GuiUtils::OpenNewBrowserWindow(url);
}
