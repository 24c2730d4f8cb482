// The application core's services: log, command line, folders, globals,
// the UI dispatcher and the fake server harness.

#include "TestApp.h"
#include "TestEnv.h"
#include "FakeServer.h"

#include "app/AppCore.h"
#include "app/Globals.h"
#include "app/LogLimit.h"
#include "app/XSettings.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>

#include <thread>

class TestCore : public QObject
{
    Q_OBJECT
private slots:
    void logLevelFilter_data();
    void logLevelFilter();
    void logLineFormat();
    void logThreadsWriteWholeLines();
    void logFailurePromptsOnce();
    void logKeepsOnePreviousFile();

    void commandLine_data();
    void commandLine();

    void dataFolder_data();
    void dataFolder();
    void startupShortcut();

    void globalsOrder();
    void dispatcherRunsOnMainThread();
    void dispatcherShutdownReturnsCancel();
    void messageBoxFilesCrashReportWhenRecent();
    void boxesInTheTraceOnly();

    void fakeServerRecordsExchange();
};

void TestCore::logLevelFilter_data()
{
    QTest::addColumn<int>("logLevel");
    QTest::addColumn<int>("entryLevel");
    QTest::addColumn<bool>("written");
    QTest::newRow("3 vs 3") << 3 << 3 << true;
    QTest::newRow("3 vs 4") << 3 << 4 << false;
    QTest::newRow("3 vs 0") << 3 << 0 << true;
    QTest::newRow("0 vs 0") << 0 << 0 << true;
    QTest::newRow("0 vs 3") << 0 << 3 << false;
    QTest::newRow("5 vs 5") << 5 << 5 << true;
}

void TestCore::logLevelFilter()
{
    QFETCH(int, logLevel);
    QFETCH(int, entryLevel);
    QFETCH(bool, written);
    TestApp t;
    t.App().SetLogLevel(logLevel);
    t.App().WriteLog("hello", "ctx", entryLevel);
    QCOMPARE(t.LogText().contains("ctx hello"), written);
}

void TestCore::logLineFormat()
{
    TestApp t;
    t.App().WriteLog("Open database: [OK]", "", 3);
    t.App().WriteLog("InitInstance", "SetRegistryKey", 3);
    const QStringList lines = t.LogText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    static const QRegularExpression stamp("^\\*\\* \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d ");
    QVERIFY(stamp.match(lines[0]).hasMatch());
    QVERIFY2(lines[0].contains(QRegularExpression(":\\d\\d  Open database: \\[OK\\] $")), qPrintable(lines[0]));
    QVERIFY(lines[1].endsWith(" SetRegistryKey InitInstance "));
    QCOMPARE(AppCore::FormatLogLine("T", "", "m"), QString("** T  m \n"));
}

void TestCore::logThreadsWriteWholeLines()
{
    TestApp t;
    constexpr int threads = 8, perThread = 200;
    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i) {
        workers.emplace_back([&t, i] {
            for (int n = 0; n < perThread; ++n)
                t.App().WriteLog(QStringLiteral("line %1 of thread %2 %3").arg(n).arg(i).arg(QString(40, 'x')),
                                 QStringLiteral("T%1").arg(i), 3);
        });
    }
    for (auto &w : workers)
        w.join();
    const QStringList lines = t.LogText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), threads * perThread);
    static const QRegularExpression whole(
        "^\\*\\* \\S+ \\S+ T(\\d) line \\d+ of thread (\\d) x{40} $");
    for (const QString &l : lines) {
        const auto m = whole.match(l);
        QVERIFY2(m.hasMatch() && m.captured(1) == m.captured(2), qPrintable(l));
    }
}

// The log stays within twice its limit however long the program runs;
// the newest lines are always in the current file.
void TestCore::logKeepsOnePreviousFile()
{
    TestApp t;
    LogLimit::Set(4096);
    const QString path = t.App().GetDataFolder() + "kvc.log";
    for (int n = 0; n < 500; ++n)
        t.App().WriteLog(QStringLiteral("line %1 %2").arg(n).arg(QString(40, 'x')), "ctx", 3);
    QVERIFY(QFileInfo(path).size() <= 4096 + 100);
    const QString previous = LogLimit::PreviousPath(path);
    QVERIFY(QFileInfo(previous).size() > 4096);
    QVERIFY(QFileInfo(previous).size() <= 4096 + 100);
    QCOMPARE(QDir(t.App().GetDataFolder()).entryList({"kvc.log*"}, QDir::Files).size(), 2);
    t.App().WriteLog("the last one", "ctx", 3);
    QVERIFY(t.LogText().endsWith("ctx the last one \n"));
    LogLimit::Set(LogLimit::DefaultBytes);
}

