#include "NewQueryDlg.h"

#include "FormControls.h"
#include "FormWidgets.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "dialogs/ComboItemSink.h"
#include "dialogs/DataExchange.h"
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
#include <QSpinBox>
#include <QVBoxLayout>

using namespace FormControls;
using FormWidgets::FillFixed;
using FormWidgets::SelectText;

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

constexpr int YearMin = 1900;
constexpr int YearMax = 2500;

} // namespace

NewQueryDlg::NewQueryDlg(IFormHost *host, const QString &caption, QWidget *parent)
    : FormDialog(parent, QStringLiteral("NewQueryDlg"), QStringLiteral("New Query")), m_form(host), m_pipeline(host),
      m_caption(caption)
{
    BuildControls();
    Place(QStringLiteral("NewQuery"));
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
    m_fields.bodyStyle = Combo(vehicle, "bodyStyleCombo");
    m_fields.transmission = Combo(vehicle, "transmissionCombo");
    m_fields.axle = Combo(vehicle, "axleCombo");
    m_vin = Edit(vehicle, "vinEdit");
    m_fields.engine = Combo(vehicle, "engineCombo");
    m_fields.engineSize = Edit(vehicle, "engineSizeEdit");
    m_fields.engineUnit = Combo(vehicle, "engineUnitCombo");
    m_fields.engineUnit->setMinimumContentsLength(4);
    m_fields.delivery = Combo(vehicle, "deliveryCombo");
    m_fields.fuel = Combo(vehicle, "fuelCombo");
    m_fields.aspiration = Combo(vehicle, "aspirationCombo");
    QWidget *engineSize = Beside(vehicle, m_fields.engineSize, m_fields.engineUnit);
    AddRow(vg, 0, 0, QStringLiteral("Ma&ke"), m_make);
    AddRow(vg, 0, 2, QStringLiteral("Mo&del"), m_model);
    AddRow(vg, 1, 0, QStringLiteral("&Year"), m_year);
    AddRow(vg, 1, 2, QStringLiteral("&Body Style"), m_fields.bodyStyle);
    AddRow(vg, 2, 0, QStringLiteral("&Transmission"), m_fields.transmission);
    AddRow(vg, 2, 2, QStringLiteral("A&xle"), m_fields.axle);
    AddRow(vg, 3, 0, QStringLiteral("&VIN"), m_vin);
    AddRow(vg, 3, 2, QStringLiteral("En&gine Type"), m_fields.engine);
    AddRow(vg, 4, 0, QStringLiteral("Engine &Size"), engineSize, m_fields.engineSize);
    AddRow(vg, 4, 2, QStringLiteral("F&uel Delivery"), m_fields.delivery);
    AddRow(vg, 5, 0, QStringLiteral("&Fuel"), m_fields.fuel);
    AddRow(vg, 5, 2, QStringLiteral("As&piration"), m_fields.aspiration);
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
    m_fields.color = Edit(part, "colorEdit");
    m_fields.side = Combo(part, "sideCombo");
    m_fields.wheelWidth = Combo(part, "wheelWidthCombo");
    m_fields.wheelHeight = Combo(part, "wheelHeightCombo");
    m_timeFrame = Combo(part, "timeFrameCombo");
    AddRow(pg, 0, 0, QStringLiteral("Part &#"), m_partNumber);
    AddRow(pg, 0, 2, QStringLiteral("Part &Condition"), m_condition);
    AddRow(pg, 1, 0, QStringLiteral("Part C&ategory"), m_category);
    AddRow(pg, 1, 2, QStringLiteral("Part &Name"), nameBox, m_partName);
    AddRow(pg, 2, 0, QStringLiteral("&Quantity"), m_quantity);
    AddRow(pg, 2, 2, QStringLiteral("Max Pric&e"), m_maxPrice);
    AddRow(pg, 3, 0, QStringLiteral("Co&lor"), m_fields.color);
    AddRow(pg, 3, 2, QStringLiteral("S&ide"), m_fields.side);
    AddRow(pg, 4, 0, QStringLiteral("Wheel &Width"), m_fields.wheelWidth);
    AddRow(pg, 4, 2, QStringLiteral("Wheel &Height"), m_fields.wheelHeight);
    AddRow(pg, 5, 0, QStringLiteral("Time F&rame"), m_timeFrame);
    pg->setColumnStretch(1, 1);
    pg->setColumnStretch(3, 1);
    top->addWidget(part);

    m_fields.notes = AddNotes(top, this, QStringLiteral("N&otes"), 70, PartFields::NotesLimit);
    m_cost = CostLabel(this);

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

    auto live = [this] { return m_initialised; };
    m_parts = std::make_unique<PartNameBoxes>(this, m_condition, m_category, m_partName, m_pick,
                                              PartNameController::Placeholders(), live,
                                              [this] { RefreshCost(m_partName->currentText()); });
    FollowMake(m_make, m_model, Korvant::MarketParts, PartQueryForm::ModelPlaceholder, live);
    connect(m_condition, &QComboBox::currentIndexChanged, this, [this] {
        if (m_initialised)
            m_parts->Names().ConditionChanged(m_form.Query().GetText("P_CATEGORY"), m_form.Query().GetText("P_NAME"));
    });
    connect(m_submitClose, &QPushButton::clicked, this, &NewQueryDlg::OnSubmitAndClose);
    connect(m_submitNew, &QPushButton::clicked, this, &NewQueryDlg::OnSubmitAndNew);
    connect(m_close, &QPushButton::clicked, this, &NewQueryDlg::reject);
}

