#include "NewQueryCarsPropSheet.h"

#include "FormControls.h"
#include "CarOptionPages.h"
#include "FormPlacement.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "net/MetaUtils.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace FormControls;

namespace {

// The wanted years are stepped, not typed.
QSpinBox *SteppedYearSpin(QWidget *parent, const char *name)
{
    QSpinBox *spin = YearSpin(parent, name);
    if (auto *edit = spin->findChild<QLineEdit *>())
        edit->setReadOnly(true);
    return spin;
}

int YearOf(const QString &text, int fallback)
{
    bool ok = false;
    const int year = text.trimmed().toInt(&ok);
    return ok ? year : fallback;
}

bool ShowsDamage(const QString &category)
{
    return category == u"Salvage/Damaged" || category == u"Repairable";
}

} // namespace

// ---- main page ----------------------------------------------------------------------

NewQueryCarsDlg::NewQueryCarsDlg(CarQueryForm &form, SubmitPipeline &pipeline, NewQueryCarsPropSheet &sheet)
    : PropertyPage(QStringLiteral("Car Query")), m_form(form), m_pipeline(pipeline), m_sheet(sheet)
{
    setObjectName(QStringLiteral("NewQueryCarsDlg"));
    auto *top = new QVBoxLayout(this);

    m_market = AddSendTo(top, this);

    auto *vehicle = new QGroupBox(QStringLiteral("Vehicle"), this);
    auto *vg = new QGridLayout(vehicle);
    m_make = Combo(vehicle, "makeCombo");
    m_model = Combo(vehicle, "modelCombo", true);
    m_subModel = Edit(vehicle, "subModelEdit");
    m_minYear = SteppedYearSpin(vehicle, "minYearSpin");
    m_maxYear = SteppedYearSpin(vehicle, "maxYearSpin");
    auto *years = new QWidget(vehicle);
    auto *yearRow = new QHBoxLayout(years);
    yearRow->setContentsMargins(0, 0, 0, 0);
    yearRow->addWidget(m_minYear, 1);
    yearRow->addWidget(new QLabel(QStringLiteral("To"), years));
    yearRow->addWidget(m_maxYear, 1);
    m_category = Combo(vehicle, "categoryCombo");
    m_damage = Combo(vehicle, "damageCombo");
    m_bodyStyle = Combo(vehicle, "bodyStyleCombo");
    m_doors = Combo(vehicle, "doorsCombo");
    m_extColor = Combo(vehicle, "extColorCombo");
    m_intColor = Combo(vehicle, "intColorCombo");
    m_transmission = Combo(vehicle, "transmissionCombo");
    m_driveTrain = Combo(vehicle, "driveTrainCombo");
    m_engineType = Combo(vehicle, "engineTypeCombo");
    m_engineSize = Edit(vehicle, "engineSizeEdit");
    m_engineUnit = Combo(vehicle, "engineUnitCombo");
    m_engineUnit->setMinimumContentsLength(4);
    QWidget *engineSize = Beside(vehicle, m_engineSize, m_engineUnit);
    AddRow(vg, 0, 0, QStringLiteral("Ma&ke"), m_make);
    AddRow(vg, 0, 2, QStringLiteral("Mo&del"), m_model);
    AddRow(vg, 1, 0, QStringLiteral("Su&b Model"), m_subModel);
    AddRow(vg, 1, 2, QStringLiteral("&Years"), years);
    AddRow(vg, 2, 0, QStringLiteral("&Category"), m_category);
    AddRow(vg, 2, 2, QStringLiteral("Dama&ge"), m_damage);
    m_damageLabel = qobject_cast<QLabel *>(vg->itemAtPosition(2, 2)->widget());
    AddRow(vg, 3, 0, QStringLiteral("Body &Style"), m_bodyStyle);
    AddRow(vg, 3, 2, QStringLiteral("D&oors"), m_doors);
    AddRow(vg, 4, 0, QStringLiteral("E&xterior Color"), m_extColor);
    AddRow(vg, 4, 2, QStringLiteral("&Interior Color"), m_intColor);
    AddRow(vg, 5, 0, QStringLiteral("&Transmission"), m_transmission);
    AddRow(vg, 5, 2, QStringLiteral("Drive T&rain"), m_driveTrain);
    AddRow(vg, 6, 0, QStringLiteral("&Engine Type"), m_engineType);
    AddRow(vg, 6, 2, QStringLiteral("Engine Si&ze"), engineSize);
    vg->setColumnStretch(1, 1);
    vg->setColumnStretch(3, 1);
    top->addWidget(vehicle);

    auto *purchase = new QGroupBox(QStringLiteral("Purchase"), this);
    auto *pg = new QGridLayout(purchase);
    m_minPrice = Combo(purchase, "minPriceCombo");
    m_maxPrice = Combo(purchase, "maxPriceCombo");
    m_minMileage = Combo(purchase, "minMileageCombo");
    m_maxMileage = Combo(purchase, "maxMileageCombo");
    m_zip = Edit(purchase, "zipEdit");
    m_within = Combo(purchase, "withinCombo");
    m_timeFrame = Combo(purchase, "timeFrameCombo");
    m_payment = Combo(purchase, "paymentCombo");
    AddRow(pg, 0, 0, QStringLiteral("&Price"), m_minPrice);
    AddRow(pg, 0, 2, QStringLiteral("To"), m_maxPrice);
    AddRow(pg, 1, 0, QStringLiteral("Mi&leage"), m_minMileage);
    AddRow(pg, 1, 2, QStringLiteral("To"), m_maxMileage);
    AddRow(pg, 2, 0, QStringLiteral("Zip Code"), m_zip);
    AddRow(pg, 2, 2, QStringLiteral("&Within ... miles"), m_within);
    AddRow(pg, 3, 0, QStringLiteral("Time &Frame"), m_timeFrame);
    AddRow(pg, 3, 2, QStringLiteral("Payment &Method"), m_payment);
    pg->setColumnStretch(1, 1);
    pg->setColumnStretch(3, 1);
    top->addWidget(purchase);

    m_notes = AddNotes(top, this, QStringLiteral("&Notes"), 56, NotesLimit);

    auto *tradeRow = new QHBoxLayout;
    m_tradeYes = new QRadioButton(QStringLiteral("Yes"), this);
    m_tradeNo = new QRadioButton(QStringLiteral("No"), this);
    m_tradeYes->setObjectName(QStringLiteral("tradeYesRadio"));
    m_tradeNo->setObjectName(QStringLiteral("tradeNoRadio"));
    auto *tradeGroup = new QButtonGroup(this);
    tradeGroup->addButton(m_tradeYes);
    tradeGroup->addButton(m_tradeNo);
    tradeRow->addWidget(new QLabel(QStringLiteral("Are You Interested in Trading In Your Car?"), this));
    tradeRow->addWidget(m_tradeYes);
    tradeRow->addWidget(m_tradeNo);
    tradeRow->addStretch(1);
    top->addLayout(tradeRow);

    connect(m_tradeYes, &QRadioButton::clicked, this, [this] {
        m_form.SetTradeIn(CarQueryForm::TradeIn::Yes);
        m_sheet.ShowTradeInPage(true);
    });
    connect(m_tradeNo, &QRadioButton::clicked, this, [this] {
        m_form.SetTradeIn(CarQueryForm::TradeIn::No);
        m_sheet.ShowTradeInPage(false);
    });
    FollowMake(m_make, m_model, Korvant::MarketCars, CarQueryForm::ModelPlaceholder, [this] { return m_initialised; });
    connect(m_category, &QComboBox::currentIndexChanged, this, [this] {
        if (m_initialised)
            CategoryChanged();
    });
}

