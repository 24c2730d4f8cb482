#pragma once

#include "IFrameCommands.h"

#include <QUrl>

#include <functional>

// The table of in-page commands and the gate in front of it.
class AppCommands
{
public:
    // The scheme of the pages the program serves itself.
    static constexpr char kOwnScheme[] = "korvant";

    struct Navigation
    {
        QString url;          // the address asked for, encoded
        QByteArray body;      // the posted form, urlencoded; empty for links
        QUrl pageUrl;         // the page the navigation starts from
        bool mainFrame = true;
    };
    // Runs one command of a table; false when the table has no such command.
    using Runner = std::function<bool(const QString &command, const AppParams &params)>;

    // An "app:" navigation: always cancelled (true); its command runs only when
    // the gate lets it and the runner knows it; an unknown command only redraws
    // the page. Any other address is not a command (false).
    static bool Handle(const Navigation &navigation, IPageHost &host, const Runner &runner);

    // The detail pages' table. False for a command it does not know (the
    // comparison is exact and case-sensitive).
    static bool Run(const QString &command, const AppParams &params, IFrameCommands &frame, IPageHost &host);

    // The web page of a node after a re-login; empty for nodes without one.
    static QString ReloginAddress(int nodeId, const QString &serverUrl, const QString &sessionId);
};
