// One "poll" answer of N items of mixed kinds, from the request to the
// committed rows, beside the bare fetch-parse-and-insert of the same items,
// and the resident memory a poll adds at its peak (in a child process per
// size).
//
// Both sides start from the request: the bare one fetches the same answer
// from the same server with one plain curl POST, parses it whole with
// libxml2 and writes the rows the poll stored with prepared INSERTs in one
// transaction. The exchange with the test server is no work of the client's,
// and a baseline without it would charge the poll for the server. What the
// bare side leaves out is the client's own work: reading the items into rows
// and what the poll does besides inserting (marking replied queries,
// threading messages, counting a record's threads).
//
// The poll runs on a thread of its own that keeps its connection from poll to
// poll, as the program's poll loop does.
//
//   poll [N...]   (default: 1000 10000)

#include "poll_env.h"

#include "db/Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <curl/curl.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Queries 40 %, quotes 20 % (half for the answer's own queries), messages 20 %,
// hot deals 10 %, orders 10 %.
QByteArray Answer(int n, const QByteArray &prefix, int &items)
{
    QByteArray queries, quotes, messages, deals, orders;
    items = 0;
    for (int i = 0; i < n; ++i, ++items) {
        const QByteArray id = prefix + QByteArray::number(i);
        switch (i % 10) {
        case 0: case 1: case 2: case 3:
            queries += "<query><query_id>Q" + id + "</query_id><owner_id>B1</owner_id>"
                       "<create_time>2024-03-01 10:00:00</create_time><live_time>30</live_time>"
                       "<market_info><name>Sell Here</name></market_info><vehicle_info><make>Ford</make>"
                       "<model>Focus</model><year>2004</year></vehicle_info><part_info><name>Door</name>"
                       "<quantity>1</quantity><max_price>120</max_price></part_info></query>";
            break;
        case 4: case 5:
            quotes += "<quote><quote_id>T" + id + "</quote_id><query_id>Q" + prefix + QByteArray::number(i - 4) +
                      "</query_id><owner_id>S1</owner_id><create_time>2024-03-02 10:00:00</create_time>"
                      "<part_info><name>Door</name><price>99.5</price></part_info></quote>";
            break;
        case 6: case 7:
            messages += "<message><message_id>M" + id + "</message_id><context_type>query</context_type>"
                        "<context_id>Q" + prefix + QByteArray::number(i - 6) + "</context_id><owner_id>B1</owner_id>"
                        "<subject>s</subject><body>Is it still there?</body>"
                        "<create_time>2024-03-05 10:00:00</create_time></message>";
            break;
        case 8:
            deals += "<deal><deal_id>D" + id + "</deal_id><price>50</price><quantity>2</quantity></deal>";
            break;
        default:
            orders += "<order><order_id>O" + id + "</order_id></order>";
        }
    }
    return "<query_list>" + queries + "</query_list><quote_list>" + quotes + "</quote_list><message_list>" + messages +
           "</message_list><deal_list>" + deals + "</deal_list><order_list>" + orders + "</order_list>";
}

// Row ids of every table, to tell one round's rows from the earlier ones.
std::vector<qint64> LastRowIds(SqlConnection &c)
{
    std::vector<qint64> ids;
    for (const TableDef &t : Schema::Tables())
        ids.push_back(c.Scalar("SELECT COALESCE(MAX(rowid), 0) FROM [" + QString::fromLatin1(t.name) + "]").toLongLong());
    return ids;
}

// The answer of the same server to a poll request: one POST, the body
// appended to a buffer reserved to its declared length.
QByteArray Fetch(const QByteArray &url)
{
    struct Sink
    {
        QByteArray body;
        CURL *curl;
        static size_t Write(char *data, size_t size, size_t count, void *user)
        {
            auto *sink = static_cast<Sink *>(user);
            curl_off_t length = -1;
            if (sink->body.isEmpty() &&
                curl_easy_getinfo(sink->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length > 0)
                sink->body.reserve(qsizetype(length));
            sink->body.append(data, qsizetype(size * count));
            return size * count;
        }
    };
    static const QByteArray request = "<kv_request version=\"2.5\" operation=\"poll\" session_id=\"S-1\"/>";
    CURL *curl = curl_easy_init();
    Sink sink{{}, curl};
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.constData());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.size()));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Sink::Write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return rc == CURLE_OK ? sink.body : QByteArray();
}

