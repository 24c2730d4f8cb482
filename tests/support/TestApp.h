#pragma once

#include "Fakes.h"

#include "app/AppCore.h"
#include "app/Globals.h"

#include <QString>

#include <functional>
#include <map>

// The globals of one test: the application core on a fresh data folder, its
// own settings file, the task registry, recording fakes of every window
// service, and whatever further objects the test asks for, all installed in
// their fixed order and torn down in reverse when the fixture goes.
class TestApp
{
public:
    using Factory = std::function<std::unique_ptr<GlobalObject>()>;
    struct Options
    {
        QString commandLine{};          // parsed before anything else
        std::map<GlobalSlot, Factory> extra{};  // further globals, by slot
        bool installSettings = true;
        bool initSettings = false;      // run XSettings::init
    };

    TestApp();
    explicit TestApp(const Options &options);
    ~TestApp();
    TestApp(const TestApp &) = delete;
    TestApp &operator=(const TestApp &) = delete;

    AppCore &App() { return theApp(); }
    QString DataFolder() { return theApp().GetDataFolder(); }
    QString SettingsFile() const { return m_settingsFile; }
    QString LogText();

    FakeDialogs dialogs;
    FakeMainFrame frame;
    FakeRecordViews views;
    FakeImport import;
    FakeCrashHooks crash;
    FakeLoginHook login;

private:
    QString m_settingsFile;
};
