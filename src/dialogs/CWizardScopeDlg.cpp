#include "CWizardScopeDlg.h"

#include "FormPlacement.h"

#include "app/AppCore.h"
#include "app/Interfaces.h"
#include "net/ItemSink.h"
#include "net/XMetaData.h"
#include "net/XProfile.h"

#include <QCheckBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString kAnyEntry = QStringLiteral("-- Any --");
const QString kAllModels = QStringLiteral("-- All Models --");
const QString kAllCategories = QStringLiteral("-- All Categories --");
const QString kAnyCondition = QStringLiteral("Any");
constexpr int kMakeRole = Qt::UserRole;      // make id in the makes list, make name in the models list
constexpr int kNoYear = 1899;                 // the spins' blank value

QListWidget *MultiList(QWidget *parent, const char *name)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    return list;
}

QSet<int> SelectedRows(const QListWidget *list)
{
    QSet<int> rows;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            rows.insert(i);
    }
    return rows;
}

void SelectRows(QListWidget *list, const QSet<int> &rows)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setSelected(rows.contains(i));
}

int SelectableCount(const QListWidget *list)
{
    int n = 0;
    for (int i = 0; i < list->count(); ++i)
        n += (list->item(i)->flags() & Qt::ItemIsSelectable) ? 1 : 0;
    return n;
}

int AnyIndexOf(const QListWidget *list, bool conditions)
{
    if (!conditions)
        return 0;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text() == kAnyCondition)
            return i;
    }
    return 0;
}

// Texts of the selected rows other than the "any" entry.
QStringList Chosen(const QListWidget *list, int anyIndex)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        if (i != anyIndex && list->item(i)->isSelected())
            texts << list->item(i)->text();
    }
    return texts;
}

void SelectTexts(QListWidget *list, const QStringList &texts)
{
    for (int i = 0; i < list->count(); ++i) {
        if (texts.contains(list->item(i)->text()))
            list->item(i)->setSelected(true);
    }
}

int ConditionCode(const QString &list)
{
    if (list == u"part_info_new")
        return 0;
    if (list == u"part_info_remn")
        return 2;
    return 1;
}

} // namespace

// --- WizardScopeRules -------------------------------------------------------------

QSet<int> WizardScopeRules::ApplyAnyEntry(const QSet<int> &before, const QSet<int> &after, int anyIndex, int others)
{
    if (after.contains(anyIndex) && !before.contains(anyIndex))
        return {anyIndex};
    QSet<int> rest = after;
    rest.remove(anyIndex);
    if (rest.isEmpty() || rest.size() >= others)
        return {anyIndex};
    return rest;
}

std::pair<int, int> WizardScopeRules::TemplateYears(YearTemplate t, int currentYear)
{
    switch (t) {
    case LatestModels: return {1980, 0};
    case AntiqueModels: return {0, 1970};
    case OtherYears: return {1960, currentYear};
    case AnyYears: break;
    }
    return {0, 0};
}

WizardScopeRules::YearTemplate WizardScopeRules::TemplateOf(int from, int till)
{
    if (from == 0 && till == 0)
        return AnyYears;
    if (from == 1980 && till == 0)
        return LatestModels;
    if (from == 0 && till == 1970)
        return AntiqueModels;
    return OtherYears;
}

int WizardScopeRules::CategoryListOf(const QString &condition)
{
    if (condition == u"New")
        return 0;
    if (condition == u"Remanufactured")
        return 2;
    return 1;
}

// --- CWizardScopeDlg --------------------------------------------------------------

CWizardScopeDlg::CWizardScopeDlg(QWidget *parent, int mode)
    : QDialog(parent), m_mode(mode), m_currentYear(QDate::currentDate().year())
{
    setObjectName(QStringLiteral("CWizardScopeDlg"));
    setWindowTitle(QStringLiteral("Specialty Wizard"));
    Build();
    Fill();
    const QString filter = theProfile().Get().filter;
    if (filter.trimmed() == QLatin1String(FilterExpr::kNone))
        m_nothing->setChecked(true);
    else
        ReadFilter(filter);
    SetPage(BusinessPage);
    (new FormPlacement(this, QStringLiteral("WizrdScopeDlg")))->Apply();
}

