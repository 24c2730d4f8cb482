#include "TestEnv.h"

#include "net/SidesList.h"

class TestSides : public QObject
{
    Q_OBJECT
private slots:
    void codes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("FRONT") << "FRONT" << "Front" << 8 << "Front" << "Front Upper";
        QTest::newRow("LEFT") << "LEFT" << "Driver" << 8 << "Left" << "Left Upper";
        QTest::newRow("LEFT FRONT") << "LEFT FRONT" << "Driver Front" << 1 << "Left Front" << "Left Front";
        QTest::newRow("LEFT REAR") << "LEFT REAR" << "Driver Rear" << 1 << "Left Rear" << "Left Rear";
        QTest::newRow("REAR") << "REAR" << "Rear" << 8 << "Rear" << "Rear Upper";
        QTest::newRow("RIGHT") << "RIGHT" << "Passenger" << 7 << "Right" << "Right Outside";
        QTest::newRow("RIGHT FRONT") << "RIGHT FRONT" << "Passenger Front" << 1 << "Right Front" << "Right Front";
        QTest::newRow("RIGHT REAR") << "RIGHT REAR" << "Passenger Rear" << 1 << "Right Rear" << "Right Rear";
        QTest::newRow("lower case") << "left front" << "" << 0 << "" << "";
        QTest::newRow("unknown") << "TOP" << "" << 0 << "" << "";
    }
    void codes()
    {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        const SidesList sides;
        QCOMPARE(sides.GetSideName(code), name);
        QStringList names{"kept"};
        sides.GetSidesForKey(names, code);
        QCOMPARE(names.size(), count + 1);
        QCOMPARE(names.first(), QString("kept"));
        if (count > 0) {
            QCOMPARE(names.at(1), first);
            QCOMPARE(names.last(), last);
        }
    }

    void positionNames()
    {
        const SidesList sides;
        QStringList names;
        sides.GetSideList(names);
        QCOMPARE(names.size(), 45);
        QCOMPARE(names.first(), QString("Bottom"));
        QCOMPARE(names.at(20), QString("Left Front"));
        QCOMPARE(names.at(42), QString("Right Upper"));
        QCOMPARE(names.last(), QString("Upper"));
    }

    void boxRoundTrip()
    {
        const SidesList sides;
        ItemList box;
        box.AddItem("-- Select Side --");
        QCOMPARE(sides.GetSelectedKey(box), QString());  // nothing selected
        box.SetCurrentIndex(0);
        QCOMPARE(sides.GetSelectedKey(box), QString());  // the form's own item
        sides.FillCombo(box);
        sides.FillCombo(box);
        QCOMPARE(box.Count(), 17);
        QCOMPARE(box.ItemText(1), QString("Front"));
        QCOMPARE(box.ItemText(9), QString("Front"));
        // Both copies of a display name give the same code.
        for (int i = 1; i < 9; ++i) {
            box.SetCurrentIndex(i);
            const QString a = sides.GetSelectedKey(box);
            box.SetCurrentIndex(i + 8);
            QCOMPARE(sides.GetSelectedKey(box), a);
            QCOMPARE(a, sides.Codes().at(i - 1));
            QCOMPARE(sides.GetSideName(a), box.ItemText(i));
        }
    }
};

KORVANT_TEST_MAIN(TestSides)
#include "tst_sides.moc"
