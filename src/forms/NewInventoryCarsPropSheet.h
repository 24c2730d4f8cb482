#pragma once

// The car quote and car inventory sheet. In quote mode the General page
// answers the selected car query ("newCarQuote"), walking the incoming leads
// query by query; in inventory mode it edits one car of the inventory. Both
// add the car options, the pictures, and the damage page while the category
// is "Salvage/Damaged" or "Repairable". The sheet owns the one record all
// pages edit.

#include "CarForms.h"
#include "SubmitPipeline.h"

#include "dialogs/PropertySheet.h"

#include <memory>

class CarOptionsDlg;
class DamageOptionsDlg;
class FormPlacement;
class IBrowserPane;
class IFormHost;
class NewInventoryCarsPropSheet;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QuoteWalkButtons;
class inventoryImagesDlg;

// The General page of both modes (NewQuoteCarsDlg / NewInventoryCarsDlg).
class CarGeneralPage : public PropertyPage
{
    Q_OBJECT
public:
    static constexpr int NotesLimit = 1023;

    CarGeneralPage(NewInventoryCarsPropSheet &sheet, XBaseSet &record, bool quoteMode);
    ~CarGeneralPage() override;

    // Controls from the record again (another query, a car taken from the inventory).
    void Reinit();
    bool OnApply() override;
    FormOutcome LastOutcome() const { return m_lastOutcome; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void Build();
    void OnInitDialog();
    void SaveToRecord();

    NewInventoryCarsPropSheet &m_sheet;
    XBaseSet &m_record;
    bool m_quote;
    bool m_initialised = false;
    FormOutcome m_lastOutcome = FormOutcome::Invalid;
    std::unique_ptr<IBrowserPane> m_details;
    std::unique_ptr<QuoteWalkButtons> m_walk;
    QSpinBox *m_year;
    QComboBox *m_make, *m_model, *m_category, *m_condition, *m_extColor, *m_intColor, *m_bodyStyle, *m_transmission;
    QComboBox *m_driveTrain, *m_engine, *m_engineUnit, *m_doors, *m_state, *m_country;
    QLineEdit *m_subModel, *m_stock, *m_vin, *m_price, *m_acv, *m_mileage, *m_engineSize, *m_warranty, *m_address;
    QLineEdit *m_city, *m_zip;
    QCheckBox *m_actualMileage;
    QPlainTextEdit *m_notes;
    QLabel *m_intro;
};

class NewInventoryCarsPropSheet : public PropertySheet
{
    Q_OBJECT
public:
    // quoteMode: a quote for the seller's selected car query; else the car with
    // `recordId` (0 or unknown: a new car).
    NewInventoryCarsPropSheet(IFormHost *host, const QString &caption, bool quoteMode, qint64 recordId,
                              QWidget *parent = nullptr);
    ~NewInventoryCarsPropSheet() override;

    CarQuoteForm *QuoteForm() const { return m_quoteForm.get(); }
    CarInventoryForm *InventoryForm() const { return m_inventoryForm.get(); }
    IFormHost *Host() const { return m_host; }
    SubmitPipeline &Pipeline() { return m_pipeline; }
    inventoryImagesDlg *PicturesPage() const { return m_pictures; }
    DamageOptionsDlg *DamagePage() const { return m_damage; }
    QCheckBox *StoreCheck() const { return m_store; }

    void ShowDamagePage();
    void HideDamagePage();
    // After the record was refilled: every page from it again.
    void ReloadPages();
    // Select From Inventory (quote mode).
    void SelectFromInventory();
    // 1 when the sheet ended with OK.
    int DoModal();

private:
    IFormHost *m_host;
    SubmitPipeline m_pipeline;
    std::unique_ptr<CarQuoteForm> m_quoteForm;
    std::unique_ptr<CarInventoryForm> m_inventoryForm;
    XBaseSet *m_record;
    CarGeneralPage *m_general;
    CarOptionsDlg *m_options;
    inventoryImagesDlg *m_pictures;
    DamageOptionsDlg *m_damage;
    QCheckBox *m_store = nullptr;
    FormPlacement *m_placement;
};
