#include "TestEnv.h"

#include "app/XSettings.h"
#include "frame/NewInfoModel.h"

#include <QMap>
#include <QTest>

namespace {

// A navigator's new counts per (node, mode); the captions name the node.
struct FakeTrees
{
    QMap<QPair<int, int>, int> fresh;
    int currentMode = 0;
    NewInfoModel::NodeSource Source()
    {
        return [this](int node, int mode) {
            const int m = mode < 0 ? currentMode : mode;
            return NewInfoModel::NodeInfo{QStringLiteral("node %1").arg(node), fresh.value({node, m})};
        };
    }
};

void SetKinds(XSettings &s, bool on)
{
    for (const char *name : {Setting::DispAlertForQrs, Setting::DispAlertForQts, Setting::DispAlertForMsgs,
                             Setting::DispAlertForDeals, Setting::DispAlertForOrders})
        s.SetInt(name, on ? 1 : 0);
}

// The value as the next run reads it.
bool StoredBlink(const QString &file)
{
    XSettings again(file);
    again.init();
    return again.IsOn(Setting::BlinkNewInfo);
}

} // namespace

class TestNewInfo : public QObject
{
    Q_OBJECT
private slots:
    void listOrderAndModes();
    void notice_data();
    void notice();
    void lastReadNodeHidesAndResets();
    void kindsOffLeaveBlinkUntouched();
};

void TestNewInfo::listOrderAndModes()
{
    FakeTrees trees;
    trees.currentMode = 1;
    for (auto key : {QPair{161, 1}, {20102, 0}, {130, 1}, {199, 0}, {195, 0}, {159, 1}, {20003, 0}, {118, 1}})
        trees.fresh[key] = 2;
    trees.fresh[{118, 0}] = 5;  // the parts tree's messages: not the current tree
    NewInfoModel model(trees.Source());
    AlertSettings all;
    all.deals = true;
    QCOMPARE(model.RebuildNewInfoList(all), 8);
    QList<int> nodes, modes;
    for (const NewInfoItem &i : model.Items()) {
        nodes << i.nodeId;
        modes << i.marketMode;
    }
    QCOMPARE(nodes, (QList<int>{118, 20003, 159, 195, 199, 130, 20102, 161}));
    QCOMPARE(modes, (QList<int>{-1, 0, 1, 0, 0, -1, 0, 1}));
    QCOMPARE(model.Items().first(), (NewInfoItem{"node 118", 118, -1, 2}));

    AlertSettings some;
    some.quotes = some.orders = some.deals = false;
    QCOMPARE(model.RebuildNewInfoList(some), 3);
    // A page without new records is not listed.
    trees.fresh.clear();
    QCOMPARE(model.RebuildNewInfoList(all), 0);
}

void TestNewInfo::notice_data()
{
    QTest::addColumn<bool>("alertsOn");
    QTest::addColumn<bool>("blink");
    QTest::addColumn<bool>("blinkSet");
    QTest::addColumn<bool>("news");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("blinking");

    QTest::newRow("news, blinking") << true << true << true << true << true << true;
    QTest::newRow("news, blink setting off") << true << true << false << true << true << false;
    QTest::newRow("news, not raised") << true << false << true << true << true << false;
    QTest::newRow("news, notices off") << false << true << true << true << false << false;
    QTest::newRow("no news") << true << true << true << false << false << false;
}

void TestNewInfo::notice()
{
    QFETCH(bool, alertsOn);
    QFETCH(bool, blink);
    QFETCH(bool, blinkSet);
    QFETCH(bool, news);
    QFETCH(bool, shown);
    QFETCH(bool, blinking);
    XSettings s(TestEnv::NewFolder() + "/s.ini");
    s.SetInt(Setting::DispAlertsOnInc, alertsOn);
    s.SetInt(Setting::BlinkNewInfo, blink);
    s.SetInt(Setting::BlinkSetNewInfo, blinkSet);
    FakeTrees trees;
    if (news)
        trees.fresh[{20102, 0}] = 1;
    NewInfoModel model(trees.Source());
    QCOMPARE(model.UpdateNewInfoNotice(s), (NewInfoModel::Notice{shown, blinking}));
    // Nothing was listed before, so the blink setting is left as it was.
    QCOMPARE(s.IsOn(Setting::BlinkNewInfo), blink);
}

void TestNewInfo::lastReadNodeHidesAndResets()
{
    const QString file = TestEnv::NewFolder() + "/s.ini";
    XSettings s(file);
    FakeTrees trees;
    trees.fresh[{20003, 0}] = 2;
    trees.fresh[{118, 0}] = 1;
    NewInfoModel model(trees.Source());
    QCOMPARE(model.RaiseAlert(s), (NewInfoModel::Notice{true, true}));
    QVERIFY(StoredBlink(file));

    // One page read: still news.
    trees.fresh.remove({118, 0});
    QCOMPARE(model.UpdateNewInfoNotice(s), (NewInfoModel::Notice{true, true}));
    // The last one read: the notice goes and the blink is reset for good.
    trees.fresh.clear();
    QCOMPARE(model.UpdateNewInfoNotice(s), (NewInfoModel::Notice{false, false}));
    QVERIFY(!s.IsOn(Setting::BlinkNewInfo));
    QVERIFY(!StoredBlink(file));
}

void TestNewInfo::kindsOffLeaveBlinkUntouched()
{
    XSettings s(TestEnv::NewFolder() + "/s.ini");
    SetKinds(s, false);
    s.SetInt(Setting::BlinkNewInfo, 1);
    FakeTrees trees;
    for (int node : {118, 20003, 195, 199, 130, 20102})
        trees.fresh[{node, 0}] = 3;
    NewInfoModel model(trees.Source());
    QCOMPARE(model.UpdateNewInfoNotice(s), (NewInfoModel::Notice{false, false}));
    QVERIFY(model.Items().isEmpty());
    QVERIFY(s.IsOn(Setting::BlinkNewInfo));
}

KORVANT_TEST_MAIN(TestNewInfo)
#include "tst_newinfo.moc"
