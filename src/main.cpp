#include "app/AppCore.h"
#include "app/Globals.h"
#include "app/TasksDispatcher.h"
#include "app/XSettings.h"
#include "dialogs/WidgetDialogs.h"

#include <QApplication>

#include <sys/stat.h>

int main(int argc, char *argv[])
{
    // Every file the program and SQLite create is the user's alone.
    ::umask(077);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvant"));
    QApplication::setOrganizationName(QStringLiteral("Korvant"));

    GlobalsScope globals;
    Globals::Install(GlobalSlot::App, std::make_unique<AppCore>());
    WidgetDialogs dialogs;
    theApp().SetDialogs(&dialogs);
    theApp().ParseCommandLine(QCoreApplication::arguments());
    Globals::Install(GlobalSlot::Settings, std::make_unique<XSettings>());
    Globals::Install(GlobalSlot::TasksDispatcher, std::make_unique<TasksDispatcher>());

    theApp().WriteLog(QStringLiteral("InitInstance"), QStringLiteral("theSettings.init"), 5);
    theSettings().init();
    theApp().WriteLog(QStringLiteral("the main window is not built yet; ending start-up"), QStringLiteral("InitInstance"), 3);
    theApp().Dispatcher().Shutdown();
    theApp().SetDialogs(nullptr);
    return 0;
}
