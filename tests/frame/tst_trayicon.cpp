#include "TestEnv.h"

#include "frame/CTrayIcon.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

class TestTrayIcon : public QObject
{
    Q_OBJECT
private slots:
    void tipIsTheTitleCut();
    void noTrayNoIcon();
    void menuCommands();
    void clicksActivate_data();
    void clicksActivate();
};

void TestTrayIcon::tipIsTheTitleCut()
{
    CTrayIcon tray([] { return true; });
    const QString title = QString("Korvant - Parts - Incoming Leads - P1001 - ").leftJustified(70, 'x');
    QCOMPARE(title.size(), 70);
    QVERIFY(tray.Add(title));
    QCOMPARE(tray.Tip(), title.left(62));
    QCOMPARE(tray.Icon()->toolTip().size(), 62);
    // The icon is there already: a second add fails and changes nothing.
    QVERIFY(!tray.Add("other"));
    QCOMPARE(tray.Tip(), title.left(62));
    tray.UpdateTip("Korvant");
    QCOMPARE(tray.Icon()->toolTip(), QStringLiteral("Korvant"));
    tray.Remove();
    QVERIFY(!tray.IsShown());
}

void TestTrayIcon::noTrayNoIcon()
{
    CTrayIcon tray([] { return false; });
    QVERIFY(!tray.IsAvailable());
    QVERIFY(!tray.Add("Korvant"));
    QVERIFY(!tray.IsShown());
    QVERIFY(tray.Icon() == nullptr);
    tray.UpdateTip("Korvant");  // harmless without an icon
}

void TestTrayIcon::menuCommands()
{
    CTrayIcon tray([] { return true; });
    QStringList texts;
    QList<int> ids;
    for (QAction *a : tray.Menu()->actions()) {
        texts << a->text();
        ids << (a->isSeparator() ? 0 : a->data().toInt());
    }
    QCOMPARE(texts, (QStringList{"Activate", "Synchronize", "", "Exit"}));
    QCOMPARE(ids, (QList<int>{101, 32782, 0, 57665}));
    QSignalSpy activate(&tray, &CTrayIcon::activateRequested);
    tray.Action(CTrayIcon::Activate)->trigger();
    QCOMPARE(activate.count(), 1);
    QSignalSpy exit(tray.Action(CTrayIcon::Exit), &QAction::triggered);
    tray.Action(CTrayIcon::Exit)->trigger();
    QCOMPARE(exit.count(), 1);
    QCOMPARE(activate.count(), 1);
}

void TestTrayIcon::clicksActivate_data()
{
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("activates");
    QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick) << true;
    QTest::newRow("single click") << int(QSystemTrayIcon::Trigger) << true;
    QTest::newRow("context menu") << int(QSystemTrayIcon::Context) << false;
    QTest::newRow("middle click") << int(QSystemTrayIcon::MiddleClick) << false;
}

void TestTrayIcon::clicksActivate()
{
    QFETCH(int, reason);
    QFETCH(bool, activates);
    CTrayIcon tray([] { return true; });
    QVERIFY(tray.Add("Korvant"));
    QSignalSpy activate(&tray, &CTrayIcon::activateRequested);
    emit tray.Icon()->activated(QSystemTrayIcon::ActivationReason(reason));
    QCOMPARE(activate.count(), activates ? 1 : 0);
}

KORVANT_TEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
