#pragma once

// The filter bars over the incoming queries: a row of labelled drop-down
// lists and "Show All" above a query list. Each choice narrows the list at
// once: the bar hands the filter of every selection to the list and reloads
// it. One class serves both markets from the bar's description; the lists
// stay empty until FillLists.

#include "FilterListFiller.h"

#include <QWidget>

#include <vector>

class CChildView;
class IRecordList;
class QComboBox;
class QLabel;
class QPushButton;

class CRestrictionBar : public QWidget
{
    Q_OBJECT
public:
    // The parts bar over the part queries.
    explicit CRestrictionBar(QWidget *parent = nullptr);
    CRestrictionBar(const FilterBarSpec &spec, QWidget *parent, FilterListFiller::Runner runner = {});

    // The query list the filter goes to; not owned, may be null.
    void SetQueryList(IRecordList *list) { m_list = list; }
    IRecordList *QueryList() const { return m_list; }

    // Every list refilled from the database, selections at " Any". Does not
    // touch the query list's filter. Called off the main thread, it runs
    // there later.
    void FillLists();
    // The base condition alone, or the selections' filter, to the query list; then it reloads.
    void ApplyFilter(bool showAll);
    void OnSelChangeMake();
    void OnSelChangeCategory();
    void OnShowAll();

    const FilterListFiller &Filler() const { return m_filler; }
    // The list of a control id (FilterBars::IdMake, ...); null when the bar has none.
    QComboBox *List(int controlId) const;
    QPushButton *ShowAllButton() const { return m_showAll; }

protected:
    // A bar is no dialog: Enter and Escape do nothing here, nor above.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void OnActivated(int index, int entry);
    void SyncLists();

    FilterListFiller m_filler;
    IRecordList *m_list = nullptr;
    std::vector<QComboBox *> m_boxes;
    QPushButton *m_showAll;
};

// The cars bar over the car queries.
class CRestrictionBarCars : public CRestrictionBar
{
    Q_OBJECT
public:
    explicit CRestrictionBarCars(QWidget *parent = nullptr);
};

struct InstalledFilterBars
{
    CRestrictionBar *parts = nullptr;
    CRestrictionBarCars *cars = nullptr;
};

// Puts both bars into the child view's filter-bar slots (the view owns them),
// each over its query list, both hidden and empty until the frame shows one
// and calls FillLists and ApplyFilter(true).
InstalledFilterBars InstallFilterBars(CChildView &view, IRecordList *partQueries, IRecordList *carQueries);
