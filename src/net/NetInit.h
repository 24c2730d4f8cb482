#pragma once

// libcurl and libxml2 keep process-wide state that must be set up once, before
// any thread starts using them. main() and every test hold one NetInit for
// their whole run; Ensure() is the backstop for code reached without one.
class NetInit
{
public:
    NetInit();
    ~NetInit();
    NetInit(const NetInit &) = delete;
    NetInit &operator=(const NetInit &) = delete;

    // Initialises both libraries once per process (thread-safe).
    static void Ensure();
};
