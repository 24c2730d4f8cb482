// The crash report file and its sending; the single-instance guard.

#include "FakeServer.h"
#include "TestApp.h"
#include "TestEnv.h"

#include "application/CrashHandler.h"
#include "application/CrashHooks.h"
#include "app/CMailMsg.h"
#include "application/CrashReport.h"
#include "application/SingleInstance.h"
#include "app/XSettings.h"
#include "net/XRequest.h"

#include <QDir>
#include <QLocalServer>
#include <QLockFile>
#include <QRegularExpression>
#include <QSignalSpy>

class TestCrashReport : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup()
    {
        CrashHandler::RemoveCrashHandler();
        CrashHandler::ForgetLastException();
    }
    void unrecordedReportSavedAndSentAtNextStart();
    void pendingReportHeldBack();
    void reportWithLineBreaksReadWhole();
    void sendFailureKeepsFile();
    void boxAfterFailureFilesReport();
    void boxKeepsPendingReport();
    void unhandledWithoutFailure();
    void unhandledAfterFailureMailsDump();
    void boxShownWhileFilingFilesNothing();
    void secondInstanceAsksFirstToShow();
    void staleSocketDoesNotBlock();
    void dataFolderHasOneClient();

private:
    FakeServer m_server;
};

void TestCrashReport::init()
{
    m_server.Start();
    m_server.ClearRequests();
}

void TestCrashReport::unrecordedReportSavedAndSentAtNextStart()
{
    TestApp t({.commandLine = "-url " + m_server.Url()});
    theSettings().init();
    t.App().GetSession().SetPassportId("P-77");
    CrashHandler::InstallCrashHandler("Korvant", "3.1.52");
    {
        CrashReport r;
        QVERIFY(!r.SendSaved());  // nothing pending
        QVERIFY(r.Fill(true));
        r.SetErrorMessage("boom <&>");
        QVERIFY(r.Save());
        QVERIFY(!CrashHandler::IsInstalled());  // failures after the first report are not recorded
    }
    QVERIFY(QFile::exists(CrashReport::GetErrorReportPath()));
    CrashReport next;
    QVERIFY(next.SendSaved());
    QVERIFY(!QFile::exists(CrashReport::GetErrorReportPath()));
    const auto sent = m_server.RequestsFor("newCrashReport");
    QCOMPARE(sent.size(), 1);
    const XmlDoc doc = XmlDoc::Parse(sent[0].body);
    const XmlNode e = doc.Root().Select("exception");
    QStringList names;
    for (const XmlNode &c : e.Children())
        names << c.Name();
    QCOMPARE(names, QStringList({"code", "address", "time", "version", "passport_id", "error_msg"}));
    QCOMPARE(e.ChildText("code"), QString("0U"));
    QCOMPARE(e.ChildText("passport_id"), QString("P-77"));
    QCOMPARE(e.ChildText("error_msg"), QString("boom <&>"));
}

void TestCrashReport::pendingReportHeldBack()
{
    TestApp t({.commandLine = "-url " + m_server.Url()});
    theSettings().init();
    CrashHandler::InstallCrashHandler("Korvant", "3.1.52");
    CrashHandler::RecordException(CrashHandler::AccessViolation, 0xABC);
    {
        CrashReport first;
        first.Fill(false);
        first.SetErrorMessage("first");
        QVERIFY(first.Save());
    }
    m_server.Script("newCrashReport", {FakeServer::Response(7, {}, "down"), 200, 0, false, false, "text/xml"});
    CrashReport second;
    second.Fill(false);
    second.SetErrorMessage("second");
    QVERIFY(!second.SendSaved());
    QVERIFY(second.Save());
    CrashReport check;
    QVERIFY(check.LoadSaved());
    QCOMPARE(check.ErrorMessage(), QString("first"));
    QCOMPARE(check.Code(), QString("C0000005"));
    QCOMPARE(check.PassportId(), QString("_UNDEF_"));
}

