#pragma once

// The base of every record list: a table view over a record cursor that
// never holds rows, sorts in SQL by a header click, remembers the selection
// by record key per folder, and shows the selected record's details. A
// subclass names its table, columns and cell texts and adds its commands.

#include "ListRegistry.h"
#include "ListState.h"

#include "db/RecordCursor.h"
#include "dialogs/PaneInterfaces.h"
#include "forms/MessageAddress.h"

#include <QIcon>
#include <QList>
#include <QSet>
#include <QStringList>
#include <QTableView>

#include <memory>

class IListHost;
class QFontMetrics;
class RecordListModel;
class XLayoutSettings;

class XBaseListCtrl : public QTableView, public IRecordList
{
    Q_OBJECT

public:
    // What the main window's commands ask CanDo about.
    enum Operation : int {
        OpAny = 1, OpDetails = 2, OpDelete = 3, OpArchive = 4, OpRestore = 5, OpMarkNew = 7, OpMarkRead = 8,
        OpCompleted = 11, OpCancelled = 12, OpComment = 13, OpContact = 14, OpPrint = 15,
    };
    // A cell drawn as an image in place of its text.
    static constexpr int CellImageRole = Qt::UserRole + 1;
    // Two-level lists: the row's indent in levels, its plus (1) or minus (2)
    // sign, and the tint of an expanded parent row.
    static constexpr int IndentRole = Qt::UserRole + 2;
    static constexpr int SignRole = Qt::UserRole + 3;
    static constexpr int TintRole = Qt::UserRole + 4;
    static constexpr int SignWidth = 14;
    static constexpr int IndentWidth = 16;

    struct ColumnDef
    {
        QString header;
        int width = 80;
        Qt::Alignment align = Qt::AlignLeft;
        QString sortField;
    };

    // `cursorColumns`: the columns the cells and the commands read.
    XBaseListCtrl(const char *table, const QStringList &cursorColumns, IListHost *host, QWidget *parent);
    ~XBaseListCtrl() override;

    // --- IRecordList ---------------------------------------------------------------
    QWidget *Widget() override { return this; }
    // Stores the folder and its filter; no refill.
    void SetFolder(int nodeId) override;
    int GetFolder() const override { return m_folder; }
    // The list's own filter, ANDed with the folder's; applied at the next refill.
    void SetFilter(const SqlExpr &filter) override;
    void Reload() override { Refill(); }
    int RowCount() const override;
    bool CanDo(int operation) const override;
    int GetSelectedStatus() const override { return -1; }
    void SelectAll() override;
    void SetDetailsBrowser(IBrowserPane *browser) override { m_details = browser; }

    // --- what the main window's commands call besides ------------------------------------
    // Deletes the selected records by key in one transaction (the confirmation
    // is the caller's) and refills; false when nothing was deleted.
    virtual bool DeleteSelected();
    // Set Status New / Read on the selection; the list refills itself.
    virtual void MarkNew() {}
    virtual void MarkRead() {}
    // Archive and Restore on the selection (the query lists); the list refills itself.
    virtual void Archive() {}
    virtual void Restore() {}
    // Selects the row of a record key; else row 0 when asked. False when not found.
    bool LocateByKey(const QString &key, bool clearOthers, bool selectFirstIfMissing);
    // Send-a-message and the other record-set questions (IRecordViews).
    virtual bool IsOperationEnabled(int operation) const { return CanDo(operation); }
    // The member's own note on the selected record, for the lists that keep
    // one; SetComments stores it and shows it (false when nothing was stored).
    virtual QString GetComments() const;
    virtual bool SetComments(const QString &text);
    // Whom a new message about the selected record goes to, and its subject;
    // false when the list has no such record (the message is then a broadcast).
    // `kind`: 1 a quote's query, 2 a question on a hot deal, 3 a purchase; 0 plain.
    virtual bool GetMessageAddress(int kind, MessageAddress *address) const
    {
        (void)kind, (void)address;
        return false;
    }

    // --- the list itself ------------------------------------------------------------------
    // The list behind a pane the factory made (its commands beyond IRecordList); null for others.
    static XBaseListCtrl *FromPane(IRecordList *pane)
    {
        return pane ? qobject_cast<XBaseListCtrl *>(pane->Widget()) : nullptr;
    }
    void SetDialogMode(bool on) { m_dialogMode = on; }
    bool IsDialogMode() const { return m_dialogMode; }
    IListHost *Host() const { return m_host; }
    ListStateMap::Key GetStateKey() const { return {m_folder, m_dialogMode}; }
    QString GetSortOrder() const { return m_cursor->Sort(); }
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }
    void SetSort(int column, bool ascending);
    virtual void Refill();
    // Word search over the folder's records; the number of rows.
    int Search(const QString &text);
    // Whether the last Search dropped words the database could not take.
    bool SearchDroppedWords() const { return m_searchDroppedWords; }
    void ResetListState();
    void RemoveListState();
    // Selects and focuses the row, scrolled into view; with clearOthers alone.
    void SelectItem(int row, bool clearOthers);
    void DeselectAll();
    // The row that last became selected, -1 before any.
    int GetSelectedItem() const { return m_selectedRow; }
    QList<int> SelectedRows() const;
    int SelectedCount() const;
    QStringList SelectedKeys() const;
    // The keys remembered as selected (equal to the member's selection).
    QSet<QString> SelectionMemory() const { return m_memory; }
    RecordCursor &Cursor() const { return *m_cursor; }
    // Column 0 keeps room for the plus and minus signs (two-level lists in tree mode).
    bool ShowsSigns() const { return m_showSigns; }
    virtual ActiveListType ListType() const = 0;

    // The text cut at its end so that it and the margin fit the width, "..." appended.
    static QString FitText(const QFontMetrics &metrics, const QString &text, int width, int margin,
                           bool *shortened = nullptr);

