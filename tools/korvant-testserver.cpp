// The test marketplace server: the tests' fake server as a program of its
// own, answering on loopback with sample data, for trying the client by hand.
//
//   korvant-testserver [--samples DIR] [--fixtures DIR] [--fault OPERATION=MODE ...] [--control FILE]
//                      [--requests FILE] [--date "YYYY-MM-DD HH:MM:SS"] [--state FILE]
//
// --fault makes every answer to one operation misbehave: silent (headers,
// then nothing), trickle (1 byte/s), endless (a body that never ends),
// huge-body (600 MB), huge-header (a 4 MB header line), html, cut-short,
// http500, code4 (result code 4), redirect-loop, redirect-file (to file://),
// garbage (broken XML with stray bytes), code4-once (result code 4 to the
// next request only).
// --control switches faults while the server runs: FILE is read again
// whenever it changes, its lines "operation=mode" applied in order, "ok" as
// the mode giving the operation its usual answer back. Each line applied is
// printed as "CONTROL operation=mode".
// --requests appends each request to FILE as it comes ("operation<TAB>body").
// --date is the server's clock in the "getMainInfo" answer (the client purges
// the queries that expired before it); the fixture's date otherwise.
// --state keeps in FILE how far the member has got (polls answered, ids
// given), so that a run started again on the same data folder goes on.
//
// Listens on a free loopback port, prints "URL <address>" once it does,
// then serves until interrupted.

#include "FakeServer.h"
#include "testserver/FaultControl.h"
#include "testserver/MarketScript.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <memory>
#include <optional>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "korvant-testserver: cannot read %s\n", qPrintable(path));
        return {};
    }
    return f.readAll();
}

QByteArray g_mainInfoDate;

void StampMainInfoDate(QByteArray &body)
{
    if (g_mainInfoDate.isEmpty())
        return;
    const qsizetype from = body.indexOf("<date>");
    const qsizetype to = body.indexOf("</date>");
    if (from >= 0 && to > from)
        body.replace(from + 6, to - from - 6, g_mainInfoDate);
}

FakeServer::Answer Body(const QByteArray &body)
{
    FakeServer::Answer a;
    a.body = body;
    return a;
}

// Orders, hot deals and quote pictures: the secure host is this server, the
// deal payment page ends in "app:deal-pay-done", every quote picture is one
// sample picture.
// A record fetched by id comes back under the id asked for, as a real
// marketplace answers: the client refuses an answer naming another record.
void AnswerWithTheAskedId(FakeServer &server, const QDir &fixtures)
{
    const std::pair<const char *, const char *> fetches[] = {
        {"getQuery", "query_id"}, {"getCarQuery", "car_query_id"}, {"getOrder", "order_id"}};
    for (const auto &[operation, element] : fetches) {
        const QByteArray sample = ReadFile(fixtures.filePath(QLatin1String(operation) + QLatin1String(".xml")));
        if (sample.isEmpty())
            continue;
        const QByteArray open = '<' + QByteArray(element) + '>';
        const QByteArray close = "</" + QByteArray(element) + '>';
        server.SetResponder(QLatin1String(operation), [sample, open, close](const FakeServer::Request &request) {
            std::optional<FakeServer::Answer> answer;
            const qsizetype askedAt = request.body.indexOf(open);
            const qsizetype askedEnd = askedAt < 0 ? -1 : request.body.indexOf(close, askedAt);
            const qsizetype at = sample.indexOf(open);
            const qsizetype end = at < 0 ? -1 : sample.indexOf(close, at);
            if (askedEnd < 0 || end < 0)
                return answer;
            const QByteArray asked = request.body.mid(askedAt + open.size(), askedEnd - askedAt - open.size());
            QByteArray body = sample;
            body.replace(at + open.size(), end - at - open.size(), asked);
            answer = Body(body);
            return answer;
        });
    }
}

