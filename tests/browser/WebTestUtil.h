#pragma once

// Waiting for a browser pane's page and reading it, for tests of the web panes
// (header only: every tst_*.cpp is its own program).

#include "browser/CWebBrowser2.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineScript>

#include <functional>

namespace WebTest {

// Loads in the web engine can take a while on a loaded machine.
constexpr int kLoadTimeout = 30000;

inline bool WaitLoaded(CWebBrowser2 &browser, const std::function<void()> &start)
{
    QSignalSpy spy(browser.Page(), &QWebEnginePage::loadFinished);
    start();
    return spy.wait(kLoadTimeout) && spy.last().value(0).toBool();
}

// The script's value, run in the program's own script world (the DOM is shared).
inline QVariant Eval(CWebBrowser2 &browser, const QString &script,
                     quint32 world = QWebEngineScript::ApplicationWorld)
{
    QVariant result;
    bool done = false;
    browser.Page()->runJavaScript(script, world, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    QDeadlineTimer deadline(kLoadTimeout);
    while (!done && !deadline.hasExpired())
        QTest::qWait(10);
    return result;
}

} // namespace WebTest
