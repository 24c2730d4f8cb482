#include "DbFixture.h"
#include "TestEnv.h"

#include "db/XAddressBookSet.h"

#include <type_traits>

// Swapped arguments must not compile.
static_assert(!std::is_invocable_v<decltype(&XAddressBookUsers::AddUser), XAddressBookUsers &, PassportId, ABookGroupId>);
static_assert(!std::is_invocable_v<decltype(&XAddressBookUsers::IsUserInGroup), XAddressBookUsers &, ABookGroupId, PassportId>);
static_assert(!std::is_convertible_v<int, ABookGroupId>);

// The address book's groups and members.
class TestAddressBook : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_app = std::make_unique<TestApp>(WithDatabase());
        QVERIFY(theDatabase().init());
    }
    void cleanup() { m_app.reset(); }

    void rootLifecycle()
    {
        XAddressBookSet groups;
        QVERIFY(!groups.RootGroupExists());
        QVERIFY(groups.AddRootGroup());
        QVERIFY(groups.RootGroupExists());
        groups.SelectTopGroups();
        QCOMPARE(groups.GetRecordCount(), 1);
        QCOMPARE(groups.GetName(), QString("My Address Book"));
        QCOMPARE(groups.GetParentId(), QString("0"));
        QCOMPARE(groups.GetType(), 101);
        const int root = groups.GetId();

        const int a = groups.AddGroup(ABookGroupId(root), "Suppliers");
        const int b = groups.AddGroup(ABookGroupId(root), "Buyers");
        QVERIFY(a > root && b > a);
        QCOMPARE(groups.GetId(), b);  // left on the newest first
        QCOMPARE(groups.GetSort(), QString("ID DESC"));
        groups.SelectByParent(ABookGroupId(root));
        QCOMPARE(groups.GetRecordCount(), 2);

        QVERIFY(groups.UpdateGroup(ABookGroupId(a), "Vendors"));
        groups.SelectById(ABookGroupId(a));
        QCOMPARE(groups.GetName(), QString("Vendors"));
        QCOMPARE(groups.GetParentId(), QString::number(root));
        QVERIFY(groups.UpdateGroup(ABookGroupId(a), "Vendors", b));
        groups.SelectById(ABookGroupId(a));
        QCOMPARE(groups.GetParentId(), QString::number(b));

        QVERIFY(groups.DeleteGroup(ABookGroupId(b)));
        // Ids that are not stored fail cleanly.
        QVERIFY(!groups.DeleteGroup(ABookGroupId(b)));
        QVERIFY(!groups.UpdateGroup(ABookGroupId(999), "x"));
        // Counters are not reused.
        QCOMPARE(groups.AddGroup(ABookGroupId(root), "Later"), b + 1);
    }

    void oldRootIsRenamed()
    {
        theDatabase().Execute("INSERT INTO ABookGroups (PARENT_ID, NAME, TYPE) VALUES ('7', 'General', 101)");
        theDatabase().Execute("INSERT INTO ABookGroups (PARENT_ID, NAME) VALUES ('0', 'General')");
        XAddressBookSet groups;
        QVERIFY(groups.RootGroupExists());
        QCOMPARE(theDatabase().ExecuteScalar("SELECT COUNT(*) FROM ABookGroups WHERE NAME = 'My Address Book' "
                                             "AND PARENT_ID = '7' AND TYPE = 101"), 1);
        // A member's own group called "General" keeps its name.
        QCOMPARE(theDatabase().ExecuteScalar("SELECT COUNT(*) FROM ABookGroups WHERE NAME = 'General' AND TYPE IS NULL"), 1);
    }

    void members()
    {
        XAddressBookUsers users;
        const ABookGroupId g(3);
        QVERIFY(users.AddUser(g, PassportId("AB12")));
        QVERIFY(users.AddUser(g, PassportId("AB12")));
        QCOMPARE(theDatabase().ExecuteScalar("SELECT COUNT(*) FROM ABookUsers"), 1);
        QVERIFY(users.IsUserInGroup(PassportId("AB12"), g));
        QVERIFY(!users.IsUserInGroup(PassportId("AB12"), ABookGroupId(4)));

        // The SQL test ignores case and blanks; adding and removing want the exact id.
        QVERIFY(users.IsUserInGroup(PassportId(" ab12 "), g));
        QVERIFY(users.AddUser(g, PassportId("ab12")));
        QCOMPARE(theDatabase().ExecuteScalar("SELECT COUNT(*) FROM ABookUsers"), 2);
        QVERIFY(users.RemoveUser(g, PassportId("AB12 ")));
        QCOMPARE(theDatabase().ExecuteScalar("SELECT COUNT(*) FROM ABookUsers"), 2);
        QVERIFY(users.RemoveUser(g, PassportId("AB12")));
        QCOMPARE(theDatabase().ExecuteScalar("SELECT COUNT(*) FROM ABookUsers WHERE PASSPORT_ID = 'ab12'"), 1);

        QVERIFY(users.AddUser(g, PassportId("O'Neil")));
        QVERIFY(users.AddUser(ABookGroupId(4), PassportId("CD34")));
        users.DeleteByGroup(g);
        QCOMPARE(theDatabase().ExecuteScalar("SELECT COUNT(*) FROM ABookUsers"), 1);
        users.SelectByGroup(ABookGroupId(4));
        QCOMPARE(users.GetPassportId(), QString("CD34"));
    }

private:
    std::unique_ptr<TestApp> m_app;
};

KORVANT_TEST_MAIN(TestAddressBook)
#include "tst_addressbook.moc"
