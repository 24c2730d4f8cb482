#pragma once

// The parts inventory record form: the controls over InventoryPartForm's
// record and the part picture. Save And Close ends after a save; Save And
// New starts a new record keeping the vehicle.

#include "InventoryPartForm.h"

#include <QDialog>

#include <memory>

class CSelectPartImage;
class ComboItemSink;
class FormPlacement;
class IFormHost;
class PartNameController;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class SidesList;

class NewInventoryDlg : public QDialog
{
    Q_OBJECT
public:
    // recordId above 0 edits that record; otherwise a new one.
    NewInventoryDlg(IFormHost *host, qint64 recordId, QWidget *parent = nullptr);
    ~NewInventoryDlg() override;

    int DoModal();
    InventoryPartForm &Form() { return m_form; }
    CSelectPartImage &Picture() { return *m_picture; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void BuildControls();
    void OnInitDialog();
    bool SaveToRecord();
    bool SaveRecord();
    void OnSaveAndNew();
    void OnPickPart();
    void OnOpenUrl();

    IFormHost *m_host;
    InventoryPartForm m_form;
    std::unique_ptr<CSelectPartImage> m_picture;
    std::unique_ptr<SidesList> m_sides;
    bool m_initialised = false;

    QComboBox *m_condition, *m_category, *m_partName, *m_side, *m_wheelWidth, *m_wheelHeight;
    QComboBox *m_make, *m_model, *m_transmission, *m_axle, *m_bodyStyle, *m_engine, *m_fuel, *m_engineUnit;
    QComboBox *m_delivery, *m_aspiration;
    QLineEdit *m_stock, *m_oem, *m_aaia, *m_interchange, *m_price, *m_core, *m_handling, *m_weight, *m_brand;
    QLineEdit *m_color, *m_url, *m_engineSize, *m_vin;
    QSpinBox *m_quantity, *m_year, *m_endYear;
    QPlainTextEdit *m_notes;
    QPushButton *m_pick, *m_openUrl, *m_pictureButton, *m_saveClose, *m_saveNew, *m_cancel;
    std::unique_ptr<ComboItemSink> m_conditionSink, m_categorySink, m_nameSink;
    std::unique_ptr<PartNameController> m_parts;
    FormPlacement *m_placement = nullptr;
};
