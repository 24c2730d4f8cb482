#pragma once

#include <memory>
#include <stdexcept>

// The objects that live for the whole run, built explicitly in main() (and in
// tests) in this fixed order and torn down in reverse. No static initialiser
// builds any of them, so nothing depends on Qt being up before main().
enum class GlobalSlot : int {
    App = 0,          // CClientApp: session, log, command line, folders
    Meta,             // XMetaData
    MetaCars,         // XMetaDataCars
    Settings,         // XSettings
    Profile,          // XProfile
    MarketPlaces,     // XMarketPlaces
    Database,         // KVDatabase
    Poller,           // XPoller
    XslTransformer,   // XSLTransformer
    ImpSheduler,      // ImportSheduler
    TasksDispatcher,  // TasksDispatcher
    ImportArray,      // the importers
    TrayAlert,        // tray alert text
    ListStates,       // remembered state of each record list
    CrashHandler,     // crash handler state
    Count
};

// Base of every object kept in a slot; only so that teardown can destroy it.
class GlobalObject
{
public:
    virtual ~GlobalObject() = default;
};

class Globals
{
public:
    // Installs an object; slots must be filled in increasing order.
    static void Install(GlobalSlot slot, std::unique_ptr<GlobalObject> object);
    static GlobalObject *Get(GlobalSlot slot);
    // Destroys every installed object, last installed first.
    static void Teardown();

    template<class T>
    static T *As(GlobalSlot slot)
    {
        return dynamic_cast<T *>(Get(slot));
    }

    template<class T>
    static T &Require(GlobalSlot slot, const char *name)
    {
        T *p = As<T>(slot);
        if (!p)
            throw std::logic_error(std::string("global object not installed: ") + name);
        return *p;
    }
};

// Builds the globals when it is constructed and tears them down when it goes.
class GlobalsScope
{
public:
    GlobalsScope() = default;
    ~GlobalsScope() { Globals::Teardown(); }
    GlobalsScope(const GlobalsScope &) = delete;
    GlobalsScope &operator=(const GlobalsScope &) = delete;
};
