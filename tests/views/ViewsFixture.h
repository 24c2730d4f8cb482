#pragma once

// What the record-list tests share (header only: every tst_*.cpp is its own
// program): a database with the list states installed, a recording host,
// a recording details pane, and clicks on rows as a member makes them.

#include "TestApp.h"

#include "db/KVDatabase.h"
#include "dialogs/PaneInterfaces.h"
#include "net/XProfile.h"
#include "views/IListHost.h"
#include "views/ListState.h"
#include "views/XBaseListCtrl.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QTest>

inline TestApp::Options ViewsOptions()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Profile, [] { return std::make_unique<XProfile>(); }},
               {GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }},
               {GlobalSlot::ListStates, [] { return std::make_unique<ListStateMap>(); }}};
    return o;
}

class FakeListHost : public IListHost
{
public:
    int CurrentNode() const override { return node; }
    void ShowActionMenu(const QPoint &) override { log.Add("ShowActionMenu"); }
    QIcon RowIcon(int) const override { return {}; }
    void RefreshCounters(int listType, int nodeId) override
    {
        log.Add(QStringLiteral("RefreshCounters|%1|%2").arg(listType).arg(nodeId));
    }
    void OpenDetails() override { log.Add("OpenDetails"); }
    void ShowHotDealPreview() override { log.Add("ShowHotDealPreview"); }
    void UpdateSelectedOrder() override { log.Add("UpdateSelectedOrder"); }

    int node = 0;
    CallLog log;
};

class FakeBrowser : public IBrowserPane
{
public:
    QWidget *Widget() override { return nullptr; }
    void Navigate(const QString &url) override { log.Add("Navigate|" + url); }
    void SetHtml(const QString &html) override { log.Add("SetHtml|" + html.simplified()); }
    void Clear() override { log.Add("Clear"); }
    CallLog log;
};

// Shows the list on the offscreen screen, sized so a few rows are visible.
inline void ShowList(QWidget *list, int height = 300)
{
    list->resize(900, height);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list));
}

// Shows the folder's records as the main window would.
inline void OpenFolder(XBaseListCtrl &list, int folder, int height = 300)
{
    list.SetFolder(folder);
    list.Refill();
    ShowList(&list, height);
}

inline void ClickRow(XBaseListCtrl &list, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QRect r = list.visualRect(list.model()->index(row, 1));
    QVERIFY2(r.isValid(), qPrintable(QStringLiteral("row %1 not visible").arg(row)));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, r.center());
}

inline void ClickHeader(XBaseListCtrl &list, int column)
{
    QHeaderView *h = list.horizontalHeader();
    const int x = h->sectionViewportPosition(column) + h->sectionSize(column) / 2;
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(x, h->height() / 2));
}

inline void RightClickRow(XBaseListCtrl &list, int row)
{
    const QRect r = list.visualRect(list.model()->index(row, 1));
    QContextMenuEvent event(QContextMenuEvent::Mouse, r.center(), list.viewport()->mapToGlobal(r.center()));
    QCoreApplication::sendEvent(list.viewport(), &event);
}

// Column `column` of every row, top to bottom.
inline QStringList ColumnTexts(XBaseListCtrl &list, int column)
{
    QStringList out;
    for (int r = 0; r < list.model()->rowCount(); ++r)
        out << list.model()->index(r, column).data().toString();
    return out;
}

inline QList<int> Selected(XBaseListCtrl &list)
{
    return list.SelectedRows();
}

inline void AddDeal(const QString &id, const QString &title, bool incoming, int status, const QString &date,
                    const QString &owner = QStringLiteral("C1"))
{
    theDatabase().Execute("INSERT INTO HotDeals (ID, TITLE, IS_INCOMING, STATUS_CODE, STATUS, POST_DATE, C_ID, C_NAME) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?, 'Lee')",
                          {id, title, incoming ? 1 : 0, status, status == 0 ? "New" : "Read", date, owner});
}

inline QString Scalar(const QString &sql, const QVariantList &args = {})
{
    return theDatabase().Connection().Scalar(sql, args).toString();
}
