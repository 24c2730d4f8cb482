#pragma once

#include <QDialog>

// The About box: the program's version and build.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget *parent = nullptr);
};
