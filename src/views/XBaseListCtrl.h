#pragma once

// The base of every record list: a table view over a record cursor that
// never holds rows, sorts in SQL by a header click, remembers the selection
// by record key per folder, and shows the selected record's details. A
// subclass names its table, columns and cell texts and adds its commands.

#include "ListRegistry.h"
#include "ListState.h"

#include "db/RecordCursor.h"
#include "dialogs/PaneInterfaces.h"

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
    // Send-a-message and the other record-set questions (IRecordViews).
    virtual bool IsOperationEnabled(int operation) const { return CanDo(operation); }

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
    XBaseSet *RecordSet() const { return m_set; }
    IBrowserPane *DetailsBrowser() const { return m_details; }

    virtual QString CellText(int row, int column) const = 0;
    virtual bool IsRowBold(int) const { return false; }
    virtual QIcon CellImage(int, int) const { return {}; }
    virtual QString GetRowKey(int row) const { return m_cursor->Key(row); }
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
    bool LocateByKey(const QString &key, bool clearOthers, bool selectFirstIfMissing);
    void SaveSelection();
    void RestoreSelection();
    void ForgetSelection();
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
};
