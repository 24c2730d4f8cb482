#pragma once

// The query lists of the buy and sell folders: part queries and car queries
// with their quotes, one implementation over QueryListRules. Status, archive
// and delete act on the selected rows' (level, id) keys in one transaction.

#include "QueryListRules.h"
#include "XTreeListCtrl.h"

#include <memory>

class XQueryListCtrl : public XTreeListCtrl
{
    Q_OBJECT

public:
    explicit XQueryListCtrl(IListHost *host, QWidget *parent = nullptr)
        : XQueryListCtrl(QueryListRules::Parts(), host, parent)
    {
    }
    XQueryListCtrl(const QueryListRules &rules, IListHost *host, QWidget *parent);
    ~XQueryListCtrl() override;

    ActiveListType ListType() const override { return m_rules.listType; }
    bool CanDo(int operation) const override;

    // Status of every selected row; the list refills. A status the folder
    // does not change (Read in Replied Quotes) changes nothing.
    void MarkNew() override { RunStatus(0, QStringLiteral("New")); }
    void MarkRead() override { RunStatus(1, QStringLiteral("Read")); }
    void MarkReplied() { RunStatus(2, QStringLiteral("Replied")); }
    void MarkPurchaseOrder() { RunStatus(4, QStringLiteral("Purchase Order")); }
    void MarkCompleted() { RunStatus(5, QStringLiteral("Completed")); }
    void MarkCancelled() { RunStatus(6, QStringLiteral("Cancelled")); }
    void Archive() override { RunArchived(true); }
    void Restore() override { RunArchived(false); }
    bool DeleteSelected() override;

    // The database work behind those, all or nothing; the rows changed. Throws DbException.
    int SetStatus(int code, const QString &text);
    int SetArchived(bool archived);
    int DeleteRows(const QStringList &keys);

    // The selected record's detail page: roots "details"/"details-print" (cars
    // "details-car", "details-car-det" with `further`, "details-print-car").
    QString GetDetailsHtml(bool print, bool further = false) const;
    QByteArray GetDetailsXml(int row, bool print, bool further = false) const;
    // A named field of a row for a message thread about its record.
    QString GetContextData(int row, const QString &name) const;
    // "getQuery" / "getCarQuery" for the selected query; the buyer's contact
    // is stored and, with `show`, the details shown again. False when refused.
    bool RequestContactInfo(bool show);
    // The thread of the selected record on the Messages page; with several the member picks one.
    void ShowMessages();
    // The order of the selected quote on its orders page.
    void ShowOrder();
    // The purchase order form for the selected incoming parts quote; false when none is selected.
    bool NewOrderForSelection();
    // The selected quote's id; empty when a query or nothing is selected.
    QString SelectedQuoteId() const;
    void ShowOwnerProfile();
    // A selected query, or a quote (its query with kind 1); to its owner.
    bool GetMessageAddress(int kind, MessageAddress *address) const override;
    // A quote on the page that holds it, selected; false when it cannot be
    // shown (no such quote, or its row is not found). Throws DbException.
    static bool ShowQuote(IListHost *host, const QString &quoteId, bool cars);

protected:
    IRecordViews::ListKind RegistryKind() const override { return m_rules.registryKind; }
    bool UsesTreeMode() const override { return !m_rules.IsFlat(GetFolder()); }
    bool QuotesIncludeArchived() const override { return m_rules.IsArchive(GetFolder()); }
    bool IsQueryBold(int flags, int childCount, bool anyNewQuote) const override;
    QStringList QuoteTexts(const ItemInfo &quote) const override;
    QString QueryCellText(int queryRow, int column) const override;
    QIcon QuoteImage() const override;
    QIcon CellImage(int row, int column) const override;
    void ShowDetails(int row) override;
    void OpenSelected() override;
    bool ToggleMark() override;
    bool viewportEvent(QEvent *event) override;

private:
    QVariant QueryValue(int queryRow, const char *column) const;
    QString QueryText(int queryRow, const char *column) const;
    // Whether a row counts for New and Read.
    bool RowCounts(int row) const;
    int ShownNode() const;
    void RunStatus(int code, const QString &text);
    // A lead the member has quoted (status 2 and above); an incoming quote
    // already ordered (status 4, or an order placed from it).
    bool IsAnswered(int row) const;
    bool IsOrdered(int row) const;
    // Opens an answered lead and selects the member's latest quote under it.
    void ShowOwnQuote(int row);
    void RunArchived(bool archived);
    QString ToolTipAt(int row, int column) const;

    const QueryListRules &m_rules;
    std::unique_ptr<XBaseSet> m_querySet;
};

class XQueryCarsListCtrl : public XQueryListCtrl
{
    Q_OBJECT

public:
    explicit XQueryCarsListCtrl(IListHost *host, QWidget *parent = nullptr)
        : XQueryListCtrl(QueryListRules::Cars(), host, parent)
    {
    }
};
