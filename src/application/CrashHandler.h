#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Watches the process for failures and keeps the last one: the program's own
// exceptions record themselves through RecordException, fatal signals are
// caught on an alternate stack, recorded, written to a dump file and to the
// pending crash report, and then re-raised so the process still ends as it
// would have. Everything the signal path needs is prepared beforehand: it
// only uses async-signal-safe calls.
namespace CrashHandler {

// Exception codes of the report (the signals are mapped onto them).
enum Code : uint32_t {
    GuardPage = 0x80000001,
    DatatypeMisalignment = 0x80000002,
    Breakpoint = 0x80000003,
    SingleStep = 0x80000004,
    AccessViolation = 0xC0000005,
    InPageError = 0xC0000006,
    InvalidHandle = 0xC0000008,
    NoMemory = 0xC0000017,
    IllegalInstruction = 0xC000001D,
    NoncontinuableException = 0xC0000025,
    InvalidDisposition = 0xC0000026,
    ArrayBoundsExceeded = 0xC000008C,
    FloatDenormalOperand = 0xC000008D,
    FloatDivideByZero = 0xC000008E,
    FloatInexactResult = 0xC000008F,
    FloatInvalidOperation = 0xC0000090,
    FloatOverflow = 0xC0000091,
    FloatStackCheck = 0xC0000092,
    FloatUnderflow = 0xC0000093,
    IntegerDivideByZero = 0xC0000094,
    IntegerOverflow = 0xC0000095,
    PrivilegedInstruction = 0xC0000096,
    StackOverflow = 0xC00000FD,
    CppException = 0xE06D7363,
};

struct ExceptionRecord
{
    uint32_t code = 0;
    uint64_t address = 0;
    int64_t time = 0;      // seconds since 1970
    int64_t counter = 0;   // monotonic microseconds when recorded, 0 before any
    uint32_t repeat = 0;
};

// Installs the signal handlers and this thread's alternate stack.
void InstallCrashHandler(const QString &appName, const QString &version);
void RemoveCrashHandler();
bool IsInstalled();

// Every thread the program starts runs this once (sigaltstack is per thread).
void PrepareThread();

// Records an exception (a run of one code is recorded once, at its first).
void RecordException(uint32_t code, uint64_t address);
bool IsRecentException();
void EnableExceptionRecording();
void DisableExceptionRecording();
ExceptionRecord LastException();
// Starts afresh as if nothing had been recorded.
void ForgetLastException();
QString GetExceptionText();
QString GetExceptionName(uint32_t code);
QString GetExceptionDescription(uint32_t code);
// The code a fatal signal is reported under.
uint32_t CodeForSignal(int signal, int siCode);

// Where a fatal signal writes its dump ("<tmp>/Korvant/<version>-<date>-<time>-<pid>-<tid>.dmp").
QString DumpFolder();
QString LastDumpPath();
// Writes a dump of the running process (this thread's stack) for the last
// recorded failure; the path, or empty when it could not be written.
QString WriteDumpNow();
// The pending report a fatal signal writes: the request text around the
// exception element, prepared by the report code whenever what it holds
// (passport id, session) changes. Empty path: no report is written.
void SetReportTemplate(const QString &reportPath, const QByteArray &beforeException, const QByteArray &version,
                       const QByteArray &passportId, const QByteArray &afterException);

} // namespace CrashHandler