void NewQueryCarsDlg::showEvent(QShowEvent *event)
{
    if (!m_initialised)
        OnInitDialog();
    PropertyPage::showEvent(event);
}

void NewQueryCarsDlg::OnInitDialog()
{
    const XQueryCarsSet &q = m_form.Query();

    FillSendTo(m_market, &m_sheet, m_form);
    FillMeta(m_make, 0, QStringLiteral("-- Select Make --"), q.GetText("MAKE"));
    m_make->addItem(QStringLiteral("Other"));
    FillModels(m_make, m_model, Korvant::MarketCars, CarQueryForm::ModelPlaceholder, q.GetText("MODEL"));
    m_subModel->setText(q.GetText("SUBMODEL"));
    m_minYear->setValue(YearOf(q.GetText("MIN_YEAR"), 1980));
    m_maxYear->setValue(YearOf(q.GetText("MAX_YEAR"), 2005));

    const QString category = q.GetText("CATEGORY");
    FillMeta(m_category, 16, MetaUtils::NoFirstItem, category);
    if (category.isEmpty() && !m_form.KeepValues())
        m_category->setCurrentIndex(qMax(0, m_category->findText(QStringLiteral("Pre-Owned"))));
    FillMeta(m_damage, 10, QString(), q.GetText("DAMAGE"));
    const bool damaged = ShowsDamage(m_category->currentText());
    m_damage->setVisible(damaged);
    m_damageLabel->setVisible(damaged);

    FillMeta(m_bodyStyle, 2, QString(), q.GetText("BODY_STYLE"));
    FillMeta(m_doors, 19, QString(), q.GetText("DOORS"));
    FillMeta(m_extColor, 4, QString(), q.GetText("EXT_COLOR"));
    FillMeta(m_intColor, 3, QString(), q.GetText("INT_COLOR"));
    FillMeta(m_transmission, 11, QString(), q.GetText("TRANSMISSION"));
    m_transmission->setCurrentIndex(qMax(0, m_transmission->findText(QStringLiteral("Automatic"))));
    FillMeta(m_driveTrain, 12, QString(), q.GetText("AXLE"));
    FillMeta(m_engineType, 13, QString(), q.GetText("ENGINE_TYPE"));
    m_engineSize->setText(q.GetText("ENGINE_SIZE"));
    FillMeta(m_engineUnit, 14, MetaUtils::NoFirstItem, q.GetText("ENGINE_SIZE_UNITS"));
    FillMeta(m_minPrice, 7, QStringLiteral("$0"), q.GetText("MIN_PRICE"));
    FillMeta(m_maxPrice, 7, QStringLiteral("No Maximum"), q.GetText("MAX_PRICE"));
    FillMeta(m_minMileage, 8, QStringLiteral("0"), q.GetText("MIN_MILEAGE"));
    FillMeta(m_maxMileage, 8, QStringLiteral("No Maximum"), q.GetText("MAX_MILEAGE"));
    m_zip->setText(q.GetText("ZIP"));
    FillMeta(m_within, 9, MetaUtils::NoFirstItem, q.GetText("MAX_DISTANCE"));
    FillMeta(m_timeFrame, 15, QString(), q.GetText("TIME_FRAME"));
    FillMeta(m_payment, 20, MetaUtils::NoFirstItem, q.GetText("PAYMENT_METHOD"));
    if (q.GetText("PAYMENT_METHOD").isEmpty()) {
        if (const int cash = m_payment->findText(QStringLiteral("Cash")); cash >= 0)
            m_payment->setCurrentIndex(cash);
    }
    m_notes->setPlainText(q.GetText("NOTES").left(NotesLimit));

    if (m_form.ContinueMode())
        m_bodyStyle->setFocus();
    m_form.EndOpening();
    m_initialised = true;
}

