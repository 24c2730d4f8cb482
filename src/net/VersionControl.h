#pragma once

#include <QString>

// Asks the server for its main info and decides whether the running client is
// too old to work (update required) or a newer one is offered. Each check
// uses a fresh object; the flags are only ever set.
class VersionControl
{
public:
    // Runs GetMainInfo; true when the server answered.
    bool CheckVersion();
    // The "getMainInfo" exchange, with the Retry/Ignore warning on failure.
    bool GetMainInfo();
    bool IsUpdateRequired() const { return m_updateRequired; }
    bool IsNewVersionAvailable() const { return m_newVersionAvailable; }

    // The rules, on texts (so they can be checked without a server).
    static bool UpdateRequiredBy(const QString &serverVersion, const QString &metaVersion);
    // Whether the server's client version is newer than the running one.
    static bool IsNewerVersion(const QString &offered, const QString &running);
    // The three numbers the rules read from a version text.
    struct Numbers
    {
        int first = 0, second = 0, third = 0;
        auto operator<=>(const Numbers &) const = default;
    };
    static Numbers ReadNumbers(const QString &version);
    static int LeadingNumber(const QString &version);

private:
    bool m_updateRequired = false;
    bool m_newVersionAvailable = false;
};

// The schema version of the local database this client writes.
QString GetClientDbVersion();
