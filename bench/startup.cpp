// Start-up time: from process start to the main window's first expose, warm
// cache, against the fake marketplace server; beside a bare program that shows
// an empty QMainWindow and loads the same libraries (startup_bare: the same
// process start), and beside one that loads Qt Widgets only, timed alike in
// the same run, in turns. Median of the runs.
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

// The child of the bare run with Qt Widgets only: an empty main window, its
// first expose written.
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

    struct Program
    {
        QString path;
        QStringList args;
        QProcessEnvironment env;
        QList<double> times;
    };
    Program client{bin + "/korvant", clientArgs, clientEnv, {}};
    Program bare{bin + "/startup_bare", {probe}, env, {}};
    Program widgets{QCoreApplication::applicationFilePath(), {"--bare", probe}, env, {}};
    QList<Program *> order{&client, &bare, &widgets};
    // One run of each warms the caches; then each in turn, the order reversed
    // every other round.
    for (Program *p : order)
        TimeRun(p->path, p->args, p->env, probe);
    for (int i = 0; i < runs; ++i) {
        for (Program *p : order)
            p->times << TimeRun(p->path, p->args, p->env, probe);
        std::reverse(order.begin(), order.end());
    }
    const double c = Median(client.times), b = Median(bare.times), w = Median(widgets.times);
    if (c <= 0 || b <= 0 || w <= 0) {
        std::fprintf(stderr, "startup: a run did not report its first expose\n");
        return 1;
    }
    std::printf("start to first expose, median of %d: korvant %.1f ms, bare QMainWindow with korvant's libraries "
                "%.1f ms (%.2fx), bare QMainWindow with Qt Widgets only %.1f ms (%.2fx)\n",
                runs, c, b, c / b, w, c / w);
    const double ratio = c / b;
    std::printf("goal startup first expose: %.2fx (target 2x): %s\n", ratio, ratio <= 2.0 ? "met" : "missed");
    return 0;
}
