#pragma once

// The notice shown while the database is compacted: one line and Cancel.
// Enter does nothing.

#include <QDialog>

class CompactDbDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CompactDbDlg(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
