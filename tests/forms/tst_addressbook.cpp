// The address book against a temporary database and the fake server: the
// member rows fetched per group, the group tree's rules, and the changes
// that must not half-happen (group delete, reassign, drop).

#include "FormsFixture.h"

#include "browser/AddressBookDlg.h"
#include "browser/ProfileFetcher.h"
#include "db/XAddressBookSet.h"
#include "dialogs/AddressBookGroupTree.h"
#include "dialogs/XUserSearchListCtrl.h"

#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>

namespace {
// Passport ids name what the server answers: "350..." gone, "9..." failure, "5..." slow,
// "7..." another member's profile.
std::optional<FakeServer::Answer> ProfileFor(const FakeServer::Request &r)
{
    const int at = r.body.indexOf("<passport_id>") + 13;
    QByteArray id = r.body.mid(at, r.body.indexOf("</passport_id>") - at);
    if (id.startsWith("350"))
        return Answer(350, {}, "no such member");
    if (id.startsWith("9"))
        return Answer(17, {}, "lookup failed");
    if (id.startsWith("7"))
        id = "1001";
    return Answer(0, "<profile><passport_id>" + id + "</passport_id><name>Member " + id + "</name></profile>", {},
                  id.startsWith("5") ? 400 : 0);
}

int Group(int parent, const QString &name)
{
    XAddressBookSet groups;
    return groups.AddGroup(ABookGroupId(parent), name);
}

int Root()
{
    XAddressBookSet groups;
    if (!groups.RootGroupExists())
        groups.AddRootGroup();
    groups.SelectRootGroup();
    return groups.GetId();
}

void Member(int group, const QString &id)
{
    XAddressBookUsers users;
    users.AddUser(ABookGroupId(group), PassportId(id));
}

QStringList Rows(const AddressBookDlg &dlg)
{
    QStringList ids;
    for (int i = 0; i < dlg.Members()->RowCount(); ++i)
        ids << dlg.Members()->topLevelItem(i)->text(0);
    return ids;
}

bool WaitIdle(AddressBookDlg &dlg)
{
    return QTest::qWaitFor([&] { return !dlg.Fetcher()->Busy(); }, 5000);
}

void Drop(AddressBookDlg &dlg, QTreeWidgetItem *target, const QString &passport, QPoint at = {})
{
    QWidget *viewport = dlg.Tree()->viewport();
    const QPoint pos = target ? dlg.Tree()->visualItemRect(target).center() : at;
    QMimeData data;
    data.setData(AddressBook::MemberMimeType, passport.toUtf8());
    QDragEnterEvent enter(pos, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(pos), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
}
} // namespace

class TestAddressBook : public QObject
{
    Q_OBJECT

    struct Book : FormsFixture
    {
        Book() { server.SetResponder("getProfile", ProfileFor); }
        int Users(const QString &where = "1") { return Count("SELECT COUNT(*) FROM ABookUsers WHERE " + where); }
        int Groups() { return Count("SELECT COUNT(*) FROM ABookGroups"); }
    };

private slots:
    void rootIsMadeAndMembersFillInGroupOrder()
    {
        Book f;
        const int root = Root();
        for (const char *id : {"1001", "3500", "9001", "1002"})
            Member(root, id);
        AddressBookDlg dlg;
        dlg.show();
        QVERIFY(WaitIdle(dlg));
        QCOMPARE(Rows(dlg), (QStringList{"1001", "1002"}));
        QCOMPARE(f.t.dialogs.log.Calls(),
                 QStringList{QString("MessageBox|Cannot find the user.\n\nlookup failed|Korvant|%1")
                                 .arg(int(MsgBox::IconError))});
        QCOMPARE(dlg.Tree()->topLevelItem(0)->text(0), QString("My Address Book"));
        QVERIFY(!dlg.findChild<QPushButton *>("editGroupButton")->isEnabled());
        QVERIFY(!dlg.findChild<QPushButton *>("deleteGroupButton")->isEnabled());
        QVERIFY(!dlg.findChild<QPushButton *>("detailsButton")->isEnabled());
        dlg.Members()->SelectItem(0);
        QVERIFY(dlg.findChild<QPushButton *>("detailsButton")->isEnabled());
    }

    // A profile naming another member is not shown as the one asked for.
    void answerForAnotherMemberIsRefused()
    {
        Book f;
        const int root = Root();
        Member(root, "7001");
        Member(root, "1002");
        AddressBookDlg dlg;
        dlg.show();
        QVERIFY(WaitIdle(dlg));
        QCOMPARE(Rows(dlg), QStringList{"1002"});
        QCOMPARE(f.t.dialogs.log.Calls(),
                 QStringList{QString("MessageBox|Cannot find the user.\n\nThe server answered with another "
                                     "member's information. Nothing was changed; please try again.|Korvant|%1")
                                 .arg(int(MsgBox::IconError))});
    }

    void aSlowGroupGivesWayToTheNewOne()
    {
        Book f;
        const int root = Root();
        const int other = Group(root, "Sellers");
        Member(root, "5001");
        Member(root, "5002");
        Member(other, "1003");
        AddressBookDlg dlg;
        dlg.show();
        dlg.SelectGroup(other);
        QVERIFY(WaitIdle(dlg));
        QTest::qWait(900);
        QCOMPARE(Rows(dlg), QStringList{"1003"});
    }

    void rootCannotBeEditedOrDeleted()
    {
        Book f;
        AddressBookDlg dlg;
        const int before = f.Groups();
        dlg.OnDeleteGroup();
        dlg.OnEditGroup();
        QCOMPARE(f.Groups(), before);
        QVERIFY(f.t.dialogs.log.Calls().isEmpty());
    }

