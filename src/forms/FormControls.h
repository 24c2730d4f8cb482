#pragma once

// Small builders the forms share: named combos and edits, a labelled row
// of a grid, a length-limited multi-line edit, a combo filled from the cars
// metadata.

#include <QString>

class QAbstractButton;
class QBoxLayout;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace FormControls {

QComboBox *Combo(QWidget *parent, const char *name, bool editable = false);
QLineEdit *Edit(QWidget *parent, const char *name);
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
// Emptied and filled with the cars list of the kind, `current` selected.
void FillMeta(QComboBox *box, int kind, const QString &placeholder, const QString &current);
// Ctrl+Left / Ctrl+Right anywhere in `scope` click `prev` / `next` while they
// are enabled, also from an edit that would take them as word moves.
void StepWithCtrlArrows(QWidget *scope, QAbstractButton *prev, QAbstractButton *next);

} // namespace FormControls
