#pragma once

// Queries as top-level rows and, under an opened query, its quotes as
// indented child rows, in one table model over one row array. A refill reads
// the queries' ids in one statement and, in tree mode, every query's quote
// count in one grouped statement (or, with expand-all, every quote of the
// shown queries in one statement); no statement runs per query.

#include "XBaseListCtrl.h"

#include <QHash>
#include <QSet>

#include <vector>

class XTreeListCtrl : public XBaseListCtrl
{
    Q_OBJECT

public:
    enum Flags : int { StatusMask = 0xFF, FlagIncoming = 1 << 9, FlagBold = 1 << 10 };

    // One visible row.
    struct ItemInfo
    {
        // 1-based: the query's place in the query snapshot, or the quote's place under its query.
        int position = 0;
        bool topLevel = true;
        int childCount = -1;  // quotes of a query; -1 until counted
        int flags = -1;       // -1 until computed; bits 0-7 status, 9 incoming, 10 bold
        bool collapsed = true;
        // Quote rows: the record's id, its values as read when the rows were
        // made (QuoteColumns order) and its cell texts, made from them when first drawn.
        QString id;
        std::vector<QVariant> values;
        mutable QStringList texts;
        mutable bool textsMade = false;
    };

    // Read the columns a query row's cells and commands need; the quote table and columns likewise.
    XTreeListCtrl(const char *queryTable, const QStringList &queryColumns, const char *quoteTable,
                  const QStringList &quoteColumns, IListHost *host, QWidget *parent);

    int RowCount() const override { return int(m_rows.size()); }
    // From any thread: a call from elsewhere is queued to the list's own.
    void Refill() override;
    void SetFolder(int nodeId) override;
    int GetSelectedStatus() const override;

    void SetExpandAll(bool on) { m_expandAll = on; }
    bool ExpandAll() const { return m_expandAll; }
    bool IsTreeMode() const { return m_treeMode; }
    const ItemInfo &Item(int row) const { return m_rows[size_t(row)]; }
    // A quote row's cached cell texts.
    const QStringList &QuoteRowTexts(int row) const;
    // The nearest query row at or above the row.
    int GetParentItem(int row) const;
    bool IsTopLevelRow(int row) const { return row >= 0 && row < RowCount() && Item(row).topLevel; }
    bool HasChildRows(int row) const { return IsTopLevelRow(row) && Item(row).childCount > 0; }
    bool IsSelectedTopLevel() const { return IsTopLevelRow(CurrentRow()); }
    // The record id of a row (query or quote), and the id of its query.
    QString RowId(int row) const;
    QString QueryIdOf(int row) const;

    // Inserts a collapsed query's quotes under it, newest first; false when it has none.
    bool Expand(int row);
    void Collapse(int row);
    bool LocateQuery(const QString &key, bool clearOthers, bool selectFirstIfMissing);
    // Opens the quote's query when it is collapsed.
    bool LocateQuote(const QString &key, bool clearOthers, bool selectFirstIfMissing);

    // The comments of the selected query or quote.
    QString GetComments() const override;
    bool SetComments(const QString &text) override;

    // Statements the last refill ran (the benchmark prints them).
    const QStringList &LastStatements() const { return m_statements; }

    // A remembered row: its level and its record id (a query and a quote with one id differ).
    static QString MakeKey(bool topLevel, const QString &id);
    static bool SplitKey(const QString &key, bool *topLevel, QString *id);

protected:
    // --- what the concrete list supplies -----------------------------------------------------
    virtual bool UsesTreeMode() const = 0;
    // Quotes of archived records count too (the archive folders).
    virtual bool QuotesIncludeArchived() const = 0;
    virtual bool IsQueryBold(int flags, int childCount, bool anyNewQuote) const = 0;
    virtual QStringList QuoteTexts(const ItemInfo &quote) const = 0;
    virtual QString QueryCellText(int queryRow, int column) const = 0;
    virtual QIcon QuoteImage() const = 0;

    // A value of a quote row by column name.
    QVariant QuoteValue(const ItemInfo &quote, const char *column) const;
    const QStringList &QuoteColumns() const { return m_quoteColumns; }
    QString QueryTable() const { return m_queryTable; }
    QString QuoteTable() const { return m_quoteTable; }
    // The query snapshot row (cursor row) of a list row.
    int QueryRowOf(int row) const;
    // The selected rows as remembered keys (level and id), in row order.
    QStringList SelectedRowKeys() const;

    // --- XBaseListCtrl ---------------------------------------------------------------------------
    void ReadRows() override;
    void ClearRows() override;
    QString GetRowKey(int row) const override;
    int FindKeyRow(const QString &key) const override;
    bool IsRowGone(int row) const override;
    QIcon RowIcon(int row) const override;
    int RowIndent(int row) const override;
    int RowSign(int row) const override;
    bool IsRowTinted(int row) const override;
    QString CellText(int row, int column) const override;
    bool IsRowBold(int row) const override;
    int GetDefaultSortColumn() const override { return m_dateColumn; }
    void SetDateColumn(int column) { m_dateColumn = column; }

    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct QueryHead
    {
        QString id;
        int flags = 0;
    };
    struct QuoteGroup
    {
        int count = 0;
        bool anyNew = false;
        std::vector<ItemInfo> quotes;
    };

    ItemInfo MakeQuoteRow(const SqlStatement &st, int place) const;
    QString QuoteSelect() const;
    void FillItemInfo(ItemInfo &item, const QuoteGroup *group) const;
    void ReportCellError(int row, const std::exception &e) const;
    void InvalidateKeys() { m_keyRows.clear(); }

    QString m_queryTable;
    QString m_quoteTable;
    QStringList m_quoteColumns;
    std::vector<ItemInfo> m_rows;
    std::vector<QueryHead> m_heads;
    QHash<QString, int> m_queryRowOfId;  // folded id -> query snapshot row
    mutable QHash<QString, int> m_keyRows;  // remembered key -> list row, built on demand
    QStringList m_statements;
    int m_dateColumn = 0;
    bool m_expandAll = false;
    bool m_treeMode = false;
    mutable bool m_cellErrorShown = false;
    mutable QSet<int> m_cellErrorRows;
};
