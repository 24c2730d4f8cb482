#pragma once

// Two small import dialogs that no command opens: the catalog import notice
// with its way to the settings, and the choice of the import format.

#include <QDialog>

class QRadioButton;

class ImportDlg : public QDialog
{
    Q_OBJECT
public:
    explicit ImportDlg(QWidget *parent = nullptr);
    int DoModal() { return exec(); }
    // The settings link: the options sheet on its fifth page.
    void OnLinkClicked();
};

class ImportStartDlg : public QDialog
{
    Q_OBJECT
public:
    enum Format { Korvant = 1, CarParts = 2 };
    explicit ImportStartDlg(QWidget *parent = nullptr);
    int DoModal() { return exec(); }
    // What OK recorded: Korvant or CarParts (Korvant until then).
    int Format() const { return m_format; }
    void accept() override;

private:
    QRadioButton *m_korvant;
    int m_format = Korvant;
};
