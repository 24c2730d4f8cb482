#include "ModalHelper.h"

#include "TestApp.h"
#include "TestEnv.h"

#include "dialogs/GuiUtils.h"
#include "dialogs/SplashWnd.h"
#include "dialogs/WidgetDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSplashScreen>

#include <atomic>
#include <thread>

using ModalHelper::Click;
using ModalHelper::WhenModal;

class TestWidgetDialogs : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { QVERIFY2(ModalHelper::Misses().isEmpty(), qPrintable(ModalHelper::Misses().join(u','))); }
    void workerAsksThroughDispatcher_data();
    void workerAsksThroughDispatcher();
    void messageBoxFlags_data();
    void messageBoxFlags();
    void messageBoxTextIsPlain();
    void messageDlgCaptionAndDetail();
    void warningFromWorkerStoresFlag();
    void linkRequestMapsButtons();
    void subscribeThroughCore();
    void profileSheetNotAvailable();
    void profileSheetThroughOpener();
    void fileFilter_data();
    void fileFilter();
    void fillComboBox_data();
    void fillComboBox();
    void singleComboItem();
    void submissionError();
    void openOnlyWebAndMail_data();
    void openOnlyWebAndMail();
    void splash();
};

void TestWidgetDialogs::workerAsksThroughDispatcher_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("answer");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << int(QMessageBox::No) << false;
}

void TestWidgetDialogs::workerAsksThroughDispatcher()
{
    QFETCH(int, button);
    QFETCH(bool, answer);
    TestApp t;
    WidgetDialogs dialogs;
    theApp().SetDialogs(&dialogs);
    QString question;
    WhenModal(QStringLiteral("messageBox"), [&](QWidget *box) {
        question = box->windowTitle() + u'|' + ModalHelper::BoxText(box);
        ModalHelper::ClickBox(box, QMessageBox::StandardButton(button));
    });
    std::atomic<int> result{-1};
    std::thread worker([&] {
        result = theApp().AskYesNo(QStringLiteral("Import the new file now?"), QStringLiteral("Import")) ? 1 : 0;
    });
    QTRY_VERIFY_WITH_TIMEOUT(result.load() != -1, 15000);
    worker.join();
    QCOMPARE(result.load() == 1, answer);
    QCOMPARE(question, QStringLiteral("Import|Import the new file now?"));
}

void TestWidgetDialogs::messageBoxFlags_data()
{
    QTest::addColumn<uint>("flags");
    QTest::addColumn<int>("click");   // QMessageBox::StandardButton, 0: Esc
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("defaultButton");
    QTest::addColumn<int>("icon");
    QTest::newRow("ok") << uint(MsgBox::Ok | MsgBox::IconError) << int(QMessageBox::Ok) << int(MsgBox::IdOk)
                        << int(QMessageBox::Ok) << int(QMessageBox::Critical);
    QTest::newRow("ok esc") << uint(MsgBox::Ok) << 0 << int(MsgBox::IdOk) << int(QMessageBox::Ok)
                            << int(QMessageBox::NoIcon);
    QTest::newRow("ok cancel") << uint(MsgBox::OkCancel | MsgBox::IconWarning) << int(QMessageBox::Cancel)
                               << int(MsgBox::IdCancel) << int(QMessageBox::Ok) << int(QMessageBox::Warning);
    QTest::newRow("yes no default no") << uint(MsgBox::YesNo | MsgBox::IconQuestion | MsgBox::DefButton2)
                                       << int(QMessageBox::Yes) << int(MsgBox::IdYes) << int(QMessageBox::No)
                                       << int(QMessageBox::Question);
    QTest::newRow("yes no esc") << uint(MsgBox::YesNo) << 0 << int(MsgBox::IdNo) << int(QMessageBox::Yes)
                                << int(QMessageBox::NoIcon);
    QTest::newRow("yes no cancel") << uint(MsgBox::YesNoCancel | MsgBox::IconInformation) << 0
                                   << int(MsgBox::IdCancel) << int(QMessageBox::Yes)
                                   << int(QMessageBox::Information);
    QTest::newRow("retry cancel") << uint(MsgBox::RetryCancel) << int(QMessageBox::Retry) << int(MsgBox::IdRetry)
                                  << int(QMessageBox::Retry) << int(QMessageBox::NoIcon);
}

