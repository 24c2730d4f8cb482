#pragma once

// Small builders the forms share: named combos and edits, a labelled row
// of a grid, a length-limited multi-line edit, a combo filled from the cars
// metadata.

#include <QString>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace FormControls {

QComboBox *Combo(QWidget *parent, const char *name, bool editable = false);
QLineEdit *Edit(QWidget *parent, const char *name);
// Label and control side by side from the column; the label is the control's buddy.
void AddRow(QGridLayout *grid, int row, int column, const QString &label, QWidget *control);
// Keeps at most `limit` characters.
void Limit(QPlainTextEdit *edit, int limit);
// Emptied and filled with the cars list of the kind, `current` selected.
void FillMeta(QComboBox *box, int kind, const QString &placeholder, const QString &current);

} // namespace FormControls
