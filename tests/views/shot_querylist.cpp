// Under a real display (xvfb-run): Pending Quotes with every query opened,
// saved to the build's screenshots folder and checked not to be blank.

#include "TestEnv.h"
#include "ViewsFixture.h"

#include "views/XQueryListCtrl.h"

#include <QDir>
#include <QSet>

class ShotQueryList : public QObject
{
    Q_OBJECT
private slots:
    void pendingQuotesExpanded()
    {
        TestApp app(ViewsOptions());
        QVERIFY(theDatabase().init());
        const char *parts[][4] = {{"Ford", "Focus", "2005", "Starter"},
                                  {"Honda", "Civic", "2008", "Driver's Door"},
                                  {"Toyota", "Camry", "2011", "Alternator"},
                                  {"Chevrolet", "Malibu", "2009", "Headlight"}};
        for (int q = 0; q < 4; ++q) {
            const QString id = QStringLiteral("Q-10%1").arg(q);
            theDatabase().Execute(
                "INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, POST_DATE, V_MAKE, V_MODEL, "
                "V_YEAR, P_NAME, C_NAME, C_STATE, C_ZIP, P_MAX_PRICE, QFY_LEVEL, MARKET_ID, MARKET_NAME, "
                "MESS_TOTAL_COUNT) VALUES (?, 0, 0, 2, 'Replied', ?, ?, ?, ?, ?, 'Dana Whitlock', 'IL', '62701', ?, "
                "'3', 'MP-100', 'National Parts Exchange', ?)",
                {id, QStringLiteral("2024-03-0%1 09:15:00").arg(q + 1), parts[q][0], parts[q][1], parts[q][2],
                 parts[q][3], q * 60.0, q % 2});
            for (int k = 0; k < q % 3 + 1; ++k)
                theDatabase().Execute(
                    "INSERT INTO Quotes (ID, QUERY_ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, STATUS, POST_DATE, "
                    "V_MAKE, V_MODEL, V_YEAR, P_NAME, C_NAME, C_STATE, C_ZIP, P_PRICE, QFY_LEVEL) VALUES "
                    "(?, ?, 1, 0, ?, ?, ?, ?, ?, ?, ?, ?, 'OR', '97301', ?, '4')",
                    {QStringLiteral("QT-%1%2").arg(q).arg(k), id, k == 0 ? 0 : 1, k == 0 ? "New" : "Read",
                     QStringLiteral("2024-03-0%1 1%2:00:00").arg(q + 1).arg(k), parts[q][0], parts[q][1],
                     parts[q][2], parts[q][3], QStringLiteral("Seller %1").arg(k + 1), 45.5 + k * 10});
        }
        FakeListHost host;
        host.node = 20003;
        XQueryListCtrl list(&host, nullptr);
        list.SetFolder(20003);
        QVERIFY(list.ExpandAll());
        list.Refill();
        list.resize(1100, 320);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCOMPARE(list.RowCount(), 4 + 1 + 2 + 3 + 1);
        QTest::qWait(100);

        const QImage image = list.grab().toImage();
        QDir().mkpath(QStringLiteral(KORVANT_SCREENSHOT_DIR));
        QVERIFY(image.save(QStringLiteral(KORVANT_SCREENSHOT_DIR "/pending_quotes_expanded.png")));
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 2)
            for (int x = 0; x < image.width(); x += 2)
                colours.insert(image.pixel(x, y));
        QVERIFY2(colours.size() > 20, qPrintable(QStringLiteral("%1 colours").arg(colours.size())));
    }
};

KORVANT_TEST_MAIN(ShotQueryList)
#include "shot_querylist.moc"
