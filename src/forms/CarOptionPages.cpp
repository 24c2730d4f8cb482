#include "CarOptionPages.h"

#include "FormControls.h"
#include "CarOptionRules.h"

#include "app/AppCore.h"
#include "db/XBaseSet.h"
#include "db/XQueryCarsSet.h"
#include "dialogs/ComboItemSink.h"
#include "dialogs/GuiUtils.h"
#include "net/MetaUtils.h"
#include "net/XMetaData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace CarOptionRules;
using namespace FormControls;

namespace {

bool WritesCarColumns(int mode)
{
    return mode >= 0 && mode <= 2;
}

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

} // namespace

// ---- car options ------------------------------------------------------------------

CarOptionsDlg::CarOptionsDlg(XBaseSet *record, int mode, QWidget *parent)
    : PropertyPage(QStringLiteral("Car Options"), parent), m_record(record), m_mode(mode)
{
    setObjectName(QStringLiteral("CarOptionsDlg"));
    auto *layout = new QVBoxLayout(this);
    m_explanation = new QLabel(this);
    m_explanation->setObjectName(QStringLiteral("explanationLabel"));
    m_explanation->setWordWrap(true);
    m_explanation->setText(mode == 0 ? QStringLiteral("Select all applicable options that you would like to have on "
                                                      "the vehicle you are looking to purchase.")
                                     : QStringLiteral("Select the vehicle features that are available on the car "
                                                      "you are selling."));
    layout->addWidget(m_explanation);

    auto *groups = new QGridLayout;
    QMap<QString, QVBoxLayout *> groupLayouts;
    for (const OptionBox &option : OptionBoxes()) {
        const QString group = QLatin1String(option.group);
        QVBoxLayout *column = groupLayouts.value(group);
        if (!column) {
            auto *box = new QGroupBox(group, this);
            column = new QVBoxLayout(box);
            column->setSpacing(2);
            const int index = int(groupLayouts.size());
            groups->addWidget(box, index / 3, index % 3, Qt::AlignTop);
            groupLayouts.insert(group, column);
        }
        auto *check = new QCheckBox(QLatin1String(option.caption), this);
        check->setObjectName(QLatin1String(option.key));
        column->addWidget(check);
        m_boxes << check;
    }
    for (QVBoxLayout *column : std::as_const(groupLayouts))
        column->addStretch(1);
    layout->addLayout(groups);

    auto *addLabel = new QLabel(QStringLiteral("Additional Options && Comments"), this);
    m_addEdit = new QPlainTextEdit(this);
    m_addEdit->setObjectName(QStringLiteral("addOptionsEdit"));
    m_addEdit->setFixedHeight(60);
    addLabel->setBuddy(m_addEdit);
    Limit(m_addEdit, AddOptionsLimit);
    layout->addWidget(addLabel);
    layout->addWidget(m_addEdit);
    layout->addStretch(1);

    LoadTexts();
    ShowTexts();
}

void CarOptionsDlg::LoadTexts()
{
    if (!m_record || !WritesCarColumns(m_mode))
        return;
    m_options = m_record->GetText("CAR_OPTIONS");
    m_addOptions = m_record->GetText("CAR_ADDOPTIONS");
}

void CarOptionsDlg::ShowTexts()
{
    const QList<bool> checked = Show(m_options, OptionKeys());
    for (qsizetype i = 0; i < m_boxes.size(); ++i)
        m_boxes[i]->setChecked(checked.value(i));
    m_addEdit->setPlainText(m_addOptions.left(AddOptionsLimit));
}

void CarOptionsDlg::Reload()
{
    LoadTexts();
    ShowTexts();
}

int CarOptionsDlg::OnQuerySiblings(int)
{
    QList<bool> checked;
    for (const QCheckBox *box : std::as_const(m_boxes))
        checked << box->isChecked();
    m_options = Take(m_options, OptionKeys(), checked);
    m_addOptions = m_addEdit->toPlainText().left(AddOptionsLimit);
    if (m_record && WritesCarColumns(m_mode)) {
        m_record->SetText("CAR_OPTIONS", m_options);
        m_record->SetText("CAR_ADDOPTIONS", m_addOptions);
    }
    return 0;
}

// ---- damage -----------------------------------------------------------------------

