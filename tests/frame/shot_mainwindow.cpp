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

#include <QDir>
#include <QSet>
#include <QTest>

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

} // namespace

void ShotMainWindow::mainWindowAfterPoll()
{
    FakeServer server;
    QVERIFY(server.Start() > 0);
    SampleAnswers::ScriptAll(server);
    QFile poll(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/tools/samples/poll.xml");
    QVERIFY(poll.open(QIODevice::ReadOnly));
    server.Script("poll", {poll.readAll()});

    ClientEnv env({.commandLine = "-level 5 -url " + server.Url()});
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
    frame->SwitchToCars();
    QTest::qWait(300);
    Save(frame, QStringLiteral("navigator-cars.png"));

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
