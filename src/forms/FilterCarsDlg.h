#pragma once

// The cars speciality: which buyers' car queries reach this member, as
// categories, makes with their models, years, prices and distance. OK keeps
// the text in the profile; opened from the main window (mode 1) it is also
// sent, and put back when the server does not take it.

#include "app/FilterExpr.h"

#include <QDialog>

class FormPlacement;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

class FilterCarsDlg : public QDialog
{
    Q_OBJECT
public:
    static inline const QString AnyItem = QStringLiteral("-- Any --");
    static inline const QString AllModelsItem = QStringLiteral("--- All Models ---");

    // mode 1 from the main window, 0 from the profile sheet.
    FilterCarsDlg(QWidget *parent, int mode);
    ~FilterCarsDlg() override;
    // 1 (OK) or 2 (Cancel).
    int DoModal();

    // The filter as the controls show it.
    CarFilter Filter() const;
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void BuildControls();
    void Fill();
    void Read(const QString &text);
    void YearModeChanged();
    void LocalClicked();
    void ListSelectionChanged(QListWidget *list);
    void RebuildModels();
    QString YearText(const QSpinBox *spin) const;
    void SetYear(QSpinBox *spin, const QString &year);

    int m_mode;
    bool m_updating = false;
    QListWidget *m_categories, *m_makes, *m_models;
    QComboBox *m_yearMode, *m_priceFrom, *m_priceTo, *m_range;
    QSpinBox *m_yearFrom, *m_yearTo;
    QCheckBox *m_local, *m_receiveNothing;
    QLineEdit *m_zip;
    FormPlacement *m_placement;
    bool m_placed = false;
};
