// Under a real display (xvfb-run): the whole main window on Hot Deals with a
// deal selected and its page beside the list, saved to the build's
// screenshots folder and checked not to be blank.

#include "../application/ClientEnv.h"
#include "FakeServer.h"
#include "SampleAnswers.h"
#include "TestEnv.h"

#include "browser/CWebBrowser2.h"
#include "browser/WebHost.h"
#include "dialogs/NodeIds.h"
#include "frame/CMainFrame.h"
#include "frame/CSizingControlBar.h"
#include "frame/GuiFrameFactory.h"
#include "views/ListRegistry.h"
#include "views/ViewsPaneFactory.h"
#include "views/XBaseListCtrl.h"

#include <QDir>
#include <QSet>
#include <QTest>
#include <QWebEngineView>

class ShotHotDeals : public QObject
{
    Q_OBJECT
private slots:
    void hotDealSelected();
};

void ShotHotDeals::hotDealSelected()
{
    FakeServer server;
    QVERIFY(server.Start() > 0);
    SampleAnswers::ScriptAll(server);
    server.Script("poll", {FakeServer::Response(0)});

    ClientEnv env({.commandLine = "-level 5 -url " + server.Url(), .xslTransformer = true});
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
    // The lists answer what the pages may offer, as in the program.
    env.app().SetRecordViews(&ListRegistry::Instance());
    env.StoreSettings([](XSettings &s) {
        s.SetInt(Setting::AutoPool, 0);
        s.SetInt(Setting::AutoLogin, 1);
        s.SetString(Setting::Password, "sample");
    });
    QVERIFY(theDatabase().init());
    theDatabase().SetPassportId("P1001");
    const char *titles[] = {"Pallet of brake pads", "Alternators, remanufactured", "OEM headlamp pair",
                            "Wheel bearings (10)", "Radiator, aluminium", "Door mirror, heated"};
    for (int i = 0; i < 6; ++i)
        theDatabase().Execute("INSERT INTO HotDeals (ID, TITLE, YEAR, MAKE, MODEL, PRICE, QUANTITY, IS_INCOMING, "
                              "STATUS_CODE, STATUS, POST_DATE, C_ID, C_NAME, NOTES) "
                              "VALUES (?, ?, '2006', 'Ford', 'Focus', ?, ?, 1, ?, ?, ?, 'P2002', 'Lee Parts', "
                              "'Clean stock, ships in two days.')",
                              {QStringLiteral("HD%1").arg(100 + i), QLatin1String(titles[i]), QString::number(40 + 15 * i) + ".00", QString::number(2 + i),
                               i % 2, i % 2 ? "Read" : "New", QStringLiteral("2024-05-0%1 1%1:30:00").arg(i + 1)});
    theDatabase().CloseAll();

    QVERIFY(env.app().InitInstance());
    CMainFrame *frame = gui.Frame();
    frame->resize(1100, 700);
    QVERIFY(QTest::qWaitForWindowExposed(frame));
    frame->SwitchToParts();
    frame->SelectNavigatorItem(NodeHotDeals);
    frame->resizeDocks({frame->DetailsBar()}, {330}, Qt::Vertical);
    QTRY_VERIFY_WITH_TIMEOUT(XBaseListCtrl::FromPane(frame->CurrentList()), 30000);
    XBaseListCtrl *list = XBaseListCtrl::FromPane(frame->CurrentList());
    QTRY_COMPARE_WITH_TIMEOUT(list->RowCount(), 6, 10000);
    const QRect row = list->visualRect(list->model()->index(1, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(list->SelectedKeys().size(), 1);

    // The deal's page is up once its title is in the details pane.
    auto *browser = dynamic_cast<CWebBrowser2 *>(frame->DetailsBrowser());
    QWebEngineView *details = browser ? browser->View() : nullptr;
    QVERIFY(details && details->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(details->title().contains(QLatin1String("Hot Deal")), 30000);
    QTest::qWait(500);

    const QImage image = frame->grab().toImage();
    QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
    QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/hot-deals.png")));
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() > 20, qPrintable(QStringLiteral("%1 colours").arg(colours.size())));

    env.app().ExitInstance();
    gui.DestroyFrame();
}

int main(int argc, char *argv[])
{
    WebHost::PrepareProcess();
    TestEnv::PrepareProcess();
    QApplication app(argc, argv);
    ShotHotDeals test;
    return QTest::qExec(&test, argc, argv);
}
#include "shot_hotdeals.moc"
