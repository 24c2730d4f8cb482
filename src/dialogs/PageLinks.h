#pragma once

// In-page command addresses ("app:...") opened from a dialog below the
// browser library, which runs them; main() installs the runner.

#include <QString>

class IPageLinks
{
public:
    virtual ~IPageLinks() = default;
    // False when the address is no command the window knows.
    virtual bool RunPageLink(const QString &url) = 0;
};

// nullptr until main() installs one (and in tests that give none).
IPageLinks *PageLinks();
void SetPageLinks(IPageLinks *links);