void ServeTradingPages(FakeServer &server, const QDir &fixtures)
{
    const QByteArray mainInfo = ReadFile(fixtures.filePath(QStringLiteral("getMainInfo.xml")));
    server.SetResponder(QStringLiteral("getMainInfo"), [&server, mainInfo](const FakeServer::Request &) {
        QByteArray body = mainInfo;
        StampMainInfoDate(body);
        const qsizetype from = body.indexOf("<ssl_host>");
        const qsizetype to = body.indexOf("</ssl_host>");
        if (from >= 0 && to > from)
            body.replace(from + 10, to - from - 10, server.Url().toUtf8());
        return std::optional<FakeServer::Answer>(Body(body));
    });
    const QByteArray picture = ReadFile(fixtures.filePath(QStringLiteral("quote_image.jpg")));
    server.SetResponder(QString(), [picture](const FakeServer::Request &request) {
        std::optional<FakeServer::Answer> answer;
        const QStringList parts = request.path.split(u'/', Qt::SkipEmptyParts);
        const QString page = parts.value(0);
        if (page == u"pay_hot_deal" && parts.size() == 3) {
            answer = Body("<html><head><title>Hot Deal Payment</title></head><body><h2>Hot Deal Payment</h2>"
                          "<p>Deal " + parts[2].toHtmlEscaped().toUtf8() + ": $9.95 for 90 days.</p>"
                          "<p><a id=\"pay\" href=\"app:deal-pay-done\">Pay now</a></p></body></html>");
            answer->contentType = "text/html; charset=utf-8";
        } else if (page == u"hot_deal" && parts.size() == 2) {
            answer = Body("<html><head><title>Hot Deal</title></head><body><h2>Hot deal " +
                          parts[1].toHtmlEscaped().toUtf8() + "</h2></body></html>");
            answer->contentType = "text/html; charset=utf-8";
        } else if (parts.size() >= 3
                   && (parts[parts.size() - 3] == u"quote_image" || parts[parts.size() - 3] == u"car_quote_image")) {
            answer = Body(picture);
            answer->contentType = "image/jpeg";
        }
        return answer;
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvant-testserver"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Test marketplace server for the Korvant client"));
    parser.addHelpOption();
    QCommandLineOption samples(QStringLiteral("samples"), QStringLiteral("Folder of the poll sample."),
                               QStringLiteral("dir"), QStringLiteral(KORVANT_TOOLS_SAMPLES));
    QCommandLineOption fixtures(QStringLiteral("fixtures"), QStringLiteral("Folder of the operation samples."),
                                QStringLiteral("dir"), QStringLiteral(KORVANT_NET_FIXTURES));
    QStringList faultModes = FaultControl::Modes();
    faultModes.removeAll(QStringLiteral("ok"));
    QCommandLineOption fault(QStringLiteral("fault"),
                             QStringLiteral("Answers OPERATION with a fault: ") + faultModes.join(QStringLiteral(", ")) +
                                 u'.',
                             QStringLiteral("operation=mode"));
    parser.addOption(samples);
    parser.addOption(fixtures);
    parser.addOption(fault);
    QCommandLineOption requests(QStringLiteral("requests"), QStringLiteral("Appends each request to a file."),
                                QStringLiteral("file"));
    parser.addOption(requests);
    QCommandLineOption date(QStringLiteral("date"), QStringLiteral("The server's time in the main info answer."),
                            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    parser.addOption(date);
    QCommandLineOption control(QStringLiteral("control"),
                               QStringLiteral("Switches faults while serving: lines \"operation=mode\" of a file, "
                                              "read again whenever it changes (mode \"ok\": the usual answer)."),
                               QStringLiteral("file"));
    parser.addOption(control);
    QCommandLineOption state(QStringLiteral("state"),
                             QStringLiteral("Remembers in a file what the member was sent, so that a server started "
                                            "again for the same data folder goes on where the last one stopped."),
                             QStringLiteral("file"));
    parser.addOption(state);
    parser.process(app);
    if (parser.isSet(date)) {
        const QString value = parser.value(date);
        if (!QDateTime::fromString(value, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid()) {
            std::fprintf(stderr, "korvant-testserver: --date wants \"yyyy-MM-dd HH:mm:ss\", not \"%s\"\n",
                         qPrintable(value));
            return 2;
        }
        g_mainInfoDate = value.toUtf8();
    }

    const QDir fixtureDir(parser.value(fixtures));
    const QDir sampleDir(parser.value(samples));

    FakeServer server;
    // One answer file per operation: getMainInfo, getMetaInfo (with its
    // rating script), getCarMetaInfo, getMarketPlaces, getProfile, login,
    // newQuery, newMessage, ...
    for (const QString &file : fixtureDir.entryList({QStringLiteral("*.xml")}, QDir::Files)) {
        const QByteArray body = ReadFile(fixtureDir.filePath(file));
        if (!body.isEmpty())
            server.Script(QFileInfo(file).completeBaseName(), Body(body));
    }
    // The metadata's rating script rates the seller's inventory, so the
    // auto-reply answers the leads it holds.
    server.Script(QStringLiteral("getMetaInfo"),
                  Body(MarketScript::WithRatingScript(ReadFile(fixtureDir.filePath(QStringLiteral("getMetaInfo.xml"))))));
    // A sample of the same operation stands in for the fixture (the
    // marketplaces add one whose server refuses queries).
    for (const QString &file : sampleDir.entryList({QStringLiteral("*.xml")}, QDir::Files)) {
        const QString operation = QFileInfo(file).completeBaseName();
        if (operation == QLatin1String("poll"))
            continue;
        const QByteArray body = ReadFile(sampleDir.filePath(file));
        if (!body.isEmpty())
            server.Script(operation, Body(body));
    }
    // The other members: the first poll brings the sample records, later
    // polls what they answer to the member (tools/testserver/MarketScript.h).
    MarketScript market(server, ReadFile(sampleDir.filePath(QStringLiteral("poll.xml"))));
    market.SetQuotePicture(ReadFile(fixtureDir.filePath(QStringLiteral("quote_image.jpg"))));
    if (parser.isSet(state))
        market.RememberIn(parser.value(state));
    market.Install();

    // Every page of the web site (GET, no operation): a small page with
    // in-page commands, a form posted to one and an alert.
    FakeServer::Answer page;
    page.contentType = "text/html; charset=utf-8";
    page.body = "<html><head><title>Korvant marketplace</title></head><body>"
                "<h2>Korvant marketplace (test server)</h2>"
                "<p><a href=\"app:messages\">Messages</a> | <a href=\"app:my_profile\">My extended profile</a> | "
                "<a href=\"app:marketplaces\">Marketplaces</a> | <a href=\"app:part_query\">Open queries</a> | "
                "<a href=\"app:relogin\">Log in again</a></p>"
                "<form method=\"post\" action=\"app:tradewick-quote-change\">"
                "Price <input name=\"price\" value=\"10.00\"> Notes <input name=\"notes\" value=\"a+b &amp; c\">"
                " <input type=\"submit\" value=\"Keep quote values\"></form>"
                "<p><button onclick=\"alert('Hello from the marketplace')\">Say hello</button></p>"
                "</body></html>";
    server.Script(QString(), page);
    ServeTradingPages(server, fixtureDir);
    AnswerWithTheAskedId(server, fixtureDir);

    // Faults stand before every answer above, so they are set up last.
    FaultControl faults(server);
    for (const QString &f : parser.values(fault)) {
        if (!faults.Apply(f.toUtf8()).isEmpty()) {
            std::fprintf(stderr, "korvant-testserver: unknown fault \"%s\" (operation=mode)\n", qPrintable(f));
            return 2;
        }
    }

    if (server.Start() <= 0) {
        std::fprintf(stderr, "korvant-testserver: cannot listen on 127.0.0.1\n");
        return 1;
    }
    std::optional<RequestLog> requestLog;
    if (parser.isSet(requests) && !requestLog.emplace(server, parser.value(requests)).IsOpen()) {
        std::fprintf(stderr, "korvant-testserver: cannot write %s\n", qPrintable(parser.value(requests)));
        return 1;
    }
    std::printf("URL %s\n", qPrintable(server.Url()));
    std::fflush(stdout);
    if (parser.isSet(control)) {
        faults.Watch(parser.value(control), [](const QString &line) {
            std::printf("CONTROL %s\n", qPrintable(line));
            std::fflush(stdout);
        });
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return 1;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    const int code = app.exec();

    QTextStream err(stderr);
    err << "korvant-testserver: " << server.Requests().size() << " requests served\n";
    server.Stop();
    return code;
}