// One thread that runs what it is given, one job at a time, and lives
// across them.
class Worker
{
public:
    Worker() : m_thread([this] { Loop(); }) {}
    ~Worker()
    {
        Run([] { theDatabase().ReleaseThreadConnection(); });
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void Run(std::function<void()> job)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_job = std::move(job);
        m_wake.notify_all();
        m_wake.wait(lock, [this] { return !m_job; });
    }

private:
    void Loop()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || m_job; });
            if (m_stop)
                return;
            m_job();
            m_job = nullptr;
            m_wake.notify_all();
        }
    }
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::function<void()> m_job;
    bool m_stop = false;
    std::thread m_thread;
};

// The bare work for the same items: the answer fetched and parsed, and the
// rows the poll stored written again by plain prepared INSERTs, in one
// transaction, into a file of the same schema (tables and indexes).
struct Bare
{
    explicit Bare(const QString &path) : c(path)
    {
        for (const TableDef &t : Schema::Tables()) {
            c.ExecScript(t.CreateTableSql());
            for (const QByteArray &sql : t.CreateIndexSql())
                c.ExecScript(sql);
        }
    }

    double Seconds(const QByteArray &url, const QByteArray &body, SqlConnection &stored, const std::vector<qint64> &after)
    {
        QElapsedTimer parseTimer;
        parseTimer.start();
        const QByteArray fetched = Fetch(url);
        if (fetched != body || XmlDoc::Parse(fetched).IsNull())
            return -1;
        const double parse = parseTimer.nsecsElapsed() / 1e9;
        // Identity columns are left to the file, as the poll left them.
        struct Rows { QByteArray insert; std::vector<QVariantList> values; };
        std::vector<Rows> tables;
        size_t k = 0;
        for (const TableDef &t : Schema::Tables()) {
            QByteArray names, marks;
            for (const ColumnDef &col : t.columns) {
                if (col.type == ColumnType::Identity)
                    continue;
                names += (names.isEmpty() ? "[" : ", [") + QByteArray(col.name) + "]";
                marks += marks.isEmpty() ? "?" : ", ?";
            }
            Rows rows{"INSERT INTO [" + QByteArray(t.name) + "] (" + names + ") VALUES (" + marks + ")", {}};
            SqlStatement &st = stored.Prepare("SELECT " + names + " FROM [" + QByteArray(t.name) + "] WHERE rowid > ?");
            st.Bind(1, after[k++]);
            while (st.Step()) {
                QVariantList row;
                for (int i = 0; i < st.ColumnCount(); ++i)
                    row << st.Value(i);
                rows.values.push_back(row);
            }
            st.Reset();
            tables.push_back(std::move(rows));
        }
        QElapsedTimer timer;
        timer.start();
        SqlTransaction tx(c);
        for (const Rows &rows : tables) {
            for (const QVariantList &row : rows.values) {
                SqlStatement &st = c.Prepare(rows.insert);
                st.BindAll(row);
                st.Exec();
            }
        }
        tx.Commit();
        return parse + timer.nsecsElapsed() / 1e9;
    }

    SqlConnection c;
};

long StatusKiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// In a child of its own, polling the parent's server (whose copies of the
// answer are not this process's memory): the resident memory a poll of n
// items adds at its peak (KiB).
int MemoryChild(const QString &url)
{
    BenchEnv env;
    if (!env.ok)
        return 1;
    theSettings().SetString(Setting::ServerURL, url);
    // Writing 5 resets the high-water mark to the current resident size.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return 1;
    clear.close();
    const long before = StatusKiB("VmRSS:");
    thePoller().Poll();
    std::printf("%ld\n", StatusKiB("VmHWM:") - before);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv::PrepareProcess();
    QCoreApplication qapp(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--memory"))
        return MemoryChild(args[3]);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes << qMax(1, atoi(argv[i]));
    if (sizes.isEmpty())
        sizes = {1000, 10000};

    BenchEnv env;
    if (!env.ok)
        return 1;
    const QByteArray url = env.server.Url().toUtf8();
    Worker pollThread;
    auto poll = [&] { pollThread.Run([] { thePoller().Poll(); }); };
    std::vector<std::pair<long, long>> memory;
    for (int n : sizes) {
        int items = 0;
        const QByteArray body = FakeServer::Response(0, Answer(n, "m-", items));
        env.server.Script(QStringLiteral("poll"), FakeServer::Answer{body});
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--memory"), QString::number(n), env.server.Url()});
        if (!child.waitForFinished(600000) || child.exitCode() != 0)
            return 1;
        memory.emplace_back(child.readAllStandardOutput().trimmed().toLong(), long(body.size() / 1024));
    }

    Bare bare(theApp().GetDataFolder() + QStringLiteral("bare.db"));
    std::printf("%8s %13s %13s %10s %12s %10s\n", "items", "poll items/s", "bare items/s", "poll/bare", "peak memory",
                "answer");
    // A running program has polled before: its statements are prepared and
    // the file's pages are cached. One small poll first, not counted.
    {
        int items = 0;
        env.server.Script(QStringLiteral("poll"), FakeServer::Answer{FakeServer::Response(0, Answer(20, "w-", items))});
        poll();
    }
    struct Goal
    {
        int items;
        double speed, memory;
    };
    std::vector<Goal> goals;
    // Each size three times at least, and a small one until about 30,000
    // items went through, the best of each side: the machine may be busy, and
    // a poll of 1,000 items is over in a few tens of milliseconds.
    int round = 0;
    for (int n : sizes) {
        double best = 1e9, bareBest = 1e9;
        int items = 0;
        bool allCounted = true;
        const int reps = std::max(3, 30000 / std::max(1, n));
        for (int rep = 0; rep < reps; ++rep) {
            const QByteArray prefix = "r" + QByteArray::number(round) + "-" + QByteArray::number(rep) + "-";
            const QByteArray body = FakeServer::Response(0, Answer(n, prefix, items));
            env.server.Script(QStringLiteral("poll"), FakeServer::Answer{body});
            SqlConnection &stored = theDatabase().Connection();
            const std::vector<qint64> before = LastRowIds(stored);
            QElapsedTimer timer;
            timer.start();
            poll();
            best = std::min(best, timer.nsecsElapsed() / 1e9);
            int counted = 0;
            for (int v : thePoller().Counts().value)
                counted += v;
            allCounted = allCounted && counted == items;
            const double bareSeconds = bare.Seconds(url, body, stored, before);
            if (bareSeconds < 0)
                return 1;
            bareBest = std::min(bareBest, bareSeconds);
        }
        const double rate = items / best;
        const double bareRate = items / bareBest;
        const auto [peak, answer] = memory[size_t(round++)];
        goals.push_back({items, rate / bareRate, double(peak) / double(std::max(1L, answer))});
        std::printf("%8d %13.0f %13.0f %10.2f %9ld KiB %6ld KiB%s\n", items, rate, bareRate, rate / bareRate, peak,
                    answer, allCounted ? "" : "  (some items not stored!)");
    }
    for (const Goal &g : goals) {
        std::printf("goal poll speed at %d items: %.2f of bare (target at least 0.7): %s\n", g.items, g.speed,
                    g.speed >= 0.7 ? "met" : "missed");
    }
    for (const Goal &g : goals) {
        if (g.items < 10000)
            continue;
        std::printf("goal peak memory of a poll at %d items: %.2fx the answer (target at most 3x): %s\n", g.items,
                    g.memory, g.memory <= 3.0 ? "met" : "missed");
    }
    return 0;
}
