#include "FakeServer.h"
#include "SampleAnswers.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "import/ImportArray.h"
#include "import/KVInvImport.h"
#include "import/XITrackInvImport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
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
    void seededImportSamplesImport();
    void secondStartOnTheFolderRaisesTheFirst();
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

// The run folder's sample files import as they are, through the settings the
// import dialog starts from.
void TestProgram::seededImportSamplesImport()
{
    const Run run = Prepare();
    const QString ini = QFileInfo(run.data).path() + QStringLiteral("/config/Korvant/Korvant.ini");
    QVERIFY(QFile::exists(ini));
    TestApp::Options options;
    options.extra = {{GlobalSlot::Settings, [ini] { return std::make_unique<XSettings>(ini); }},
                     {GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }},
                     {GlobalSlot::ImportArray, [] { return std::make_unique<CImportArray>(); }}};
    TestApp app(options);
    theSettings().init();
    QVERIFY(theDatabase().init());
    ImportService().CreateImporters();

    const QString samples = run.data + QStringLiteral("/samples");
    CBaseImport *chosen = theImportArray().GetAt(theSettings().GetInt(Setting::DefaultImportType));
    QVERIFY(dynamic_cast<KVInvImport *>(chosen));
    QVERIFY(theSettings().IsOn(Setting::ImportNow));
    QCOMPARE(chosen->GetSourcePath(), samples + QStringLiteral("/inventory.csv"));
    QCOMPARE(chosen->RunImport(), 4);

    auto *itrack = dynamic_cast<XITrackInvImport *>(theImportArray().GetAt(0));
    QVERIFY(itrack);
    QCOMPARE(itrack->GetSourcePath(), samples + QStringLiteral("/itrack/host.ini"));
    itrack->SetSettleTime(0);
    QCOMPARE(itrack->RunImport(), 2);
    QCOMPARE(itrack->GetErrorCount(), 0);
    QCOMPARE(QDir(samples + QStringLiteral("/itrack/Exports")).entryList(QDir::Files, QDir::Name),
             QStringList({"itrack.flg", "sample.out"}));
    // The file a member drops into the export folder to watch monitor mode.
    QVERIFY(QFile::exists(samples + QStringLiteral("/itrack/more.in")));
    QCOMPARE(theDatabase().Connection().Scalar(QStringLiteral("SELECT COUNT(*) FROM Inventory")).toInt(), 6);
}

// However the two are started, one data folder has one client: the second
// start asks the first to show itself and ends without logging in.
void TestProgram::secondStartOnTheFolderRaisesTheFirst()
{
    FakeServer server;
    QVERIFY(server.Start() > 0);
    SampleAnswers::ScriptAll(server);
    server.Script("poll", {FakeServer::Response(0)});
    const Run r = Prepare();
    // The set-up turned starting with the session off; it leaves no entry behind.
    QVERIFY(!QFile::exists(QFileInfo(r.data).path() + QStringLiteral("/config/autostart/Korvant.desktop")));

    const QStringList args{"-dbpath", r.data, "-url", server.Url(), "-level", "5"};
    QProcess first;
    first.setProcessEnvironment(r.env);
    first.start(QStringLiteral(KORVANT_BIN_DIR "/korvant"), args);
    QVERIFY(first.waitForStarted(10000));
    QTRY_VERIFY_WITH_TIMEOUT(!server.RequestsFor("poll").isEmpty(), 60000);
    const qsizetype logins = server.RequestsFor("login").size();

    QProcess second;
    second.setProcessEnvironment(r.env);
    second.start(QStringLiteral(KORVANT_BIN_DIR "/korvant"), args);
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.RequestsFor("login").size(), logins);
    const auto log = [&r] {
        QFile file(r.data + QStringLiteral("/kvc.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(log().contains("ShowWindow another start on this data folder"), 10000);

    ::kill(pid_t(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(10000));
}

KORVANT_TEST_MAIN(TestProgram)
#include "tst_program.moc"
