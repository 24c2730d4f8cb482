#pragma once

// Picks one of the message threads about a record: the threads in the
// message list (dialog mode), OK or Enter or a double click keeps the chosen one.

#include <QDialog>
#include <QString>

class IListHost;
class QLabel;
class XMessageListCtrl;

class MessSelDlg : public QDialog
{
    Q_OBJECT
public:
    // `contextType` is the record's own ("query", "quote", "query_cars", "quote_cars").
    MessSelDlg(const QString &contextId, const QString &contextType, IListHost *host, QWidget *parent = nullptr);

    void SetTitle(const QString &title);
    int DoModal();
    // The chosen thread's message id; empty before OK.
    QString GetSelectedId() const { return m_selectedId; }
    XMessageListCtrl *Threads() const { return m_list; }

    void accept() override;

private:
    XMessageListCtrl *m_list = nullptr;
    QString m_selectedId;
};