DamageOptionsDlg::DamageOptionsDlg(XBaseSet *record, int mode, bool newRecord, QWidget *parent)
    : PropertyPage(QStringLiteral("Salvage/Damage"), parent), m_record(record), m_mode(mode), m_newRecord(newRecord)
{
    setObjectName(QStringLiteral("DamageOptionsDlg"));
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    m_damage1Box = Combo(this, "damage1Combo");
    m_damage2Box = Combo(this, "damage2Combo");
    m_titleBox = Combo(this, "titleCombo");
    AddRow(grid, 0, 0, QStringLiteral("&Damage"), m_damage1Box);
    AddRow(grid, 1, 0, QStringLiteral("&2nd Damage"), m_damage2Box);
    AddRow(grid, 2, 0, QStringLiteral("&Title"), m_titleBox);
    const char *const questions[] = {"Do you have a Key for the vehicle?", "Can you Start the vehicle?",
                                     "Can you Run the vehicle?"};
    int row = 3;
    for (const QString &key : DamageKeys()) {
        QComboBox *box = Combo(this, qPrintable(key + QStringLiteral("Combo")));
        box->addItems({kYes, kNo});
        box->setMinimumContentsLength(4);
        AddRow(grid, row, 0, QLatin1String(questions[row - 3]), box);
        m_questions << box;
        ++row;
    }
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    LoadTexts();
    ShowTexts();
}

void DamageOptionsDlg::LoadTexts()
{
    if (!m_record || (m_mode != 0 && m_mode != 1))
        return;
    m_damage1 = m_record->GetText("DAMAGE1");
    m_damage2 = m_record->GetText("DAMAGE2");
    m_title = m_record->GetText("DAMAGE_TITLE");
    m_options = m_record->GetText("DAMAGE_OPTIONS");
}

void DamageOptionsDlg::ShowTexts()
{
    FillMeta(m_damage1Box, 10, QString(), m_damage1);
    FillMeta(m_damage2Box, 10, QString(), m_damage2);
    FillMeta(m_titleBox, 21, QString(), m_title);
    const QList<bool> yes = ShowDamage(m_options, m_newRecord);
    for (qsizetype i = 0; i < m_questions.size(); ++i)
        m_questions[i]->setCurrentIndex(yes.value(i) ? 0 : 1);
}

void DamageOptionsDlg::Reload()
{
    m_newRecord = false;
    LoadTexts();
    ShowTexts();
}

int DamageOptionsDlg::OnQuerySiblings(int)
{
    QList<bool> yes;
    for (const QComboBox *box : std::as_const(m_questions))
        yes << (box->currentText() == kYes);
    m_damage1 = m_damage1Box->currentText();
    m_damage2 = m_damage2Box->currentText();
    m_title = m_titleBox->currentText();
    m_options = Take(m_options, DamageKeys(), yes);
    if (m_record && (m_mode == 0 || m_mode == 1)) {
        m_record->SetText("DAMAGE1", m_damage1);
        m_record->SetText("DAMAGE2", m_damage2);
        m_record->SetText("DAMAGE_TITLE", m_title);
        m_record->SetText("DAMAGE_OPTIONS", m_options);
    }
    return 0;
}

// ---- trade-in ---------------------------------------------------------------------

CarTradeDlg::CarTradeDlg(XQueryCarsSet *query, QWidget *parent)
    : PropertyPage(QStringLiteral("Trade In"), parent), m_query(query)
{
    setObjectName(QStringLiteral("CarTradeDlg"));
    auto *layout = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    m_year = new QSpinBox(this);
    m_year->setObjectName(QStringLiteral("tradeYearSpin"));
    m_year->setRange(1900, 2500);
    m_year->setValue(2000);
    if (auto *yearEdit = m_year->findChild<QLineEdit *>())
        yearEdit->setReadOnly(true);
    m_make = Combo(this, "tradeMakeCombo");
    m_model = Combo(this, "tradeModelCombo", true);
    m_subModel = Edit(this, "tradeSubModelEdit");
    m_mileage = Edit(this, "tradeMileageEdit");
    m_condition = Combo(this, "tradeConditionCombo");
    m_bodyStyle = Combo(this, "tradeBodyStyleCombo");
    m_doors = Combo(this, "tradeDoorsCombo");
    m_extColor = Combo(this, "tradeExtColorCombo");
    m_intColor = Combo(this, "tradeIntColorCombo");
    m_transmission = Combo(this, "tradeTransmissionCombo");
    m_driveTrain = Combo(this, "tradeDriveTrainCombo");
    m_engineType = Combo(this, "tradeEngineTypeCombo");
    m_engineSize = Edit(this, "tradeEngineSizeEdit");
    m_engineUnit = Combo(this, "tradeEngineUnitCombo");
    m_engineUnit->setMinimumContentsLength(4);
    auto *engineSize = new QWidget(this);
    auto *engineRow = new QHBoxLayout(engineSize);
    engineRow->setContentsMargins(0, 0, 0, 0);
    engineRow->addWidget(m_engineSize, 1);
    engineRow->addWidget(m_engineUnit);
    AddRow(grid, 0, 0, QStringLiteral("&Year"), m_year);
    AddRow(grid, 0, 2, QStringLiteral("&Make"), m_make);
    AddRow(grid, 1, 0, QStringLiteral("M&odel"), m_model);
    AddRow(grid, 1, 2, QStringLiteral("&Sub-Model"), m_subModel);
    AddRow(grid, 2, 0, QStringLiteral("M&ileage"), m_mileage);
    AddRow(grid, 2, 2, QStringLiteral("&Condition"), m_condition);
    AddRow(grid, 3, 0, QStringLiteral("&Body Style"), m_bodyStyle);
    AddRow(grid, 3, 2, QStringLiteral("&Doors"), m_doors);
    AddRow(grid, 4, 0, QStringLiteral("&Exterior Color"), m_extColor);
    AddRow(grid, 4, 2, QStringLiteral("I&nterior Color"), m_intColor);
    AddRow(grid, 5, 0, QStringLiteral("&Transmission"), m_transmission);
    AddRow(grid, 5, 2, QStringLiteral("Drive T&rain"), m_driveTrain);
    AddRow(grid, 6, 0, QStringLiteral("Engine T&ype"), m_engineType);
    AddRow(grid, 6, 2, QStringLiteral("Engine Si&ze"), engineSize);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
    auto *notesLabel = new QLabel(QStringLiteral("No&tes"), this);
    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("tradeNotesEdit"));
    notesLabel->setBuddy(m_notes);
    Limit(m_notes, NotesLimit);
    layout->addWidget(notesLabel);
    layout->addWidget(m_notes, 1);
    connect(m_make, &QComboBox::currentIndexChanged, this, &CarTradeDlg::MakeChanged);
    Fill();
}

