// Under a real display (xvfb-run): the main window after login and one poll,
// saved to the build's screenshots folder and checked not to be blank.

#include "../application/ClientEnv.h"
#include "FakeServer.h"
#include "SampleAnswers.h"
#include "TestEnv.h"

#include "browser/CWebBrowser2.h"
#include "browser/WebHost.h"
#include "frame/CMainFrame.h"
#include "frame/CSizingControlBar.h"
#include "frame/GuiFrameFactory.h"
#include "views/ViewsPaneFactory.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QSet>
#include <QTest>
#include <QWebEngineView>

class ShotMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void mainWindowAfterPoll();
};

namespace {

void Save(QWidget *window, const QString &name)
{
    const QImage image = window->grab().toImage();
    QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
    QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/") + name));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() > 20, qPrintable(QStringLiteral("%1: %2 colours").arg(name).arg(colours.size())));
}

QVariant PageValue(QWebEngineView *view, const QString &script)
{
    QVariant result;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant &v) {
        result = v;
        done = true;
    });
    QDeadlineTimer deadline(30000);
    while (!done && !deadline.hasExpired())
        QTest::qWait(10);
    return result;
}

// The script true three looks in a row, within 90 s on the clock: the page is
// drawn anew when the poll's counters arrive, and is blank for a moment then.
bool SeenSteadily(QWebEngineView *view, const QString &script)
{
    QDeadlineTimer ready(90000);
    int seen = 0;
    while (seen < 3 && !ready.hasExpired()) {
        seen = PageValue(view, script).toBool() ? seen + 1 : 0;
        QTest::qWait(200);
    }
    return seen >= 3;
}

// The Home page of the market shown, once its search form (and a counter the
// navigator shows) is up.
void SaveDashboard(QWidget *window, const QString &name, const QString &counter = QString())
{
    auto *view = window->findChild<QWebEngineView *>(QStringLiteral("DashboardBrowser"));
    QVERIFY(view && view->isVisible());
    QVERIFY2(SeenSteadily(view, "!!document.getElementById('make')"), "the Home page's search form");
    if (!counter.isEmpty()) {
        QVERIFY2(SeenSteadily(view, "!!document.getElementById('" + counter + "').textContent"),
                 qPrintable(counter));
    }
    QTest::qWait(300);
    Save(window, name);
}

} // namespace

void ShotMainWindow::mainWindowAfterPoll()
{
    FakeServer server;
    QVERIFY(server.Start() > 0);
    SampleAnswers::ScriptAll(server);
    QFile poll(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/tools/samples/poll.xml");
    QVERIFY(poll.open(QIODevice::ReadOnly));
    server.Script("poll", {poll.readAll()});

    ClientEnv env({.commandLine = "-level 5 -url " + server.Url(), .xslTransformer = true});
    // The style sheets as they ship, beside the program.
    const QDir sheets(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/res/Xsl");
    QVERIFY(QDir().mkpath(env.folder + "/program/Xsl"));
    for (const QString &sheet : sheets.entryList({"*.xsl"}))
        QVERIFY(QFile::copy(sheets.filePath(sheet), env.folder + "/program/Xsl/" + sheet));
    thePoller().SetPollBody({});
    PlaceholderPaneFactory placeholders;
    BrowserPaneFactory browsers(placeholders);
    ViewsPaneFactory views(browsers);
    GuiFrameFactory gui(&views, false);
    gui.SetFrameCreatedHook([&views](CMainFrame &frame) { views.SetListHost(&frame); });
    env.app().SetFrameFactory(&gui);
    env.StoreSettings([](XSettings &s) {
        s.SetInt(Setting::AutoPool, 0);
        s.SetInt(Setting::AutoLogin, 1);
        s.SetString(Setting::Password, "sample");
    });
    QVERIFY(theDatabase().init());
    theDatabase().SetPassportId("P1001");
    theDatabase().CloseAll();

    QVERIFY(env.app().InitInstance());
    CMainFrame *frame = gui.Frame();
    frame->resize(1000, 680);
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    QTRY_VERIFY_WITH_TIMEOUT(env.LogText().contains("Poll Queries:"), 30000);
    QTest::qWait(300);

    frame->NavigatorBar()->show();
    QTest::qWait(300);
    Save(frame, QStringLiteral("main-window.png"));

    frame->SwitchToParts();
    QTest::qWait(300);
    Save(frame, QStringLiteral("navigator-parts.png"));
    SaveDashboard(frame, QStringLiteral("dashboard-parts.png"));
    frame->SwitchToCars();
    QTest::qWait(300);
    Save(frame, QStringLiteral("navigator-cars.png"));
    SaveDashboard(frame, QStringLiteral("dashboard-cars.png"), QStringLiteral("counter24"));

    env.app().ExitInstance();
    gui.DestroyFrame();
}

int main(int argc, char *argv[])
{
    WebHost::PrepareProcess();
    TestEnv::PrepareProcess();
    QApplication app(argc, argv);
    ShotMainWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "shot_mainwindow.moc"
