#pragma once

// What the last polls brought, one line per page with news; Go To takes the
// member there (switching the market first), Options opens the alert page of
// the options sheet.

#include "IFormHost.h"

#include <QDialog>

class QListWidget;
class QPushButton;

class NewInfoDlg : public QDialog
{
    Q_OBJECT
public:
    static QString LineFor(const NewInfoItem &item);

    explicit NewInfoDlg(IFormHost *host, QWidget *parent = nullptr);
    int DoModal();
    void accept() override;

private:
    void Rebuild();

    IFormHost *m_host;
    QList<NewInfoItem> m_items;
    QListWidget *m_list;
    QPushButton *m_goTo;
};
