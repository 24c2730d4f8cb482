#include "NewQueryDlg.h"

#include "FormControls.h"
#include "FormPlacement.h"
#include "PartNameController.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "dialogs/ComboItemSink.h"
#include "dialogs/DataExchange.h"
#include "dialogs/GuiUtils.h"
#include "dialogs/PartSelectDlg.h"
#include "net/MetaUtils.h"
#include "net/SidesList.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace FormControls;

// The step below the first year is "no year": the box shows nothing.
QValidator::State YearSpinBox::validate(QString &text, int &pos) const
{
    return text.trimmed().isEmpty() ? QValidator::Acceptable : QSpinBox::validate(text, pos);
}

int YearSpinBox::valueFromText(const QString &text) const
{
    return text.trimmed().isEmpty() ? minimum() : QSpinBox::valueFromText(text);
}

QString YearSpinBox::textFromValue(int value) const
{
    return value <= minimum() ? QString() : QSpinBox::textFromValue(value);
}

void YearSpinBox::SetYear(const QString &year)
{
    bool ok = false;
    const int value = year.trimmed().toInt(&ok);
    setValue(ok ? value : minimum());
}

QString YearSpinBox::Year() const
{
    return value() <= minimum() ? QString() : QString::number(value());
}

namespace {

constexpr int NotesLimit = 1023;
constexpr int YearMin = 1900;
constexpr int YearMax = 2500;

// Selects the text when an item carries it exactly, else the fallback index.
void SelectText(QComboBox *box, const QString &text, int fallback)
{
    const int found = text.isEmpty() ? -1 : box->findText(text, Qt::MatchFixedString);
    box->setCurrentIndex(found >= 0 ? found : fallback);
}

// An optional value list: an empty first item, the record's value selected.
void FillFixed(QComboBox *box, const QStringList &values, const QString &current)
{
    box->addItem(QString());
    box->addItems(values);
    SelectText(box, current, 0);
}

} // namespace

NewQueryDlg::NewQueryDlg(IFormHost *host, const QString &caption, QWidget *parent)
    : QDialog(parent), m_form(host), m_pipeline(host), m_caption(caption), m_sides(std::make_unique<SidesList>())
{
    setObjectName(QStringLiteral("NewQueryDlg"));
    setWindowTitle(QStringLiteral("New Query"));
    BuildControls();
    m_placement = new FormPlacement(this, QStringLiteral("NewQuery"));
}

NewQueryDlg::~NewQueryDlg() = default;

