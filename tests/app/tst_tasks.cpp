// The running-task registry: imports and auto-replies exclude each other.

#include "TestEnv.h"

#include "app/TasksDispatcher.h"

#include <atomic>
#include <thread>

class TestTasks : public QObject
{
    Q_OBJECT
private slots:
    void autoReplyWaitsForImport();
    void secondImportWaitsForFirst();
    void nonExclusiveTypes();
    void endWithoutBegin();
    void names_data();
    void names();
    void scopeEndsTask();
};

void TestTasks::autoReplyWaitsForImport()
{
    TasksDispatcher d;
    QVERIFY(d.BeginTask(1));
    std::atomic<bool> begun{false};
    std::thread autoReply([&] {
        d.BeginTask(3);
        begun = true;
    });
    QVERIFY(!d.TryBeginTask(3, 100));  // still held by the import
    QVERIFY(!begun.load());
    d.EndTask(1);
    autoReply.join();
    QVERIFY(begun.load());
    QVERIFY(!d.IsTaskRunning(1));
    QVERIFY(d.IsTaskRunning(3));
    d.EndTask(3);
    QVERIFY(d.TryBeginTask(1, 100));
}

void TestTasks::secondImportWaitsForFirst()
{
    TasksDispatcher d;
    QVERIFY(d.TryBeginTask(1, 0));
    QVERIFY(!d.TryBeginTask(1, 50));
    d.EndTask(1);
    QVERIFY(d.TryBeginTask(1, 50));
}

void TestTasks::nonExclusiveTypes()
{
    TasksDispatcher d;
    d.BeginTask(1);
    QVERIFY(d.TryBeginTask(2, 0));
    QVERIFY(d.TryBeginTask(2, 0));
    QVERIFY(d.IsTaskRunning(2));
    QCOMPARE(d.CurrentTask(), 2u);
    d.EndTask(2);
    QVERIFY(!d.IsTaskRunning(2));
    QCOMPARE(d.CurrentTask(), 0u);
    d.EndTask(1);
}

void TestTasks::endWithoutBegin()
{
    TasksDispatcher d;
    QVERIFY(d.TryBeginTask(3, 0));
    d.EndTask(2);
    QCOMPARE(d.CurrentTask(), 0u);
    QVERIFY(d.IsTaskRunning(3));
}

void TestTasks::names_data()
{
    QTest::addColumn<unsigned>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("1") << 1u << "Importing inventories";
    QTest::newRow("2") << 2u << "Synchronizing";
    QTest::newRow("3") << 3u << "Autorepliing";
    QTest::newRow("4") << 4u << "Version checking";
    QTest::newRow("5") << 5u << "Purging queries";
    QTest::newRow("0") << 0u << "No Tasks";
    QTest::newRow("9") << 9u << "No Tasks";
}

void TestTasks::names()
{
    QFETCH(unsigned, type);
    QFETCH(QString, name);
    QCOMPARE(TasksDispatcher::GetTaskName(type), name);
}

void TestTasks::scopeEndsTask()
{
    TasksDispatcher d;
    {
        TaskScope scope(d, 1);
        QVERIFY(scope.Begun());
        QVERIFY(d.IsTaskRunning(1));
        TaskScope blocked(d, 3, 20);
        QVERIFY(!blocked.Begun());
    }
    QVERIFY(!d.IsTaskRunning(1));
    QVERIFY(d.TryBeginTask(3, 0));
}

KORVANT_TEST_MAIN(TestTasks)
#include "tst_tasks.moc"
