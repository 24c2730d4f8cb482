#include "FakeServer.h"
#include "SampleAnswers.h"
#include "TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>

// The built program as a member starts it: the sample member prepared by the
// run folder's set-up, the fake marketplace on loopback.
class TestProgram : public QObject
{
    Q_OBJECT
private slots:
    void logsInPollsAndEndsOnSigterm();
    void exitsDuringHungPollAndLogout();
};

namespace {

struct Run
{
    QString data;
    QProcessEnvironment env;
};

Run Prepare()
{
    Run r;
    const QString folder = TestEnv::NewFolder(QStringLiteral("program"));
    r.data = folder + QStringLiteral("/data");
    r.env = QProcessEnvironment::systemEnvironment();
    r.env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
    r.env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess seed;
    seed.setProcessEnvironment(r.env);
    seed.start(QStringLiteral(KORVANT_BIN_DIR "/korvant-seedrun"), {r.data});
    seed.waitForFinished(30000);
    return r;
}

} // namespace

void TestProgram::logsInPollsAndEndsOnSigterm()
{
    FakeServer server;
    QVERIFY(server.Start() > 0);
    SampleAnswers::ScriptAll(server);
    server.Script("poll", {FakeServer::Response(0)});

    const QString folder = TestEnv::NewFolder(QStringLiteral("program"));
    const QString data = folder + QStringLiteral("/data");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess seed;
    seed.setProcessEnvironment(env);
    seed.start(QStringLiteral(KORVANT_BIN_DIR "/korvant-seedrun"), {data});
    QVERIFY(seed.waitForFinished(30000));
    QCOMPARE(seed.exitCode(), 0);

    QProcess client;
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::ForwardedChannels);
    client.start(QStringLiteral(KORVANT_BIN_DIR "/korvant"),
                 {"-dbpath", data, "-url", server.Url(), "-level", "5"});
    QVERIFY(client.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(!server.RequestsFor("poll").isEmpty(), 60000);

    QStringList operations;
    for (const FakeServer::Request &r : server.Requests())
        operations << r.operation;
    QVERIFY(operations.contains("login"));
    QVERIFY(operations.indexOf("login") < operations.indexOf("poll"));

    QFile logFile(data + QStringLiteral("/kvc.log"));
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    const QString log = QString::fromUtf8(logFile.readAll());
    QVERIFY(log.contains("theFrame->ShowWindow InitInstance"));
    QVERIFY(log.contains("theFrame->StartCompactDBSheduler InitInstance"));
    QVERIFY(log.contains("autologin InitInstance"));
    QVERIFY(!log.contains("Start-up ends"));

    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(client.processId()), SIGTERM);
    QVERIFY(client.waitForFinished(5000));
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(client.exitCode(), 0);
    QVERIFY(!server.RequestsFor("logout").isEmpty());
}


void TestProgram::exitsDuringHungPollAndLogout()
{
    FakeServer server;
    QVERIFY(server.Start() > 0);
    SampleAnswers::ScriptAll(server);
    // The server takes the poll and the logout and never answers them.
    server.Script("poll", FakeServer::FaultAnswer(FakeServer::Fault::SilentAfterHeaders));
    server.Script("logout", FakeServer::FaultAnswer(FakeServer::Fault::SilentAfterHeaders));
    const Run run = Prepare();
    QProcess client;
    client.setProcessEnvironment(run.env);
    client.setProcessChannelMode(QProcess::ForwardedChannels);
    client.start(QStringLiteral(KORVANT_BIN_DIR "/korvant"), {"-dbpath", run.data, "-url", server.Url()});
    QVERIFY(client.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(!server.RequestsFor("poll").isEmpty(), 60000);
    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(client.processId()), SIGTERM);
    QVERIFY(client.waitForFinished(5000));
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(client.exitStatus(), QProcess::NormalExit);
    QCOMPARE(client.exitCode(), 0);
}

KORVANT_TEST_MAIN(TestProgram)
#include "tst_program.moc"