void NewQueryDlg::BuildControls()
{
    auto *top = new QVBoxLayout(this);

    m_market = AddSendTo(top, this);

    auto *vehicle = new QGroupBox(QStringLiteral("Vehicle"), this);
    auto *vg = new QGridLayout(vehicle);
    m_make = Combo(vehicle, "makeCombo");
    m_model = Combo(vehicle, "modelCombo", true);
    m_year = new YearSpinBox(vehicle);
    m_year->setObjectName(QStringLiteral("yearEdit"));
    m_year->setRange(YearMin - 1, YearMax);
    m_bodyStyle = Combo(vehicle, "bodyStyleCombo");
    m_transmission = Combo(vehicle, "transmissionCombo");
    m_axle = Combo(vehicle, "axleCombo");
    m_vin = Edit(vehicle, "vinEdit");
    m_engine = Combo(vehicle, "engineCombo");
    m_engineSize = Edit(vehicle, "engineSizeEdit");
    m_engineUnit = Combo(vehicle, "engineUnitCombo");
    m_engineUnit->setMinimumContentsLength(4);
    m_delivery = Combo(vehicle, "deliveryCombo");
    m_fuel = Combo(vehicle, "fuelCombo");
    m_aspiration = Combo(vehicle, "aspirationCombo");
    QWidget *engineSize = Beside(vehicle, m_engineSize, m_engineUnit);
    AddRow(vg, 0, 0, QStringLiteral("Ma&ke"), m_make);
    AddRow(vg, 0, 2, QStringLiteral("Mo&del"), m_model);
    AddRow(vg, 1, 0, QStringLiteral("&Year"), m_year);
    AddRow(vg, 1, 2, QStringLiteral("&Body Style"), m_bodyStyle);
    AddRow(vg, 2, 0, QStringLiteral("&Transmission"), m_transmission);
    AddRow(vg, 2, 2, QStringLiteral("A&xle"), m_axle);
    AddRow(vg, 3, 0, QStringLiteral("&VIN"), m_vin);
    AddRow(vg, 3, 2, QStringLiteral("En&gine Type"), m_engine);
    AddRow(vg, 4, 0, QStringLiteral("Engine &Size"), engineSize, m_engineSize);
    AddRow(vg, 4, 2, QStringLiteral("F&uel Delivery"), m_delivery);
    AddRow(vg, 5, 0, QStringLiteral("&Fuel"), m_fuel);
    AddRow(vg, 5, 2, QStringLiteral("As&piration"), m_aspiration);
    vg->setColumnStretch(1, 1);
    vg->setColumnStretch(3, 1);
    top->addWidget(vehicle);

    auto *part = new QGroupBox(QStringLiteral("Part"), this);
    auto *pg = new QGridLayout(part);
    m_partNumber = Edit(part, "partNumberEdit");
    m_condition = Combo(part, "conditionCombo");
    m_category = Combo(part, "categoryCombo");
    m_partName = Combo(part, "partNameCombo", true);
    m_pick = new QPushButton(QStringLiteral("..."), part);
    m_pick->setObjectName(QStringLiteral("pickPartButton"));
    m_pick->setFixedWidth(30);
    auto *nameBox = new QWidget(part);
    auto *nameRow = new QHBoxLayout(nameBox);
    nameRow->setContentsMargins(0, 0, 0, 0);
    nameRow->addWidget(m_partName, 1);
    nameRow->addWidget(m_pick);
    m_quantity = new QSpinBox(part);
    m_quantity->setObjectName(QStringLiteral("quantitySpin"));
    m_quantity->setRange(1, 100);
    m_maxPrice = Edit(part, "maxPriceEdit");
    m_color = Edit(part, "colorEdit");
    m_side = Combo(part, "sideCombo");
    m_wheelWidth = Combo(part, "wheelWidthCombo");
    m_wheelHeight = Combo(part, "wheelHeightCombo");
    m_timeFrame = Combo(part, "timeFrameCombo");
    AddRow(pg, 0, 0, QStringLiteral("Part &#"), m_partNumber);
    AddRow(pg, 0, 2, QStringLiteral("Part &Condition"), m_condition);
    AddRow(pg, 1, 0, QStringLiteral("Part C&ategory"), m_category);
    AddRow(pg, 1, 2, QStringLiteral("Part &Name"), nameBox, m_partName);
    AddRow(pg, 2, 0, QStringLiteral("&Quantity"), m_quantity);
    AddRow(pg, 2, 2, QStringLiteral("Max Pric&e"), m_maxPrice);
    AddRow(pg, 3, 0, QStringLiteral("Co&lor"), m_color);
    AddRow(pg, 3, 2, QStringLiteral("S&ide"), m_side);
    AddRow(pg, 4, 0, QStringLiteral("Wheel &Width"), m_wheelWidth);
    AddRow(pg, 4, 2, QStringLiteral("Wheel &Height"), m_wheelHeight);
    AddRow(pg, 5, 0, QStringLiteral("Time F&rame"), m_timeFrame);
    pg->setColumnStretch(1, 1);
    pg->setColumnStretch(3, 1);
    top->addWidget(part);

    auto *notesLabel = new QLabel(QStringLiteral("N&otes"), this);
    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("notesEdit"));
    m_notes->setFixedHeight(70);
    Limit(m_notes, NotesLimit);
    notesLabel->setBuddy(m_notes);
    top->addWidget(notesLabel);
    top->addWidget(m_notes);

    m_cost = new QLabel(this);
    m_cost->setObjectName(QStringLiteral("costLabel"));
    QPalette green = m_cost->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    m_cost->setPalette(green);

    m_submitClose = new QPushButton(QStringLiteral("&Submit And Close"), this);
    m_submitClose->setObjectName(QStringLiteral("submitCloseButton"));
    m_submitClose->setDefault(true);
    m_submitNew = new QPushButton(QStringLiteral("Submit &And New"), this);
    m_submitNew->setObjectName(QStringLiteral("submitNewButton"));
    m_close = new QPushButton(QStringLiteral("&Close"), this);
    m_close->setObjectName(QStringLiteral("closeButton"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cost);
    buttons->addStretch(1);
    buttons->addWidget(m_submitClose);
    buttons->addWidget(m_submitNew);
    buttons->addWidget(m_close);
    top->addLayout(buttons);

    m_conditionSink = std::make_unique<ComboItemSink>(m_condition);
    m_categorySink = std::make_unique<ComboItemSink>(m_category);
    m_nameSink = std::make_unique<ComboItemSink>(m_partName);
    m_parts = std::make_unique<PartNameController>(*m_conditionSink, *m_categorySink, *m_nameSink);

    connect(m_make, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_initialised)
            return;
        ComboItemSink make(m_make), model(m_model);
        MetaUtils(theMeta()).ResetDependentCombo(make, model, 1, PartQueryForm::ModelPlaceholder,
                                                 QStringLiteral("-- Select Make First --"));
    });
    connect(m_condition, &QComboBox::currentIndexChanged, this, [this] {
        if (m_initialised)
            m_parts->ConditionChanged(m_form.Query().GetText("P_CATEGORY"), m_form.Query().GetText("P_NAME"));
    });
    connect(m_category, &QComboBox::currentIndexChanged, this, [this] {
        if (m_initialised)
            m_parts->CategoryChanged();
    });
    auto nameChanged = [this] {
        if (!m_initialised)
            return;
        m_parts->NameChanged();
        RefreshCost(m_partName->currentText());
    };
    connect(m_partName, &QComboBox::currentIndexChanged, this, nameChanged);
    connect(m_partName, &QComboBox::editTextChanged, this, nameChanged);
    connect(m_pick, &QPushButton::clicked, this, &NewQueryDlg::OnPickPart);
    connect(m_submitClose, &QPushButton::clicked, this, &NewQueryDlg::OnSubmitAndClose);
    connect(m_submitNew, &QPushButton::clicked, this, &NewQueryDlg::OnSubmitAndNew);
    connect(m_close, &QPushButton::clicked, this, &NewQueryDlg::reject);
}

int NewQueryDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void NewQueryDlg::showEvent(QShowEvent *event)
{
    if (!m_initialised) {
        OnInitDialog();
        m_placement->Apply();
    }
    QDialog::showEvent(event);
}

void NewQueryDlg::ClearCombos()
{
    for (QComboBox *box : findChildren<QComboBox *>())
        box->clear();
}

void NewQueryDlg::OnInitDialog()
{
    m_initialised = false;
    const XQuerySet &q = m_form.Query();
    const XMetaData &meta = theMeta();
    const XMetaData::FixedLists &fixed = meta.Fixed();
    MetaUtils fill(theMeta());

    if (m_form.IsPrivate()) {
        setWindowTitle(QStringLiteral("Private Query For %1").arg(m_form.PrivateName()));
        m_market->setEnabled(false);
    } else {
        setWindowTitle(m_caption);
    }

    m_year->SetYear(q.GetText("V_YEAR"));
    ComboItemSink make(m_make), model(m_model);
    fill.FillCombo(make, 0, QStringLiteral("-- Select Make --"), false, q.GetText("V_MAKE"));
    const QString typedModel = q.GetText("V_MODEL");
    fill.FillDependentCombo(make, model, 1, PartQueryForm::ModelPlaceholder, QStringLiteral("-- Select Make First --"),
                            typedModel.startsWith(u'-') ? QString() : typedModel);
    if (m_model->currentIndex() < 0 && m_model->count() > 0)
        m_model->setCurrentIndex(0);

    if (!m_form.IsPrivate()) {
        QStringList names;
        if (const auto *places = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces))
            places->GetMarketNames(names, XMarketPlaces::Subscribed, Korvant::MarketParts);
        GuiUtils::FillComboBox(names, m_market, q.GetText("MARKET_NAME"));
        if (!m_form.KeepValues() || m_form.ContinueMode()) {
            const QString defaultName =
                Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces)
                    ? theMarketPlaces().GetDefaultMarketName(Korvant::MarketParts)
                    : QString();
            SelectText(m_market, defaultName, 0);
        }
    }

    struct VehicleList
    {
        QComboBox *box;
        int kind;
        const char *column;
    };
    for (const VehicleList &v : {VehicleList{m_bodyStyle, 4, "V_BODY_STYLE"}, VehicleList{m_transmission, 9, "V_TRANSMISSION"},
                                 VehicleList{m_axle, 8, "V_AXLE"}, VehicleList{m_engine, 6, "V_ENGINE"},
                                 VehicleList{m_fuel, 7, "V_FUEL"}}) {
        ComboItemSink sink(v.box);
        fill.FillCombo(sink, v.kind, QString(), false, q.GetText(v.column));
    }
    m_vin->setText(q.GetText("V_VIN"));
    m_engineSize->setText(q.GetText("V_ENGINE_SIZE"));
    m_engineUnit->addItems(fixed.engineSizeUnits);
    SelectText(m_engineUnit, q.GetText("V_ENGINE_SIZE_UNIT"), 0);
    FillFixed(m_delivery, fixed.fuelSystems, q.GetText("V_DELIVERY"));
    FillFixed(m_aspiration, fixed.turboOptions, q.GetText("V_ASPIRATION"));

    m_partNumber->setText(q.GetText("P_NUMBER"));
    m_quantity->setValue(qMax(1, q.GetInt("P_QUANTITY")));
    const double price = q.GetDouble("P_MAX_PRICE");
    m_maxPrice->setText(price == 0.0 ? QStringLiteral("0") : QString::number(price, 'f', 2));
    m_color->setText(q.GetText("P_COLOR"));
    m_condition->addItems(fixed.conditionsAny);
    SelectText(m_condition, m_form.ContinueMode() ? q.GetText("P_TYPE") : QString(), 0);
    m_parts->ConditionChanged(q.GetText("P_CATEGORY"), q.GetText("P_NAME"));
    FillFixed(m_timeFrame, fixed.timeFrames, q.GetText("P_TIME_FRAME"));
    FillFixed(m_wheelHeight, fixed.numbers12To30, q.GetText("WHEEL_HEIGHT"));
    FillFixed(m_wheelWidth, fixed.numbers5To12, q.GetText("WHEEL_WIDTH"));
    ComboItemSink side(m_side);
    m_sides->FillCombo(side);
    // No side is chosen until the member chooses one.
    const QString sideCode = q.GetText("P_SIDE");
    m_side->setCurrentIndex(sideCode.isEmpty() ? -1 : m_side->findText(m_sides->GetSideName(sideCode)));
    m_notes->setPlainText(q.GetText("P_NOTES").left(NotesLimit));
    RefreshCost(QString());

    if (m_form.ContinueMode())
        m_bodyStyle->setFocus();
    m_form.EndOpening();
    m_initialised = true;
}

