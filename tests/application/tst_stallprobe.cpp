// The event loop probe: a blocked main thread is the worst gap it reports.

#include "TestEnv.h"

#include "application/StallProbe.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>

class TestStallProbe : public QObject
{
    Q_OBJECT
private slots:
    void blockedLoopIsTheWorstGap();
    void stallsKeepTheirEndAndOwnLength();
    void onlyWhenTheVariableNamesAFile();
};

namespace {

qint64 Figure(const QByteArray &report, const QByteArray &name)
{
    for (const QByteArray &line : report.split('\n')) {
        if (line.startsWith(name + ' '))
            return line.mid(name.size() + 1).toLongLong();
    }
    return -1;
}

} // namespace

void TestStallProbe::blockedLoopIsTheWorstGap()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("stall.txt"));
    {
        StallProbe probe(file);
        QTest::qWait(60);
        QThread::msleep(250);
        QTest::qWait(60);
        QVERIFY(probe.Ticks() >= 2);
        QVERIFY2(probe.WorstGapMs() >= 250, QByteArray::number(probe.WorstGapMs()));
        QCOMPARE(Figure(probe.Report(), "worst_ms"), probe.WorstGapMs());
        QVERIFY(Figure(probe.Report(), "worst_at_ms") >= 250);
        // Within the first show: not a settled stall.
        QCOMPARE(probe.SettledWorstGapMs(), qint64(0));
    }
    // Written as it goes.
    QFile out(file);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray report = out.readAll();
    QVERIFY2(Figure(report, "worst_ms") >= 250, report);
    QVERIFY2(Figure(report, "run_ms") >= 300, report);
}

// A blocked loop is a stall ending on the clock the harness reads; a thread
// asleep (not waiting for a processor) owns the whole gap.
void TestStallProbe::stallsKeepTheirEndAndOwnLength()
{
    QTemporaryDir dir;
    StallProbe probe(dir.filePath(QStringLiteral("stall.txt")));
    QTest::qWait(60);
    const qint64 before = StallProbe::MonotonicMs();
    QThread::msleep(300);
    const qint64 after = StallProbe::MonotonicMs();
    QTest::qWait(60);
    // A loaded machine may add stalls of its own: the sleep's is the one around it.
    const auto &stalls = probe.Stalls();
    const auto found = std::find_if(stalls.begin(), stalls.end(), [&](const StallProbe::Stall &s) {
        return s.endMs >= after && s.endMs - s.gapMs <= before;
    });
    QVERIFY2(found != stalls.end(), probe.Report());
    const StallProbe::Stall stall = *found;
    QVERIFY2(stall.gapMs >= 300, probe.Report());
    QVERIFY(probe.WaitedForCpuNs() >= 0);
    QVERIFY2(stall.ownMs >= 250 && stall.ownMs <= stall.gapMs, QByteArray::number(stall.ownMs));
    const QByteArray line = "stall " + QByteArray::number(stall.endMs) + ' ' + QByteArray::number(stall.gapMs) + ' ' +
                            QByteArray::number(stall.ownMs) + '\n';
    QVERIFY(probe.Report().contains(line));
    QVERIFY(Figure(probe.Report(), "last_tick_ms") >= stall.endMs);
    // The summary starts again at the loop's start; the stalls stay.
    probe.StartSummary();
    QTest::qWait(30);
    QVERIFY(probe.WorstGapMs() < 300);
    QVERIFY(!probe.Stalls().empty());
}

void TestStallProbe::onlyWhenTheVariableNamesAFile()
{
    qunsetenv(StallProbe::EnvironmentVariable);
    QVERIFY(!StallProbe::FromEnvironment());
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("stall.txt"));
    qputenv(StallProbe::EnvironmentVariable, file.toLocal8Bit());
    StallProbe::FromEnvironment().reset();
    qunsetenv(StallProbe::EnvironmentVariable);
    QVERIFY(QFile::exists(file));
}

KORVANT_TEST_MAIN(TestStallProbe)
#include "tst_stallprobe.moc"
