#pragma once

// The pages that describe a car beyond its main data, shared by the car
// sheets. Each works on its sheet's record and writes it only when a sibling
// asks (PropertySheet::Commit); none stores or sends the record.

#include "dialogs/PropertySheet.h"

#include <QList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;
class XBaseSet;
class XQueryCarsSet;

// "Car Options": thirty feature boxes and a free text. Mode 0 car query,
// 1 car quote, 2 car inventory (all CAR_OPTIONS / CAR_ADDOPTIONS); any other
// mode leaves the record alone.
class CarOptionsDlg : public PropertyPage
{
    Q_OBJECT
public:
    static constexpr int AddOptionsLimit = 1024;

    CarOptionsDlg(XBaseSet *record, int mode, QWidget *parent = nullptr);
    // The record was refilled: show its texts.
    void Reload();
    // Boxes and text into the record's columns; always 0.
    int OnQuerySiblings(int param) override;

    QString OptionsText() const { return m_options; }

private:
    void LoadTexts();
    void ShowTexts();

    XBaseSet *m_record;
    int m_mode;
    QString m_options, m_addOptions;
    QLabel *m_explanation;
    QList<QCheckBox *> m_boxes;
    QPlainTextEdit *m_addEdit;
};

// "Salvage/Damage": two damages, the title and the key/start/run questions.
// Mode 0 car quote, 1 car inventory.
class DamageOptionsDlg : public PropertyPage
{
    Q_OBJECT
public:
    DamageOptionsDlg(XBaseSet *record, int mode, bool newRecord, QWidget *parent = nullptr);
    // The record was refilled: it is no longer new; show its texts.
    void Reload();
    int OnQuerySiblings(int param) override;
    bool IsNewRecord() const { return m_newRecord; }

private:
    void LoadTexts();
    void ShowTexts();

    XBaseSet *m_record;
    int m_mode;
    bool m_newRecord;
    QString m_damage1, m_damage2, m_title, m_options;
    QComboBox *m_damage1Box, *m_damage2Box, *m_titleBox;
    QList<QComboBox *> m_questions;
};

// "Trade In": the car the buyer offers, reduced to one summary in TRADE_IN.
class CarTradeDlg : public PropertyPage
{
    Q_OBJECT
public:
    static constexpr int NotesLimit = 1023;

    explicit CarTradeDlg(XQueryCarsSet *query, QWidget *parent = nullptr);
    // Validates and writes the summary: 0 when written, 1 when a field is missing (shown).
    int OnQuerySiblings(int param) override;

private:
    void Fill();
    void MakeChanged();

    XQueryCarsSet *m_query;
    bool m_filling = false;
    QSpinBox *m_year;
    QComboBox *m_make, *m_model, *m_condition, *m_bodyStyle, *m_doors, *m_extColor, *m_intColor, *m_transmission,
        *m_driveTrain, *m_engineType, *m_engineUnit;
    QLineEdit *m_subModel, *m_mileage, *m_engineSize;
    QPlainTextEdit *m_notes;
};