void TestWidgetDialogs::messageBoxFlags()
{
    QFETCH(uint, flags);
    QFETCH(int, click);
    QFETCH(int, answer);
    QFETCH(int, defaultButton);
    QFETCH(int, icon);
    TestApp t;
    WidgetDialogs dialogs;
    WhenModal(QStringLiteral("messageBox"), [&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        QCOMPARE(int(box->icon()), icon);
        QCOMPARE(int(box->standardButton(box->defaultButton())), defaultButton);
        if (click)
            ModalHelper::ClickBox(w, QMessageBox::StandardButton(click));
        else
            QTest::keyClick(w, Qt::Key_Escape);
    });
    QCOMPARE(dialogs.MessageBox(QStringLiteral("Text"), QStringLiteral("Caption"), flags), answer);
}

void TestWidgetDialogs::messageBoxTextIsPlain()
{
    TestApp t;
    WidgetDialogs dialogs;
    Qt::TextFormat format = Qt::AutoText;
    QString caption;
    WhenModal(QStringLiteral("messageBox"), [&](QWidget *w) {
        format = qobject_cast<QMessageBox *>(w)->textFormat();
        caption = w->windowTitle();
        ModalHelper::ClickBox(w, QMessageBox::Ok);
    });
    dialogs.MessageBox(QStringLiteral("<img src=x>server said <b>no</b>"), QString(), MsgBox::IconError);
    QCOMPARE(format, Qt::PlainText);
    QCOMPARE(caption, QGuiApplication::applicationDisplayName());
}

// The first text is the caption, the detail the message.
void TestWidgetDialogs::messageDlgCaptionAndDetail()
{
    TestApp t;
    WidgetDialogs dialogs;
    theApp().SetDialogs(&dialogs);
    QString seen;
    WhenModal(QStringLiteral("MessageDlg"), [&](QWidget *w) {
        seen = w->windowTitle() + u'|' + w->findChild<QLabel *>(QStringLiteral("messageText"))->text() + u'|' +
               w->findChild<QPushButton *>(QStringLiteral("okButton"))->text();
        Click(w, "okButton");
    });
    int flag = 1;
    QCOMPARE(theApp().ShowMessageDlg(QStringLiteral("Send Quote"), QStringLiteral("Send the quote now?"), &flag, 1,
                                     MsgBox::IconResQuestion),
             1);
    QCOMPARE(seen, QStringLiteral("Send Quote|Send the quote now?|Yes"));
    QCOMPARE(flag, 1);
}

void TestWidgetDialogs::warningFromWorkerStoresFlag()
{
    TestApp t;
    WidgetDialogs dialogs;
    theApp().SetDialogs(&dialogs);
    QString seen;
    WhenModal(QStringLiteral("MessageDlg2"), [&](QWidget *w) {
        seen = w->windowTitle() + u'|' + w->findChild<QLabel *>(QStringLiteral("messageText"))->text();
        QTest::mouseClick(w->findChild<QCheckBox *>(QStringLiteral("dontShowAgain")), Qt::LeftButton, {},
                          QPoint(4, 4));
        Click(w, "okButton");
    });
    std::atomic<int> result{-1};
    std::thread worker([&] {
        result = theApp().ShowMessageDlg2(QStringLiteral("Cannot retrieve main info"),
                                          QStringLiteral("Connection refused"), theApp().ShowErrorsFlag(), 0,
                                          MsgBox::IconResWarning);
    });
    QTRY_VERIFY_WITH_TIMEOUT(result.load() != -1, 15000);
    worker.join();
    QCOMPARE(result.load(), 1);
    QCOMPARE(seen, QStringLiteral("Cannot retrieve main info|Connection refused"));
    QCOMPARE(*theApp().ShowErrorsFlag(), 0);
}

