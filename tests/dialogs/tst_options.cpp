// The options sheet, driven offscreen: every control set, OK, and the values
// read back through a fresh settings object on the same file.

#include "ModalHelper.h"

#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "dialogs/OptionsPropSheet.h"
#include "sync/XPoller.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QSpinBox>

namespace {

TestApp::Options WithPoller()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Poller, [] {
                    auto poller = std::make_unique<XPoller>();
                    poller->SetPollBody([](XPoller &) {});
                    poller->SetLoopWait([](int) { return true; });
                    return std::unique_ptr<GlobalObject>(std::move(poller));
                }}};
    return o;
}

void Show(OptionsPropSheet &sheet, int page)
{
    sheet.SetActivePage(page);
}

void SetCheck(QWidget *page, const char *name, bool on)
{
    auto *box = page->findChild<QCheckBox *>(QLatin1String(name));
    QVERIFY2(box, name);
    if (box->isChecked() != on)
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    QCOMPARE(box->isChecked(), on);
}

void TypeInto(QWidget *page, const char *name, const QString &text)
{
    auto *edit = page->findChild<QLineEdit *>(QLatin1String(name));
    QVERIFY2(edit, name);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestOptions : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(ModalHelper::Misses().isEmpty(), qPrintable(ModalHelper::Misses().join(u','))); }

    void everyControlSurvivesRestart()
    {
        TestApp t(WithPoller());
        OptionsPropSheet sheet;
        sheet.show();
        for (int i = 0; i < sheet.PageCount(); ++i)
            Show(sheet, i);
        QCOMPARE(sheet.Page(0)->findChild<QCheckBox *>("autorunCheck")->text(),
                 QString("Automatically run Tradewick Exchange when I log in to the desktop"));
        SetCheck(sheet.Page(0), "autorunCheck", false);
        SetCheck(sheet.Page(0), "autoLoginCheck", false);
        SetCheck(sheet.Page(0), "playSoundCheck", false);
        SetCheck(sheet.Page(0), "purgeExpiredCheck", false);
        TypeInto(sheet.Page(1), "serverUrlEdit", "http://srv.example//");
        SetCheck(sheet.Page(2), "autoPoolCheck", true);
        auto *spin = sheet.Page(2)->findChild<QSpinBox *>("pollMinutesSpin");
        spin->setValue(1);
        for (int i = 0; i < 4; ++i)
            spin->stepUp();
        SetCheck(sheet.Page(2), "checkStartupCheck", false);
        SetCheck(sheet.Page(3), "alertDealsCheck", true);
        SetCheck(sheet.Page(3), "alertQueriesCheck", false);
        SetCheck(sheet.Page(3), "displayAlertsCheck", false);
        QVERIFY(!sheet.Page(3)->findChild<QCheckBox *>("alertDealsCheck")->isEnabled());
        TypeInto(sheet.Page(4), "maxRepliesEdit", "70");
        sheet.Page(4)->findChild<QSlider *>("ratingSlider")->setValue(4);
        SetCheck(sheet.Page(4), "autoReplyCheck", false);
        QVERIFY(!sheet.Page(4)->findChild<QSlider *>("ratingSlider")->isEnabled());
        TypeInto(sheet.Page(5), "maxRepliesEdit", "7");
        sheet.Page(5)->findChild<QSlider *>("ratingSlider")->setValue(0);
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QVERIFY(!thePoller().IsStopped());
        QCOMPARE(t.frame.log.Count("UpdateNewInfoIndicator"), 1);

        XSettings fresh(t.SettingsFile());
        fresh.init();
        const QList<QPair<const char *, int>> ints{{Setting::AutoRun, 0},          {Setting::AutoLogin, 0},
                                                   {Setting::PlaySoundOnInc, 0},   {Setting::PurgeExpired, 0},
                                                   {Setting::AutoPool, 1},         {Setting::PollTimeout, 300},
                                                   {Setting::CheckStartup, 0},     {Setting::DispAlertsOnInc, 0},
                                                   {Setting::DispAlertForQrs, 0},  {Setting::DispAlertForDeals, 1},
                                                   {Setting::DispAlertForQts, 1},  {Setting::AutoReply, 0},
                                                   {Setting::MaxRepliesOnQuery, 70}, {Setting::MinAutoReplyRating, 4},
                                                   {Setting::AutoReplyCars, 1},    {Setting::MaxRepliesOnQueryCars, 7},
                                                   {Setting::MinAutoReplyRatingCars, 0}};
        for (const auto &[name, value] : ints)
            QVERIFY2(fresh.GetInt(name) == value, name);
        // The test program's command line names its server, so the address is not written back.
        QCOMPARE(theSettings().GetString(Setting::ServerURL), QString("http://srv.example/"));
    }

    void untickingPollingStopsIt()
    {
        TestApp t(WithPoller());
        theSettings().SetInt(Setting::AutoPool, 1);
        thePoller().StartPolling();
        OptionsPropSheet sheet;
        sheet.show();
        Show(sheet, OptionsPropSheet::Synchronization);
        SetCheck(sheet.Page(2), "autoPoolCheck", false);
        QVERIFY(!sheet.Page(2)->findChild<QSpinBox *>("pollMinutesSpin")->isEnabled());
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        QVERIFY(thePoller().IsStopped());
        XSettings fresh(t.SettingsFile());
        fresh.init();
        QCOMPARE(fresh.GetInt(Setting::AutoPool), 0);
    }

    void trimServerUrl_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("one slash") << "a/" << "a";
        QTest::newRow("two slashes") << "a//" << "a/";
        QTest::newRow("none") << "a" << "a";
    }
    void trimServerUrl()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(OptionsPropSheet::TrimServerUrl(typed), stored);
    }

    void unshownPagesWriteNothingAndNotificationsPersist()
    {
        TestApp t;
        OptionsPropSheet sheet;
        sheet.show();
        Show(sheet, OptionsPropSheet::Notifications);
        SetCheck(sheet.Page(3), "alertMessagesCheck", false);
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        XSettings fresh(t.SettingsFile());
        fresh.init();
        QCOMPARE(fresh.GetInt(Setting::DispAlertForMsgs), 0);
        QCOMPARE(OptionsPropSheet::LastPage(), int(OptionsPropSheet::Notifications));
        OptionsPropSheet again;
        ModalHelper::WhenModal("OptionsPropSheet", [](QWidget *w) {
            auto *s = static_cast<OptionsPropSheet *>(w);
            QCOMPARE(s->ActiveIndex(), int(OptionsPropSheet::Notifications));
            QCOMPARE(s->findChild<QListWidget *>("pageList")->currentRow(), int(OptionsPropSheet::Notifications));
            QTest::mouseClick(s->CancelButton(), Qt::LeftButton);
        });
        QCOMPARE(again.DoModal(OptionsPropSheet::LastPage()), 2);
    }

    void nonNumberKeepsSheetOpen()
    {
        TestApp t;
        OptionsPropSheet sheet;
        sheet.show();
        Show(sheet, OptionsPropSheet::AutoReplyCars);
        TypeInto(sheet.Page(5), "maxRepliesEdit", "many");
        QTest::mouseClick(sheet.OkButton(), Qt::LeftButton);
        QVERIFY(sheet.isVisible());
        QCOMPARE(t.dialogs.log.Count("MessageBox|Please enter an integer."), 1);
    }
};

KORVANT_TEST_MAIN(TestOptions)
#include "tst_options.moc"
