#include "CrashHandler.h"

#include <QDir>
#include <QFile>
#include <QMutex>

#include <atomic>
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>

namespace CrashHandler {
namespace {

constexpr int FatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP};
constexpr size_t AltStackSize = 64 * 1024;
constexpr int64_t RecentMicroseconds = 900000;

struct CodeText
{
    uint32_t code;
    const char *name;
    const char *description;
};
// clang-format off
constexpr CodeText Table[] = {
    {0x80000001, "Guard Page", "Guard Page Exception"},
    {0x80000002, "Datatype Misalignment", "The thread attempted to read or write data that is misaligned on hardware that does not provide alignment. For example, 16-bit values must be aligned on 2-byte boundaries, 32-bit values on 4-byte boundaries, and so on"},
    {0x80000003, "Breakpoint", "A breakpoint was encountered"},
    {0x80000004, "Single Step", "A trace trap or other single-instruction mechanism signaled that one instruction has been executed"},
    {0xC0000005, "Access Violation", "The thread attempted to read from or write to a virtual address for which it does not have the appropriate access"},
    {0xC0000006, "In Page Error", "The thread tried to access a page that was not present, and the system was unable to load the page. For example, this exception might occur if a network connection is lost while running a program over the network"},
    {0xC0000008, "Invalid Handle", "Invalid Handle Exception"},
    {0xC0000017, "No Memory", "The allocation attempt failed because of a lack of available memory or heap corruption."},
    {0xC000001D, "Illegal Instruction", "The thread tried to execute an invalid instruction"},
    {0xC0000025, "Noncontinuable Exception", "The thread attempted to continue execution after a noncontinuable exception occurred"},
    {0xC0000026, "Invalid Disposition", "An exception handler returned an invalid disposition to the exception dispatcher. Programmers using a high-level language such as C should never encounter this exception"},
    {0xC000008C, "Array Bounds Exceeded", "The thread attempted to access an array element that is out of bounds, and the underlying hardware supports bounds checking"},
    {0xC000008D, "Float Denormal Operand", "One of the operands in a floating-point operation is denormal. A denormal value is one that is too small to represent as a standard floating-point value"},
    {0xC000008E, "Float Divide by Zero", "The thread attempted to divide a floating-point value by a floating-point divisor of zero"},
    {0xC000008F, "Float Inexact Result", "The result of a floating-point operation cannot be represented exactly as a decimal fraction"},
    {0xC0000090, "Float Invalid Operation", "This exception represents any floating-point exception not included in this list"},
    {0xC0000091, "Float Overflow", "The exponent of a floating-point operation is greater than the magnitude allowed by the corresponding type"},
    {0xC0000092, "Float Stack Check", "The stack overflowed or underflowed as the result of a floating-point operation"},
    {0xC0000093, "Float Underflow", "The exponent of a floating-point operation is less than the magnitude allowed by the corresponding type"},
    {0xC0000094, "Integer Divide by Zero", "The thread attempted to divide an integer value by an integer divisor of zero"},
    {0xC0000095, "Integer Overflow", "The result of an integer operation caused a carry out of the most significant bit of the result"},
    {0xC0000096, "Privileged Instruction", "The thread attempted to execute an instruction whose operation is not allowed in the current machine mode"},
    {0xC00000FD, "Stack Overflow", "The thread used up its stack"},
    {0xE06D7363, "Microsoft C++ Exception", "Microsoft C++ Exception"},
};
// clang-format on

const CodeText *Find(uint32_t code)
{
    for (const CodeText &t : Table) {
        if (t.code == code)
            return &t;
    }
    return nullptr;
}

struct State
{
    std::atomic<bool> installed{false};
    std::atomic<bool> enabled{false};
    ExceptionRecord last;
    char dumpFolder[1024] = {};
    char version[64] = {};
    long tzOffset = 0;
    char lastDump[1280] = {};
    struct sigaction previous[NSIG] = {};
    // The pending report's template; `updating` keeps a crash from reading it half-written.
    std::atomic<bool> updating{false};
    char reportPath[1024] = {};
    char reportTmp[1040] = {};
    char before[16384] = {};
    char passport[256] = {};
    char after[2048] = {};
    char reportVersion[64] = {};
};

State g_state;
QMutex g_templateMutex;

int64_t MonotonicMicros()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// --- async-signal-safe output -----------------------------------------------

struct Out
{
    int fd;
    void Str(const char *s) const
    {
        if (s)
            Bytes(s, strlen(s));
    }
    void Bytes(const char *p, size_t n) const
    {
        while (n > 0) {
            const ssize_t w = ::write(fd, p, n);
            if (w <= 0)
                return;
            p += w;
            n -= size_t(w);
        }
    }
    void Hex(uint64_t v, bool upper = true) const
    {
        char buf[17];
        int i = 16;
        buf[i] = 0;
        const char *digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
        do {
            buf[--i] = digits[v & 0xF];
            v >>= 4;
        } while (v && i > 0);
        Str(buf + i);
    }
    void Dec(int64_t v, int width = 0) const
    {
        char buf[24];
        int i = 23;
        buf[i] = 0;
        const bool negative = v < 0;
        uint64_t u = negative ? uint64_t(-(v + 1)) + 1 : uint64_t(v);
        do {
            buf[--i] = char('0' + u % 10);
            u /= 10;
        } while (u && i > 1);
        while (23 - i < width && i > 1)
            buf[--i] = '0';
        if (negative)
            buf[--i] = '-';
        Str(buf + i);
    }
};

// Formats into a fixed buffer (for the dump's path).
struct Buf
{
    char *p;
    size_t cap;
    size_t len = 0;
    void Str(const char *s)
    {
        while (*s && len + 1 < cap)
            p[len++] = *s++;
        p[len] = 0;
    }
    void Dec(int64_t v, int width = 0)
    {
        char tmp[24];
        int i = 23;
        tmp[i] = 0;
        uint64_t u = v < 0 ? 0 : uint64_t(v);
        do {
            tmp[--i] = char('0' + u % 10);
            u /= 10;
        } while (u && i > 0);
        while (23 - i < width && i > 0)
            tmp[--i] = '0';
        Str(tmp + i);
    }
};

// Civil date of a day count since 1970-01-01.
void CivilFromDays(int64_t z, int &y, int &m, int &d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t yy = int64_t(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yy + (m <= 2));
}

void RecordNow(uint32_t code, uint64_t address)
{
    State &s = g_state;
    s.last.time = int64_t(::time(nullptr));
    if (code == s.last.code) {
        if (++s.last.repeat != 0)
            return;
    } else {
        s.last.repeat = 0;
    }
    s.last.counter = MonotonicMicros();
    s.last.code = code;
    s.last.address = address;
}

uint64_t InstructionAddress(const siginfo_t *info, void *context)
{
#if defined(__x86_64__)
    if (context)
        return uint64_t(static_cast<ucontext_t *>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    if (context)
        return uint64_t(static_cast<ucontext_t *>(context)->uc_mcontext.pc);
#endif
    return uint64_t(reinterpret_cast<uintptr_t>(info ? info->si_addr : nullptr));
}

void WriteRegisters(const Out &out, void *context)
{
#if defined(__x86_64__)
    if (!context)
        return;
    static const char *const names[] = {"r8", "r9", "r10", "r11", "r12", "r13", "r14", "r15", "rdi", "rsi", "rbp",
                                        "rbx", "rdx", "rax", "rcx", "rsp", "rip", "efl", "csgsfs", "err", "trapno",
                                        "oldmask", "cr2"};
    const auto &g = static_cast<ucontext_t *>(context)->uc_mcontext.gregs;
    for (int i = 0; i < NGREG && i < int(sizeof(names) / sizeof(names[0])); ++i) {
        out.Str(names[i]);
        out.Str(" = 0x");
        out.Hex(uint64_t(g[i]), false);
        out.Str("\n");
    }
#else
    (void)out;
    (void)context;
#endif
}

bool WriteDump(int sig, const siginfo_t *info, void *context, uint32_t code, uint64_t address)
{
    State &s = g_state;
    const int64_t now = int64_t(::time(nullptr)) + s.tzOffset;
    int y, mo, d;
    CivilFromDays(now >= 0 ? now / 86400 : (now - 86399) / 86400, y, mo, d);
    const int64_t secs = ((now % 86400) + 86400) % 86400;

    Buf path{s.lastDump, sizeof(s.lastDump)};
    path.Str(s.dumpFolder);
    path.Str("/");
    path.Str(s.version);
    path.Str("-");
    path.Dec(y, 4);
    path.Dec(mo, 2);
    path.Dec(d, 2);
    path.Str("-");
    path.Dec(secs / 3600, 2);
    path.Dec(secs / 60 % 60, 2);
    path.Dec(secs % 60, 2);
    path.Str("-");
    path.Dec(::getpid());
    path.Str("-");
    path.Dec(long(::syscall(SYS_gettid)));
    path.Str(".dmp");

    const int fd = ::open(s.lastDump, O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const Out out{fd};
    out.Str("Korvant crash dump\nversion: ");
    out.Str(s.version);
    out.Str("\nsignal: ");
    out.Dec(sig);
    out.Str("\nsignal code: ");
    out.Dec(info ? info->si_code : 0);
    out.Str("\nexception code: ");
    out.Hex(code);
    out.Str("\naddress: 0x");
    out.Hex(address, false);
    out.Str("\nfault address: 0x");
    out.Hex(uint64_t(reinterpret_cast<uintptr_t>(info ? info->si_addr : nullptr)), false);
    out.Str("\nprocess: ");
    out.Dec(::getpid());
    out.Str("\nthread: ");
    out.Dec(long(::syscall(SYS_gettid)));
    out.Str("\n\nregisters:\n");
    WriteRegisters(out, context);
    out.Str("\nbacktrace:\n");
    void *frames[64];
    const int n = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, n, fd);
    out.Str("\nmemory map:\n");
    const int maps = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps >= 0) {
        char buf[4096];
        ssize_t r;
        while ((r = ::read(maps, buf, sizeof(buf))) > 0)
            out.Bytes(buf, size_t(r));
        ::close(maps);
    }
    return ::close(fd) == 0;
}

void WriteReport(uint32_t code, uint64_t address)
{
    State &s = g_state;
    if (!s.reportPath[0] || s.updating.load())
        return;
    const int fd = ::open(s.reportTmp, O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const Out out{fd};
    out.Str(s.before);
    out.Str("<exception><code>");
    out.Hex(code);
    out.Str("</code><address>");
    out.Hex(address);
    out.Str("</address><time>");
    out.Hex(uint64_t(s.last.time));
    out.Str("</time><version>");
    out.Str(s.reportVersion);
    out.Str("</version><passport_id>");
    out.Str(s.passport[0] ? s.passport : "_UNDEF_");
    out.Str("</passport_id><error_msg>unexpected error ");
    if (const CodeText *t = Find(code)) {
        out.Str(t->name);
        out.Str("\n");
        out.Str(t->description);
    } else {
        out.Str("0x");
        out.Hex(code, false);
        out.Str("\nUnknown Exception");
    }
    out.Str("\r\n</error_msg></exception>");
    out.Str(s.after);
    out.Str("\n");
    ::close(fd);
    // A pending report is never replaced: link fails when one exists and the
    // new one is held back.
    ::link(s.reportTmp, s.reportPath);
    ::unlink(s.reportTmp);
}

bool IsStackOverflow(const siginfo_t *info);

void OnFatalSignal(int sig, siginfo_t *info, void *context)
{
    const uint32_t code = sig == SIGSEGV && IsStackOverflow(info) ? StackOverflow : CodeForSignal(sig, info ? info->si_code : 0);
    const uint64_t address = InstructionAddress(info, context);
    RecordNow(code, address);
    WriteDump(sig, info, context, code, address);
    WriteReport(code, address);
    // Let the process end as it would have without us.
    ::sigaction(sig, &g_state.previous[sig], nullptr);
    if (g_state.previous[sig].sa_handler == SIG_IGN || g_state.previous[sig].sa_handler == SIG_DFL) {
        struct sigaction dfl = {};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(sig, &dfl, nullptr);
    }
    ::raise(sig);
}

void CopyText(char *dst, size_t cap, const QByteArray &src)
{
    const size_t n = std::min(cap - 1, size_t(src.size()));
    memcpy(dst, src.constData(), n);
    dst[n] = 0;
}

struct AltStack
{
    void *memory = nullptr;
    ~AltStack()
    {
        if (!memory)
            return;
        stack_t ss = {};
        ss.ss_flags = SS_DISABLE;
        ::sigaltstack(&ss, nullptr);
        free(memory);
    }
};
thread_local AltStack t_altStack;
// The lowest address of this thread's stack: a fault just below it is a stack overflow.
thread_local uintptr_t t_stackLow = 0;

void NoteStackBounds()
{
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return;
    void *low = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attr, &low, &size) == 0)
        t_stackLow = reinterpret_cast<uintptr_t>(low);
    pthread_attr_destroy(&attr);
}

