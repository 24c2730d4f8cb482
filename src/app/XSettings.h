#pragma once

#include "Globals.h"

#include <QHash>
#include <QMutex>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>
#include <stdexcept>

// A file that is needed and missing or unreadable.
class FileException : public std::runtime_error
{
public:
    enum Cause { FileNotFound = 2, AccessDenied = 5, Generic = 1 };
    FileException(Cause cause, const QString &path)
        : std::runtime_error(("file error: " + path).toStdString()), m_cause(cause), m_path(path)
    {
    }
    Cause GetCause() const { return m_cause; }
    QString Path() const { return m_path; }

private:
    Cause m_cause;
    QString m_path;
};

// Names of the stored settings.
namespace Setting {
inline constexpr char PassportId[] = "PassportId";
inline constexpr char Password[] = "Password";
inline constexpr char ServerURL[] = "ServerURL";
inline constexpr char AutoLogin[] = "AutoLogin";
inline constexpr char AutoRun[] = "Autorun";
inline constexpr char AutoReply[] = "AutoReply";
inline constexpr char AutoReplyCars[] = "AutoReplyCars";
inline constexpr char AutoPool[] = "AutoPool";
inline constexpr char AutoITPImport[] = "AutoITPImport";
inline constexpr char CheckStartup[] = "CheckStartup";
inline constexpr char CloseConfirm[] = "CloseConfirm";
inline constexpr char SendQuoteConfirm[] = "SendQuoteConfirm";
inline constexpr char SendQueryConfirm[] = "SendQueryConfirm";
inline constexpr char SendOrderUpdConfirm[] = "SendOrderUpdConfirm";
inline constexpr char DeleteConfirm[] = "DeleteConfirm";
inline constexpr char DispAlertsOnInc[] = "DispAlertsOnInc";
inline constexpr char PlaySoundOnInc[] = "PlaySoundOnInc";
inline constexpr char PurgeExpired[] = "PurgeExpired";
inline constexpr char DispAlertForQrs[] = "DispAlertForQrs";
inline constexpr char DispAlertForQts[] = "DispAlertForQts";
inline constexpr char DispAlertForMsgs[] = "DispAlertForMsgs";
inline constexpr char DispAlertForDeals[] = "DispAlertForDeals";
inline constexpr char DispAlertForOrders[] = "DispAlertForOrders";
inline constexpr char PollTimeout[] = "PollTimeout";
inline constexpr char MaxRepliesOnQuery[] = "MaxRepliesOnQuery";
inline constexpr char MaxRepliesOnQueryCars[] = "MaxRepliesOnQueryCars";
inline constexpr char RunTimeFlag[] = "";  // not stored
inline constexpr char DefaultImportType[] = "DefaultImportType";
inline constexpr char ImportIgnoreId[] = "ImportIgnoreId";
inline constexpr char ImportIDsEqualsOperation[] = "ImportIDsEqualsOperation";
inline constexpr char ImportAutomaticallyDaily[] = "importAutomaticallyDaily";
inline constexpr char ImportAutomaticallyDailyPromt[] = "importAutomaticallyDailyPromt";
inline constexpr char Import1SrcFile[] = "import1SrcFile";
inline constexpr char Import2SrcFile[] = "import2SrcFile";
inline constexpr char Import3SrcFile[] = "import3SrcFile";
inline constexpr char ITPInstallPath[] = "ITPInstallPath";
inline constexpr char MonitorChanges[] = "MonitorChanges";
inline constexpr char ImportEveryTime[] = "ImportEveryTime";
inline constexpr char ImportNow[] = "ImportNow";
inline constexpr char PromptOnDataReady[] = "PromptOnDataReady";
inline constexpr char ITrackProIniFilePath[] = "ITrackProIniFilePath";
inline constexpr char CSVImportFilePath[] = "CSVImportFilePath";
inline constexpr char KVInventoryFilePath[] = "KVInventoryFilePath";
inline constexpr char CapInventoryFilePath[] = "CapInventoryFilePath";
inline constexpr char DefaultMarket[] = "DefaultMarket";
inline constexpr char SaveToInventoryCars[] = "SaveToInventoryCars";
inline constexpr char SaveToInventoryParts[] = "SaveToInventoryParts";
inline constexpr char MinAutoReplyRating[] = "MinAutoReplyRating";
inline constexpr char MinAutoReplyRatingCars[] = "MinAutoReplyRatingCars";
inline constexpr char BlinkNewInfo[] = "BlinkNewInfo";
inline constexpr char BlinkSetNewInfo[] = "BlinkSetNewInfo";
inline constexpr char LastBackupFile[] = "LastBackupFile";
} // namespace Setting

inline constexpr char DefaultServerUrl[] = "http://127.0.0.1:8765/kvp";

// The member's settings, kept in the user's QSettings INI file (groups
// "Settings", "Settings/Import", "Settings/Layout", "Sheduler"). Any thread
// reads them through locked getters; Save writes them all.
class XSettings : public GlobalObject
{
public:
    struct Entry
    {
        const char *name;
        const char *group;  // nullptr: not stored
        enum Kind { Int, String } kind;
        QVariant defaultValue;
    };
    // The settings in the order of their members.
    static const QList<Entry> &Table();

    XSettings();
    // A settings file of its own (tests); the default is the user's.
    explicit XSettings(const QString &fileName);

    // Reads every value (command-line server url wins; first run creates the autostart entry).
    void init();
    // Writes every value; false when the file could not be written.
    bool Save();

    int GetInt(const char *name) const;
    QString GetString(const char *name) const;
    bool IsOn(const char *name) const { return GetInt(name) != 0; }
    void SetInt(const char *name, int value);
    void SetString(const char *name, const QString &value);

    QString FileName() const { return m_fileName; }
    // A QSettings on the same file, for one thread's use (layouts, schedule).
    std::unique_ptr<QSettings> OpenStore() const;

    QString GetItrackIniPath() const { return GetString(Setting::ITrackProIniFilePath); }
    // Throws FileException when the ITrackPro ini file does not exist.
    QString ReadHostIni(const QString &section, const QString &key, const QString &defaultValue) const;
    QString GetExportFolder() const;
    QString GetImagesFolder() const;

    // The ini reader itself: sections and keys compared without case; backslashes kept.
    static QString ReadIniValue(const QByteArray &content, const QString &section, const QString &key,
                                const QString &defaultValue);

private:
    const Entry *Find(const char *name) const;

    QString m_fileName;
    mutable QMutex m_mutex;
    QHash<QString, QVariant> m_values;
};

XSettings &theSettings();
XSettings *theSettingsIfAny();