void NewQueryCarsDlg::CategoryChanged()
{
    const bool damaged = ShowsDamage(m_category->currentText());
    m_damage->setVisible(damaged);
    m_damageLabel->setVisible(damaged);
    m_damage->setCurrentIndex(damaged && m_damage->count() > 1 ? 1 : 0);
}

void NewQueryCarsDlg::SaveToRecord()
{
    using Amount = CarQueryForm::Amount;
    XQueryCarsSet &q = m_form.Query();
    q.SetText("MARKET_NAME", m_market->currentText());
    q.SetText("MAKE", m_make->currentText());
    q.SetText("MODEL", m_model->currentText().trimmed());
    q.SetText("SUBMODEL", m_subModel->text().trimmed());
    q.SetText("MIN_YEAR", QString::number(m_minYear->value()));
    q.SetText("MAX_YEAR", QString::number(m_maxYear->value()));
    q.SetText("CATEGORY", m_category->currentText());
    q.SetText("DAMAGE", m_damage->isVisibleTo(this) ? m_damage->currentText() : QString());
    q.SetText("BODY_STYLE", m_bodyStyle->currentText());
    q.SetText("DOORS", m_doors->currentText());
    q.SetText("EXT_COLOR", m_extColor->currentText());
    q.SetText("INT_COLOR", m_intColor->currentText());
    q.SetText("TRANSMISSION", m_transmission->currentText());
    q.SetText("AXLE", m_driveTrain->currentText());
    q.SetText("ENGINE_TYPE", m_engineType->currentText());
    q.SetText("ENGINE_SIZE", m_engineSize->text().trimmed());
    q.SetText("ENGINE_SIZE_UNITS", m_engineUnit->currentText());
    q.SetText("MIN_PRICE", CarQueryForm::Normalize(Amount::Price, m_minPrice->currentText()));
    q.SetText("MAX_PRICE", CarQueryForm::Normalize(Amount::Price, m_maxPrice->currentText()));
    q.SetText("MIN_MILEAGE", CarQueryForm::Normalize(Amount::Mileage, m_minMileage->currentText()));
    q.SetText("MAX_MILEAGE", CarQueryForm::Normalize(Amount::Mileage, m_maxMileage->currentText()));
    q.SetText("ZIP", m_zip->text().trimmed());
    q.SetText("MAX_DISTANCE", CarQueryForm::Normalize(Amount::Within, m_within->currentText()));
    q.SetText("TIME_FRAME", m_timeFrame->currentText());
    q.SetText("PAYMENT_METHOD", m_payment->currentText());
    q.SetText("NOTES", m_notes->toPlainText().left(NotesLimit));
}