void TestCrashReport::reportWithLineBreaksReadWhole()
{
    TestApp t({.commandLine = "-url " + m_server.Url()});
    CrashReport r;
    r.Fill(true);
    r.SetErrorMessage("unexpected error Access Violation\nline two\r\n");
    QVERIFY(r.Save());
    CrashReport back;
    QVERIFY(back.LoadSaved());
    QCOMPARE(back.ErrorMessage(), QString("unexpected error Access Violation\nline two\r\n"));
    QCOMPARE(QFileInfo(CrashReport::GetErrorReportPath()).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
}

void TestCrashReport::sendFailureKeepsFile()
{
    TestApp t({.commandLine = "-url http://127.0.0.1:1/kvp"});
    XRequest::SetDefaultTimeouts(2000, 3000);
    CrashReport r;
    r.Fill(true);
    QVERIFY(r.Save());
    CrashReport again;
    QVERIFY(!again.SendSaved());
    QVERIFY(QFile::exists(CrashReport::GetErrorReportPath()));
    // A damaged file is not a report.
    QFile f(CrashReport::GetErrorReportPath());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<kv_request><exception><code>");
    f.close();
    QVERIFY(!again.LoadSaved());
}

void TestCrashReport::boxAfterFailureFilesReport()
{
    TestApp t({.commandLine = "-url http://127.0.0.1:1/kvp"});
    XRequest::SetDefaultTimeouts(2000, 3000);
    CrashHooks hooks;
    t.App().SetCrashHooks(&hooks);
    CrashHandler::InstallCrashHandler("Korvant", "3.1.52");
    t.App().ShowMessageBox("quiet", "Error", MsgBox::IconError);
    QVERIFY(!QFile::exists(CrashReport::GetErrorReportPath()));
    CrashHandler::RecordException(CrashHandler::IntegerDivideByZero, 0x42);
    t.App().ShowMessageBox("Division failed", "Error", MsgBox::IconError);
    CrashReport saved;
    QVERIFY(saved.LoadSaved());
    QCOMPARE(saved.Code(), QString("C0000094"));
    QCOMPARE(saved.Address(), QString("42"));
    QCOMPARE(saved.ErrorMessage(), QString("Division failed"));
    QCOMPARE(t.dialogs.log.Count("MessageBox|Division failed"), 1);
    t.App().SetCrashHooks(&t.crash);
}

void TestCrashReport::boxKeepsPendingReport()
{
    TestApp t({.commandLine = "-url " + m_server.Url()});
    m_server.Script("newCrashReport", {FakeServer::Response(7, {}, "down"), 200, 0, false, false, "text/xml"});
    {
        CrashReport first;
        first.Fill(true);
        first.SetErrorMessage("first");
        QVERIFY(first.Save());
    }
    CrashHooks hooks;
    t.App().SetCrashHooks(&hooks);
    CrashHandler::InstallCrashHandler("Korvant", "3.1.52");
    CrashHandler::RecordException(CrashHandler::IntegerDivideByZero, 0x42);
    t.App().ShowMessageBox("Division failed", "Error", MsgBox::IconError);
    QCOMPARE(m_server.RequestsFor("newCrashReport").size(), 1);  // the pending one was tried
    CrashReport saved;
    QVERIFY(saved.LoadSaved());
    QCOMPARE(saved.ErrorMessage(), QString("first"));
    t.App().SetCrashHooks(&t.crash);
    m_server.Script("newCrashReport", {FakeServer::Response(0), 200, 0, false, false, "text/xml"});
}

void TestCrashReport::unhandledWithoutFailure()
{
    TestApp t({.commandLine = "-url " + m_server.Url()});
    m_server.Script("newCrashReport", {FakeServer::Response(7, {}, "down"), 200, 0, false, false, "text/xml"});
    CrashHooks hooks;
    t.App().SetCrashHooks(&hooks);
    hooks.OnUnhandledError();
    QCOMPARE(t.dialogs.log.Calls(),
             QStringList({QString("MessageBox|Unhandled error occured|error|%1").arg(MsgBox::IconError)}));
    CrashReport saved;
    QVERIFY(saved.LoadSaved());
    QCOMPARE(saved.Code(), QString("0U"));
    t.App().SetCrashHooks(&t.crash);
    m_server.Script("newCrashReport", {FakeServer::Response(0), 200, 0, false, false, "text/xml"});
}

void TestCrashReport::unhandledAfterFailureMailsDump()
{
    TestApp t({.commandLine = "-url " + m_server.Url()});
    const QString folder = TestEnv::NewFolder("mail");
    const QString script = folder + "/fake-xdg-email";
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QString("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1/args'\n").arg(folder).toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CMailMsg::SetProgram(script);
    CrashHooks hooks;
    t.App().SetCrashHooks(&hooks);
    CrashHandler::InstallCrashHandler("KorvantMailTest", "3.1.52");
    CrashHandler::RecordException(CrashHandler::AccessViolation, 0x10);
    t.dialogs.QueueAnswer(MsgBox::IdYes);
    t.dialogs.QueueAnswer(MsgBox::IdYes);
    hooks.OnUnhandledError();
    const QStringList calls = t.dialogs.log.Calls();
    const QStringList boxes = calls.filter(QRegularExpression("^MessageBox"));
    QCOMPARE(boxes.size(), 2);
    QVERIFY(boxes[0].startsWith("MessageBox|Access Violation\n"));
    QVERIFY(boxes[0].contains("Would you like to generate an exception report?"));
    QVERIFY(boxes[1].contains("Exception report dump successfuly saved to file"));
    QVERIFY(calls.contains("Progress.SetStatus|Saving dump data..."));
    QTRY_VERIFY(QFile::exists(folder + "/args"));
    QFile argsFile(folder + "/args");
    QVERIFY(argsFile.open(QIODevice::ReadOnly));
    const QString args = QString::fromUtf8(argsFile.readAll());
    QVERIFY(args.contains("Exception report created by Korvant"));
    QVERIFY(!args.contains('\r'));
    QVERIFY(args.contains("crash-reports@korvant.example"));
    QStringList zips = QDir(CrashHandler::DumpFolder()).entryList({"3.1.52-*.zip"});
    QCOMPARE(zips.size(), 1);  // kept for the mail program
    QCOMPARE(QDir(CrashHandler::DumpFolder()).entryList({"3.1.52-*.dmp"}).size(), 0);
    CrashHooks::RemoveStaleArchives();
    QCOMPARE(QDir(CrashHandler::DumpFolder()).entryList({"*.zip"}).size(), 0);
    CMailMsg::SetProgram(QString());
    t.App().SetCrashHooks(&t.crash);
}

// A box shown while a report is being filed (its questions, a box of another
// part of the program) does not file again from inside the filing.
void TestCrashReport::boxShownWhileFilingFilesNothing()
{
    TestApp t({.commandLine = "-url " + m_server.Url()});
    CrashHooks hooks;
    t.App().SetCrashHooks(&hooks);
    CrashHandler::InstallCrashHandler("Korvant", "3.1.52");
    CrashHandler::RecordException(CrashHandler::IntegerDivideByZero, 0x42);
    int boxes = 0;
    t.dialogs.onMessageBox = [&](const QString &) {
        if (boxes++ == 0)
            t.App().ShowMessageBox("shown meanwhile", "Error", MsgBox::IconError);
    };
    hooks.OnUnhandledError();
    t.dialogs.onMessageBox = {};
    QCOMPARE(t.dialogs.log.Count("MessageBox|shown meanwhile"), 1);
    QCOMPARE(m_server.RequestsFor("newCrashReport").size(), 0);
    CrashReport saved;
    QVERIFY(saved.LoadSaved());
    QVERIFY(saved.ErrorMessage().startsWith("unexpected error"));
    t.App().SetCrashHooks(&t.crash);
}

void TestCrashReport::secondInstanceAsksFirstToShow()
{
    const QString name = "korvant-test-" + QString::number(QCoreApplication::applicationPid());
    SingleInstance first(name);
    QVERIFY(first.Acquire());
    QSignalSpy shown(&first, &SingleInstance::ShowRequested);
    bool secondAcquired = true;
    // The second start runs where the first can answer (its own thread).
    std::thread second([&] {
        SingleInstance other(name);
        secondAcquired = other.Acquire();
    });
    QTRY_COMPARE(shown.count(), 1);
    second.join();
    QVERIFY(!secondAcquired);
}

void TestCrashReport::staleSocketDoesNotBlock()
{
    const QString name = "korvant-stale-" + QString::number(QCoreApplication::applicationPid());
    {
        // A listener that goes away without cleaning up leaves its socket file.
        QLocalServer crashed;
        crashed.setSocketOptions(QLocalServer::UserAccessOption);
        QVERIFY(crashed.listen(name));
        const QString path = crashed.fullServerName();
        crashed.close();
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance s(name);
    QVERIFY(s.Acquire());
}

// One client per data folder: a second start on it raises the first, a
// folder locked by a client that does not answer is refused, another folder runs.
void TestCrashReport::dataFolderHasOneClient()
{
    const QString folder = TestEnv::NewFolder(QStringLiteral("lock"));
    DataFolderLock first(folder + "/data");
    QCOMPARE(first.Acquire(), DataFolderLock::Result::Acquired);
    QSignalSpy shown(&first, &DataFolderLock::ShowRequested);
    DataFolderLock::Result second = DataFolderLock::Result::Acquired;
    std::thread other([&] { second = DataFolderLock(folder + "/data/").Acquire(); });
    QTRY_COMPARE(shown.count(), 1);
    other.join();
    QCOMPARE(second, DataFolderLock::Result::Raised);
    QCOMPARE(DataFolderLock(folder + "/other").Acquire(), DataFolderLock::Result::Acquired);

    QDir().mkpath(folder + "/silent");
    QLockFile silent(folder + "/silent/" + DataFolderLock::LockFileName);
    QVERIFY(silent.tryLock(0));
    QCOMPARE(DataFolderLock(folder + "/silent").Acquire(), DataFolderLock::Result::InUse);
}

KORVANT_TEST_MAIN(TestCrashReport)
#include "tst_crashreport.moc"
