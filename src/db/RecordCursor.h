#pragma once

// What a record list reads its rows through. When an index gives the list's
// order, a refill counts the matching rows and takes the ids of the first
// page; every other page's ids are read when first needed, by LIMIT/OFFSET
// along that index (from the far end for the back half), so memory does not
// grow with the rows. Without such an index a refill takes one snapshot of
// every matching id, as does SetSnapshot. Either way a page's ids, once read,
// stay until the next refill; the rows are read by id, a page at a time with
// one bound statement, into a small cache.

#include "XBaseSet.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <list>
#include <unordered_map>
#include <vector>

class KVDatabase;

class RecordCursor
{
public:
    // One row as read: the columns in the order given to the cursor. A row
    // outside the snapshot or deleted since reads as empty (`deleted`).
    struct Record
    {
        std::vector<QVariant> values;
        bool deleted = true;
    };

    static constexpr int PageSize = 64;
    static constexpr int MaxPages = 32;

    // `keyColumn` names the column whose text is a row's key (kept
    // selections, actions by id); it is read even when not listed.
    RecordCursor(const char *table, const QStringList &columns, KVDatabase *database = nullptr,
                 const char *keyColumn = "ID");
    RecordCursor(const RecordCursor &) = delete;
    RecordCursor &operator=(const RecordCursor &) = delete;

    const TableDef &Table() const { return *m_table; }
    void SetFilter(const SqlExpr &filter) { m_filter = filter; }
    const SqlExpr &Filter() const { return m_filter; }
    // ORDER BY text of the list's own sort fields (never outside text).
    void SetSort(const QString &sort) { m_sort = sort; }
    QString Sort() const { return m_sort; }

    // A new count and first page (or snapshot) for the filter and sort.
    // Throws DbException (the old rows are kept then).
    void Refill();
    // These rows, in this order, become the snapshot (a rated list's order).
    void SetSnapshot(std::vector<qint64> rowIds);
    void Clear();
    // Forgets the rows read, keeping the snapshot (after a mark).
    void DropCache();

    int Count() const { return m_count; }
    // Throws DbException when the page's ids cannot be read.
    qint64 RowId(int row);

    // Throws DbException when the page cannot be read.
    const Record &Read(int row);
    // Column position in the cursor's list; -1 when not read.
    int Column(const char *name) const;
    QVariant Value(int row, int column);
    QString Text(int row, int column);
    qint64 Int(int row, int column);
    double Double(int row, int column);
    QString Key(int row) { return Text(row, m_keyColumn); }
    // Keys of these rows, in the order given (empty text for a deleted row).
    QStringList Keys(const QList<int> &rows);

    // -1 when the row is not in the snapshot.
    int FindRowId(qint64 rowId);
    int FindKey(const QString &key);

    // For tests and benchmarks.
    qint64 RowsRead() const { return m_rowsRead; }
    int SnapshotsTaken() const { return m_snapshots; }
    // Whether the last refill pages along an index instead of a snapshot.
    bool Paged() const { return m_paged; }
    // Pages whose ids are kept in the paged mode.
    static constexpr int MaxIdPages = 1024;

private:
    struct Page
    {
        std::vector<Record> rows;
    };
    const Page &LoadPage(int page);
    const std::vector<qint64> &PageIds(int page);
    std::vector<qint64> ReadIds(int first, int n);
    bool IndexGivesOrder(const QString &where, const QString &order);
    KVDatabase &Db() const;

    KVDatabase *m_database;
    const TableDef *m_table;
    QStringList m_columns;
    int m_keyColumn = -1;
    QByteArray m_pageSql;
    SqlExpr m_filter;
    QString m_sort;
    std::vector<qint64> m_rowIds;  // the snapshot
    int m_count = 0;
    bool m_paged = false;
    QString m_idSql;  // the ordered ids, without LIMIT
    QString m_reverseIdSql;  // the same from the far end; empty when the sort cannot be turned
    QString m_planFor;  // what the last plan check was about, and its answer
    bool m_planPaged = false;
    std::unordered_map<int, std::vector<qint64>> m_idPages;  // paged mode
    std::list<int> m_idPageOrder;  // oldest first
    std::unordered_map<int, Page> m_pages;
    std::list<int> m_pageOrder;  // oldest first
    std::unordered_map<qint64, int> m_rowOf;  // built on the first lookup by id
    Record m_empty;
    qint64 m_rowsRead = 0;
    int m_snapshots = 0;
};