bool IsStackOverflow(const siginfo_t *info)
{
    constexpr uintptr_t Margin = 256 * 1024;
    const uintptr_t fault = reinterpret_cast<uintptr_t>(info ? info->si_addr : nullptr);
    return t_stackLow != 0 && fault + Margin >= t_stackLow && fault < t_stackLow + Margin;
}

} // namespace

void PrepareThread()
{
    if (t_altStack.memory)
        return;
    NoteStackBounds();
    t_altStack.memory = malloc(AltStackSize);
    if (!t_altStack.memory)
        return;
    stack_t ss = {};
    ss.ss_sp = t_altStack.memory;
    ss.ss_size = AltStackSize;
    ::sigaltstack(&ss, nullptr);
}

void InstallCrashHandler(const QString &appName, const QString &version)
{
    State &s = g_state;
    if (s.installed.load())
        return;
    s.last = {};
    const QString folder = QDir::tempPath() + u'/' + appName;
    QDir().mkpath(folder);
    CopyText(s.dumpFolder, sizeof(s.dumpFolder), QFile::encodeName(folder));
    CopyText(s.version, sizeof(s.version), version.toUtf8());
    const time_t now = ::time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    s.tzOffset = local.tm_gmtoff;
    // glibc loads its unwinder on the first call; never let that happen in the handler.
    void *frames[2];
    ::backtrace(frames, 2);

    PrepareThread();
    struct sigaction sa = {};
    sa.sa_sigaction = OnFatalSignal;
    sa.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&sa.sa_mask);
    for (int sig : FatalSignals)
        ::sigaction(sig, &sa, &s.previous[sig]);
    s.installed = true;
    s.enabled = true;
}

