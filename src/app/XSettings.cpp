#include "XSettings.h"

#include "AppCore.h"
#include "Constants.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
constexpr char S[] = "Settings";
constexpr char I[] = "Settings/Import";
using E = XSettings::Entry;
} // namespace

const QList<XSettings::Entry> &XSettings::Table()
{
    using namespace Setting;
    static const QList<Entry> table = {
        {PassportId, S, E::String, QString()},
        {Password, S, E::String, QString()},
        {ServerURL, S, E::String, QString::fromLatin1(DefaultServerUrl)},
        {AutoLogin, S, E::Int, 1},
        {AutoRun, S, E::Int, -1},
        {AutoReply, S, E::Int, 1},
        {AutoReplyCars, S, E::Int, 1},
        {AutoPool, S, E::Int, 1},
        {AutoITPImport, S, E::Int, 0},
        {CheckStartup, S, E::Int, 1},
        {CloseConfirm, S, E::Int, 1},
        {SendQuoteConfirm, S, E::Int, 1},
        {SendQueryConfirm, S, E::Int, 1},
        {SendOrderUpdConfirm, S, E::Int, 1},
        {DeleteConfirm, S, E::Int, 1},
        {DispAlertsOnInc, S, E::Int, 1},
        {PlaySoundOnInc, S, E::Int, 1},
        {PurgeExpired, S, E::Int, 1},
        {DispAlertForQrs, S, E::Int, 1},
        {DispAlertForQts, S, E::Int, 1},
        {DispAlertForMsgs, S, E::Int, 1},
        {DispAlertForDeals, S, E::Int, 0},
        {DispAlertForOrders, S, E::Int, 1},
        {PollTimeout, S, E::Int, 180},
        {MaxRepliesOnQuery, S, E::Int, 3},
        {MaxRepliesOnQueryCars, S, E::Int, 4},
        {RunTimeFlag, nullptr, E::Int, 0},
        {DefaultImportType, S, E::Int, 0},
        {ImportIgnoreId, S, E::Int, 1},
        {ImportIDsEqualsOperation, S, E::Int, 1},
        {ImportAutomaticallyDaily, S, E::Int, 1},
        {ImportAutomaticallyDailyPromt, S, E::Int, 1},
        {Import1SrcFile, S, E::String, QString()},
        {Import2SrcFile, S, E::String, QString()},
        {Import3SrcFile, S, E::String, QString()},
        {ITPInstallPath, S, E::String, QStringLiteral("C:\\Program Files\\ISoft Data Systems\\ITrack Pro")},
        {MonitorChanges, I, E::Int, 0},
        {ImportEveryTime, I, E::Int, 0},
        {ImportNow, I, E::Int, 0},
        {PromptOnDataReady, I, E::Int, 0},
        {ITrackProIniFilePath, I, E::String,
         QStringLiteral("C:\\Program Files\\ISoft Data Systems\\ITrack Pro\\host.ini")},
        {CSVImportFilePath, I, E::String, QString()},
        {KVInventoryFilePath, I, E::String, QString()},
        {CapInventoryFilePath, I, E::String, QString()},
        {DefaultMarket, S, E::Int, 1},
        {SaveToInventoryCars, S, E::Int, 0},
        {SaveToInventoryParts, S, E::Int, 0},
        {MinAutoReplyRating, S, E::Int, 2},
        {MinAutoReplyRatingCars, S, E::Int, 2},
        {BlinkNewInfo, S, E::Int, 0},
        {BlinkSetNewInfo, S, E::Int, 1},
        {LastBackupFile, S, E::String, QString()},
    };
    return table;
}

XSettings &theSettings()
{
    return Globals::Require<XSettings>(GlobalSlot::Settings, "theSettings");
}

XSettings *theSettingsIfAny()
{
    return Globals::As<XSettings>(GlobalSlot::Settings);
}

XSettings::XSettings()
    : XSettings(QSettings(QSettings::IniFormat, QSettings::UserScope, QLatin1String(Korvant::AppName),
                          QLatin1String(Korvant::AppName))
                    .fileName())
{
}

XSettings::XSettings(const QString &fileName) : m_fileName(fileName)
{
    for (const Entry &e : Table())
        m_values.insert(QLatin1String(e.name), e.defaultValue);
}

const XSettings::Entry *XSettings::Find(const char *name) const
{
    for (const Entry &e : Table()) {
        if (qstrcmp(e.name, name) == 0)
            return &e;
    }
    return nullptr;
}

std::unique_ptr<QSettings> XSettings::OpenStore() const
{
    return std::make_unique<QSettings>(m_fileName, QSettings::IniFormat);
}

