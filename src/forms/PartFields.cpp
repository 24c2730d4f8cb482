#include "PartFields.h"

#include "FormWidgets.h"

#include "dialogs/PartSelectDlg.h"
#include "db/XBaseSet.h"
#include "net/MetaUtils.h"
#include "net/XMetaData.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace FormWidgets;

void PartFields::Load(const XBaseSet &record)
{
    const XMetaData::FixedLists &fixed = theMeta().Fixed();
    MetaUtils fill(theMeta());

    ComboItemSink sideSink(side);
    m_sides.FillCombo(sideSink);
    // No side is chosen until the member chooses one.
    const QString sideCode = record.GetText("P_SIDE");
    side->setCurrentIndex(sideCode.isEmpty() ? -1 : side->findText(m_sides.GetSideName(sideCode)));
    FillFixed(wheelWidth, fixed.numbers5To12, record.GetText("WHEEL_WIDTH"));
    FillFixed(wheelHeight, fixed.numbers12To30, record.GetText("WHEEL_HEIGHT"));
    color->setText(record.GetText("P_COLOR"));

    struct VehicleList
    {
        QComboBox *box;
        int kind;
        const char *column;
    };
    for (const VehicleList &v : {VehicleList{bodyStyle, 4, "V_BODY_STYLE"}, VehicleList{transmission, 9, "V_TRANSMISSION"},
                                 VehicleList{axle, 8, "V_AXLE"}, VehicleList{engine, 6, "V_ENGINE"},
                                 VehicleList{fuel, 7, "V_FUEL"}}) {
        ComboItemSink sink(v.box);
        fill.FillCombo(sink, v.kind, QString(), false, record.GetText(v.column));
    }
    engineSize->setText(record.GetText("V_ENGINE_SIZE"));
    engineUnit->addItems(fixed.engineSizeUnits);
    SelectText(engineUnit, record.GetText("V_ENGINE_SIZE_UNIT"), 0);
    FillFixed(delivery, fixed.fuelSystems, record.GetText("V_DELIVERY"));
    FillFixed(aspiration, fixed.turboOptions, record.GetText("V_ASPIRATION"));
    notes->setPlainText(record.GetText("P_NOTES").left(NotesLimit));
}

void PartFields::Save(XBaseSet &record) const
{
    ComboItemSink sideSink(side);
    record.SetText("P_SIDE", m_sides.GetSelectedKey(sideSink));
    record.SetText("WHEEL_WIDTH", wheelWidth->currentText());
    record.SetText("WHEEL_HEIGHT", wheelHeight->currentText());
    record.SetText("P_COLOR", color->text());
    record.SetText("V_BODY_STYLE", bodyStyle->currentText());
    record.SetText("V_TRANSMISSION", transmission->currentText());
    record.SetText("V_AXLE", axle->currentText());
    record.SetText("V_ENGINE", engine->currentText());
    record.SetText("V_FUEL", fuel->currentText());
    record.SetText("V_ENGINE_SIZE", engineSize->text());
    record.SetText("V_ENGINE_SIZE_UNIT", engineUnit->currentText());
    record.SetText("V_DELIVERY", delivery->currentText());
    record.SetText("V_ASPIRATION", aspiration->currentText());
    record.SetText("P_NOTES", notes->toPlainText().left(NotesLimit));
}

PartNameBoxes::PartNameBoxes(QWidget *form, QComboBox *condition, QComboBox *category, QComboBox *name,
                             QPushButton *pick, const PartNameController::Placeholders &text,
                             std::function<bool()> live, std::function<void()> named)
    : m_conditionSink(condition), m_categorySink(category), m_nameSink(name),
      m_names(m_conditionSink, m_categorySink, m_nameSink, text), m_named(std::move(named))
{
    QObject::connect(category, &QComboBox::currentIndexChanged, form, [this, live] {
        if (live())
            m_names.CategoryChanged();
    });
    auto nameChanged = [this, live] {
        if (!live())
            return;
        m_names.NameChanged();
        if (m_named)
            m_named();
    };
    QObject::connect(name, &QComboBox::currentIndexChanged, form, nameChanged);
    QObject::connect(name, &QComboBox::editTextChanged, form, nameChanged);
    QObject::connect(pick, &QPushButton::clicked, form, [this, form] { Pick(form); });
}

void PartNameBoxes::Pick(QWidget *form)
{
    PartSelectDlg picker(m_names.CategoryData(), m_names.PickerIndex(), form);
    if (picker.exec() != QDialog::Accepted)
        return;
    m_names.NamePicked(picker.GetPartName());
    if (m_named)
        m_named();
}