void RemoveCrashHandler()
{
    State &s = g_state;
    if (!s.installed.exchange(false))
        return;
    for (int sig : FatalSignals)
        ::sigaction(sig, &s.previous[sig], nullptr);
}

bool IsInstalled()
{
    return g_state.installed.load();
}

void RecordException(uint32_t code, uint64_t address)
{
    if (!g_state.enabled.load())
        return;
    RecordNow(code, address);
}

bool IsRecentException()
{
    const int64_t counter = g_state.last.counter;
    return counter != 0 && double(MonotonicMicros() - counter) < double(RecentMicroseconds);
}

void EnableExceptionRecording()
{
    g_state.enabled = true;
}

void DisableExceptionRecording()
{
    g_state.enabled = false;
}

ExceptionRecord LastException()
{
    return g_state.last;
}

void ForgetLastException()
{
    g_state.last = {};
}

QString GetExceptionText()
{
    const ExceptionRecord r = g_state.last;
    return QStringLiteral("Exception: %1 \n at address:  %2")
        .arg(GetExceptionName(r.code), QString::number(r.address, 16).toUpper());
}


QString GetExceptionName(uint32_t code)
{
    const CodeText *t = Find(code);
    return t ? QString::fromLatin1(t->name) : QStringLiteral("0x") + QString::number(code, 16);
}

