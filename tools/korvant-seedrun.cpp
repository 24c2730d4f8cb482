// Prepares a run folder for trying the client against the test marketplace
// server: the sample member's passport id in a new database, automatic login
// with the sample password in the settings. Uses the client's own database
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

#include <cstdio>
#include <sys/stat.h>

namespace {
constexpr char SamplePassportId[] = "P1001";
constexpr char SamplePassword[] = "sample";
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
    if (!theSettings().Save()) {
        std::fprintf(stderr, "korvant-seedrun: cannot write the settings\n");
        return 1;
    }
    std::printf("sample member %s prepared in %s\n", SamplePassportId, qPrintable(args.at(1)));
    return 0;
}