bool NewQueryCarsDlg::OnApply()
{
    if (m_pipeline.IsBusy())
        return false;
    // The options and the trade-in go into the record first; a refusing page sends nothing.
    if (m_sheet.Commit(this) != 0)
        return false;
    SaveToRecord();
    m_lastOutcome = SubmitFromWindow([this] { return m_form.Submit(m_pipeline); },
                                     [this](bool busy) { m_sheet.SetBusy(busy); }, [this] { m_sheet.reject(); });
    return IsSent(m_lastOutcome);
}

// ---- sheet --------------------------------------------------------------------------

NewQueryCarsPropSheet::NewQueryCarsPropSheet(IFormHost *host, const QString &caption, QWidget *parent)
    : PropertySheet(caption, parent, Navigation::Tabs), m_form(host), m_pipeline(host)
{
    setObjectName(QStringLiteral("NewQueryCarsPropSheet"));
    m_main = new NewQueryCarsDlg(m_form, m_pipeline, *this);
    m_options = new CarOptionsDlg(&m_form.Query(), 0);
    AddPage(m_main);
    AddPage(m_options);
    OkButton()->setText(QStringLiteral("Submit"));
    CancelButton()->setText(QStringLiteral("Cancel"));
    AddBackNext();
    SetActivePage(1);
    SetActivePage(0);
    m_placement = new FormPlacement(this, QStringLiteral("NewQueryCarsDlg"));
}

NewQueryCarsPropSheet::~NewQueryCarsPropSheet() = default;

void NewQueryCarsPropSheet::ShowTradeInPage(bool shown)
{
    if (shown && !m_trade)
        m_trade = new CarTradeDlg(&m_form.Query());
    if (!m_trade)
        return;
    if (shown)
        AddPage(m_trade);  // no-op when it is there already
    else
        RemovePage(m_trade);
}

void NewQueryCarsPropSheet::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        m_placement->Apply();
        m_placed = true;
    }
    PropertySheet::showEvent(event);
}

int NewQueryCarsPropSheet::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}
