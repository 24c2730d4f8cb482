#include "FilterCarsDlg.h"

#include "CarFilterRules.h"
#include "FormControls.h"
#include "FormPlacement.h"

#include "app/AppCore.h"
#include "net/ItemSink.h"
#include "net/MetaUtils.h"
#include "net/XMetaData.h"
#include "net/XProfile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace CarFilterRules;
using namespace FormControls;

namespace {

constexpr int YearMin = 1970;
constexpr int YearMax = 2500;
// One below the range: the spin shows no year.
constexpr int NoYear = YearMin - 1;

QListWidget *List(QWidget *parent, const char *name)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    return list;
}

QList<Row> RowsOf(const QListWidget *list)
{
    QList<Row> rows;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem *item = list->item(i);
        rows.append({item->text(), bool(item->flags() & Qt::ItemIsSelectable), item->isSelected()});
    }
    return rows;
}

void SelectRows(QListWidget *list, const QList<Row> &rows)
{
    for (int i = 0; i < list->count() && i < rows.size(); ++i)
        list->item(i)->setSelected(rows[i].selected);
}

// Selects the item with exactly this text from `from` on, up to the next header.
bool SelectIn(QListWidget *list, const QString &text, int from = 1)
{
    for (int i = from; i < list->count(); ++i) {
        QListWidgetItem *item = list->item(i);
        if (i > from && IsHeader(item->text()))
            break;
        if (item->text() == text && (item->flags() & Qt::ItemIsSelectable)) {
            item->setSelected(true);
            return true;
        }
    }
    return false;
}

void SelectFirstWhenNone(QListWidget *list)
{
    if (list->count() > 0 && list->selectedItems().isEmpty())
        list->item(0)->setSelected(true);
}

void SelectExact(QComboBox *box, const QString &text)
{
    const int found = text.isEmpty() ? -1 : box->findText(text, Qt::MatchExactly);
    box->setCurrentIndex(found >= 0 ? found : 0);
}

} // namespace

FilterCarsDlg::FilterCarsDlg(QWidget *parent, int mode) : QDialog(parent), m_mode(mode)
{
    setObjectName(QStringLiteral("FilterCarsDlg"));
    setWindowTitle(QStringLiteral("Edit Filter"));
    BuildControls();
    Fill();
    m_placement = new FormPlacement(this, QStringLiteral("FilterCarsDlg"));
}

FilterCarsDlg::~FilterCarsDlg() = default;

void FilterCarsDlg::BuildControls()
{
    auto *top = new QVBoxLayout(this);
    auto *lists = new QGridLayout;
    m_categories = List(this, "categoryList");
    m_makes = List(this, "makeList");
    m_models = List(this, "modelList");
    const std::pair<const char *, QListWidget *> columns[] = {
        {"&Category", m_categories}, {"&Make", m_makes}, {"M&odel", m_models}};
    int column = 0;
    for (const auto &[caption, list] : columns) {
        auto *label = new QLabel(QLatin1String(caption), this);
        label->setBuddy(list);
        lists->addWidget(label, 0, column);
        lists->addWidget(list, 1, column);
        ++column;
    }
    top->addLayout(lists, 1);

    auto *years = new QGroupBox(QStringLiteral("Years"), this);
    auto *yg = new QGridLayout(years);
    m_yearMode = Combo(years, "yearModeCombo");
    m_yearFrom = new QSpinBox(years);
    m_yearTo = new QSpinBox(years);
    m_yearFrom->setObjectName(QStringLiteral("yearFromSpin"));
    m_yearTo->setObjectName(QStringLiteral("yearToSpin"));
    for (QSpinBox *spin : {m_yearFrom, m_yearTo}) {
        spin->setRange(NoYear, YearMax);
        spin->setSpecialValueText(QStringLiteral(" "));
        if (auto *edit = spin->findChild<QLineEdit *>())
            edit->setReadOnly(true);
    }
    AddRow(yg, 0, 0, QStringLiteral("&Years"), m_yearMode);
    AddRow(yg, 1, 0, QStringLiteral("&From"), m_yearFrom);
    AddRow(yg, 2, 0, QStringLiteral("&To"), m_yearTo);

    auto *prices = new QGroupBox(QStringLiteral("Price"), this);
    auto *pg = new QGridLayout(prices);
    m_priceFrom = Combo(prices, "priceFromCombo");
    m_priceTo = Combo(prices, "priceToCombo");
    AddRow(pg, 0, 0, QStringLiteral("Fro&m"), m_priceFrom);
    AddRow(pg, 1, 0, QStringLiteral("T&o"), m_priceTo);

    auto *local = new QGroupBox(QStringLiteral("Location"), this);
    auto *lg = new QGridLayout(local);
    m_local = new QCheckBox(QStringLiteral("&Limit Business Inquiries To Local Buyers"), local);
    m_local->setObjectName(QStringLiteral("localCheck"));
    m_zip = Edit(local, "zipEdit");
    m_range = Combo(local, "rangeCombo");
    lg->addWidget(m_local, 0, 0, 1, 3);
    AddRow(lg, 1, 0, QStringLiteral("&Zip Code"), m_zip);
    AddRow(lg, 2, 0, QStringLiteral("&Range"), m_range);
    lg->addWidget(new QLabel(QStringLiteral("miles"), local), 2, 2);

    auto *bounds = new QHBoxLayout;
    bounds->addWidget(years);
    bounds->addWidget(prices);
    bounds->addWidget(local);
    top->addLayout(bounds);

    m_receiveNothing = new QCheckBox(QStringLiteral("Do &not receive any query"), this);
    m_receiveNothing->setObjectName(QStringLiteral("receiveNothingCheck"));
    top->addWidget(m_receiveNothing);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    top->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &FilterCarsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FilterCarsDlg::reject);
    connect(m_yearMode, &QComboBox::currentIndexChanged, this, &FilterCarsDlg::YearModeChanged);
    connect(m_local, &QCheckBox::clicked, this, &FilterCarsDlg::LocalClicked);
    for (QListWidget *list : {m_categories, m_makes, m_models})
        connect(list, &QListWidget::itemSelectionChanged, this, [this, list] { ListSelectionChanged(list); });
    // A "," or "@" in the zip code would split or open a token of the filter.
    connect(m_zip, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString clean = CleanZip(text);
        if (clean != text.trimmed())
            m_zip->setText(clean);
    });
}

