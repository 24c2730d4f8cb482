#pragma once

// The parts inventory record form: the controls over InventoryPartForm's
// record and the part picture. Save And Close ends after a save; Save And
// New starts a new record keeping the vehicle.

#include "FormDialog.h"
#include "InventoryPartForm.h"
#include "PartFields.h"

#include <memory>

class CSelectPartImage;
class IFormHost;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class NewInventoryDlg : public FormDialog
{
    Q_OBJECT
public:
    // recordId above 0 edits that record; otherwise a new one.
    NewInventoryDlg(IFormHost *host, qint64 recordId, QWidget *parent = nullptr);
    ~NewInventoryDlg() override;

    InventoryPartForm &Form() { return m_form; }
    CSelectPartImage &Picture() { return *m_picture; }

private:
    void BuildControls();
    void OnInitDialog() override;
    bool SaveToRecord();
    bool SaveRecord();
    void OnSaveAndNew();
    void OnOpenUrl();

    IFormHost *m_host;
    InventoryPartForm m_form;
    std::unique_ptr<CSelectPartImage> m_picture;

    PartFields m_fields;
    QComboBox *m_condition, *m_category, *m_partName, *m_make, *m_model;
    QLineEdit *m_stock, *m_oem, *m_aaia, *m_interchange, *m_price, *m_core, *m_handling, *m_weight, *m_brand;
    QLineEdit *m_url, *m_vin;
    QSpinBox *m_quantity, *m_year, *m_endYear;
    QPushButton *m_pick, *m_openUrl, *m_pictureButton, *m_saveClose, *m_saveNew, *m_cancel;
    std::unique_ptr<PartNameBoxes> m_parts;
};
