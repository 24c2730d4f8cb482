#pragma once

// What the part forms (query, quote, inventory record) share on the screen.
// PartFields: the part's side, wheel and color, the vehicle's lists and
// engine, and the notes, moved between their controls and the record the
// same way on each form. PartNameBoxes: the condition, category and
// part-name boxes over a PartNameController, with the "..." picker. Each form
// builds and lays out the controls itself (its own labels, order and places)
// and hands them over.

#include "PartNameController.h"

#include "dialogs/ComboItemSink.h"
#include "net/SidesList.h"

#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class XBaseSet;

class PartFields
{
public:
    static constexpr int NotesLimit = 1023;

    // From the record into the boxes, which are empty.
    void Load(const XBaseSet &record);
    void Save(XBaseSet &record) const;

    QComboBox *side = nullptr, *wheelWidth = nullptr, *wheelHeight = nullptr;
    QLineEdit *color = nullptr;
    QComboBox *bodyStyle = nullptr, *transmission = nullptr, *axle = nullptr, *engine = nullptr, *fuel = nullptr;
    QLineEdit *engineSize = nullptr;
    QComboBox *engineUnit = nullptr, *delivery = nullptr, *aspiration = nullptr;
    QPlainTextEdit *notes = nullptr;

private:
    SidesList m_sides;
};

class PartNameBoxes
{
public:
    // `live`: the form is shown (while it fills itself the boxes do not
    // react); `named`: after a name was typed, chosen or picked.
    PartNameBoxes(QWidget *form, QComboBox *condition, QComboBox *category, QComboBox *name, QPushButton *pick,
                  const PartNameController::Placeholders &text, std::function<bool()> live,
                  std::function<void()> named = {});

    PartNameController &Names() { return m_names; }

private:
    void Pick(QWidget *form);

    ComboItemSink m_conditionSink, m_categorySink, m_nameSink;
    PartNameController m_names;
    std::function<void()> m_named;
};
