// The UI dispatcher under shutdown and reopening: no worker is left waiting.

#include "TestApp.h"
#include "TestEnv.h"

#include "app/AppCore.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <thread>

class TestDispatcher : public QObject
{
    Q_OBJECT
private slots:
    void droppedCallAnswersAfterReopen();
};

// A stop of the workers that is not the program's end (a restore) shuts the
// dispatcher, lets queued calls run, and reopens it. A call dropped in that
// window must still answer its worker, however late the worker wakes up.
void TestDispatcher::droppedCallAnswersAfterReopen()
{
    TestApp t;
    UiDispatcher &d = theApp().Dispatcher();
    for (int round = 0; round < 40; ++round) {
        std::atomic<bool> started{false}, returned{false};
        std::atomic<int> answer{-1};
        std::thread worker([&] {
            started = true;
            answer = d.Call<int>([] { return 1; }, 0);
            returned = true;
        });
        while (!started)
            QThread::yieldCurrentThread();
        QThread::msleep(5);  // time to queue the call; a later one only makes the round easier
        d.Shutdown();
        QCoreApplication::processEvents();  // the queued call runs now and is dropped
        d.Reopen();
        const bool answered = QTest::qWaitFor([&] { return returned.load(); }, 10000);
        if (!answered)
            d.Shutdown();  // frees the worker so that the test can end
        worker.join();
        QVERIFY2(answered, qPrintable(QStringLiteral("round %1: the worker was never answered").arg(round)));
        QVERIFY(answer == 0 || answer == 1);
    }
}

KORVANT_TEST_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