    void onlyChildOfTheRootCannotMove()
    {
        Book f;
        const int root = Root();
        const int only = Group(root, "Only");
        Group(only, "Below");
        AddressBookDlg dlg;
        dlg.show();
        dlg.SelectGroup(only);
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto *edit = qobject_cast<EditGroupDlg *>(QApplication::activeModalWidget());
            QVERIFY(edit);
            QVERIFY(!edit->Tree()->isEnabled());
            checked = true;
            edit->reject();
        });
        dlg.OnEditGroup();
        QVERIFY(checked);

        const int second = Group(root, "Second");
        AddressBookDlg again;
        again.show();
        again.SelectGroup(only);
        checked = false;
        QTimer::singleShot(0, [&] {
            auto *edit = qobject_cast<EditGroupDlg *>(QApplication::activeModalWidget());
            QVERIFY(edit);
            QVERIFY(edit->Tree()->isEnabled());
            // The edited group's own subtree is no place to move it to.
            QVERIFY(!edit->Tree()->FindItem(AddressBookGroupTree::Group, only));
            edit->Tree()->setCurrentItem(edit->Tree()->FindItem(AddressBookGroupTree::Group, second));
            edit->accept();
            checked = true;
        });
        again.OnEditGroup();
        QVERIFY(checked);
        QCOMPARE(f.Count("SELECT PARENT_ID FROM ABookGroups WHERE ID = ?", {only}), second);
        QCOMPARE(again.Tree()->FindItem(AddressBookGroupTree::Group, only)->parent(),
                 again.Tree()->FindItem(AddressBookGroupTree::Group, second));
    }

    void groupDeleteTakesItsSubtreeAndMembers()
    {
        Book f;
        const int root = Root();
        const int a = Group(root, "A");
        const int b = Group(a, "B");
        const int c = Group(b, "C");
        const int keep = Group(root, "Keep");
        Member(a, "1001");
        Member(c, "1002");
        Member(keep, "1003");
        AddressBookDlg dlg;
        dlg.show();
        dlg.SelectGroup(a);
        f.t.dialogs.QueueAnswer(MsgBox::IdYes);
        dlg.OnDeleteGroup();
        QVERIFY(f.t.dialogs.log.Calls().value(0).startsWith(
            "MessageBox|Trying to delete group 'A'\n\nIf you press OK \n\t- group will be deleted!\n"
            "\t- all users will be deleted!\n\t- all child groups will be deleted!\n|Group Deleting Confirmation|"));
        QCOMPARE(f.Groups(), 2);
        QCOMPARE(f.Users(), 1);
        QVERIFY(!dlg.Tree()->FindItem(AddressBookGroupTree::Group, b));
        QCOMPARE(dlg.CurrentGroup(), root);
        QVERIFY(WaitIdle(dlg));
    }

    void failedDeleteOrReassignChangesNothing()
    {
        Book f;
        const int root = Root();
        const int a = Group(root, "A");
        const int b = Group(a, "B");
        Member(a, "1001");
        Member(b, "1002");
        f.t.dialogs.QueueAnswer(MsgBox::IdYes);
        theDatabase().Execute("CREATE TRIGGER refuse BEFORE DELETE ON ABookGroups WHEN OLD.ID = " +
                              QString::number(a) + " BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        AddressBookDlg dlg;
        dlg.show();
        dlg.SelectGroup(a);
        dlg.OnDeleteGroup();
        QCOMPARE(f.Groups(), 3);
        QCOMPARE(f.Users(), 2);
        QVERIFY(dlg.Tree()->FindItem(AddressBookGroupTree::Group, a));
        QVERIFY(f.t.dialogs.log.Calls().last().startsWith("MessageBox|The address book could not be changed.|"));

        theDatabase().Execute("CREATE TRIGGER refuseAdd BEFORE INSERT ON ABookUsers "
                              "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        XAddressBookUsers users;
        QVERIFY(!AddressBook::MoveMember(users, a, root, "1001"));
        QCOMPARE(f.Users("GROUP_ID = '" + QString::number(a) + "'"), 1);
        QCOMPARE(f.Users(), 2);
        QVERIFY(WaitIdle(dlg));
    }

    void dropMovesTheMember_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("groupsAfter");
        QTest::newRow("other group") << "Other" << QStringList{"Both", "Other"};
        QTest::newRow("group holding him") << "Both" << QStringList{"Both"};
        QTest::newRow("own group") << "My Address Book" << QStringList{"Both", "My Address Book"};
        QTest::newRow("empty space") << "" << QStringList{"Both", "My Address Book"};
    }
    void dropMovesTheMember()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, groupsAfter);
        Book f;
        const int root = Root();
        Group(root, "Other");
        const int both = Group(root, "Both");
        Member(root, "1001");
        Member(both, "1001");
        AddressBookDlg dlg;
        dlg.resize(700, 400);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QVERIFY(WaitIdle(dlg));
        dlg.Members()->SelectItem(0);
        QTreeWidgetItem *item = nullptr;
        for (QTreeWidgetItemIterator it(dlg.Tree()); *it; ++it)
            if ((*it)->text(0) == target)
                item = *it;
        Drop(dlg, item, "1001", QPoint(5, dlg.Tree()->viewport()->height() - 3));
        QCOMPARE(f.Text("SELECT group_concat(g.NAME, ',') FROM (SELECT g.NAME FROM ABookUsers u JOIN ABookGroups g "
                        "ON g.ID = u.GROUP_ID ORDER BY g.NAME) g"),
                 groupsAfter.join(','));
        QVERIFY(WaitIdle(dlg));
    }
};

KORVANT_TEST_MAIN(TestAddressBook)
#include "tst_addressbook.moc"
