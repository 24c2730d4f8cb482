#pragma once

// The program's options: six pages over the stored settings. Each page that
// was shown stores its values on OK and saves the settings file.

#include "PropertySheet.h"

class ImportSettingsDlg;
class Import2SettingsDlg;

class OptionsPropSheet : public PropertySheet
{
    Q_OBJECT
public:
    enum PageIndex { General, Connection, Synchronization, Notifications, AutoReplyParts, AutoReplyCars };

    explicit OptionsPropSheet(const QString &caption = QStringLiteral("Options"), QWidget *parent = nullptr);

    // The page activated last during this run (General at start).
    static int LastPage();

    // "a/" gives "a", "a//" gives "a/".
    static QString TrimServerUrl(const QString &url);

    // The import settings pages are built with the sheet, yet it lists neither.
    ImportSettingsDlg *ImportSettingsPage() const { return m_importSettings; }
    Import2SettingsDlg *Import2SettingsPage() const { return m_import2Settings; }

private:
    ImportSettingsDlg *m_importSettings;
    Import2SettingsDlg *m_import2Settings;
};
