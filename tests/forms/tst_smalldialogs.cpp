// The comments dialog, the new-information dialog, the part picker, the log
// viewer and the folder picker, driven offscreen.

#include "FormsFixture.h"

#include "dialogs/CBrowseForFolder.h"
#include "dialogs/CLogViewDlg.h"
#include "dialogs/PartSelectDlg.h"
#include "forms/AddCommentsDlg.h"
#include "forms/NewInfoDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

void ClickOk(QDialog &dlg)
{
    auto *box = dlg.findChild<QDialogButtonBox *>();
    QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

} // namespace

class TestSmallDialogs : public QObject
{
    Q_OBJECT

private slots:
    void comments_data()
    {
        QTest::addColumn<int>("listType");
        QTest::addColumn<bool>("incoming");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("markRead");
        QTest::addColumn<bool>("stored");
        QTest::newRow("incoming queries") << 1 << true << "query" << "MarkReadIncoming" << true;
        QTest::newRow("pending quotes") << 1 << false << "query" << "MarkReadPendingQuotes" << true;
        QTest::newRow("car queries") << 2 << true << "query" << "MarkReadIncoming" << true;
        QTest::newRow("hot deals") << 7 << false << "hot deal" << "MarkReadHotDeals" << true;
        QTest::newRow("orders") << 8 << false << "purchase order" << "MarkReadPendingSales" << true;
        QTest::newRow("messages") << 6 << false << "" << "" << false;
    }
    void comments()
    {
        QFETCH(int, listType);
        QFETCH(bool, incoming);
        QFETCH(QString, word);
        QFETCH(QString, markRead);
        QFETCH(bool, stored);
        FormsFixture f;
        f.host.activeList = listType;
        f.host.incoming = incoming;
        f.host.comments = "old note";
        AddCommentsDlg dlg(&f.host);
        QCOMPARE(f.host.log.Calls(), markRead.isEmpty() ? QStringList() : QStringList{markRead});
        QCOMPARE(dlg.findChild<QLabel *>("promptLabel")->text(), AddCommentsDlg::PromptFor(word));
        dlg.show();
        auto *edit = dlg.findChild<QPlainTextEdit *>("commentsEdit");
        QCOMPARE(edit->toPlainText(), stored ? QString("old note") : QString());
        edit->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit, " and more");
        ClickOk(dlg);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(f.host.log.Count("SetSelectedComments|old note and more"), stored ? 1 : 0);
        QCOMPARE(f.host.log.Count("SetSelectedComments"), stored ? 1 : 0);
    }

    void cancelledCommentsStillMarkRead()
    {
        FormsFixture f;
        f.host.activeList = 1;
        f.host.incoming = true;
        AddCommentsDlg dlg(&f.host);
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCOMPARE(f.host.log.Calls(), QStringList{"MarkReadIncoming"});
    }

    void newInfoLines()
    {
        QCOMPARE(NewInfoDlg::LineFor({"Incoming Leads", 20102, 0, 3}), QString("Parts: Incoming Leads  (3)"));
        QCOMPARE(NewInfoDlg::LineFor({"Quotes", 161, 1, 12}), QString("Cars: Quotes  (12)"));
        QCOMPARE(NewInfoDlg::LineFor({"Messages", 124, -1, 1}), QString("Messages  (1)"));
    }

    void newInfoGoToSwitchesAndSelects()
    {
        FormsFixture f;
        f.host.items = {{"Incoming Leads", 20102, 0, 3}, {"Quotes", 161, 1, 2}};
        NewInfoDlg dlg(&f.host);
        dlg.show();
        auto *list = dlg.findChild<QListWidget *>("newInfoList");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentRow(), 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QTest::mouseClick(dlg.findChild<QPushButton *>("goToButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(f.host.log.Calls(), (QStringList{"SwitchToCars", "SelectNavigatorItem|161"}));
    }

    void newInfoEmptyDisablesGoToAndOptionsRebuilds()
    {
        FormsFixture f;
        NewInfoDlg dlg(&f.host);
        dlg.show();
        auto *goTo = dlg.findChild<QPushButton *>("goToButton");
        QVERIFY(!goTo->isEnabled());
        f.host.onOptions = [&f] { f.host.items = {{"Messages", 124, -1, 1}}; };
        QTest::mouseClick(dlg.findChild<QPushButton *>("optionsButton"), Qt::LeftButton);
        QCOMPARE(f.host.log.Calls(), QStringList{"OptionsPropSheet|3"});
        QVERIFY(goTo->isEnabled());
        QCOMPARE(dlg.findChild<QListWidget *>("newInfoList")->item(0)->text(), QString("Messages  (1)"));
    }

    void tabs_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expanded");
        QTest::newRow("letter tab letter") << "a\tb" << "a         b";
        QTest::newRow("leading tab") << "\tx" << QString(9, ' ') + "x";
        QTest::newRow("at column 8") << "abcdefgh\tz" << "abcdefgh" + QString(2, ' ') + "z";
        QTest::newRow("no tab") << "plain" << "plain";
        QTest::newRow("two tabs") << "a\tb\tc" << "a         b         c";
    }
    void tabs()
    {
        QFETCH(QString, line);
        QFETCH(QString, expanded);
        QCOMPARE(CLogViewDlg::ExpandTabs(line), expanded);
    }

    void logViewerReadsLinesAndDropsCr()
    {
        FormsFixture f;
        const QString path = f.t.DataFolder() + "import.log";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("first\r\nsec\tond\r\n\r\nlast");
        file.close();
        CLogViewDlg dlg(path);
        QCOMPARE(dlg.Lines(), (QStringList{"first", "sec" + QString(7, ' ') + "ond", "", "last"}));
        CLogViewDlg empty(f.t.DataFolder() + "missing.log");
        QVERIFY(empty.Lines().isEmpty());
        QFile blank(f.t.DataFolder() + "blank.log");
        QVERIFY(blank.open(QIODevice::WriteOnly));
        blank.close();
        QVERIFY(CLogViewDlg::ReadLogLines(blank.fileName()).isEmpty());
    }

    void partPickerChoice_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("selected entry") << "" << 1 << "Starter" << 1;
        QTest::newRow("prefix any case") << "sta" << 1 << "Starter" << 1;
        QTest::newRow("unmatched typed") << "Flux" << 0 << "Flux" << -1;
    }
    void partPickerChoice()
    {
        QFETCH(QString, typed);
        QFETCH(int, selected);
        QFETCH(QString, name);
        QFETCH(int, index);
        const QStringList names{"Engine Assembly", "Starter", "Driver's Door"};
        const PartSelectDlg::Choice c = PartSelectDlg::Choose(names, typed, selected);
        QCOMPARE(c.name, name);
        QCOMPARE(c.index, index);
        QCOMPARE(PartSelectDlg::MatchPrefix(names, "dRIV"), 2);
    }

    void partPickerTypingSelects()
    {
        FormsFixture f;
        PartSelectDlg dlg(5, -1);
        dlg.show();
        auto *list = dlg.findChild<QListWidget *>("partNameList");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentRow(), 0);
        QTest::keyClicks(dlg.findChild<QLineEdit *>("partNameEdit"), "st");
        QCOMPARE(list->currentRow(), 1);
        ClickOk(dlg);
        QCOMPARE(dlg.GetPartName(), QString("Starter"));
        QCOMPARE(dlg.GetPartIndex(), 1);
    }

    void folderPicker()
    {
        static QString seenStart;
        const auto previous = CBrowseForFolder::SetChooser([](QWidget *, const QString &, const QString &start) {
            seenStart = start;
            return QString("/tmp/exports");
        });
        CSBDestination picker(nullptr, "Export folder");
        picker.SetInitialSelection("/home/member");
        QVERIFY(picker.SelectFolder());
        QCOMPARE(seenStart, QString("/home/member"));
        QCOMPARE(picker.GetSelectedFolder(), QString("/tmp/exports"));
        QCOMPARE(picker.GetDisplayName(), QString("exports"));
        CBrowseForFolder::SetChooser([](QWidget *, const QString &, const QString &) { return QString(); });
        CBrowseForFolder cancelled;
        QVERIFY(!cancelled.SelectFolder());
        CBrowseForFolder::SetChooser(previous);
    }
};

KORVANT_TEST_MAIN(TestSmallDialogs)
#include "tst_smalldialogs.moc"
