// The new-information alert: which news is named, and the pop-up with its sound.

#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "sync/NewInfoAlert.h"
#include "sync/XPoller.h"

#include <QTest>

Q_DECLARE_METATYPE(NewCounts)
Q_DECLARE_METATYPE(AlertSettings)

class TestAlerts : public QObject
{
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
    void settingsRead();
    void popupWithAndWithoutSound();
};

namespace {

NewCounts Counts(std::initializer_list<std::pair<NewCounts::Index, int>> values)
{
    NewCounts c;
    for (const auto &[i, v] : values)
        c.value[i] = v;
    return c;
}

AlertSettings Without(bool AlertSettings::*flag)
{
    AlertSettings s;
    s.*flag = false;
    return s;
}

} // namespace

void TestAlerts::choice_data()
{
    QTest::addColumn<NewCounts>("counts");
    QTest::addColumn<int>("mode");
    QTest::addColumn<AlertSettings>("settings");
    QTest::addColumn<QString>("text");  // null: no alert

    using N = NewCounts;
    const AlertSettings defaults;
    const QString none;
    QTest::newRow("queries, parts mode: parts side first")
        << Counts({{N::Queries, 2}, {N::CarQueries, 5}}) << 0 << defaults
        << "You have new queries : 2.\nClick here to see.";
    QTest::newRow("queries, cars mode: car side first")
        << Counts({{N::Queries, 2}, {N::CarQueries, 5}}) << 1 << defaults
        << "You have new car queries : 5.\n Click here to see.";
    QTest::newRow("queries, cars mode, only parts queries")
        << Counts({{N::Queries, 3}}) << 1 << defaults << "You have new queries : 3.\n Click here to see.";
    QTest::newRow("queries, parts mode, only car queries")
        << Counts({{N::CarQueries, 4}}) << 0 << defaults << "You have new car queries : 4.\n Click here to see.";
    QTest::newRow("queries alert off: the quotes")
        << Counts({{N::Queries, 3}, {N::Quotes, 1}}) << 0 << Without(&AlertSettings::queries)
        << "You have new quotes : 1.\n Click here to see.";
    QTest::newRow("car quotes in cars mode")
        << Counts({{N::Quotes, 1}, {N::CarQuotes, 2}}) << 1 << defaults
        << "You have new car quotes : 2.\n Click here to see.";
    QTest::newRow("messages") << Counts({{N::Messages, 6}}) << 0 << defaults
                              << "You have new messages : 6.\n Click to see.";
    QTest::newRow("car messages in cars mode") << Counts({{N::Messages, 1}, {N::CarMessages, 7}}) << 1 << defaults
                                               << "You have new car messages : 7.\n Click to see.";
    QTest::newRow("hot deals: off by default") << Counts({{N::HotDeals, 3}}) << 0 << defaults << none;
    AlertSettings deals;
    deals.deals = true;
    QTest::newRow("hot deals switched on") << Counts({{N::HotDeals, 3}}) << 0 << deals
                                           << "You have new hot deals : 3.\n Click to see.";
    QTest::newRow("orders before order updates") << Counts({{N::Orders, 1}, {N::OrderUpdates, 2}}) << 0 << defaults
                                                 << "You have new purchase orders : 1.\n Click to see.";
    QTest::newRow("order updates alone") << Counts({{N::OrderUpdates, 2}}) << 0 << defaults
                                         << "You have new order updates : 2.\n Click to see.";
    QTest::newRow("master switch off")
        << Counts({{N::Queries, 1}, {N::Quotes, 1}, {N::Orders, 1}}) << 0 << Without(&AlertSettings::alertsOn) << none;
    QTest::newRow("no mode yet: queries decide, no alert")
        << Counts({{N::Queries, 1}, {N::Orders, 1}}) << -1 << defaults << none;
    QTest::newRow("no mode yet: orders still named")
        << Counts({{N::Orders, 1}}) << -1 << defaults << "You have new purchase orders : 1.\n Click to see.";
    QTest::newRow("auto-replied quotes are no news") << Counts({{N::AutoReplied, 4}}) << 0 << defaults << none;
    QTest::newRow("nothing new") << NewCounts{} << 0 << defaults << none;
}

void TestAlerts::choice()
{
    QFETCH(NewCounts, counts);
    QFETCH(int, mode);
    QFETCH(AlertSettings, settings);
    QFETCH(QString, text);
    const std::optional<QString> chosen = ChooseAlertText(counts, mode, settings);
    QCOMPARE(chosen.has_value(), !text.isNull());
    if (chosen)
        QCOMPARE(*chosen, text);
}

void TestAlerts::settingsRead()
{
    TestApp t;
    AlertSettings s = AlertSettings::FromSettings();
    QVERIFY(s.alertsOn && s.playSound && s.queries && s.quotes && s.messages && !s.deals && s.orders);
    theSettings().SetInt(Setting::DispAlertForDeals, 1);
    theSettings().SetInt(Setting::PlaySoundOnInc, 0);
    s = AlertSettings::FromSettings();
    QVERIFY(s.deals && !s.playSound);
}

void TestAlerts::popupWithAndWithoutSound()
{
    TestApp::Options o;
    o.extra[GlobalSlot::Poller] = [] { return std::make_unique<XPoller>(); };
    TestApp t(o);
    // Plays where a sound server answers and stays silent elsewhere; never blocks.
    thePoller().RaiseAlert(QStringLiteral("first"), true);
    QTRY_COMPARE(t.frame.log.Count("ShowTrayMessage|first|0"), 1);
    QCOMPARE(thePoller().AlertSoundRequests(), 1);
    thePoller().RaiseAlert(QStringLiteral("second"), false);
    QTRY_COMPARE(t.frame.log.Count("ShowTrayMessage|second|0"), 1);
    QCOMPARE(thePoller().AlertSoundRequests(), 1);
    // After Exit no alert is raised.
    thePoller().Exit();
    thePoller().RaiseAlert(QStringLiteral("third"), true);
    QTest::qWait(50);
    QCOMPARE(t.frame.log.Count("ShowTrayMessage|third"), 0);
}

KORVANT_TEST_MAIN(TestAlerts)
#include "tst_alerts.moc"