void NewQueryDlg::OnInitDialog()
{
    m_initialised = false;
    const XQuerySet &q = m_form.Query();
    const XMetaData::FixedLists &fixed = theMeta().Fixed();
    MetaUtils fill(theMeta());

    setWindowTitle(m_caption);
    FillSendTo(m_market, this, m_form);
    m_year->SetYear(q.GetText("V_YEAR"));
    ComboItemSink make(m_make);
    fill.FillCombo(make, 0, QStringLiteral("-- Select Make --"), false, q.GetText("V_MAKE"));
    FillModels(m_make, m_model, Korvant::MarketParts, PartQueryForm::ModelPlaceholder, q.GetText("V_MODEL"));
    m_vin->setText(q.GetText("V_VIN"));

    m_partNumber->setText(q.GetText("P_NUMBER"));
    m_quantity->setValue(qMax(1, q.GetInt("P_QUANTITY")));
    const double price = q.GetDouble("P_MAX_PRICE");
    m_maxPrice->setText(price == 0.0 ? QStringLiteral("0") : QString::number(price, 'f', 2));
    m_condition->addItems(fixed.conditionsAny);
    SelectText(m_condition, m_form.ContinueMode() ? q.GetText("P_TYPE") : QString(), 0);
    m_parts->Names().ConditionChanged(q.GetText("P_CATEGORY"), q.GetText("P_NAME"));
    FillFixed(m_timeFrame, fixed.timeFrames, q.GetText("P_TIME_FRAME"));
    m_fields.Load(q);
    RefreshCost(QString());

    if (m_form.ContinueMode())
        m_fields.bodyStyle->setFocus();
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
    q.SetText("V_VIN", m_vin->text());
    q.SetText("P_NUMBER", m_partNumber->text());
    q.SetText("P_TYPE", m_condition->currentText());
    q.SetText("P_CATEGORY", m_category->currentText());
    q.SetText("P_NAME", m_partName->currentText().trimmed());
    q.SetInt("P_QUANTITY", m_quantity->value());
    q.SetDouble("P_MAX_PRICE", maxPrice);
    q.SetText("P_TIME_FRAME", m_timeFrame->currentText());
    m_fields.Save(q);
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
    m_lastOutcome = SubmitFromWindow([this] { return m_form.Submit(m_pipeline); }, [this](bool busy) { SetBusy(busy); },
                                     [this] { done(QDialog::Rejected); });
    return IsSent(m_lastOutcome);
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