void FilterCarsDlg::Fill()
{
    m_updating = true;
    m_yearMode->addItems(YearModeNames());

    ItemList categories;
    theMetaCars().FillList(categories, 16);
    QStringList categoryNames = categories.Texts();
    if (!categoryNames.isEmpty())
        categoryNames.removeLast();
    m_categories->addItem(AnyItem);
    m_categories->addItems(categoryNames);

    ItemList makes;
    theMetaCars().FillList(makes, 0);
    m_makes->addItem(AnyItem);
    for (const ItemList::Item &make : makes.Items()) {
        auto *item = new QListWidgetItem(make.text, m_makes);
        item->setData(Qt::UserRole, make.data);
    }
    m_models->addItem(AllModelsItem);

    FillMeta(m_priceFrom, 7, QStringLiteral("$0"), QString());
    FillMeta(m_priceTo, 7, QStringLiteral("No Maximum"), QString());
    FillMeta(m_range, 9, MetaUtils::NoFirstItem, QString());
    m_zip->setText(CleanZip(theProfile().Get().zip));
    m_updating = false;
    YearModeChanged();

    const QString text = theProfile().Get().carFilter;
    if (text == QLatin1String(FilterExpr::kNone))
        m_receiveNothing->setChecked(true);
    else
        Read(text);
    LocalClicked();
}

void FilterCarsDlg::Read(const QString &text)
{
    const CarFilter filter = CarFilter::FromText(text);
    m_updating = true;
    for (const QString &category : filter.categories)
        SelectIn(m_categories, category);
    for (const CarFilter::Make &make : filter.makes)
        SelectIn(m_makes, make.make);
    m_updating = false;
    RebuildModels();
    m_updating = true;
    // Each model under its own make: the same model of another make stays as it was.
    for (const CarFilter::Make &make : filter.makes) {
        const QList<QListWidgetItem *> headers = m_models->findItems(HeaderOf(make.make), Qt::MatchExactly);
        if (headers.isEmpty())
            continue;
        for (const QString &model : make.models) {
            if (SelectIn(m_models, model, m_models->row(headers.first())))
                m_models->item(0)->setSelected(false);
        }
    }
    for (QListWidget *list : {m_categories, m_makes, m_models})
        SelectFirstWhenNone(list);
    m_updating = false;

    if (!filter.yearFrom.isEmpty() || !filter.yearTo.isEmpty()) {
        m_yearMode->setCurrentIndex(ModeFor(filter.yearFrom, filter.yearTo));
        YearModeChanged();
        SetYear(m_yearFrom, filter.yearFrom);
        SetYear(m_yearTo, filter.yearTo);
    }
    SelectExact(m_priceFrom, filter.priceFrom);
    SelectExact(m_priceTo, filter.priceTo);
    if (!filter.zip.isEmpty())
        m_zip->setText(CleanZip(filter.zip));
    m_local->setChecked(filter.localOnly);
    SelectExact(m_range, filter.localOnly ? filter.range : QString());
}

