#pragma once

// The seller query list a quote form walks, as the form's opener gives it:
// the queries in the list's order, the current one, and the list's own
// actions. The main window gives its shown list; QueryIdList reads a table.

#include "db/XBaseSet.h"

#include <QString>
#include <QStringList>

#include <memory>

class ISellerQueries
{
public:
    virtual ~ISellerQueries() = default;
    // The navigator node of the list (20102 and 161 walk query by query).
    virtual int NodeId() const = 0;
    virtual int Count() const = 0;
    virtual int CurrentIndex() const = 0;
    virtual QString IdAt(int index) const = 0;
    // Selects the query in the list.
    virtual void Select(int index) = 0;
    // Reads the list again (after a quote changed a query's status).
    virtual void Reload() = 0;
    // The list's Delete on the selected query, with its confirmation; true when deleted.
    virtual bool DeleteSelected() = 0;
    // Fetches the selected query's full contact from the server into its row.
    virtual bool RequestContactInfo() = 0;
};

// The IDs of a query table under a bound filter and sort.
class QueryIdList : public ISellerQueries
{
public:
    QueryIdList(const QString &table, const SqlExpr &filter, const QString &order, int nodeId, int index = 0);
    int NodeId() const override { return m_node; }
    int Count() const override { return int(m_ids.size()); }
    int CurrentIndex() const override { return m_index; }
    QString IdAt(int index) const override { return m_ids.value(index); }
    void Select(int index) override { m_index = index; }
    void Reload() override;
    bool DeleteSelected() override;
    // A bare table has no list to ask the server through.
    bool RequestContactInfo() override { return false; }

private:
    QString m_table;
    SqlExpr m_filter;
    QString m_order;
    int m_node;
    int m_index;
    QStringList m_ids;
};

// A quote form's place in its query list; the list of `walkNode` is walked
// query by query.
class QueryWalk
{
public:
    QueryWalk(std::unique_ptr<ISellerQueries> list, int walkNode);
    ISellerQueries *List() const { return m_list.get(); }
    int Index() const { return m_index; }
    bool Walks() const { return m_list && m_list->NodeId() == m_walkNode; }
    // The query at the place; empty without one.
    QString CurrentId() const { return m_list ? m_list->IdAt(m_index) : QString(); }
    // Moves to the place and selects it in the list; false outside the list.
    bool Select(int index);

private:
    std::unique_ptr<ISellerQueries> m_list;
    int m_walkNode;
    int m_index = 0;
};
