#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QUrl>

class IFrameCommands;
class QWebEngineProfile;
class QWebEngineUrlSchemeHandler;

// What every browser pane of the program shares: one private web profile, the
// handler of our own URL scheme, the pages that ShowHtml serves through it, the
// script that hands form posts to "app:" commands, and the window's commands.
// Made once at start-up (the frame factory's EnableControlContainer) before any
// browser and destroyed after the last one. The profile, which starts the web
// engine, is made when the first browser makes its page.
class WebHost : public QObject
{
    Q_OBJECT
public:
    // Must run before the QApplication exists: registers our scheme and "app",
    // and lets the web engine run without its sandbox when the process is root
    // (the sandbox cannot start there).
    static void PrepareProcess();

    WebHost();
    ~WebHost() override;
    WebHost(const WebHost &) = delete;
    WebHost &operator=(const WebHost &) = delete;

    // The one host; null before it is made.
    static WebHost *Instance();

    // The profile, made on the first call.
    QWebEngineProfile *Profile();
    bool HasProfile() const { return m_profile != nullptr; }

    // The window's commands for the detail pages' "app:" links; null until installed.
    void SetFrameCommands(IFrameCommands *commands) { m_commands = commands; }
    IFrameCommands *FrameCommands() const { return m_commands; }

    // Keeps a page for our scheme under a fresh address and returns it.
    QUrl AddPage(const QByteArray &html);
    void RemovePage(const QUrl &url);
    // The kept page of an address; false when there is none.
    bool FindPage(const QUrl &url, QByteArray *html) const;

    // The page script that hands submits of forms with an "app:" action to the
    // browser (source of qwebchannel.js included).
    QString PostScript() const { return m_postScript; }

    // The file our scheme serves for an address: the style sheet and help
    // folders, and pictures of the data folder; empty for anything else.
    static QString LocalFileFor(const QUrl &url);

private:
    QWebEngineProfile *m_profile = nullptr;
    QWebEngineUrlSchemeHandler *m_ownHandler = nullptr;
    QWebEngineUrlSchemeHandler *m_appHandler = nullptr;
    IFrameCommands *m_commands = nullptr;
    QString m_postScript;
    mutable QMutex m_mutex;
    QHash<QString, QByteArray> m_pages;
    quint64 m_nextPage = 1;
};