void TestWidgetDialogs::linkRequestMapsButtons()
{
    TestApp t;
    WidgetDialogs dialogs;
    LinkBoxRequest forced;
    forced.text = QStringLiteral("A required update is ready.");
    forced.linkText = QStringLiteral("Release Notes");
    forced.linkUrl = QStringLiteral("https://market.example/notes.html");
    forced.acceptText = QStringLiteral("Update Now");
    forced.declineText = QStringLiteral("Update Later");
    forced.icon = MsgBox::IconWarning;
    QStringList seen;
    WhenModal(QStringLiteral("LinkMessageDlg"), [&](QWidget *w) {
        seen << w->findChild<QPushButton *>(QStringLiteral("okButton"))->text()
             << w->findChild<QPushButton *>(QStringLiteral("secondButton"))->text();
        Click(w, "okButton");
    });
    QCOMPARE(dialogs.LinkMessageDlg(forced), 1);
    LinkBoxRequest offered = forced;
    offered.acceptText.clear();
    offered.declineText.clear();
    WhenModal(QStringLiteral("LinkMessageDlg"), [&](QWidget *w) {
        seen << w->findChild<QPushButton *>(QStringLiteral("okButton"))->text()
             << w->findChild<QPushButton *>(QStringLiteral("secondButton"))->text();
        Click(w, "secondButton");
    });
    QCOMPARE(dialogs.LinkMessageDlg(offered), 2);
    QCOMPARE(seen, QStringList({"Update Now", "Update Later", "Yes", "No"}));
}

void TestWidgetDialogs::subscribeThroughCore()
{
    TestApp t;
    WidgetDialogs dialogs;
    theApp().SetDialogs(&dialogs);
    bool passesEnabled = true;
    WhenModal(QStringLiteral("SubscribeMsgDlg"), [&](QWidget *w) {
        passesEnabled = w->findChild<QPushButton *>(QStringLiteral("buyPassesButton"))->isEnabled();
        Click(w, "visitorButton");
    });
    QCOMPARE(theApp().ShowSubscribeMsgDlg(QStringLiteral("Not covered."), true), 2);
    QVERIFY(!passesEnabled);
}

void TestWidgetDialogs::profileSheetNotAvailable()
{
    TestApp t;
    WidgetDialogs dialogs;
    QCOMPARE(dialogs.ProfileSheet(QStringLiteral("Create New Profile"), false), 0);
}

void TestWidgetDialogs::profileSheetThroughOpener()
{
    TestApp t;
    WidgetDialogs dialogs;
    QStringList seen;
    dialogs.SetProfileSheetOpener([&seen](const QString &caption, bool editing) {
        seen << caption + (editing ? "|edit" : "|new");
        return 1;
    });
    QCOMPARE(dialogs.ProfileSheet(QStringLiteral("Create New Profile"), false), 1);
    QCOMPARE(seen, QStringList({"Create New Profile|new"}));
}

void TestWidgetDialogs::fileFilter_data()
{
    QTest::addColumn<QString>("windows");
    QTest::addColumn<QStringList>("qt");
    QTest::newRow("two") << "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*||"
                         << QStringList({"CSV Files (*.csv)", "All Files (*)"});
    QTest::newRow("plain description") << "Backup|*.kvz||" << QStringList({"Backup (*.kvz)"});
    QTest::newRow("several patterns") << "Pictures|*.jpg;*.jpeg;*.gif||"
                                      << QStringList({"Pictures (*.jpg *.jpeg *.gif)"});
    QTest::newRow("no closing bars") << "Text|*.txt" << QStringList({"Text (*.txt)"});
    QTest::newRow("empty") << "" << QStringList();
}

void TestWidgetDialogs::fileFilter()
{
    QFETCH(QString, windows);
    QFETCH(QStringList, qt);
    QCOMPARE(GuiUtils::ConvertFileFilter(windows), qt);
}

