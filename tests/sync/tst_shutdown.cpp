// Shutdown of the poller after a worker's run ended in an unexpected exception.

#include "SyncFixture.h"
#include "TestEnv.h"

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <thread>

class TestShutdown : public QObject
{
    Q_OBJECT
private slots:
    void exitAfterAutoReplyThrew();
};

namespace {

// A window whose progress bar fails mid-run.
class ThrowingFrame : public FakeMainFrame
{
public:
    void ProgressStep() override { throw std::runtime_error("progress bar gone"); }
};

// Overwrites the stack below the caller, where a finished call's locals were.
[[gnu::noinline]] void ScribbleStack()
{
    char bytes[256 * 1024];
    std::memset(bytes, 0xA5, sizeof bytes);
    asm volatile("" : : "r"(bytes) : "memory");
}

} // namespace

// The auto-reply run's rating is what Exit interrupts; a run that ends in an
// exception must not leave Exit a rating that no longer exists.
void TestShutdown::exitAfterAutoReplyThrew()
{
    SyncFixture f;
    theSettings().SetInt(Setting::AutoReply, 1);
    theSettings().SetInt(Setting::AutoReplyCars, 0);
    WriteMarketPlaces();
    WriteScript("");  // rates nothing
    theDatabase().Execute(QStringLiteral("INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS, STATUS_CODE, "
                                         "AUTOREPL_CHECKED, MARKET_NAME, POST_DATE) VALUES ('Q1', 1, 0, 'New', 0, 0, "
                                         "'Sell Here', '2024-03-01 10:00:00')"),
                          {});
    ThrowingFrame frame;
    theApp().SetMainFrame(&frame);
    bool threw = false;
    try {
        thePoller().AutoReplyParts();
    } catch (const std::runtime_error &) {
        threw = true;
    }
    theApp().SetMainFrame(&f.t.frame);
    QVERIFY(threw);
    ScribbleStack();
    // From another thread, so that Exit's own calls leave this stack as it is.
    std::atomic<bool> exited{false};
    std::thread exiting([&] {
        thePoller().Exit();
        exited = true;
    });
    if (!QTest::qWaitFor([&] { return exited.load(); }, 20000))
        qFatal("Exit hangs on the rating of a run that is over");  // the stuck thread cannot be joined
    exiting.join();
    QVERIFY(thePoller().IsExiting());
}

KORVANT_TEST_MAIN(TestShutdown)
#include "tst_shutdown.moc"
