#pragma once

// The two pages of import settings: duplicate handling, and the daily CAP
// import with its source file. The options sheet builds them but lists
// neither, so what the settings file holds stays as it is.

#include "PropertySheet.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

class ImportSettingsDlg : public PropertyPage
{
    Q_OBJECT
public:
    explicit ImportSettingsDlg(QWidget *parent = nullptr);
    void OnSetActive() override;
    bool OnApply() override;

private:
    void EnableOptions();

    QCheckBox *m_check;
    QRadioButton *m_ignore;
    QRadioButton *m_overwrite;
};

class Import2SettingsDlg : public PropertyPage
{
    Q_OBJECT
public:
    explicit Import2SettingsDlg(QWidget *parent = nullptr);
    void OnSetActive() override;
    bool OnApply() override;
    void OnBrowse();

private:
    QCheckBox *m_daily;
    QCheckBox *m_prompt;
    QLineEdit *m_source;
};