CWizardScopeDlg::~CWizardScopeDlg() = default;

int CWizardScopeDlg::DoModal()
{
    return exec() == QDialog::Accepted ? 1 : 2;
}

void CWizardScopeDlg::Build()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("scopeTabs"));

    auto *business = new QWidget;
    m_business = MultiList(business, "businessList");
    m_states = MultiList(business, "stateList");
    m_rating = new QListWidget(business);
    m_rating->setObjectName(QStringLiteral("ratingList"));
    auto *businessLayout = new QGridLayout(business);
    businessLayout->addWidget(new QLabel(QStringLiteral("Business Type(s)"), business), 0, 0);
    businessLayout->addWidget(new QLabel(QStringLiteral("Originating State(s)"), business), 0, 1);
    businessLayout->addWidget(new QLabel(QStringLiteral("Rating"), business), 0, 2);
    businessLayout->addWidget(m_business, 1, 0);
    businessLayout->addWidget(m_states, 1, 1);
    businessLayout->addWidget(m_rating, 1, 2);
    businessLayout->setColumnStretch(0, 2);
    businessLayout->setColumnStretch(1, 1);
    businessLayout->setColumnStretch(2, 1);

    auto *vehicle = new QWidget;
    m_makes = MultiList(vehicle, "makeList");
    m_models = MultiList(vehicle, "modelList");
    m_templates = new QListWidget(vehicle);
    m_templates->setObjectName(QStringLiteral("yearTemplateList"));
    m_templates->addItems({QStringLiteral("Any"), QStringLiteral("Latest models"), QStringLiteral("Antique models"),
                           QStringLiteral("Others")});
    m_templates->setMaximumHeight(m_templates->sizeHintForRow(0) * 4 + 2 * m_templates->frameWidth() + 4);
    m_from = new QSpinBox(vehicle);
    m_till = new QSpinBox(vehicle);
    m_from->setObjectName(QStringLiteral("fromSpin"));
    m_till->setObjectName(QStringLiteral("tillSpin"));
    for (QSpinBox *spin : {m_from, m_till}) {
        spin->setSpecialValueText(QStringLiteral(" "));
        spin->setRange(kNoYear, m_currentYear);
    }
    auto *years = new QHBoxLayout;
    years->addWidget(new QLabel(QStringLiteral("From"), vehicle));
    years->addWidget(m_from);
    years->addWidget(new QLabel(QStringLiteral("Till"), vehicle));
    years->addWidget(m_till);
    years->addStretch();
    auto *vehicleLayout = new QGridLayout(vehicle);
    vehicleLayout->addWidget(new QLabel(QStringLiteral("Make(s) list"), vehicle), 0, 0);
    vehicleLayout->addWidget(new QLabel(QStringLiteral("Model(s) list"), vehicle), 0, 1);
    vehicleLayout->addWidget(m_makes, 1, 0);
    vehicleLayout->addWidget(m_models, 1, 1);
    vehicleLayout->addWidget(new QLabel(QStringLiteral("Select year template or Others"), vehicle), 2, 0, 1, 2);
    vehicleLayout->addWidget(m_templates, 3, 0);
    vehicleLayout->addLayout(years, 3, 1);

    auto *part = new QWidget;
    m_conditions = MultiList(part, "conditionList");
    m_categories = MultiList(part, "categoryList");
    auto *partLayout = new QGridLayout(part);
    partLayout->addWidget(new QLabel(QStringLiteral("Part Condition(s)"), part), 0, 0);
    partLayout->addWidget(new QLabel(QStringLiteral("Part Category(s)"), part), 0, 1);
    partLayout->addWidget(m_conditions, 1, 0);
    partLayout->addWidget(m_categories, 1, 1);
    partLayout->setColumnStretch(1, 2);

    m_tabs->addTab(business, QStringLiteral("Doing Business with"));
    m_tabs->addTab(vehicle, QStringLiteral("Vehicle Specialty"));
    m_tabs->addTab(part, QStringLiteral("Part Specialty"));

    m_nothing = new QCheckBox(QStringLiteral("Do not receive any query"), this);
    m_nothing->setObjectName(QStringLiteral("receiveNothingCheck"));
    m_back = new QPushButton(QStringLiteral("<< Back"), this);
    m_next = new QPushButton(QStringLiteral("Next >>"), this);
    m_finish = new QPushButton(QStringLiteral("Finish"), this);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_next->setObjectName(QStringLiteral("nextButton"));
    m_finish->setObjectName(QStringLiteral("finishButton"));
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_finish->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_nothing);
    buttons->addStretch();
    for (QPushButton *b : {m_back, m_next, m_finish, m_cancel})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);
    resize(640, 420);

    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { UpdateButtons(); });
    connect(m_back, &QPushButton::clicked, this, [this] { SetPage(CurrentPage() - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { SetPage(CurrentPage() + 1); });
    connect(m_finish, &QPushButton::clicked, this, &CWizardScopeDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CWizardScopeDlg::reject);
    for (QListWidget *list : {m_business, m_states, m_makes, m_models, m_conditions, m_categories})
        connect(list, &QListWidget::itemSelectionChanged, this, [this, list] { SelectionChanged(list); });
    connect(m_templates, &QListWidget::currentRowChanged, this,
            [this](int row) { ApplyTemplate(WizardScopeRules::YearTemplate(qMax(0, row))); });
    for (QSpinBox *spin : {m_from, m_till}) {
        connect(spin, &QSpinBox::valueChanged, this, [spin](int value) {
            // A year once given stays a year: stepping never blanks it.
            if (value != kNoYear)
                spin->setMinimum(1900);
        });
    }
}

void CWizardScopeDlg::Fill()
{
    const XMetaData &meta = theMeta();
    m_business->addItem(kAnyEntry);
    m_business->addItems(meta.Fixed().businessTypes);
    m_states->addItem(kAnyEntry);
    m_states->addItems(meta.Fixed().stateCodes);
    m_rating->addItem(QStringLiteral("Any"));
    m_rating->addItems(meta.Fixed().qualifications);
    m_rating->setCurrentRow(0);

    m_makes->addItem(kAnyEntry);
    ItemList makes;
    meta.FillListDistinct(makes, 0);
    for (const ItemList::Item &make : makes.Items()) {
        auto *item = new QListWidgetItem(make.text, m_makes);
        item->setData(kMakeRole, make.data);
    }
    m_models->addItem(kAllModels);
    m_conditions->addItems(meta.Fixed().conditionsAny);

    for (QListWidget *list : {m_business, m_states, m_makes, m_models, m_conditions}) {
        const QSignalBlocker block(list);
        SelectRows(list, {AnyIndexOf(list, list == m_conditions)});
        RememberSelection(list);
    }
    RefillCategories();
    const QSignalBlocker block(m_templates);
    m_templates->setCurrentRow(WizardScopeRules::AnyYears);
    SetYears(0, 0);
}

void CWizardScopeDlg::SetPage(int page)
{
    m_tabs->setCurrentIndex(qBound(0, page, m_tabs->count() - 1));
    UpdateButtons();
}

int CWizardScopeDlg::CurrentPage() const
{
    return m_tabs->currentIndex();
}

void CWizardScopeDlg::UpdateButtons()
{
    m_back->setEnabled(CurrentPage() > BusinessPage);
    m_next->setEnabled(CurrentPage() < PartPage);
}

void CWizardScopeDlg::RememberSelection(QListWidget *list)
{
    m_selected[list] = SelectedRows(list);
}

void CWizardScopeDlg::SelectionChanged(QListWidget *list)
{
    const int any = AnyIndexOf(list, list == m_conditions);
    const QSet<int> now = SelectedRows(list);
    const QSet<int> wanted = WizardScopeRules::ApplyAnyEntry(m_selected.value(list), now, any, SelectableCount(list) - 1);
    if (wanted != now) {
        const QSignalBlocker block(list);
        SelectRows(list, wanted);
    }
    RememberSelection(list);
    if (list == m_makes)
        RefillModels();
    else if (list == m_conditions)
        RefillCategories();
}

void CWizardScopeDlg::RefillModels()
{
    QSet<QString> kept;
    for (int i = 1; i < m_models->count(); ++i) {
        const QListWidgetItem *item = m_models->item(i);
        if (item->isSelected())
            kept.insert(item->data(kMakeRole).toString() + u'\n' + item->text());
    }
    const QSignalBlocker block(m_models);
    m_models->clear();
    m_models->addItem(kAllModels);
    for (int i = 1; i < m_makes->count(); ++i) {
        const QListWidgetItem *make = m_makes->item(i);
        if (!make->isSelected())
            continue;
        auto *separator = new QListWidgetItem(QStringLiteral("---%1---").arg(make->text()), m_models);
        separator->setFlags(Qt::ItemIsEnabled);
        ItemList models;
        theMeta().FillDependentList(models, 1, make->data(kMakeRole).toInt());
        for (const QString &model : models.Texts()) {
            auto *item = new QListWidgetItem(model, m_models);
            item->setData(kMakeRole, make->text());
            item->setSelected(kept.contains(make->text() + u'\n' + model));
        }
    }
    if (m_models->selectedItems().isEmpty())
        m_models->item(0)->setSelected(true);
    RememberSelection(m_models);
}

void CWizardScopeDlg::RefillCategories()
{
    const QStringList kept = Chosen(m_categories, 0);
    QStringList conditions = Chosen(m_conditions, AnyIndexOf(m_conditions, true));
    if (conditions.isEmpty())
        conditions << kAnyCondition;
    XMetaData &meta = theMeta();
    const int shown = ConditionCode(meta.PartConditionList());
    QStringList categories;
    for (const QString &condition : conditions) {
        meta.SetPartCondition(WizardScopeRules::CategoryListOf(condition));
        ItemList list;
        meta.FillList(list, 2);
        for (const QString &category : list.Texts()) {
            if (!categories.contains(category))
                categories << category;
        }
    }
    meta.SetPartCondition(shown);
    const QSignalBlocker block(m_categories);
    m_categories->clear();
    m_categories->addItem(kAllCategories);
    m_categories->addItems(categories);
    SelectTexts(m_categories, kept);
    if (m_categories->selectedItems().isEmpty())
        m_categories->item(0)->setSelected(true);
    RememberSelection(m_categories);
}

void CWizardScopeDlg::ApplyTemplate(WizardScopeRules::YearTemplate t)
{
    const auto [from, till] = WizardScopeRules::TemplateYears(t, m_currentYear);
    SetYears(from, till);
    const bool others = t == WizardScopeRules::OtherYears;
    m_from->setEnabled(others);
    m_till->setEnabled(others);
}

void CWizardScopeDlg::SetYears(int from, int till)
{
    for (auto [spin, year] : {std::pair{m_from, from}, std::pair{m_till, till}}) {
        const QSignalBlocker block(spin);
        spin->setMinimum(year == 0 ? kNoYear : 1900);
        spin->setValue(year == 0 ? kNoYear : qBound(1900, year, m_currentYear));
        spin->setEnabled(year != 0 && m_templates->currentRow() == WizardScopeRules::OtherYears);
    }
}

void CWizardScopeDlg::ReadFilter(const QString &filter)
{
    const PartFilter f = PartFilter::FromText(filter);
    m_nothing->setChecked(f.receiveNothing);
    auto select = [](QListWidget *list, const QStringList &texts, int any) {
        const QSignalBlocker block(list);
        SelectRows(list, {});
        SelectTexts(list, texts);
        if (list->selectedItems().isEmpty())
            list->item(any)->setSelected(true);
        else
            list->item(any)->setSelected(false);
    };
    select(m_business, f.businessTypes, 0);
    select(m_states, f.states, 0);
    select(m_conditions, f.conditions, AnyIndexOf(m_conditions, true));
    QStringList makes;
    for (const CarFilter::Make &make : f.makes)
        makes << make.make;
    select(m_makes, makes, 0);
    for (QListWidget *list : {m_business, m_states, m_conditions, m_makes})
        RememberSelection(list);
    RefillModels();
    RefillCategories();
    {
        const QSignalBlocker block(m_models);
        SelectRows(m_models, {});
        bool chosen = false;
        for (int i = 1; i < m_models->count(); ++i) {
            QListWidgetItem *item = m_models->item(i);
            const QString owner = item->data(kMakeRole).toString();
            for (const CarFilter::Make &m : f.makes) {
                if (m.make == owner && m.models.contains(item->text())) {
                    item->setSelected(true);
                    chosen = true;
                }
            }
        }
        m_models->item(0)->setSelected(!chosen);
        RememberSelection(m_models);
    }
    select(m_categories, f.categories, 0);
    RememberSelection(m_categories);

    const QList<QListWidgetItem *> ratings = m_rating->findItems(f.rating, Qt::MatchExactly);
    const int rating = f.rating.isEmpty() || ratings.isEmpty() ? 0 : m_rating->row(ratings.first());
    m_rating->setCurrentRow(qMax(0, rating));
    {
        const QSignalBlocker block(m_templates);
        m_templates->setCurrentRow(WizardScopeRules::TemplateOf(f.yearFrom, f.yearTill));
    }
    SetYears(f.yearFrom, f.yearTill);
}

PartFilter CWizardScopeDlg::Selections() const
{
    PartFilter f;
    f.receiveNothing = m_nothing->isChecked();
    f.businessTypes = Chosen(m_business, 0);
    f.states = Chosen(m_states, 0);
    f.conditions = Chosen(m_conditions, AnyIndexOf(m_conditions, true));
    f.categories = Chosen(m_categories, 0);
    for (const QString &make : Chosen(m_makes, 0)) {
        CarFilter::Make m{make, {}};
        for (int i = 1; i < m_models->count(); ++i) {
            const QListWidgetItem *item = m_models->item(i);
            if (item->isSelected() && item->data(kMakeRole).toString() == make)
                m.models << item->text();
        }
        f.makes.push_back(m);
    }
    f.yearFrom = m_from->value() == kNoYear ? 0 : m_from->value();
    f.yearTill = m_till->value() == kNoYear ? 0 : m_till->value();
    return f;
}

QString CWizardScopeDlg::BuildFilter() const
{
    return Selections().ToText(m_currentYear);
}

void CWizardScopeDlg::accept()
{
    const QString filter = BuildFilter();
    const QString old = theProfile().Get().filter;
    theProfile().Update([&](ProfileData &d) { d.filter = filter; });
    AppCore &app = theApp();
    app.WriteLog(filter, QStringLiteral("Filter"), 3);
    if (m_mode == 1) {
        if (!theProfile().SaveFilter()) {
            theProfile().Update([&](ProfileData &d) { d.filter = old; });
            app.ShowMessageBox(QStringLiteral("Can't set specialty"), QString(), MsgBox::Ok);
            QDialog::reject();
            return;
        }
        if (IRecordViews *views = app.Views())
            views->BuildSpecialityFilterXml();
    }
    QDialog::accept();
}