void XSettings::init()
{
    AppCore *app = theAppIfAny();
    auto store = OpenStore();
    QHash<QString, QVariant> values;
    for (const Entry &e : Table()) {
        QVariant v = e.defaultValue;
        if (e.group) {
            const QString key = QLatin1String(e.group) + u'/' + QLatin1String(e.name);
            if (e.kind == Entry::Int) {
                bool ok = false;
                const int n = store->value(key, e.defaultValue).toInt(&ok);
                v = ok ? n : e.defaultValue.toInt();
            } else {
                v = store->value(key, e.defaultValue).toString();
            }
        }
        values.insert(QLatin1String(e.name), v);
    }
    if (app && !app->ServerUrlOption().isEmpty())
        values.insert(QLatin1String(Setting::ServerURL), app->ServerUrlOption());
    values.insert(QLatin1String(Setting::RunTimeFlag), 0);

    bool createShortcut = false;
    if (values.value(QLatin1String(Setting::AutoRun)).toInt() < 0) {
        values.insert(QLatin1String(Setting::AutoRun), 1);
        createShortcut = true;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_values = values;
    }
    if (createShortcut && app)
        app->CreateStartupShortcut();
}

bool XSettings::Save()
{
    AppCore *app = theAppIfAny();
    QHash<QString, QVariant> values;
    {
        QMutexLocker lock(&m_mutex);
        values = m_values;
    }
    auto store = OpenStore();
    for (const Entry &e : Table()) {
        if (!e.group)
            continue;
        const QString name = QLatin1String(e.name);
        if (name == QLatin1String(Setting::ServerURL) && app && app->OverrideFlag())
            continue;
        QVariant v = values.value(name);
        if (name == QLatin1String(Setting::Password) && values.value(QLatin1String(Setting::AutoLogin)).toInt() == 0)
            v = QString();
        store->setValue(QLatin1String(e.group) + u'/' + name, v);
    }
    store->sync();
    // It holds the password: the user's alone.
    QFile::setPermissions(m_fileName, QFile::ReadOwner | QFile::WriteOwner);
    return store->status() == QSettings::NoError;
}

int XSettings::GetInt(const char *name) const
{
    QMutexLocker lock(&m_mutex);
    return m_values.value(QLatin1String(name)).toInt();
}

QString XSettings::GetString(const char *name) const
{
    QMutexLocker lock(&m_mutex);
    return m_values.value(QLatin1String(name)).toString();
}

void XSettings::SetInt(const char *name, int value)
{
    Q_ASSERT(Find(name));
    QMutexLocker lock(&m_mutex);
    m_values.insert(QLatin1String(name), value);
}

void XSettings::SetString(const char *name, const QString &value)
{
    Q_ASSERT(Find(name));
    QMutexLocker lock(&m_mutex);
    m_values.insert(QLatin1String(name), value);
}

// --- ITrackPro host.ini ---------------------------------------------------------

QString XSettings::ReadIniValue(const QByteArray &content, const QString &section, const QString &key,
                                const QString &defaultValue)
{
    bool inSection = false;
    const QList<QByteArray> lines = content.split('\n');
    for (QByteArray raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            const int end = line.indexOf(u']');
            inSection = end > 0 && line.mid(1, end - 1).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const int eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && ((value.startsWith(u'"') && value.endsWith(u'"')) ||
                                  (value.startsWith(u'\'') && value.endsWith(u'\''))))
            value = value.mid(1, value.size() - 2);
        return value.left(259);
    }
    return defaultValue.left(259);
}

QString XSettings::ReadHostIni(const QString &section, const QString &key, const QString &defaultValue) const
{
    const QString path = GetItrackIniPath();
    QFile file(path);
    if (!QFileInfo::exists(path))
        throw FileException(FileException::FileNotFound, path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileException(FileException::AccessDenied, path);
    return ReadIniValue(file.readAll(), section, key, defaultValue);
}

namespace {
bool IsAbsoluteHostPath(const QString &value)
{
    return value.contains(u':') || value.startsWith(QStringLiteral("\\\\")) || value.startsWith(u'/');
}

QString IniFolder(const QString &iniPath)
{
    const int cut = qMax(iniPath.lastIndexOf(u'\\'), iniPath.lastIndexOf(u'/'));
    return cut >= 0 ? iniPath.left(cut) : QString();
}

QString TrimTrailingSeparators(QString s)
{
    while (s.endsWith(u'\\') || (s.size() > 1 && s.endsWith(u'/')))
        s.chop(1);
    return s;
}
} // namespace

QString XSettings::GetExportFolder() const
{
    const QString value = ReadHostIni(QStringLiteral("Korvant"), QStringLiteral("exportfolder"),
                                      QStringLiteral("korvant"));
    if (IsAbsoluteHostPath(value))
        return value;
    return IniFolder(GetItrackIniPath()) + QDir::separator() + value;
}

QString XSettings::GetImagesFolder() const
{
    QString value = ReadHostIni(QStringLiteral("general"), QStringLiteral("imagesdir"), QStringLiteral("images"));
    if (IsAbsoluteHostPath(value))
        return TrimTrailingSeparators(value);
    QString folder = TrimTrailingSeparators(IniFolder(GetItrackIniPath()));
    while (value.startsWith(u'\\') || value.startsWith(u'/'))
        value.remove(0, 1);
    return TrimTrailingSeparators(folder + QDir::separator() + value);
}
