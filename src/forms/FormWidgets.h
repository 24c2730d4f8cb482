#pragma once

// What the parts seller forms add to FormControls: a labelled row that gives
// its label back, and selecting or filling a combo by text.

#include "FormControls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

namespace FormWidgets {

using FormControls::Combo;
using FormControls::Edit;

inline QLabel *AddRow(QGridLayout *grid, int row, int column, const QString &label, QWidget *control)
{
    FormControls::AddRow(grid, row, column, label, control);
    return qobject_cast<QLabel *>(grid->itemAtPosition(row, column)->widget());
}

// Selects the item carrying the text (any case), else the fallback index.
inline void SelectText(QComboBox *box, const QString &text, int fallback)
{
    const int found = text.isEmpty() ? -1 : box->findText(text, Qt::MatchFixedString);
    box->setCurrentIndex(found >= 0 ? found : fallback);
}

// An optional value list: an empty first item, the current value selected.
inline void FillFixed(QComboBox *box, const QStringList &values, const QString &current)
{
    box->clear();
    box->addItem(QString());
    box->addItems(values);
    SelectText(box, current, 0);
}

// A money or weight value as an edit shows it: empty for 0.
inline QString MoneyText(double value)
{
    return value == 0.0 ? QString() : QString::number(value, 'f', 2);
}

} // namespace FormWidgets
