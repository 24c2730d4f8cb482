#pragma once

// The part query form: the controls over PartQueryForm's record. Submit And
// Close ends the dialog after a send; Submit And New keeps the marketplace
// and the vehicle for the next query. The exchange runs while the dialog
// keeps drawing, its buttons disabled.

#include "PartQueryForm.h"
#include "SubmitPipeline.h"

#include <QDialog>
#include <QMap>
#include <QSpinBox>

#include <memory>

class ComboItemSink;
class FormPlacement;
class IFormHost;
class PartNameController;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SidesList;

// The vehicle year: an edit with a spin over the years the market knows, or empty.
class YearSpinBox : public QSpinBox
{
public:
    using QSpinBox::QSpinBox;
    void SetYear(const QString &year);
    QString Year() const;

protected:
    QValidator::State validate(QString &text, int &pos) const override;
    int valueFromText(const QString &text) const override;
    QString textFromValue(int value) const override;
};

class NewQueryDlg : public QDialog
{
    Q_OBJECT
public:
    enum ButtonId { SubmitAndNewId = 3 };

    NewQueryDlg(IFormHost *host, const QString &caption, QWidget *parent = nullptr);
    ~NewQueryDlg() override;

    // The page's "continue_query" parameters; before DoModal.
    void InitFromParams(const QMap<QString, QString> &params) { m_form.InitFromParams(params); }
    // A query to one member (the member lookup); before DoModal.
    void SetPrivate(const QString &displayName, const QString &passportId) { m_form.SetPrivate(displayName, passportId); }
    int DoModal();

    PartQueryForm &Form() { return m_form; }
    SubmitPipeline &Pipeline() { return m_pipeline; }
    FormOutcome LastOutcome() const { return m_lastOutcome; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void BuildControls();
    void OnInitDialog();
    void ClearCombos();
    // Controls -> record; false when a number was refused.
    bool SaveToRecord();
    bool Submit();
    void OnSubmitAndClose();
    void OnSubmitAndNew();
    void OnPickPart();
    void RefreshCost(const QString &partName);
    void SetBusy(bool busy);

    PartQueryForm m_form;
    SubmitPipeline m_pipeline;
    QString m_caption;
    bool m_initialised = false;
    FormOutcome m_lastOutcome = FormOutcome::Invalid;
    std::unique_ptr<SidesList> m_sides;

    QComboBox *m_market, *m_make, *m_model, *m_bodyStyle, *m_transmission, *m_axle, *m_engine, *m_engineUnit;
    QComboBox *m_delivery, *m_fuel, *m_aspiration, *m_condition, *m_category, *m_partName, *m_side;
    QComboBox *m_wheelWidth, *m_wheelHeight, *m_timeFrame;
    YearSpinBox *m_year;
    QLineEdit *m_vin, *m_engineSize, *m_partNumber, *m_maxPrice, *m_color;
    QSpinBox *m_quantity;
    QPlainTextEdit *m_notes;
    QLabel *m_cost;
    QPushButton *m_pick, *m_submitClose, *m_submitNew, *m_close;
    std::unique_ptr<ComboItemSink> m_conditionSink, m_categorySink, m_nameSink;
    std::unique_ptr<PartNameController> m_parts;
    FormPlacement *m_placement = nullptr;
};
