#include "ModalHelper.h"

#include "TestApp.h"
#include "TestEnv.h"

#include "dialogs/ProgressDlg.h"
#include "dialogs/WidgetDialogs.h"

#include <QLabel>
#include <QMainWindow>

#include <atomic>
#include <thread>

class TestProgress : public QObject
{
    Q_OBJECT
private slots:
    void tenStepsShowTenPercents();
    void cancelReportedOnce();
    void escapeAndCloseOnlyRaiseCancel();
    void enterDoesNothing();
    void percentText_data();
    void percentText();
    void emptyRangeShowsZero();
    void stepPastTheEndStartsOver();
    void ownerDisabledWhileUp();
    void ownerAlreadyDisabledStaysDisabled();
    void defaultCaption();
    void busyGuard();
    void adapterFromWorkerThread();
};

void TestProgress::tenStepsShowTenPercents()
{
    CProgressDlg dlg;
    QVERIFY(dlg.Create());
    QCOMPARE(dlg.PercentText(), QStringLiteral(" 0 %"));
    QStringList shown;
    for (int i = 0; i < 10; ++i) {
        QCOMPARE(dlg.StepIt(), i * 10);
        shown << dlg.findChild<QLabel *>(QStringLiteral("percentText"))->text();
    }
    QCOMPARE(shown, QStringList({"10%", "20%", "30%", "40%", "50%", "60%", "70%", "80%", "90%", "100%"}));
}

void TestProgress::cancelReportedOnce()
{
    CProgressDlg dlg;
    dlg.Create();
    dlg.SetStatus(QStringLiteral("Importing inventory"));
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(!dlg.CheckCancelButton());
    QTest::mouseClick(dlg.findChild<QPushButton *>(QStringLiteral("cancelButton")), Qt::LeftButton);
    QVERIFY(dlg.isVisible());  // the working loop ends the dialog, not the button
    QVERIFY(dlg.CheckCancelButton());
    QVERIFY(!dlg.CheckCancelButton());
}

void TestProgress::escapeAndCloseOnlyRaiseCancel()
{
    CProgressDlg dlg;
    dlg.Create();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(dlg.isVisible());
    QVERIFY(dlg.CheckCancelButton());
    dlg.close();
    QVERIFY(dlg.isVisible());
    QVERIFY(dlg.CheckCancelButton());
    QVERIFY(!dlg.CheckCancelButton());
}

void TestProgress::enterDoesNothing()
{
    CProgressDlg dlg;
    dlg.Create();
    dlg.findChild<QPushButton *>(QStringLiteral("cancelButton"))->setFocus();
    QTest::keyClick(&dlg, Qt::Key_Return);
    QTest::keyClick(&dlg, Qt::Key_Enter);
    QVERIFY(dlg.isVisible());
    QVERIFY(!dlg.CheckCancelButton());
}

void TestProgress::percentText_data()
{
    QTest::addColumn<qint64>("pos");
    QTest::addColumn<qint64>("lower");
    QTest::addColumn<qint64>("upper");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << qint64(0) << qint64(0) << qint64(100) << "0%";
    QTest::newRow("end") << qint64(100) << qint64(0) << qint64(100) << "100%";
    QTest::newRow("one of three") << qint64(1) << qint64(0) << qint64(3) << "33%";
    QTest::newRow("offset bounds") << qint64(15) << qint64(10) << qint64(20) << "50%";
    QTest::newRow("empty range") << qint64(5) << qint64(5) << qint64(5) << "0%";
    QTest::newRow("large range") << qint64(2000000000) << qint64(0) << qint64(2147483647) << "93%";
}

void TestProgress::percentText()
{
    QFETCH(qint64, pos);
    QFETCH(qint64, lower);
    QFETCH(qint64, upper);
    QFETCH(QString, text);
    QCOMPARE(CProgressDlg::FormatPercent(pos, lower, upper), text);
}

// An import of an empty file sets the range 0..0: no division by zero.
void TestProgress::emptyRangeShowsZero()
{
    CProgressDlg dlg;
    dlg.Create();
    dlg.SetRange(0, 0);
    dlg.SetStep(1);
    dlg.StepIt();
    dlg.StepIt();
    QCOMPARE(dlg.PercentText(), QStringLiteral("0%"));
    QCOMPARE(dlg.Position(), 0);
}

