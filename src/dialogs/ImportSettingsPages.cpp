#include "ImportSettingsPages.h"

#include "app/AppCore.h"
#include "app/XSettings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
template<class T>
T *Named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

ImportSettingsDlg::ImportSettingsDlg(QWidget *parent) : PropertyPage(QStringLiteral("Import Settings"), parent)
{
    setObjectName(QStringLiteral("ImportSettingsDlg"));
    m_check = Named(new QCheckBox(QStringLiteral("Check for duplicate records"), this), "checkDuplicatesCheck");
    auto *group = new QGroupBox(QStringLiteral("Duplicate records action"), this);
    m_ignore = Named(new QRadioButton(QStringLiteral("Ignore duplicates"), group), "ignoreRadio");
    m_overwrite = Named(new QRadioButton(QStringLiteral("Overwrite duplicates"), group), "overwriteRadio");
    auto *options = new QVBoxLayout(group);
    options->addWidget(m_ignore);
    options->addWidget(m_overwrite);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_check);
    layout->addWidget(group);
    layout->addStretch(1);
    connect(m_check, &QCheckBox::clicked, this, &ImportSettingsDlg::EnableOptions);
}

void ImportSettingsDlg::EnableOptions()
{
    // Disabled options keep their choice for when the check comes back.
    m_ignore->setEnabled(m_check->isChecked());
    m_overwrite->setEnabled(m_check->isChecked());
}

void ImportSettingsDlg::OnSetActive()
{
    const XSettings &settings = theSettings();
    m_check->setChecked(settings.IsOn(Setting::ImportIgnoreId));
    const bool ignore = settings.GetInt(Setting::ImportIDsEqualsOperation) == 0;
    m_ignore->setChecked(ignore);
    m_overwrite->setChecked(!ignore);
    EnableOptions();
}

bool ImportSettingsDlg::OnApply()
{
    XSettings &settings = theSettings();
    settings.SetInt(Setting::ImportIgnoreId, m_check->isChecked() ? 1 : 0);
    settings.SetInt(Setting::ImportIDsEqualsOperation, m_ignore->isChecked() ? 0 : 1);
    settings.Save();
    return true;
}

Import2SettingsDlg::Import2SettingsDlg(QWidget *parent)
    : PropertyPage(QStringLiteral("Special Import Settings"), parent)
{
    setObjectName(QStringLiteral("Import2SettingsDlg"));
    m_daily = Named(new QCheckBox(QStringLiteral("Automatically daily import"), this), "dailyCheck");
    m_prompt = Named(new QCheckBox(QStringLiteral("Promt for automatically import"), this), "dailyPromptCheck");
    m_source = Named(new QLineEdit(this), "sourceFileEdit");
    auto *browse = Named(new QPushButton(QStringLiteral("..."), this), "browseButton");
    browse->setAutoDefault(false);
    auto *row = new QHBoxLayout;
    row->addWidget(m_source, 1);
    row->addWidget(browse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_daily);
    layout->addWidget(m_prompt);
    layout->addWidget(new QLabel(QStringLiteral("Source File"), this));
    layout->addLayout(row);
    layout->addStretch(1);
    connect(browse, &QPushButton::clicked, this, &Import2SettingsDlg::OnBrowse);
}

void Import2SettingsDlg::OnSetActive()
{
    const XSettings &settings = theSettings();
    m_daily->setChecked(settings.IsOn(Setting::ImportAutomaticallyDaily));
    m_prompt->setChecked(settings.IsOn(Setting::ImportAutomaticallyDailyPromt));
    m_source->setText(settings.GetString(Setting::Import2SrcFile));
}

void Import2SettingsDlg::OnBrowse()
{
    const QString path = theApp().AskOpenFileName(QStringLiteral("Import Source File"),
                                                  QStringLiteral("Cap files (*.cap)|*.cap||"), m_source->text());
    if (!path.isEmpty())
        m_source->setText(path);
}

bool Import2SettingsDlg::OnApply()
{
    XSettings &settings = theSettings();
    settings.SetInt(Setting::ImportAutomaticallyDaily, m_daily->isChecked() ? 1 : 0);
    settings.SetInt(Setting::ImportAutomaticallyDailyPromt, m_prompt->isChecked() ? 1 : 0);
    settings.SetString(Setting::Import2SrcFile, m_source->text());
    settings.Save();
    return true;
}