void TestCore::logFailurePromptsOnce()
{
    TestApp t;
    // A folder where the log file should be makes every write fail.
    QVERIFY(QDir().mkpath(t.DataFolder() + "kvc.log"));
    t.App().WriteLog("one", "", 3);
    t.App().WriteLog("two", "", 3);
    QCOMPARE(t.crash.log.Count("OnUnhandledError"), 1);
    QCOMPARE(t.crash.log.Count("DisableExceptionRecording"), 1);
}

void TestCore::commandLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("dbpath");
    QTest::addColumn<QString>("features");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("override");
    QTest::addColumn<QString>("flags");  // payment, ext_profile, marketplaces

    QTest::newRow("empty") << "   " << "" << "" << "" << 3 << false << "000";
    QTest::newRow("url") << "-url http://h/x" << "http://h/x" << "" << "" << 3 << true << "000";
    QTest::newRow("url no value at end") << "-url" << "" << "" << "" << 3 << false << "000";
    QTest::newRow("blanks between") << "-url    http://h  -level 5" << "http://h" << "" << "" << 5 << true << "000";
    QTest::newRow("features") << "-features payment,marketplaces" << "" << "" << "payment,marketplaces" << 3 << true
                              << "101";
    QTest::newRow("level only") << "-level 5" << "" << "" << "" << 5 << false << "000";
    QTest::newRow("level not a number") << "-level x5" << "" << "" << "" << 0 << false << "000";
    QTest::newRow("level negative") << "-level -2" << "" << "" << "" << -2 << false << "000";
    QTest::newRow("dash inside value") << "-dbpath my-data" << "" << "my-data" << "" << 3 << true << "000";
    QTest::newRow("unknown name") << "-foo bar -url u" << "u" << "" << "" << 3 << true << "000";
    QTest::newRow("ext_profile") << "-features ext_profile" << "" << "" << "ext_profile" << 3 << true << "010";
}

void TestCore::commandLine()
{
    QFETCH(QString, line);
    QFETCH(QString, url);
    QFETCH(QString, dbpath);
    QFETCH(QString, features);
    QFETCH(int, level);
    QFETCH(bool, override);
    QFETCH(QString, flags);
    AppCore app;
    app.ParseCommandLine(line);
    QCOMPARE(app.ServerUrlOption(), url);
    QCOMPARE(app.DbPathOption(), dbpath);
    QCOMPARE(app.Features(), features);
    QCOMPARE(app.LogLevel(), level);
    QCOMPARE(app.OverrideFlag(), override);
    QCOMPARE(QString("%1%2%3").arg(app.PaymentFeature()).arg(app.ExtProfileFeature()).arg(app.MarketplacesFeature()),
             flags);
}

void TestCore::dataFolder_data()
{
    QTest::addColumn<QString>("dbpath");
    QTest::addColumn<QString>("expected");  // "<program>" and "<tmp>" are replaced
    QTest::newRow("default") << "" << "<home>/.local/share/Korvant/data/";
    QTest::newRow("absolute") << "<tmp>/abs" << "<tmp>/abs/";
    QTest::newRow("relative") << "mydata" << "<program>mydata/";
    QTest::newRow("drive forward slash") << "D:/x" << "D:/x/";  // taken as it stands
}

void TestCore::dataFolder()
{
    QFETCH(QString, dbpath);
    QFETCH(QString, expected);
    const QString tmp = TestEnv::NewFolder("df");
    const QString program = tmp + "/program/";
    QDir().mkpath(program);
    AppCore app;
    app.SetModuleFolder(program);
    if (!dbpath.isEmpty())
        app.ParseCommandLine("-dbpath " + QString(dbpath).replace("<tmp>", tmp));
    expected.replace("<tmp>", tmp).replace("<program>", program).replace("<home>", qEnvironmentVariable("HOME"));
    const QString folder = app.GetDataFolder();
    QCOMPARE(folder, expected);
    if (dbpath.startsWith("D:"))
        return;  // no such drive here
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
}