void FilterCarsDlg::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        m_placement->Apply();
        m_placed = true;
    }
    QDialog::showEvent(event);
}

int FilterCarsDlg::DoModal()
{
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void FilterCarsDlg::YearModeChanged()
{
    const YearBounds bounds = BoundsOf(YearMode(qMax(0, m_yearMode->currentIndex())));
    m_yearFrom->setEnabled(bounds.fromEnabled);
    m_yearTo->setEnabled(bounds.toEnabled);
    SetYear(m_yearFrom, bounds.from);
    SetYear(m_yearTo, bounds.to);
}

void FilterCarsDlg::LocalClicked()
{
    m_zip->setEnabled(m_local->isChecked());
    m_range->setEnabled(m_local->isChecked());
}

void FilterCarsDlg::ListSelectionChanged(QListWidget *list)
{
    if (m_updating)
        return;
    m_updating = true;
    QList<Row> rows = RowsOf(list);
    ApplySelectionRule(rows);
    SelectRows(list, rows);
    m_updating = false;
    if (list == m_makes)
        RebuildModels();
}

void FilterCarsDlg::RebuildModels()
{
    // What was chosen stays chosen, each model under its own make.
    QList<std::pair<QString, QString>> kept;
    QString header;
    for (int i = 1; i < m_models->count(); ++i) {
        const QListWidgetItem *item = m_models->item(i);
        if (IsHeader(item->text()))
            header = item->text();
        else if (item->isSelected())
            kept.append({header, item->text()});
    }
    const bool allWasSelected = m_models->count() > 0 && m_models->item(0)->isSelected();

    m_updating = true;
    m_models->clear();
    m_models->addItem(AllModelsItem);
    if (!m_makes->item(0)->isSelected()) {
        for (int i = 1; i < m_makes->count(); ++i) {
            const QListWidgetItem *make = m_makes->item(i);
            const qint64 id = make->data(Qt::UserRole).toLongLong();
            if (!make->isSelected() || id <= 0)
                continue;
            auto *headerItem = new QListWidgetItem(HeaderOf(make->text()), m_models);
            headerItem->setFlags(Qt::ItemIsEnabled);
            ItemList models;
            theMetaCars().FillDependentList(models, 1, int(id));
            m_models->addItems(models.Texts());
        }
    }
    for (const auto &[makeHeader, model] : kept) {
        const QList<QListWidgetItem *> found = m_models->findItems(makeHeader, Qt::MatchExactly);
        if (!found.isEmpty())
            SelectIn(m_models, model, m_models->row(found.first()));
    }
    if (allWasSelected || m_models->selectedItems().isEmpty())
        m_models->item(0)->setSelected(true);
    if (m_models->selectedItems().size() > 1)
        m_models->item(0)->setSelected(false);
    m_updating = false;
}

QString FilterCarsDlg::YearText(const QSpinBox *spin) const
{
    return spin->value() == NoYear ? QString() : QString::number(spin->value());
}

void FilterCarsDlg::SetYear(QSpinBox *spin, const QString &year)
{
    bool ok = false;
    const int value = year.toInt(&ok);
    spin->setValue(ok ? qBound(YearMin, value, YearMax) : NoYear);
}

CarFilter FilterCarsDlg::Filter() const
{
    CarFilter filter;
    filter.categories = Collect(RowsOf(m_categories));
    const QList<Row> models = RowsOf(m_models);
    for (const QString &make : Collect(RowsOf(m_makes)))
        filter.makes.push_back({make, ModelsOf(models, make)});
    filter.yearFrom = YearText(m_yearFrom);
    filter.yearTo = YearText(m_yearTo);
    filter.priceFrom = m_priceFrom->currentText();
    filter.priceTo = m_priceTo->currentText();
    filter.localOnly = m_local->isChecked();
    filter.zip = CleanZip(m_zip->text());
    filter.range = m_range->currentText();
    filter.receiveNothing = m_receiveNothing->isChecked();
    return filter;
}

void FilterCarsDlg::accept()
{
    const QString text = Filter().ToText();
    const QString old = theProfile().Get().carFilter;
    theProfile().Update([&](ProfileData &d) { d.carFilter = text; });
    theApp().WriteLog(text, QStringLiteral("Filter"), 3);
    if (m_mode == 1) {
        if (theProfile().SaveFilter()) {
            // A login inside the change may have read the profile back from the server.
            theProfile().Update([&](ProfileData &d) { d.carFilter = text; });
        } else {
            theProfile().Update([&](ProfileData &d) { d.carFilter = old; });
            theApp().ShowMessageBox(QStringLiteral("Can't set specialty"), QString(), MsgBox::Ok);
        }
    }
    QDialog::accept();
}
