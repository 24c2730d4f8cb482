// Under a real display (xvfb-run): an incoming part query on the selling
// side, its detail page (the style sheets as they ship) beside the list,
// saved to the build's screenshots folder and checked not to be blank.

#include "TestEnv.h"
#include "ViewsFixture.h"

#include "app/XSLTransformer.h"
#include "browser/CWebBrowser2.h"
#include "browser/WebHost.h"
#include "views/XQueryListCtrl.h"

#include <QDir>
#include <QSet>
#include <QSplitter>
#include <QWebEngineView>

class ShotQueryDetail : public QObject
{
    Q_OBJECT
private slots:
    void incomingQueryPage()
    {
        TestApp::Options options = ViewsOptions();
        options.extra[GlobalSlot::XslTransformer] = [] { return std::make_unique<XSLTransformer>(); };
        TestApp app(options);
        app.App().SetModuleFolder(qEnvironmentVariable("KORVANT_SOURCE_DIR") + "/res/");
        app.frame.pageSection = 2;
        WebHost web;
        QVERIFY(theDatabase().init());
        theDatabase().Execute(
            "INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, IS_CONTACT_FULL, STATUS_CODE, STATUS, POST_DATE, "
            "V_MAKE, V_MODEL, V_YEAR, P_NAME, P_TYPE, P_QUANTITY, P_MAX_PRICE, P_NOTES, C_ID, C_NAME, C_STATE, C_ZIP, "
            "MARKET_ID, MARKET_NAME) VALUES ('Q-2041', 1, 0, 0, 0, 'New', '2024-03-04 09:15:00', 'Honda', 'Civic', "
            "'2008', 'Driver''s Door', 'Used', 2, 180, 'Silver, no dents please', 'P2002', 'Dana Whitlock', 'IL', "
            "'62701', 'MP-100', 'National Parts Exchange')");
        theDatabase().Execute(
            "INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, POST_DATE, V_MAKE, V_MODEL, "
            "V_YEAR, P_NAME, C_NAME) VALUES ('Q-2040', 1, 0, 1, 'Read', '2024-03-03 08:00:00', 'Ford', 'Focus', "
            "'2005', 'Starter', 'Lee Parts')");

        QSplitter window(Qt::Vertical);
        FakeListHost host;
        host.node = 20102;
        auto *list = new XQueryListCtrl(&host, &window);
        auto *browser = new CWebBrowser2(&window, QStringLiteral("details"));
        window.addWidget(list);
        window.addWidget(browser->Widget());
        window.setSizes({140, 560});
        list->SetDetailsBrowser(browser);
        window.resize(1000, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        list->SetFolder(20102);
        list->Refill();
        ClickRow(*list, 0);
        auto *view = qobject_cast<QWebEngineView *>(browser->Widget());
        QVERIFY(view);
        QTRY_VERIFY_WITH_TIMEOUT(view->title().contains(QLatin1String("Query")), 30000);
        QTest::qWait(500);

        const QImage image = window.grab().toImage();
        QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
        QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/query-detail.png")));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 20, qPrintable(QStringLiteral("%1 colours").arg(colours.size())));
        list->SetDetailsBrowser(nullptr);
    }
};

int main(int argc, char *argv[])
{
    WebHost::PrepareProcess();
    TestEnv::PrepareProcess();
    QApplication app(argc, argv);
    ShotQueryDetail test;
    return QTest::qExec(&test, argc, argv);
}
#include "shot_querydetail.moc"
