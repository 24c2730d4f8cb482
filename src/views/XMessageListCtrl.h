#pragma once

// The message threads: one row per thread (its parent message), tied to the
// record it is about by its context. Marks, deletes and shows whole threads
// and opens the record a thread is about.

#include "XBaseListCtrl.h"

#include "db/XMessageSet.h"

class XMessageListCtrl : public XBaseListCtrl
{
    Q_OBJECT

public:
    explicit XMessageListCtrl(IListHost *host, QWidget *parent = nullptr);
    ActiveListType ListType() const override { return ListMessages; }

    // From any thread: a call from elsewhere is queued to the list's own.
    void Refill() override;
    // The threads of one record.
    void SetContext(const QString &contextId, const QString &contextType);
    int GetSelectedStatus() const override;
    QString GetSelectedKey() const;
    bool CanDo(int operation) const override;
    void MarkNew() override;
    void MarkRead() override;
    // Deletes the selected threads with every message of their context from
    // their owner; the context records keep their status.
    bool DeleteSelected() override;
    // A reply in the selected thread.
    bool GetMessageAddress(int kind, MessageAddress *address) const override;

    // The record the selected thread is about, on its page; a box when it is not found.
    void OpenQuery();
    void OpenQuote();
    void OpenHotDeal();
    void OpenOrder();
    // The navigator folder that shows a query; -1 when there is no such query.
    static int GetQueryFolder(const QString &queryId);
    static int GetCarQueryFolder(const QString &queryId);
    // The threads (parent messages) about a record, the latest first. Throws DbException.
    static QStringList ThreadsOf(const QString &contextId, const QString &contextType);
    // The Messages page with the thread selected (its first row when the thread is gone).
    static void ShowThread(IListHost *host, const QString &threadId);

signals:
    // Enter or a double click on a row of a list hosted by a dialog.
    void rowEntered();

protected:
    IRecordViews::ListKind RegistryKind() const override { return IRecordViews::ListKind::Messages; }
    QString CellText(int row, int column) const override;
    bool IsRowBold(int row) const override;
    QIcon CellImage(int row, int column) const override;
    int GetDefaultSortColumn() const override { return 4; }
    void ShowDetails(int row) override;
    void OpenSelected() override;
    bool ToggleMark() override;
    void AfterToggle(bool changed) override;
    bool viewportEvent(QEvent *event) override;

private:
    // Status of the selected threads, with their contexts' counters; the rows changed.
    int SetStatus(int code, const QString &text);
    void RunMark(int code, const QString &text);
    QString Field(int row, const char *column) const;
    // The selected thread's context when its type is one of the two given.
    bool SelectedContext(const char *type, const char *carsType, QString *id, bool *cars) const;
    void NotFound(const QString &text) const;

    XMessageSet m_set;
};