void CarTradeDlg::Fill()
{
    m_filling = true;
    const QString make = m_query ? m_query->GetText("MAKE") : QString();
    const QString model = m_query ? m_query->GetText("MODEL") : QString();
    MetaUtils fill(theMetaCars());
    FillMeta(m_make, 0, QStringLiteral("-- Please Select Make --"), make);
    m_make->addItem(QStringLiteral("Other"));
    ComboItemSink makeSink(m_make), modelSink(m_model);
    m_model->clear();
    fill.FillDependentCombo(makeSink, modelSink, 1, QStringLiteral("-- Select Or Type Model --"),
                            QStringLiteral("-- Select Make First --"), model.startsWith(u'-') ? QString() : model);
    if (m_model->currentIndex() < 0 && m_model->count() > 0)
        m_model->setCurrentIndex(0);
    FillMeta(m_bodyStyle, 2, QString(), m_query ? m_query->GetText("BODY_STYLE") : QString());
    FillMeta(m_condition, 17, QString(), QString());
    FillMeta(m_transmission, 11, QString(), QString());
    FillMeta(m_extColor, 4, QString(), QString());
    FillMeta(m_intColor, 3, QString(), QString());
    FillMeta(m_engineType, 13, QString(), QString());
    FillMeta(m_engineUnit, 14, MetaUtils::NoFirstItem, QString());
    FillMeta(m_driveTrain, 12, QString(), QString());
    FillMeta(m_doors, 19, QString(), QString());
    m_filling = false;
}

void CarTradeDlg::MakeChanged()
{
    if (m_filling)
        return;
    if (m_make->currentIndex() > 0) {
        ComboItemSink makeSink(m_make), modelSink(m_model);
        MetaUtils(theMetaCars())
            .ResetDependentCombo(makeSink, modelSink, 1, QStringLiteral("-- Select Or Type Model --"),
                                 QStringLiteral("-- Select Make First --"));
    } else {
        GuiUtils::SetSingleComboItem(m_model, QStringLiteral("-- Select Make First --"));
    }
}

int CarTradeDlg::OnQuerySiblings(int)
{
    TradeIn t;
    t.year = QString::number(m_year->value());
    t.make = m_make->currentText().trimmed();
    t.model = m_model->currentText().trimmed();
    t.subModel = m_subModel->text().trimmed();
    t.mileage = m_mileage->text().trimmed();
    t.condition = m_condition->currentText();
    t.bodyStyle = m_bodyStyle->currentText();
    t.doors = m_doors->currentText();
    t.extColor = m_extColor->currentText();
    t.intColor = m_intColor->currentText();
    t.transmission = m_transmission->currentText();
    t.driveTrain = m_driveTrain->currentText();
    t.engineType = m_engineType->currentText();
    t.engineSize = m_engineSize->text().trimmed();
    t.engineUnit = m_engineUnit->currentText();
    t.notes = m_notes->toPlainText().left(NotesLimit);
    const QString missing = TradeInMissing(t);
    if (!missing.isEmpty()) {
        if (PropertySheet *sheet = Sheet())
            sheet->SetActivePage(sheet->indexOfPage(this));
        theApp().ShowMessageBox(GuiUtils::SubmissionErrorText(missing), QStringLiteral("Submission Error"),
                                MsgBox::IconError);
        return 1;
    }
    if (m_query)
        m_query->SetText("TRADE_IN", TradeInSummary(t));
    return 0;
}
