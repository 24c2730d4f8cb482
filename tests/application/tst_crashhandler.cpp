// Recording of failures and the files a fatal signal leaves behind.

#include "TestEnv.h"

#include "application/CrashHandler.h"

#include <QDirIterator>
#include <QXmlStreamReader>

#include <csignal>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace CrashHandler;

class TestCrashHandler : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { RemoveCrashHandler(); }
    void runOfOneCodeRecordedOnce();
    void recentOnlyAfterRecording();
    void names_data();
    void names();
    void signalCodes_data();
    void signalCodes();
    void segfaultLeavesReportAndDump();
};

void TestCrashHandler::runOfOneCodeRecordedOnce()
{
    InstallCrashHandler("Korvant", "3.1.52");
    RecordException(AccessViolation, 0x100);
    RecordException(AccessViolation, 0x200);
    QCOMPARE(LastException().address, uint64_t(0x100));
    QCOMPARE(LastException().repeat, 1u);
    RecordException(IntegerDivideByZero, 0x300);
    QCOMPARE(LastException().code, uint32_t(IntegerDivideByZero));
    QCOMPARE(LastException().repeat, 0u);
    QCOMPARE(GetExceptionText(), QString("Exception: Integer Divide by Zero \n at address:  300"));
    DisableExceptionRecording();
    RecordException(StackOverflow, 0x400);
    QCOMPARE(LastException().code, uint32_t(IntegerDivideByZero));
    EnableExceptionRecording();
}

void TestCrashHandler::recentOnlyAfterRecording()
{
    InstallCrashHandler("Korvant", "3.1.52");
    RecordException(Breakpoint, 1);
    QVERIFY(IsRecentException());
    QTest::qWait(950);
    QVERIFY(!IsRecentException());
}

void TestCrashHandler::names_data()
{
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::newRow("access") << uint(0xC0000005) << "Access Violation"
                            << "The thread attempted to read from or write to a virtual address for which it does not "
                               "have the appropriate access";
    QTest::newRow("c++") << uint(0xE06D7363) << "Microsoft C++ Exception" << "Microsoft C++ Exception";
    QTest::newRow("unknown") << uint(0x40010005) << "0x40010005" << "Unknown Exception";
}

void TestCrashHandler::names()
{
    QFETCH(uint, code);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QCOMPARE(GetExceptionName(code), name);
    QCOMPARE(GetExceptionDescription(code), description);
}

void TestCrashHandler::signalCodes_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("siCode");
    QTest::addColumn<uint>("code");
    QTest::newRow("segv") << SIGSEGV << int(SEGV_MAPERR) << uint(0xC0000005);
    QTest::newRow("int div") << SIGFPE << int(FPE_INTDIV) << uint(0xC0000094);
    QTest::newRow("float div") << SIGFPE << int(FPE_FLTDIV) << uint(0xC000008E);
    QTest::newRow("ill") << SIGILL << int(ILL_ILLOPC) << uint(0xC000001D);
    QTest::newRow("bus align") << SIGBUS << int(BUS_ADRALN) << uint(0x80000002);
}

void TestCrashHandler::signalCodes()
{
    QFETCH(int, signal);
    QFETCH(int, siCode);
    QFETCH(uint, code);
    QCOMPARE(CodeForSignal(signal, siCode), uint32_t(code));
}

void TestCrashHandler::segfaultLeavesReportAndDump()
{
    const QString folder = TestEnv::NewFolder("crash");
    const QString report = folder + "/error.rpt";
    // The test framework's own handler would otherwise run after ours in the child.
    std::signal(SIGSEGV, SIG_DFL);
    InstallCrashHandler("KorvantTest", "3.1.52");
    SetReportTemplate(report, "<?xml version=\"1.0\"?>\n<kv_request version=\"2.5\" operation=\"newCrashReport\">",
                      "3.1.52", "PP<1>", "</kv_request>");
    // A real fault, not one a sanitizer would catch first.
    void *page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    QVERIFY(page != MAP_FAILED);
    const pid_t child = fork();
    if (child == 0) {
        *static_cast<volatile int *>(page) = 1;
        _exit(0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), SIGSEGV);

    QFile f(report);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QXmlStreamReader xml(text);
    QMap<QString, QString> fields;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() != u"kv_request" && xml.name() != u"exception")
            fields.insert(xml.name().toString(), xml.readElementText());
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString() + "\n" + text));
    QCOMPARE(fields.value("code"), QString("C0000005"));
    QCOMPARE(fields.value("passport_id"), QString("PP<1>"));
    QCOMPARE(fields.value("version"), QString("3.1.52"));
    QVERIFY(fields.value("error_msg").startsWith("unexpected error Access Violation\n"));
    QVERIFY(!fields.value("address").isEmpty());
    QVERIFY(!QFile::exists(report + ".tmp"));

    QStringList dumps;
    for (QDirIterator it(DumpFolder(), {QString("3.1.52-*-%1-*.dmp").arg(child)}); it.hasNext();)
        dumps << it.next();
    QCOMPARE(dumps.size(), 1);
    QFile dump(dumps.first());
    QVERIFY(dump.open(QIODevice::ReadOnly));
    const QByteArray d = dump.readAll();
    QVERIFY(d.contains("exception code: C0000005"));
    QVERIFY(d.contains("backtrace:"));
    QVERIFY(d.contains("memory map:"));
    QCOMPARE(dump.permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
    dump.remove();
    munmap(page, 4096);
}

KORVANT_TEST_MAIN(TestCrashHandler)
#include "tst_crashhandler.moc"