void TestWidgetDialogs::fillComboBox_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("current");
    const QStringList makes{"Audi", "BMW", "Ford"};
    QTest::newRow("prefix match") << QStringList{"-- Select Make --"} << "bm"
                                  << QStringList{"-- Select Make --", "Audi", "BMW", "Ford"} << 2;
    QTest::newRow("missing inserted at 1") << QStringList{"-- Select Make --"} << "Lada"
                                           << QStringList{"-- Select Make --", "Lada", "Audi", "BMW", "Ford"} << 1;
    QTest::newRow("no selection") << QStringList{} << "" << makes << 0;
    QTest::newRow("first item found last") << QStringList{} << "Au" << makes << 0;
}

void TestWidgetDialogs::fillComboBox()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, selection);
    QFETCH(QStringList, items);
    QFETCH(int, current);
    QComboBox combo;
    combo.addItems(existing);
    GuiUtils::FillComboBox({"Audi", "BMW", "Ford"}, &combo, selection);
    QStringList got;
    for (int i = 0; i < combo.count(); ++i)
        got << combo.itemText(i);
    QCOMPARE(got, items);
    QCOMPARE(combo.currentIndex(), current);
}

void TestWidgetDialogs::singleComboItem()
{
    QComboBox combo;
    combo.addItems({"a", "b"});
    GuiUtils::SetSingleComboItem(&combo, QStringLiteral("Ford"));
    QCOMPARE(combo.count(), 1);
    QCOMPARE(combo.currentText(), QStringLiteral("Ford"));
}

void TestWidgetDialogs::submissionError()
{
    QString seen;
    WhenModal(QStringLiteral("submissionErrorBox"), [&](QWidget *w) {
        seen = w->windowTitle() + u'|' + ModalHelper::BoxText(w);
        ModalHelper::ClickBox(w, QMessageBox::Ok);
    });
    GuiUtils::ShowSubmissionError(QStringLiteral("- Make\n- Model\n"));
    QCOMPARE(seen, QStringLiteral("Submission Error|Sorry, the following fields are invalid and/or missing:\n\n"
                                  "- Make\n- Model\n\nPlease revise the above field(s) and try again."));
}

void TestWidgetDialogs::openOnlyWebAndMail_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("opened");
    QTest::newRow("http") << "http://market.example/page" << true;
    QTest::newRow("https upper") << "HTTPS://market.example/page" << true;
    QTest::newRow("mailto") << "mailto:support@market.example" << true;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("javascript") << "javascript:alert(1)" << false;
    QTest::newRow("custom handler") << "steam://run/1" << false;
    QTest::newRow("no scheme") << "market.example/page" << false;
    QTest::newRow("http without host") << "http:///x" << false;
    QTest::newRow("empty") << "" << false;
}

void TestWidgetDialogs::openOnlyWebAndMail()
{
    QFETCH(QString, url);
    QFETCH(bool, opened);
    TestApp t;
    int calls = 0;
    const auto previous = GuiUtils::SetUrlOpener([&](const QUrl &) {
        ++calls;
        return true;
    });
    QCOMPARE(GuiUtils::OpenNewBrowserWindow(url), opened);
    GuiUtils::SetUrlOpener(previous);
    QCOMPARE(calls, opened ? 1 : 0);
    if (!opened)
        QVERIFY(t.LogText().contains(QStringLiteral("refused to open the address")));
}

void TestWidgetDialogs::splash()
{
    {
        CSplashWnd splash;
        QCOMPARE(splash.ShowSplash(-1), 1);
        QVERIFY(splash.IsShown());
        QCOMPARE(splash.Window()->pixmap().size(), CSplashWnd::DrawPicture().size());
        QTest::qWait(20);
        QVERIFY(splash.IsShown());  // no time-out: stays until destroyed
    }
    {
        CSplashWnd splash;
        QCOMPARE(splash.ShowSplash(30), 1);
        QTRY_VERIFY(!splash.IsShown());
    }
    CSplashWnd disabled;
    disabled.SetEnabled(false);
    QCOMPARE(disabled.ShowSplash(-1), 0);
    CSplashWnd missing;
    missing.SetPicture(QPixmap());
    QCOMPARE(missing.ShowSplash(-1), 0);
    QVERIFY(!missing.IsShown());
}

KORVANT_TEST_MAIN(TestWidgetDialogs)
#include "tst_widgetdialogs.moc"