QString GetExceptionDescription(uint32_t code)
{
    const CodeText *t = Find(code);
    return t ? QString::fromLatin1(t->description) : QStringLiteral("Unknown Exception");
}

uint32_t CodeForSignal(int signal, int siCode)
{
    switch (signal) {
    case SIGSEGV: return AccessViolation;
    case SIGBUS: return siCode == BUS_ADRALN ? DatatypeMisalignment : InPageError;
    case SIGILL: return siCode == ILL_PRVOPC || siCode == ILL_PRVREG ? PrivilegedInstruction : IllegalInstruction;
    case SIGTRAP: return siCode == TRAP_TRACE ? SingleStep : Breakpoint;
    case SIGABRT: return NoncontinuableException;
    case SIGFPE:
        switch (siCode) {
        case FPE_INTDIV: return IntegerDivideByZero;
        case FPE_INTOVF: return IntegerOverflow;
        case FPE_FLTDIV: return FloatDivideByZero;
        case FPE_FLTOVF: return FloatOverflow;
        case FPE_FLTUND: return FloatUnderflow;
        case FPE_FLTRES: return FloatInexactResult;
        case FPE_FLTSUB: return ArrayBoundsExceeded;
        default: return FloatInvalidOperation;
        }
    default: return 0;
    }
}

QString DumpFolder()
{
    return QString::fromUtf8(g_state.dumpFolder);
}

QString LastDumpPath()
{
    return QString::fromUtf8(g_state.lastDump);
}

QString WriteDumpNow()
{
    if (!g_state.dumpFolder[0])
        return {};
    QDir().mkpath(QString::fromUtf8(g_state.dumpFolder));
    const ExceptionRecord r = g_state.last;
    return WriteDump(0, nullptr, nullptr, r.code, r.address) ? LastDumpPath() : QString();
}

void SetReportTemplate(const QString &reportPath, const QByteArray &beforeException, const QByteArray &version,
                       const QByteArray &passportId, const QByteArray &afterException)
{
    QMutexLocker lock(&g_templateMutex);
    State &s = g_state;
    s.updating = true;
    CopyText(s.reportPath, sizeof(s.reportPath), QFile::encodeName(reportPath));
    CopyText(s.reportTmp, sizeof(s.reportTmp), QFile::encodeName(reportPath) + ".tmp");
    CopyText(s.before, sizeof(s.before), beforeException);
    CopyText(s.reportVersion, sizeof(s.reportVersion), QString::fromUtf8(version).toHtmlEscaped().toUtf8());
    CopyText(s.passport, sizeof(s.passport), QString::fromUtf8(passportId).toHtmlEscaped().toUtf8());
    CopyText(s.after, sizeof(s.after), afterException);
    s.updating = false;
}

} // namespace CrashHandler
