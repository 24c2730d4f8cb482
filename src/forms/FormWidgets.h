#pragma once

// Small builders the seller forms share: named controls, labelled grid rows,
// and selecting or filling a combo by text.

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

namespace FormWidgets {

inline QComboBox *Combo(QWidget *parent, const char *name, bool editable = false)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(editable);
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(12);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

inline QLineEdit *Edit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

// Label and control on one row of a grid, the label the control's buddy.
inline QLabel *AddRow(QGridLayout *grid, int row, int column, const QString &label, QWidget *control)
{
    auto *text = new QLabel(label, grid->parentWidget());
    text->setBuddy(control);
    grid->addWidget(text, row, column);
    grid->addWidget(control, row, column + 1);
    return text;
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
