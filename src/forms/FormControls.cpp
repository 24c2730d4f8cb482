#include "FormControls.h"

#include "FormWidgets.h"
#include "QueryFormBase.h"

#include "app/Constants.h"
#include "dialogs/ComboItemSink.h"
#include "dialogs/GuiUtils.h"
#include "net/MetaUtils.h"
#include "net/XMarketPlaces.h"
#include "net/XMetaData.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {

// Watches the whole application: a focused edit gets the key before any
// handler of its window would.
class CtrlArrowSteps : public QObject
{
public:
    CtrlArrowSteps(QWidget *scope, QAbstractButton *prev, QAbstractButton *next)
        : QObject(scope), m_scope(scope), m_prev(prev), m_next(next)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto *target = qobject_cast<QWidget *>(watched);
        if (!target || (target != m_scope && !m_scope->isAncestorOf(target)))
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier)
            return false;
        QAbstractButton *button = key->key() == Qt::Key_Left ? m_prev : key->key() == Qt::Key_Right ? m_next : nullptr;
        if (!button || !button->isEnabled())
            return false;
        button->click();
        return true;
    }

private:
    QWidget *m_scope;
    QAbstractButton *m_prev, *m_next;
};

const QString kMakeFirst = QStringLiteral("-- Select Make First --");

XMetaDataBase &MetaOf(int marketMode)
{
    if (marketMode == Korvant::MarketCars)
        return theMetaCars();
    return theMeta();
}

} // namespace

namespace FormControls {

void StepWithCtrlArrows(QWidget *scope, QAbstractButton *prev, QAbstractButton *next)
{
    new CtrlArrowSteps(scope, prev, next);
}

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

QSpinBox *YearSpin(QWidget *parent, const char *name)
{
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(1900, 2500);
    return spin;
}

QPushButton *Button(QWidget *parent, const QString &text, const char *name)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

void AddRow(QGridLayout *grid, int row, int column, const QString &label, QWidget *control, QWidget *buddy)
{
    auto *text = new QLabel(label, grid->parentWidget());
    text->setBuddy(buddy ? buddy : control);
    grid->addWidget(text, row, column);
    grid->addWidget(control, row, column + 1);
}

QWidget *Beside(QWidget *parent, QWidget *first, QWidget *second)
{
    auto *cell = new QWidget(parent);
    auto *row = new QHBoxLayout(cell);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(first, 1);
    row->addWidget(second);
    return cell;
}

QComboBox *AddSendTo(QBoxLayout *top, QWidget *owner)
{
    auto *sendTo = new QGroupBox(QStringLiteral("Send To"), owner);
    auto *grid = new QGridLayout(sendTo);
    QComboBox *market = Combo(sendTo, "marketCombo");
    AddRow(grid, 0, 0, QStringLiteral("&Marketplace"), market);
    grid->setColumnStretch(1, 1);
    top->addWidget(sendTo);
    return market;
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

QPlainTextEdit *AddNotes(QBoxLayout *layout, QWidget *parent, const QString &label, int height, int limit)
{
    auto *text = new QLabel(label, parent);
    auto *notes = new QPlainTextEdit(parent);
    notes->setObjectName(QStringLiteral("notesEdit"));
    notes->setFixedHeight(height);
    if (limit > 0)
        Limit(notes, limit);
    text->setBuddy(notes);
    layout->addWidget(text);
    layout->addWidget(notes);
    return notes;
}

QLabel *CostLabel(QWidget *parent)
{
    auto *cost = new QLabel(parent);
    cost->setObjectName(QStringLiteral("costLabel"));
    QPalette green = cost->palette();
    green.setColor(QPalette::WindowText, QColor(0, 128, 0));
    cost->setPalette(green);
    return cost;
}

void FillMeta(QComboBox *box, int kind, const QString &placeholder, const QString &current)
{
    box->clear();
    ComboItemSink sink(box);
    MetaUtils(theMetaCars()).FillCombo(sink, kind, placeholder, false, current);
}

void FollowMake(QComboBox *make, QComboBox *model, int marketMode, const QString &modelPlaceholder,
                std::function<bool()> live)
{
    QObject::connect(make, &QComboBox::currentIndexChanged, make,
                     [make, model, marketMode, modelPlaceholder, live = std::move(live)] {
                         if (!live())
                             return;
                         ComboItemSink makeSink(make), modelSink(model);
                         MetaUtils(MetaOf(marketMode))
                             .ResetDependentCombo(makeSink, modelSink, 1, modelPlaceholder, kMakeFirst);
                     });
}

void FillModels(QComboBox *make, QComboBox *model, int marketMode, const QString &placeholder,
                const QString &recordModel)
{
    ComboItemSink makeSink(make), modelSink(model);
    model->clear();
    MetaUtils(MetaOf(marketMode))
        .FillDependentCombo(makeSink, modelSink, 1, placeholder, kMakeFirst,
                            recordModel.startsWith(u'-') ? QString() : recordModel);
    if (model->currentIndex() < 0 && model->count() > 0)
        model->setCurrentIndex(0);
}

void FillSendTo(QComboBox *market, QWidget *window, const QueryFormBase &form)
{
    if (form.IsPrivate()) {
        window->setWindowTitle(QStringLiteral("Private Query For %1").arg(form.PrivateName()));
        market->setEnabled(false);
        return;
    }
    QStringList names;
    const auto *places = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces);
    if (places)
        places->GetMarketNames(names, XMarketPlaces::Subscribed, form.MarketMode());
    GuiUtils::FillComboBox(names, market, form.MarketName());
    if (places && (!form.KeepValues() || form.ContinueMode()))
        FormWidgets::SelectText(market, places->GetDefaultMarketName(form.MarketMode()), 0);
}

} // namespace FormControls