bool NewQueryDlg::SaveToRecord()
{
    XQuerySet &q = m_form.Query();
    DataExchange dx(this, true);
    double maxPrice = 0.0;
    if (!DDX_RequiredDouble(dx, m_maxPrice, QStringLiteral("Max Price"), false, maxPrice))
        return false;
    q.SetText("MARKET_NAME", m_market->currentText());
    q.SetText("V_MAKE", m_make->currentText());
    q.SetText("V_MODEL", m_model->currentText());
    q.SetText("V_YEAR", m_year->Year());
    q.SetText("V_BODY_STYLE", m_bodyStyle->currentText());
    q.SetText("V_TRANSMISSION", m_transmission->currentText());
    q.SetText("V_AXLE", m_axle->currentText());
    q.SetText("V_VIN", m_vin->text());
    q.SetText("V_ENGINE", m_engine->currentText());
    q.SetText("V_ENGINE_SIZE", m_engineSize->text());
    q.SetText("V_ENGINE_SIZE_UNIT", m_engineUnit->currentText());
    q.SetText("V_DELIVERY", m_delivery->currentText());
    q.SetText("V_FUEL", m_fuel->currentText());
    q.SetText("V_ASPIRATION", m_aspiration->currentText());
    q.SetText("P_NUMBER", m_partNumber->text());
    q.SetText("P_TYPE", m_condition->currentText());
    q.SetText("P_CATEGORY", m_category->currentText());
    q.SetText("P_NAME", m_partName->currentText().trimmed());
    q.SetInt("P_QUANTITY", m_quantity->value());
    q.SetDouble("P_MAX_PRICE", maxPrice);
    q.SetText("P_COLOR", m_color->text());
    ComboItemSink side(m_side);
    q.SetText("P_SIDE", m_sides->GetSelectedKey(side));
    q.SetText("WHEEL_WIDTH", m_wheelWidth->currentText());
    q.SetText("WHEEL_HEIGHT", m_wheelHeight->currentText());
    q.SetText("P_TIME_FRAME", m_timeFrame->currentText());
    q.SetText("P_NOTES", m_notes->toPlainText().left(NotesLimit));
    return true;
}

void NewQueryDlg::SetBusy(bool busy)
{
    for (QPushButton *button : {m_submitClose, m_submitNew, m_close, m_pick})
        button->setEnabled(!busy);
}

bool NewQueryDlg::Submit()
{
    if (m_pipeline.IsBusy() || !SaveToRecord())
        return false;
    SetBusy(true);
    m_lastOutcome = m_form.Submit(m_pipeline);
    SetBusy(false);
    if (m_lastOutcome == FormOutcome::RefusedClosed) {
        done(QDialog::Rejected);
        return false;
    }
    return m_lastOutcome == FormOutcome::Sent || m_lastOutcome == FormOutcome::SentNotStored;
}

void NewQueryDlg::OnSubmitAndClose()
{
    if (Submit())
        done(QDialog::Accepted);
}

void NewQueryDlg::OnSubmitAndNew()
{
    if (!Submit())
        return;
    m_form.StartNewKeepingVehicle();
    m_initialised = false;
    ClearCombos();
    OnInitDialog();
}

void NewQueryDlg::OnPickPart()
{
    PartSelectDlg picker(m_parts->CategoryData(), m_parts->PickerIndex(), this);
    if (picker.exec() != QDialog::Accepted)
        return;
    m_parts->NamePicked(picker.GetPartName());
    RefreshCost(m_partName->currentText());
}

void NewQueryDlg::RefreshCost(const QString &partName)
{
    if (!theApp().PaymentFeature()) {
        m_cost->hide();
        return;
    }
    QString amount;
    MetaUtils::GetPartAmount(partName, amount, 0);
    m_cost->setText(amount.isEmpty() ? QString() : QStringLiteral("Cost: $%1").arg(amount));
    m_cost->show();
}
