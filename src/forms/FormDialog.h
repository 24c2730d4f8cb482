#pragma once

// The part forms' window: the form builds its controls, which are filled
// from its record when the window first shows and then placed where the
// member left them; DoModal answers IdOk when the form ended accepted.

#include <QDialog>

class FormPlacement;

class FormDialog : public QDialog
{
    Q_OBJECT
public:
    int DoModal();

protected:
    FormDialog(QWidget *parent, const QString &name, const QString &title);

    // Once the controls are built: the placement kept under `key`.
    void Place(const QString &key);
    // Every box emptied, for the record to fill them again.
    void ClearCombos();
    // The controls from the record; the boxes do not react until it sets
    // m_initialised.
    virtual void OnInitDialog() = 0;
    void showEvent(QShowEvent *event) override;

    bool m_initialised = false;

private:
    FormPlacement *m_placement = nullptr;
};
