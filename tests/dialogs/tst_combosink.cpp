#include "TestEnv.h"

#include "dialogs/ComboItemSink.h"
#include "net/SidesList.h"

#include <QComboBox>

class TestComboSink : public QObject
{
    Q_OBJECT
private slots:
    void search_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("exact");
        QTest::addColumn<int>("found");
        QTest::newRow("after index") << 1 << "a" << false << 2;
        QTest::newRow("next") << 2 << "a" << false << 3;
        QTest::newRow("wraps") << 3 << "A" << false << 0;
        QTest::newRow("from the top") << -1 << "B" << false << 1;
        QTest::newRow("start past the end") << 9 << "apr" << false << 3;
        QTest::newRow("none") << 0 << "zz" << false << -1;
        QTest::newRow("exact any case") << -1 << "BANANA" << true << 1;
        QTest::newRow("exact needs all") << -1 << "ban" << true << -1;
        QTest::newRow("exact wraps to itself") << 1 << "banana" << true << 1;
    }
    void search()
    {
        QFETCH(int, start);
        QFETCH(QString, text);
        QFETCH(bool, exact);
        QFETCH(int, found);
        QComboBox combo;
        combo.addItems({"Apple", "banana", "Avocado", "apricot"});
        ComboItemSink sink(&combo);
        QCOMPARE(exact ? sink.FindStringExact(start, text) : sink.FindString(start, text), found);
    }

    void itemsDataAndText()
    {
        QComboBox combo;
        ComboItemSink sink(&combo);
        QCOMPARE(sink.AddItem("one", 11), 0);
        QCOMPARE(sink.AddItem("two"), 1);
        sink.SetItemData(1, 22);
        QCOMPARE(sink.InsertItem(0, "-- Select --", -2), 0);
        QCOMPARE(sink.InsertItem(99, "last"), 3);
        QCOMPARE(sink.Count(), 4);
        QCOMPARE(sink.ItemData(1), qint64(11));
        QCOMPARE(sink.ItemData(2), qint64(22));
        QCOMPARE(sink.ItemData(0), qint64(-2));

        sink.SetCurrentIndex(2);
        QCOMPARE(sink.Text(), QString("two"));
        sink.SetText("-- Please Select --");
        QCOMPARE(sink.CurrentIndex(), -1);
        QCOMPARE(sink.Text(), QString("-- Please Select --"));

        combo.setEditable(true);
        sink.SetText("typed");
        QCOMPARE(combo.currentText(), QString("typed"));
        sink.Clear();
        QCOMPARE(sink.Count(), 0);
        QCOMPARE(sink.Text(), QString());
    }

    void sidesChosenWithTheKeyboard()
    {
        QComboBox combo;
        combo.addItem("-- Select Side --");
        ComboItemSink sink(&combo);
        const SidesList sides;
        sides.FillCombo(sink);
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        combo.setFocus();
        combo.setCurrentIndex(0);
        QCOMPARE(sides.GetSelectedKey(sink), QString());
        QTest::keyClick(&combo, Qt::Key_Down);
        QTest::keyClick(&combo, Qt::Key_Down);
        QCOMPARE(combo.currentText(), QString("Driver"));
        QCOMPARE(sides.GetSelectedKey(sink), QString("LEFT"));
    }
};

KORVANT_TEST_MAIN(TestComboSink)
#include "tst_combosink.moc"
