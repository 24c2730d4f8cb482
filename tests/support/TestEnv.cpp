#include "TestEnv.h"

#include <QDir>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString g_root;
int g_counter = 0;

void RemoveRoot()
{
    if (!g_root.isEmpty() && !qEnvironmentVariableIsSet("KORVANT_KEEP_TEST_DIRS"))
        QDir(g_root).removeRecursively();
}

// Without the private root every folder would land at "/" and be shared by all
// runs, so a test main that skipped PrepareProcess stops here.
const QString &PreparedRoot()
{
    if (g_root.isEmpty())
        qFatal("TestEnv::PrepareProcess was not called: start the test with KORVANT_TEST_MAIN");
    return g_root;
}
} // namespace

namespace TestEnv {

void PrepareProcess()
{
    ::umask(077);
    QByteArray pattern = QDir::tempPath().toUtf8() + "/korvant-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        qFatal("cannot create a temporary folder");
    g_root = QString::fromUtf8(pattern);
    std::atexit(RemoveRoot);
    const QString home = g_root + QStringLiteral("/home");
    for (const char *sub : {"", "/.config", "/.local/share", "/.cache", "/runtime"})
        QDir().mkpath(home + QLatin1String(sub));
    QDir().mkpath(g_root + QStringLiteral("/tmp"));
    qputenv("TMPDIR", (g_root + QStringLiteral("/tmp")).toUtf8());
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/.cache")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", (home + QStringLiteral("/runtime")).toUtf8());
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Proxies of the environment must not catch the loopback fake server.
    qputenv("no_proxy", "127.0.0.1,localhost");
    qputenv("NO_PROXY", "127.0.0.1,localhost");
}

QString Root()
{
    return PreparedRoot();
}

QString NewFolder(const QString &prefix)
{
    const QString path = QStringLiteral("%1/%2-%3").arg(PreparedRoot(), prefix).arg(++g_counter);
    QDir().mkpath(path);
    return path;
}

QString SourceDir()
{
    return qEnvironmentVariable("KORVANT_SOURCE_DIR");
}

FileSizeLimit::FileSizeLimit(long long bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_saved = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_saved);
    setrlimit(RLIMIT_FSIZE, &limit);
}

} // namespace TestEnv
