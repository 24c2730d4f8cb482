#pragma once

// Small builders the forms share: named combos, edits, year boxes and
// buttons, a labelled row of a grid, a length-limited multi-line edit and the
// notes, the cost label; and the fillers the forms' boxes share: a combo from
// the cars metadata, the model box under its make, the marketplaces a query
// goes to.

#include <QString>

#include <functional>

class QAbstractButton;
class QBoxLayout;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QWidget;
class QueryFormBase;

namespace FormControls {

QComboBox *Combo(QWidget *parent, const char *name, bool editable = false);
QLineEdit *Edit(QWidget *parent, const char *name);
// The years 1900 to 2500.
QSpinBox *YearSpin(QWidget *parent, const char *name);
// Never the default button by having the focus: Enter stays with the form's default.
QPushButton *Button(QWidget *parent, const QString &text, const char *name);
// Label and control side by side from the column; the label is the buddy of
// `buddy`, else of the control (a label gives no focus to a plain container).
void AddRow(QGridLayout *grid, int row, int column, const QString &label, QWidget *control,
            QWidget *buddy = nullptr);
// `first` taking the room, `second` at its natural width, in one cell.
QWidget *Beside(QWidget *parent, QWidget *first, QWidget *second);
// The "Send To" group with its Marketplace combo ("marketCombo"), added to `top`.
QComboBox *AddSendTo(QBoxLayout *top, QWidget *owner);
// Keeps at most `limit` characters.
void Limit(QPlainTextEdit *edit, int limit);
// The notes ("notesEdit") under their label, added to `layout`; typing stops
// at `limit` characters (0: no limit while typing).
QPlainTextEdit *AddNotes(QBoxLayout *layout, QWidget *parent, const QString &label, int height, int limit);
// The green cost of a part query or quote ("costLabel").
QLabel *CostLabel(QWidget *parent);
// Emptied and filled with the cars list of the kind, `current` selected.
void FillMeta(QComboBox *box, int kind, const QString &placeholder, const QString &current);
// A make chosen refills the models of the metadata of `marketMode` (parts
// or cars), the placeholder first, once `live` says the form is shown.
void FollowMake(QComboBox *make, QComboBox *model, int marketMode, const QString &modelPlaceholder,
                std::function<bool()> live);
// The models of the chosen make with the record's model selected (a
// placeholder is no model); the first item when none is.
void FillModels(QComboBox *make, QComboBox *model, int marketMode, const QString &placeholder,
                const QString &recordModel);
// The Send To box of a query form. A private query goes to its member only:
// the window says so and the box is off. Else the subscribed marketplaces of
// the form's mode with the record's; a new or continued query selects the
// default one.
void FillSendTo(QComboBox *market, QWidget *window, const QueryFormBase &form);
// Ctrl+Left / Ctrl+Right anywhere in `scope` click `prev` / `next` while they
// are enabled, also from an edit that would take them as word moves.
void StepWithCtrlArrows(QWidget *scope, QAbstractButton *prev, QAbstractButton *next);

} // namespace FormControls
