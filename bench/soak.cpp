// Many polls in a row against the fake server with changing answers: new
// records, repeats of earlier ones, and a fault now and then. Prints resident
// memory and open file descriptors every 100 polls; fails when either keeps
// growing. Ends with one answer near the size cap and its peak memory.
//
//   soak [POLLS]   (default: 2000)

#include "poll_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    TestEnv::PrepareProcess();
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

    // One well-formed answer just under the cap: peak memory against its size
    // (the fake server in this process holds a few copies of it as well).
    const QByteArray head = "<kv_response result_code=\"0\"><query_list>", tail = "</query_list></kv_response>";
    const QByteArray item = "<query><query_id>X</query_id><part_info><name>Door</name></part_info></query>";
    QByteArray big = head;
    big.reserve(XRequest::MaxAnswerBytes);
    while (big.size() + item.size() + tail.size() < XRequest::MaxAnswerBytes - 1024)
        big += item;
    big += tail;
    const qint64 before = StatusValueKb("VmHWM:");
    XRequest r(QStringLiteral("getQuery"));
    FakeServer::Answer a;
    a.body = big;
    env.server.Script(QStringLiteral("getQuery"), a);
    const bool ok = r.Send();
    std::printf("answer of %lld MB: %s, peak memory %lld MB (before %lld MB)\n", big.size() >> 20,
                ok ? "read" : qPrintable(r.GetStatusText()), StatusValueKb("VmHWM:") >> 10, before >> 10);
    std::printf(flat ? "memory and descriptors flat\n" : "FAILED\n");
    return flat ? 0 : 1;
}