void TestProgress::stepPastTheEndStartsOver()
{
    CProgressDlg dlg;
    dlg.Create();
    for (int i = 0; i < 11; ++i)
        dlg.StepIt();
    QCOMPARE(dlg.Position(), 10);
    QCOMPARE(dlg.PercentText(), QStringLiteral("10%"));
    QCOMPARE(dlg.SetPos(500), 10);
    QCOMPARE(dlg.PercentText(), QStringLiteral("100%"));
    QCOMPARE(dlg.OffsetPos(-30), 100);
    QCOMPARE(dlg.PercentText(), QStringLiteral("70%"));
}

void TestProgress::ownerDisabledWhileUp()
{
    QMainWindow main;
    main.show();
    {
        CProgressDlg dlg;
        QVERIFY(dlg.Create());  // no parent: the main window is the owner
        QVERIFY(!main.isEnabled());
        QVERIFY(dlg.isEnabled());
        dlg.DestroyWindow();
        QVERIFY(main.isEnabled());
        QVERIFY(!dlg.isVisible());
    }
    {
        CProgressDlg dlg;
        dlg.Create(&main);
        QVERIFY(!main.isEnabled());
    }  // destroyed without DestroyWindow
    QVERIFY(main.isEnabled());
}

void TestProgress::ownerAlreadyDisabledStaysDisabled()
{
    QMainWindow main;
    main.show();
    main.setEnabled(false);
    {
        CProgressDlg dlg;
        dlg.Create(&main);
    }
    QVERIFY(!main.isEnabled());
}

void TestProgress::defaultCaption()
{
    CProgressDlg dflt;
    QCOMPARE(dflt.windowTitle(), QStringLiteral("Inventory Import In Process"));
    CProgressDlg named(QStringLiteral("Restoring data"));
    QCOMPARE(named.windowTitle(), QStringLiteral("Restoring data"));
}

void TestProgress::busyGuard()
{
    QVERIFY(!ForegroundRun::IsBusy());
    {
        ForegroundRun first(QStringLiteral("import"));
        QVERIFY(first.Acquired());
        QVERIFY(ForegroundRun::IsBusy());
        QVERIFY(ForegroundRun::IsRunning(QStringLiteral("import")));
        // Pumped events start the same command again: refused.
        ForegroundRun second(QStringLiteral("import"));
        QVERIFY(!second);
        ForegroundRun other(QStringLiteral("backup"));
        QVERIFY(other);
    }
    QVERIFY(!ForegroundRun::IsBusy());
    {
        CProgressDlg dlg;
        dlg.Create();
        QVERIFY(ForegroundRun::IsBusy());
    }
    QVERIFY(!ForegroundRun::IsBusy());
}

// The core's interface used from a worker: every call runs on the main thread.
void TestProgress::adapterFromWorkerThread()
{
    TestApp t;
    WidgetDialogs dialogs;
    std::unique_ptr<IProgress> progress = dialogs.CreateProgress();
    auto *adapter = static_cast<ProgressAdapter *>(progress.get());
    std::atomic<bool> done{false};
    std::atomic<int> cancels{0};
    std::atomic<bool> created{false};
    std::thread worker([&] {
        progress->Create(QStringLiteral("Backup"));
        created = progress->IsCreated();
        progress->SetStatus(QStringLiteral("Packing"));
        progress->SetRange(0, 4);
        progress->SetStep(1);
        for (int i = 0; i < 4; ++i) {
            progress->StepIt();
            if (progress->CheckCancelButton())
                ++cancels;
        }
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
    worker.join();
    QVERIFY(created.load());
    QCOMPARE(cancels.load(), 0);
    QCOMPARE(adapter->Dialog()->PercentText(), QStringLiteral("100%"));
    QCOMPARE(adapter->Dialog()->windowTitle(), QStringLiteral("Backup"));
}

KORVANT_TEST_MAIN(TestProgress)
#include "tst_progress.moc"
