// Prepares a run folder for trying the client against the test marketplace
// server: the sample member's passport id in a new database, automatic login
// with the sample password in the settings, and sample files for Inventory
// Import (one in the own format, an ITrackPro folder) in DATA_FOLDER/samples
// with the import settings pointing at them. Uses the client's own database
// and settings classes, so the files are exactly what the client writes.
//
//   korvant-seedrun DATA_FOLDER
//
// Settings go to the user's settings file: run it with the same
// XDG_CONFIG_HOME as the client.

#include "app/AppCore.h"
#include "app/Globals.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFile>

#include <cstdio>
#include <sys/stat.h>

namespace {
constexpr char SamplePassportId[] = "P1001";
constexpr char SamplePassword[] = "sample";
// The importers' places in the import list: ITrackPro, then the own format.
constexpr int OwnFormatImporter = 1;

// Copies the sample tree; files already there are kept (a member may have edited them).
bool CopySamples(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (QFile::exists(target))
            continue;
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target)) {
            std::fprintf(stderr, "korvant-seedrun: cannot copy %s\n", qPrintable(source));
            return false;
        }
    }
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    ::umask(077);
    QCoreApplication qapp(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Korvant"));
    QCoreApplication::setOrganizationName(QStringLiteral("Korvant"));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: korvant-seedrun DATA_FOLDER\n");
        return 2;
    }

    GlobalsScope globals;
    auto app = std::make_unique<AppCore>();
    app->ParseCommandLine(QStringList{args.first(), QStringLiteral("-dbpath"), args.at(1)});
    Globals::Install(GlobalSlot::App, std::move(app));
    Globals::Install(GlobalSlot::Settings, std::make_unique<XSettings>());
    Globals::Install(GlobalSlot::Database, std::make_unique<KVDatabase>());

    if (!theDatabase().init()) {
        std::fprintf(stderr, "korvant-seedrun: cannot create the database in %s\n", qPrintable(args.at(1)));
        return 1;
    }
    theSettings().init();
    if (theDatabase().GetPassportId().isEmpty())
        theDatabase().SetPassportId(QLatin1String(SamplePassportId));
    theSettings().SetString(Setting::PassportId, QLatin1String(SamplePassportId));
    theSettings().SetString(Setting::Password, QLatin1String(SamplePassword));
    theSettings().SetInt(Setting::AutoLogin, 1);
    // A run started for trying things should not add itself to the desktop session.
    theSettings().SetInt(Setting::AutoRun, 0);
    // Reading the fresh settings made the first-run autostart entry, and it
    // names this tool.
    theApp().DeleteStartupShortcut();

    const QString samples = QDir(args.at(1)).absoluteFilePath(QStringLiteral("samples"));
    if (!CopySamples(QStringLiteral(KORVANT_IMPORT_SAMPLES), samples))
        return 1;
    theSettings().SetString(Setting::KVInventoryFilePath, samples + QStringLiteral("/inventory.csv"));
    theSettings().SetString(Setting::ITrackProIniFilePath, samples + QStringLiteral("/itrack/host.ini"));
    theSettings().SetInt(Setting::DefaultImportType, OwnFormatImporter);
    theSettings().SetInt(Setting::ImportNow, 1);
    if (!theSettings().Save()) {
        std::fprintf(stderr, "korvant-seedrun: cannot write the settings\n");
        return 1;
    }
    std::printf("sample member %s prepared in %s\n", SamplePassportId, qPrintable(args.at(1)));
    return 0;
}
