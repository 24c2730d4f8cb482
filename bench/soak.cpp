// Many polls in a row against the fake server with changing answers: new
// records, repeats of earlier ones, and a fault now and then. Prints resident
// memory and open file descriptors every 100 polls; fails when either keeps
// growing. Ends with one answer near the size cap read in a child process,
// its peak memory judged against the answer's size.
//
//   soak [POLLS]   (default: 2000)

#include "poll_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

qint64 StatusValueKb(const char *name)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(qsizetype(qstrlen(name))).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

int OpenDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

QByteArray Items(int poll)
{
    QByteArray queries, quotes, messages;
    for (int i = 0; i < 20; ++i) {
        // Every other record repeats one of the poll before.
        const QByteArray id = QByteArray::number(i % 2 ? poll - 1 : poll) + "_" + QByteArray::number(i);
        queries += "<query><query_id>Q" + id + "</query_id><owner_id>B1</owner_id>"
                   "<create_time>2024-03-01 10:00:00</create_time><part_info><name>Door</name></part_info></query>";
        quotes += "<quote><quote_id>T" + id + "</quote_id><query_id>Q" + id + "</query_id><owner_id>S1</owner_id>"
                  "<part_info><price>9.5</price></part_info></quote>";
        messages += "<message><message_id>M" + id + "</message_id><context_type>query</context_type><context_id>Q" +
                    id + "</context_id><owner_id>B" + QByteArray::number(i % 3) + "</owner_id><body>b</body>"
                    "<create_time>2024-03-05 10:00:00</create_time></message>";
    }
    return "<query_list>" + queries + "</query_list><quote_list>" + quotes + "</quote_list><message_list>" + messages +
           "</message_list>";
}

FakeServer::Answer AnswerFor(int poll)
{
    static const FakeServer::Fault faults[] = {FakeServer::Fault::CutShort, FakeServer::Fault::Http500,
                                               FakeServer::Fault::Html, FakeServer::Fault::Code4,
                                               FakeServer::Fault::RedirectLoop};
    if (poll % 10 == 9)
        return FakeServer::FaultAnswer(faults[(poll / 10) % std::size(faults)]);
    FakeServer::Answer a;
    a.body = FakeServer::Response(0, Items(poll));
    return a;
}

// A well-formed "getQuery" answer just under the size cap.
QByteArray BigAnswer()
{
    const QByteArray head = "<kv_response result_code=\"0\"><query_list>", tail = "</query_list></kv_response>";
    const QByteArray item = "<query><query_id>X</query_id><part_info><name>Door</name></part_info></query>";
    QByteArray big = head;
    big.reserve(XRequest::MaxAnswerBytes);
    while (big.size() + item.size() + tail.size() < XRequest::MaxAnswerBytes - 1024)
        big += item;
    big += tail;
    return big;
}

// In a child: prints the resident memory (KiB) that reading the answer at
// the URL added at its peak.
int ReadBigAnswer(const QString &url)
{
    BenchEnv env;
    if (!env.ok)
        return 1;
    // Writing 5 resets the high-water mark to the current resident size.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return 1;
    clear.close();
    const qint64 before = StatusValueKb("VmRSS:");
    XRequest r(QStringLiteral("getQuery"), url);
    if (!r.Send()) {
        std::printf("%s\n", qPrintable(r.GetStatusText()));
        return 1;
    }
    std::printf("%lld\n", StatusValueKb("VmHWM:") - before);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestEnv::PrepareProcess();
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--big"))
        return ReadBigAnswer(args[2]);
    const int polls = argc > 1 ? QByteArray(argv[1]).toInt() : 2000;
    BenchEnv env;
    if (!env.ok)
        return 2;
    std::printf("%8s %10s %6s\n", "polls", "rss_kb", "fds");
    QList<qint64> rss;
    QList<int> fds;
    for (int poll = 1; poll <= polls; ++poll) {
        env.server.Script(QStringLiteral("poll"), AnswerFor(poll));
        thePoller().Poll();
        if (poll % 100 == 0) {
            // The fakes record every call and request: not the program's memory.
            env.t.frame.log.Clear();
            env.server.ClearRequests();
            rss.append(StatusValueKb("VmRSS:"));
            fds.append(OpenDescriptors());
            std::printf("%8d %10lld %6d\n", poll, rss.last(), fds.last());
            std::fflush(stdout);
        }
    }
    bool flat = true;
    if (rss.size() >= 4) {
        // After the warm-up (caches, the database's pages) the second half
        // may grow by a few percent at most, the descriptors not at all.
        const qint64 mid = rss[rss.size() / 2], last = rss.last();
        if (last > mid + mid / 10 + 8 * 1024) {
            std::printf("memory grows: %lld kB at the middle, %lld kB at the end\n", mid, last);
            flat = false;
        }
        if (fds.last() > fds[fds.size() / 2] + 2) {
            std::printf("descriptors grow: %d at the middle, %d at the end\n", fds[fds.size() / 2], fds.last());
            flat = false;
        }
    }

    // One well-formed answer just under the cap, read by a child of this
    // program from this one's server: the child's peak is the request's alone.
    const QByteArray big = BigAnswer();
    FakeServer::Answer a;
    a.body = big;
    env.server.Script(QStringLiteral("getQuery"), a);
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--big"), env.server.Url()});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
        std::printf("the large answer was not read: %s\n", child.readAllStandardOutput().constData());
        return 1;
    }
    const qint64 peak = child.readAllStandardOutput().trimmed().toLongLong();
    const double ratio = double(peak) * 1024.0 / double(big.size());
    std::printf("answer of %lld MB: peak memory added %lld MB\n", qlonglong(big.size() >> 20), peak >> 10);
    std::printf(flat ? "memory and descriptors flat\n" : "FAILED\n");
    std::printf("goal memory and descriptors over %d polls: %s (target flat): %s\n", polls, flat ? "flat" : "growing",
                flat ? "met" : "missed");
    std::printf("goal peak memory of a %lld MB answer: %.2fx the answer (target at most 3x): %s\n",
                qlonglong(big.size() >> 20), ratio, ratio <= 3.0 ? "met" : "missed");
    return flat ? 0 : 1;
}