void TestCore::startupShortcut()
{
    TestApp t;
    const QString path = AppCore::StartupShortcutPath();
    QVERIFY(path.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    QVERIFY(t.App().CreateStartupShortcut());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    QVERIFY(text.startsWith("[Desktop Entry]\n"));
    QVERIFY(text.contains("Exec=\"" + t.App().GetModuleFilePath() + "\""));
    QVERIFY(t.App().DeleteStartupShortcut());
    QVERIFY(!QFile::exists(path));
    QVERIFY(!t.App().DeleteStartupShortcut());
}

namespace {
QStringList g_destroyed;
struct Tracked : GlobalObject
{
    explicit Tracked(QString n) : name(std::move(n)) {}
    ~Tracked() override { g_destroyed.append(name); }
    QString name;
};
} // namespace

void TestCore::globalsOrder()
{
    Globals::Teardown();
    g_destroyed.clear();
    Globals::Install(GlobalSlot::App, std::make_unique<Tracked>("app"));
    Globals::Install(GlobalSlot::Settings, std::make_unique<Tracked>("settings"));
    Globals::Install(GlobalSlot::Database, std::make_unique<Tracked>("db"));
    QVERIFY_THROWS_EXCEPTION(std::logic_error,
                             Globals::Install(GlobalSlot::Meta, std::make_unique<Tracked>("meta")));
    QVERIFY_THROWS_EXCEPTION(std::logic_error, theApp());
    g_destroyed.clear();  // the refused object went at once
    Globals::Teardown();
    QCOMPARE(g_destroyed, QStringList({"db", "settings", "app"}));
}

void TestCore::dispatcherRunsOnMainThread()
{
    TestApp t;
    t.dialogs.QueueAnswer(MsgBox::IdYes);
    QThread *mainThread = QThread::currentThread();
    std::atomic<bool> answer{false};
    std::atomic<bool> done{false};
    QThread *ranOn = nullptr;
    std::thread worker([&] {
        answer = t.App().AskYesNo("Sure?", "Q");
        ranOn = t.App().Dispatcher().Call<QThread *>([] { return QThread::currentThread(); }, nullptr);
        done = true;
    });
    QTRY_VERIFY(done.load());
    worker.join();
    QVERIFY(answer.load());
    QCOMPARE(ranOn, mainThread);
    QCOMPARE(t.dialogs.log.Calls().first(), QString("MessageBox|Sure?|Q|%1").arg(MsgBox::IconQuestion | MsgBox::YesNo));
}

void TestCore::dispatcherShutdownReturnsCancel()
{
    TestApp t;
    std::atomic<int> answer{0};
    std::thread worker([&] {
        // Nobody pumps events: the call waits until shutdown.
        answer = t.App().ShowMessageBox("x", "y", MsgBox::Ok);
    });
    QThread::msleep(50);
    t.App().Dispatcher().Shutdown();
    worker.join();
    QCOMPARE(answer.load(), int(MsgBox::IdCancel));
    QCOMPARE(t.dialogs.log.Count("MessageBox"), 0);
    // After shutdown, calls from workers return the cancel answer at once.
    std::thread late([&] { answer = t.App().AskYesNo("late", "q") ? 1 : 2; });
    late.join();
    QCOMPARE(answer.load(), 2);
}

void TestCore::messageBoxFilesCrashReportWhenRecent()
{
    TestApp t;
    t.App().ShowMessageBox("first", "Error", MsgBox::IconError);
    QCOMPARE(t.crash.log.Count("FileReport"), 0);
    t.crash.recent = true;
    t.App().ShowMessageBox("second", "Error", MsgBox::IconError);
    QCOMPARE(t.crash.log.Calls(), QStringList({"FileReport|second"}));
}

// What a box told the member is in the level-5 trace, and only there.
void TestCore::boxesInTheTraceOnly()
{
    TestApp t;
    t.App().SetLogLevel(4);
    t.App().ShowMessageBox("quiet", "Error", MsgBox::IconError);
    QVERIFY(!t.LogText().contains("quiet"));
    t.App().SetLogLevel(5);
    t.App().ShowMessageBox("Your message was not sent.", "Cannot send the message", MsgBox::IconError);
    t.App().ShowMessageDlg2("Cannot retrieve main info", "The server did not answer in time.", nullptr, 0, 0);
    t.App().AskYesNo("Delete it?", "Korvant");
    const QString log = t.LogText();
    QVERIFY2(log.contains(" Box Cannot send the message: Your message was not sent. \n"), qPrintable(log));
    QVERIFY(log.contains(" Box Cannot retrieve main info: The server did not answer in time. \n"));
    QVERIFY(log.contains(" Box Korvant: Delete it? \n"));
}

void TestCore::fakeServerRecordsExchange()
{
    FakeServer server;
    server.Start();
    server.Script("ping", {FakeServer::Response(0, "<pong/>"), 200, 0, false, false, "text/xml"});
    QNetworkAccessManager nam;
    QNetworkRequest req(QUrl(server.Url()));
    req.setHeader(QNetworkRequest::ContentTypeHeader, "text/kvp");
    req.setRawHeader("USER-CLIENT", "test");
    const QByteArray body = "<kv_request operation=\"ping\" version=\"2.5\"/>";
    QNetworkReply *reply = nam.post(req, body);
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QVERIFY(reply->readAll().contains("<pong/>"));
    reply->deleteLater();
    const auto requests = server.Requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].operation, QString("ping"));
    QCOMPARE(requests[0].body, body);
    QCOMPARE(requests[0].headers.value("content-type"), QString("text/kvp"));
    QCOMPARE(requests[0].headers.value("user-client"), QString("test"));
}

KORVANT_TEST_MAIN(TestCore)
#include "tst_core.moc"
