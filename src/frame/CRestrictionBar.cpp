#include "CRestrictionBar.h"

#include "CChildView.h"
#include "dialogs/PaneInterfaces.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>

CRestrictionBar::CRestrictionBar(QWidget *parent) : CRestrictionBar(FilterBars::Parts(), parent) {}

CRestrictionBar::CRestrictionBar(const FilterBarSpec &spec, QWidget *parent, FilterListFiller::Runner runner)
    : QWidget(parent), m_filler(spec, std::move(runner)), m_showAll(new QPushButton(QStringLiteral("Show &All"), this))
{
    setObjectName(spec.name);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 3, 6, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(1);
    for (int i = 0; i < m_filler.Count(); ++i) {
        const FilterControlSpec &control = spec.controls[size_t(i)];
        auto *label = new QLabel(control.label, this);
        auto *box = new QComboBox(this);
        box->setObjectName(control.label);
        box->setEditable(false);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(control.kind == FilterListKind::Date ? 10 : 6);
        box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        label->setBuddy(box);
        grid->addWidget(label, 0, i);
        grid->addWidget(box, 1, i);
        grid->setColumnStretch(i, 1);
        connect(box, &QComboBox::activated, this, [this, i](int entry) { OnActivated(i, entry); });
        m_boxes.push_back(box);
    }
    m_showAll->setObjectName(QStringLiteral("ShowAll"));
    m_showAll->setAutoDefault(false);
    grid->addWidget(m_showAll, 1, m_filler.Count());
    connect(m_showAll, &QPushButton::clicked, this, &CRestrictionBar::OnShowAll);
    SyncLists();
}

QComboBox *CRestrictionBar::List(int controlId) const
{
    const int index = m_filler.Spec().IndexOf(controlId);
    return index >= 0 ? m_boxes[size_t(index)] : nullptr;
}

void CRestrictionBar::FillLists()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, &CRestrictionBar::FillLists, Qt::QueuedConnection);
        return;
    }
    m_filler.FillLists();
    SyncLists();
}

void CRestrictionBar::ApplyFilter(bool showAll)
{
    if (!m_list)
        return;
    m_list->SetFilter(m_filler.Filter(showAll));
    m_list->Reload();
}

void CRestrictionBar::OnSelChangeMake()
{
    m_filler.OnSelChangeMake();
    SyncLists();
    ApplyFilter(false);
}

void CRestrictionBar::OnSelChangeCategory()
{
    m_filler.OnSelChangeCategory();
    SyncLists();
    ApplyFilter(false);
}

void CRestrictionBar::OnShowAll()
{
    m_filler.OnShowAll();
    SyncLists();
    ApplyFilter(true);
}

void CRestrictionBar::OnActivated(int index, int entry)
{
    // Select refills the lists that depend on this one.
    m_filler.Select(index, entry);
    SyncLists();
    ApplyFilter(false);
}

void CRestrictionBar::SyncLists()
{
    for (int i = 0; i < m_filler.Count(); ++i) {
        const FilterListState &state = m_filler.List(i);
        QComboBox *box = m_boxes[size_t(i)];
        const QSignalBlocker block(box);
        bool same = box->count() == state.entries.size();
        for (int e = 0; same && e < box->count(); ++e)
            same = box->itemText(e) == state.entries[e];
        if (!same) {
            box->clear();
            box->addItems(state.entries);
        }
        box->setCurrentIndex(state.current);
        box->setEnabled(state.enabled);
    }
}

void CRestrictionBar::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

CRestrictionBarCars::CRestrictionBarCars(QWidget *parent) : CRestrictionBar(FilterBars::Cars(), parent) {}

InstalledFilterBars InstallFilterBars(CChildView &view, IRecordList *partQueries, IRecordList *carQueries)
{
    InstalledFilterBars bars;
    bars.parts = new CRestrictionBar(&view);
    bars.cars = new CRestrictionBarCars(&view);
    bars.parts->SetQueryList(partQueries);
    bars.cars->SetQueryList(carQueries);
    view.SetFilterBar(CChildView::PartsFilter, bars.parts);
    view.SetFilterBar(CChildView::CarsFilter, bars.cars);
    view.ShowFilterBar(CChildView::PartsFilter, false);
    view.ShowFilterBar(CChildView::CarsFilter, false);
    return bars;
}
