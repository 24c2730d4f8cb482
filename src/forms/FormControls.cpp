#include "FormControls.h"

#include "dialogs/ComboItemSink.h"
#include "net/MetaUtils.h"
#include "net/XMetaData.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace FormControls {

QComboBox *Combo(QWidget *parent, const char *name, bool editable)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(editable);
    if (editable)
        box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(14);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

QLineEdit *Edit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

void AddRow(QGridLayout *grid, int row, int column, const QString &label, QWidget *control)
{
    auto *text = new QLabel(label, grid->parentWidget());
    text->setBuddy(control);
    grid->addWidget(text, row, column);
    grid->addWidget(control, row, column + 1);
}

void Limit(QPlainTextEdit *edit, int limit)
{
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, limit] {
        const QString text = edit->toPlainText();
        if (text.size() <= limit)
            return;
        const QSignalBlocker block(edit);
        edit->setPlainText(text.left(limit));
        edit->moveCursor(QTextCursor::End);
    });
}

void FillMeta(QComboBox *box, int kind, const QString &placeholder, const QString &current)
{
    box->clear();
    ComboItemSink sink(box);
    MetaUtils(theMetaCars()).FillCombo(sink, kind, placeholder, false, current);
}

} // namespace FormControls
