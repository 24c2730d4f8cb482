#pragma once

// The car query sheet: the wanted car on the main page, the wanted options,
// and a trade-in page while the buyer says "Yes" to trading a car in. Submit
// asks the other pages for their values first; one refusal sends nothing.

#include "CarQueryForm.h"
#include "SubmitPipeline.h"

#include "dialogs/PropertySheet.h"

#include <QMap>

class CarOptionsDlg;
class CarTradeDlg;
class FormPlacement;
class IFormHost;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class NewQueryCarsPropSheet;

class NewQueryCarsDlg : public PropertyPage
{
    Q_OBJECT
public:
    static constexpr int NotesLimit = 1023;

    NewQueryCarsDlg(CarQueryForm &form, SubmitPipeline &pipeline, NewQueryCarsPropSheet &sheet);

    // The page's "continue_query" parameters; before DoModal.
    void InitFromParams(const QMap<QString, QString> &params) { m_form.InitFromParams(params); }
    // A query to one member (the member lookup); before DoModal.
    void SetPrivate(const QString &displayName, const QString &passportId) { m_form.SetPrivate(displayName, passportId); }

    // Asks the other pages, then sends; false keeps the sheet open.
    bool OnApply() override;
    FormOutcome LastOutcome() const { return m_lastOutcome; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OnInitDialog();
    void CategoryChanged();
    void SaveToRecord();

    CarQueryForm &m_form;
    SubmitPipeline &m_pipeline;
    NewQueryCarsPropSheet &m_sheet;
    bool m_initialised = false;
    FormOutcome m_lastOutcome = FormOutcome::Invalid;
    QComboBox *m_market, *m_make, *m_model, *m_category, *m_damage, *m_bodyStyle, *m_doors, *m_extColor, *m_intColor,
        *m_transmission, *m_driveTrain, *m_engineType, *m_engineUnit, *m_minPrice, *m_maxPrice, *m_minMileage,
        *m_maxMileage, *m_within, *m_timeFrame, *m_payment;
    QLabel *m_damageLabel;
    QLineEdit *m_subModel, *m_engineSize, *m_zip;
    QSpinBox *m_minYear, *m_maxYear;
    QPlainTextEdit *m_notes;
    QRadioButton *m_tradeYes, *m_tradeNo;
};

class NewQueryCarsPropSheet : public PropertySheet
{
    Q_OBJECT
public:
    NewQueryCarsPropSheet(IFormHost *host, const QString &caption, QWidget *parent = nullptr);
    ~NewQueryCarsPropSheet() override;

    NewQueryCarsDlg *MainPage() const { return m_main; }
    CarQueryForm &Form() { return m_form; }
    SubmitPipeline &Pipeline() { return m_pipeline; }
    // The trade-in page joins once and leaves once, whatever the clicks.
    void ShowTradeInPage(bool shown);
    CarTradeDlg *TradeInPage() const { return m_trade; }
    // 1 when the query was sent.
    int DoModal();

protected:
    void showEvent(QShowEvent *event) override;

private:
    CarQueryForm m_form;
    SubmitPipeline m_pipeline;
    NewQueryCarsDlg *m_main;
    CarOptionsDlg *m_options;
    CarTradeDlg *m_trade = nullptr;
    FormPlacement *m_placement;
    bool m_placed = false;
};
