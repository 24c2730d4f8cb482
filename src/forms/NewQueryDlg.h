#pragma once

// The part query form: the controls over PartQueryForm's record. Submit And
// Close ends the dialog after a send; Submit And New keeps the marketplace
// and the vehicle for the next query. The exchange runs while the dialog
// keeps drawing, its buttons disabled.

#include "FormDialog.h"
#include "PartFields.h"
#include "PartQueryForm.h"
#include "SubmitPipeline.h"

#include <QMap>
#include <QSpinBox>

#include <memory>

class IFormHost;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

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

class NewQueryDlg : public FormDialog
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

    PartQueryForm &Form() { return m_form; }
    SubmitPipeline &Pipeline() { return m_pipeline; }
    FormOutcome LastOutcome() const { return m_lastOutcome; }

private:
    void BuildControls();
    void OnInitDialog() override;
    // Controls -> record; false when a number was refused.
    bool SaveToRecord();
    bool Submit();
    void OnSubmitAndClose();
    void OnSubmitAndNew();
    void RefreshCost(const QString &partName);
    void SetBusy(bool busy);

    PartQueryForm m_form;
    SubmitPipeline m_pipeline;
    QString m_caption;
    FormOutcome m_lastOutcome = FormOutcome::Invalid;

    PartFields m_fields;
    QComboBox *m_market, *m_make, *m_model, *m_condition, *m_category, *m_partName, *m_timeFrame;
    YearSpinBox *m_year;
    QLineEdit *m_vin, *m_partNumber, *m_maxPrice;
    QSpinBox *m_quantity;
    QLabel *m_cost;
    QPushButton *m_pick, *m_submitClose, *m_submitNew, *m_close;
    std::unique_ptr<PartNameBoxes> m_parts;
};
