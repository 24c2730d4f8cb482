#pragma once

// What the list benchmarks share: a window that asks nothing, the median of
// runs, and the texts of the first screen as the view reads them to paint.

#include "TestApp.h"
#include "TestEnv.h"

#include "db/KVDatabase.h"
#include "views/IListHost.h"
#include "views/ListState.h"

#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <vector>

class BenchHost : public IListHost
{
public:
    explicit BenchHost(int node) : m_node(node) {}
    int CurrentNode() const override { return m_node; }
    void ShowActionMenu(const QPoint &) override {}
    QIcon RowIcon(int) const override { return {}; }
    void RefreshCounters(int, int) override {}
    void OpenDetails() override {}
    void ShowHotDealPreview() override {}
    void UpdateSelectedOrder() override {}

private:
    int m_node;
};

inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The texts of every visible row, as the view asks for them when it paints.
inline int ReadScreen(QTableView &list)
{
    list.viewport()->repaint();
    const int first = list.rowAt(0);
    const int last = list.rowAt(list.viewport()->height() - 1);
    int cells = 0;
    for (int r = first; r >= 0 && r <= (last < 0 ? list.model()->rowCount() - 1 : last); ++r)
        for (int c = 0; c < list.model()->columnCount(); ++c)
            cells += list.model()->index(r, c).data().toString().isEmpty() ? 0 : 1;
    return cells;
}

// Before the QApplication: a private home, offscreen unless told otherwise.
inline void PrepareBenchProcess()
{
    TestEnv::PrepareProcess();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The globals a list needs: the database and the list states.
inline TestApp::Options BenchOptions()
{
    TestApp::Options options;
    options.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }},
                     {GlobalSlot::ListStates, [] { return std::make_unique<ListStateMap>(); }}};
    return options;
}

// Refill up to the first screen of texts: the median of five, after a warm one.
template<class List>
double MedianRefillMs(List &list)
{
    list.Refill();
    ReadScreen(list);
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        list.Refill();
        const int cells = ReadScreen(list);
        runs.push_back(timer.nsecsElapsed() / 1e6);
        if (cells == 0)
            std::printf("warning: the first screen showed no text\n");
    }
    return Median(runs);
}
