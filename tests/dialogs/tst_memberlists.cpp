#include "TestEnv.h"

#include "dialogs/AddressBookGroupTree.h"
#include "dialogs/XUserSearchListCtrl.h"

#include <QTest>

// The member search results and the address book's group tree.
class TestMemberLists : public QObject
{
    Q_OBJECT
private slots:
    void searchListKeepsItsRows()
    {
        XUserSearchListCtrl list;
        list.InitColumns();
        QCOMPARE(list.ColumnCount(), 8);
        QCOMPARE(list.headerItem()->text(7), QString("Country"));
        QCOMPARE(list.AddRow({"P1", "Lee", "Lee Parts"}), 0);  // short: the rest empty
        QCOMPARE(list.AddRow({"P2", "Sam", "", "Dealer", "Reno", "NV", "89501", "USA", "extra"}), 1);
        QCOMPARE(list.topLevelItem(0)->text(5), QString());
        QCOMPARE(list.topLevelItem(1)->text(7), QString("USA"));
        QVERIFY(list.SetRowValue(1, 42));
        QVERIFY(!list.SetRowValue(2, 1));
        QCOMPARE(list.RowValue(1), 42);
        QCOMPARE(list.GetSelectedText(0), QString());

        list.resize(600, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QRect r = list.visualItemRect(list.topLevelItem(1));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(list.GetSelectedText(1), QString("Sam"));
        list.DeleteRow(0);
        QCOMPARE(list.RowCount(), 1);
        QCOMPARE(list.GetSelectedText(0), QString("P2"));
        list.DeleteAllRows();
        QCOMPARE(list.RowCount(), 0);
    }

    void deletingAGroupLeavesNoMapEntry()
    {
        AddressBookGroupTree tree;
        tree.InitImageList();
        QTreeWidgetItem *root = tree.InsertGroupItem("My Address Book", 0, 1, AddressBookGroupTree::Group, 1);
        QTreeWidgetItem *friends = tree.InsertGroupItem("Friends", 0, 1, AddressBookGroupTree::Group, 2, root);
        tree.InsertGroupItem("P100", 0, 1, AddressBookGroupTree::Member, 100, friends);
        QTreeWidgetItem *near = tree.InsertGroupItem("Near", 0, 1, AddressBookGroupTree::Group, 3, friends);
        tree.InsertGroupItem("P101", 0, 1, AddressBookGroupTree::Member, 101, near);
        tree.InsertGroupItem("P100", 0, 1, AddressBookGroupTree::Member, 100, root);  // the same member elsewhere
        QTreeWidgetItem *first = tree.InsertGroupItem("Dealers", 0, 1, AddressBookGroupTree::Group, 4, root, nullptr);
        QTreeWidgetItem *after = tree.InsertGroupItem("Brokers", 0, 1, AddressBookGroupTree::Group, 5, root, friends);
        QCOMPARE(root->indexOfChild(after), 1);
        QCOMPARE(root->indexOfChild(first), 3);
        QCOMPARE(tree.FindItem(AddressBookGroupTree::Group, 2), friends);
        QCOMPARE(tree.FindItem(AddressBookGroupTree::Member, 100)->parent(), root);

        tree.DeleteItemTree(friends);
        QCOMPARE(root->childCount(), 3);
        QVERIFY(!tree.FindItem(AddressBookGroupTree::Group, 2));
        QVERIFY(!tree.FindItem(AddressBookGroupTree::Group, 3));
        QVERIFY(!tree.FindItem(AddressBookGroupTree::Member, 101));
        QVERIFY(tree.FindItem(AddressBookGroupTree::Member, 100));  // its own entry, not the deleted one
        tree.DeleteItemTree(root);
        QCOMPARE(tree.MapCount(), 0);
        QCOMPARE(tree.topLevelItemCount(), 0);
    }
};

KORVANT_TEST_MAIN(TestMemberLists)
#include "tst_memberlists.moc"
