// Start-up time: from process start to the main window's first expose, warm
// cache, against the fake marketplace server; beside a bare Qt program that
// shows an empty QMainWindow, timed alike in the same run. Median of five.
//
//   startup [runs]   (default 5; run under xvfb-run or with QT_QPA_PLATFORM set)

#include "FakeServer.h"
#include "SampleAnswers.h"
#include "TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <time.h>

namespace {

qint64 NowNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// The child of the bare run: an empty main window, its first expose written.
int BareChild(int argc, char *argv[], const QString &probe)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(1000, 680);
    struct Filter : QObject
    {
        QString file;
        QMainWindow *window = nullptr;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Expose && watched == static_cast<QObject *>(window->windowHandle())) {
                QFile out(file);
                if (out.open(QIODevice::WriteOnly))
                    out.write(QByteArray::number(NowNs()));
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            }
            return false;
        }
    } filter;
    filter.file = probe;
    filter.window = &window;
    app.installEventFilter(&filter);
    window.show();
    return app.exec();
}

// Milliseconds from the start of the process to the expose it reported.
double TimeRun(const QString &program, const QStringList &args, const QProcessEnvironment &env, const QString &probe)
{
    QFile::remove(probe);
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    const qint64 start = NowNs();
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    QFile in(probe);
    if (!in.open(QIODevice::ReadOnly))
        return -1;
    return double(in.readAll().toLongLong() - start) / 1e6;
}

double Median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--bare")
        return BareChild(argc, argv, QString::fromLocal8Bit(argv[2]));

    TestEnv::PrepareProcess();
    if (!qEnvironmentVariableIsSet("KORVANT_SOURCE_DIR"))
        qputenv("KORVANT_SOURCE_DIR", KORVANT_SOURCE_DIR);
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 5;
    const QString bin = QCoreApplication::applicationDirPath();

    FakeServer server;
    if (server.Start() <= 0)
        return 1;
    SampleAnswers::ScriptAll(server);
    server.Script("poll", {FakeServer::Response(0)});

    QTemporaryDir dir;
    const QString data = dir.filePath("data");
    const QString probe = dir.filePath("expose");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    if (!env.contains("QT_QPA_PLATFORM") && !env.contains("DISPLAY"))
        env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess seed;
    seed.setProcessEnvironment(env);
    seed.start(bin + "/korvant-seedrun", {data});
    if (!seed.waitForFinished(30000) || seed.exitCode() != 0) {
        std::fprintf(stderr, "startup: cannot prepare the run folder\n");
        return 1;
    }
    QProcessEnvironment clientEnv = env;
    clientEnv.insert("KORVANT_EXPOSE_PROBE", probe);
    const QStringList clientArgs{"-dbpath", data, "-url", server.Url()};

    // One run of each warms the caches.
    TimeRun(bin + "/korvant", clientArgs, clientEnv, probe);
    TimeRun(QCoreApplication::applicationFilePath(), {"--bare", probe}, env, probe);
    QList<double> client, bare;
    for (int i = 0; i < runs; ++i) {
        client << TimeRun(bin + "/korvant", clientArgs, clientEnv, probe);
        bare << TimeRun(QCoreApplication::applicationFilePath(), {"--bare", probe}, env, probe);
    }
    const double c = Median(client), b = Median(bare);
    std::printf("start to first expose, median of %d: korvant %.1f ms, bare QMainWindow %.1f ms, ratio %.2f "
                "(target: korvant under 1000 ms)\n",
                runs, c, b, b > 0 ? c / b : 0.0);
    return c > 0 && b > 0 ? 0 : 1;
}