signals:
    // A row was opened (double click or Enter) in a list hosted by a dialog.
    void recordOpened();

protected:
    friend class RecordListModel;

    void SetColumns(const QList<ColumnDef> &columns, const QString &layoutName);
    void SetHeaderText(int column, const QString &text);
    void SetSortField(int column, const QString &field);
    void SetSecondarySortColumn(int column) { m_secondarySort = column; }
    // The table set that knows the folder filters and the word search.
    void SetRecordSet(XBaseSet *set) { m_set = set; }
    IBrowserPane *DetailsBrowser() const { return m_details; }

    virtual QString CellText(int row, int column) const = 0;
    virtual bool IsRowBold(int) const { return false; }
    virtual QIcon CellImage(int, int) const { return {}; }
    virtual QString GetRowKey(int row) const { return m_cursor->Key(row); }
    // The row of a key as GetRowKey gives it, -1 when it is not shown.
    virtual int FindKeyRow(const QString &key) const { return m_cursor->FindKey(key); }
    // The rows as the list shows them: a row deleted since the refill draws empty.
    virtual bool IsRowGone(int row) const { return m_cursor->Read(row).deleted; }
    // The icon in front of the row (the window's icon of the list by default).
    virtual QIcon RowIcon(int row) const;
    virtual int RowIndent(int) const { return 0; }
    virtual int RowSign(int) const { return 0; }
    virtual bool IsRowTinted(int) const { return false; }
    // A refill's reading: the cursor's snapshot (a two-level list builds its rows too).
    virtual void ReadRows() { m_cursor->Refill(); }
    // After a read failed: the list shows no rows.
    virtual void ClearRows() {}
    void SetShowsSigns(bool on) { m_showSigns = on; }
    virtual int GetDefaultSortColumn() const { return 0; }
    virtual IRecordViews::ListKind RegistryKind() const = 0;
    virtual void ShowDetails(int) {}
    // Double click or Enter on a row.
    virtual void OpenSelected() {}
    // The Space key's New/Read toggle; true when a record changed.
    virtual bool ToggleMark() { return false; }
    // After the Space key, whether or not it changed anything.
    virtual void AfterToggle(bool changed);

    // The selected row the commands act on: the last selected one while it is
    // selected, else the first selected; -1 without a selection.
    int CurrentRow() const;
    bool InDialog() const;
    void ScrollToLeft();
    // Refill's steps after the cursor was read: count, selection, details.
    void ResetModelAndRestore();
    void ReportDbError(const QString &operation, const std::exception &e) const;
    void SaveSelection();
    void RestoreSelection();
    void ForgetSelection();
    // Rows inserted or removed outside a refill (expand, collapse): the
    // selection moves with its rows.
    void BeginInsertRows(int first, int last);
    void EndInsertRows();
    void BeginRemoveRows(int first, int last);
    void EndRemoveRows();
    void RowChanged(int row);
    void RowsChanged();
    void ShowDetailsSoon();
    // Selected records' keys, then the list refilled after the action.
    void AfterRecordsChanged();
    int Column(const char *name) const { return m_cursor->Column(name); }

    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void OnHeaderClicked(int column);
    void OnSelectionChanged();
    void ShowDetailsNow();
    void ToggleMarkAndAdvance();
    void ApplyFilter();

    IListHost *m_host;
    std::unique_ptr<RecordCursor> m_cursor;
    RecordListModel *m_model;
    XBaseSet *m_set = nullptr;
    bool m_searchDroppedWords = false;
    IBrowserPane *m_details = nullptr;
    QList<ColumnDef> m_columns;
    std::unique_ptr<XLayoutSettings> m_layout;
    QSet<QString> m_memory;
    bool m_allSelected = false;
    int m_secondarySort = -1;
    int m_selectedRow = -1;
    SqlExpr m_filter;
    int m_folder = 0;
    bool m_dialogMode = false;
    int m_sortColumn = 0;
    bool m_sortAscending = true;
    bool m_selectingAll = false;
    bool m_restoring = false;
    bool m_detailsPending = false;
    bool m_showSigns = false;
};
