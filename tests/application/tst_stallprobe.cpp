// The event loop probe: a blocked main thread is the worst gap it reports.

#include "TestEnv.h"

#include "application/StallProbe.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

class TestStallProbe : public QObject
{
    Q_OBJECT
private slots:
    void blockedLoopIsTheWorstGap();
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
