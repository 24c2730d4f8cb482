// Reading a poll-sized answer through the record sets against a bare prepared
// INSERT of the same rows.
//
//   read_records [N = 10000]
//
// The benchmark writes an answer with N parts queries and N parts quotes,
// parses it, and stores every record through XQuerySet / XQuoteSet (reader,
// AddNew, Update) in one transaction. The same rows are then written by a bare
// prepared INSERT into a second file with the same schema. The parse is also
// timed beside libxml2's bare xmlCtxtReadMemory of the same bytes.

#include "app/AppCore.h"
#include "db/KVDatabase.h"
#include "db/Schema.h"
#include "db/XQuerySet.h"
#include "db/XQuoteSet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <libxml/parser.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray Answer(int n)
{
    QByteArray xml = "<kv_response><result_code>0</result_code><query_list>";
    for (int i = 0; i < n; ++i) {
        const QByteArray k = QByteArray::number(i);
        xml += "<query><query_id>Q" + k + "</query_id><owner_id>B" + k +
               "</owner_id><create_time>2024-05-01 10:00:00</create_time><live_time>30</live_time>"
               "<market_id>M1</market_id><market_info><name>Main</name></market_info>"
               "<contact_info><name>Buyer " + k + "</name><phone>555-01" + k +
               "</phone><city>Austin</city><state>TX</state><zip>73301</zip><country>US</country>"
               "<company>Body works</company><signature>Thanks</signature><business_type>Body Shop</business_type>"
               "</contact_info><vehicle_info><make>Ford</make><model>Focus</model><year>2004</year>"
               "<engine_type>V6</engine_type><engine_size>3.0</engine_size><engine_size_units>L</engine_size_units>"
               "</vehicle_info><part_info><category>Engine</category><type>Used</type><name>Alternator</name>"
               "<quantity>1</quantity><max_price>150.00</max_price><side>LEFT FRONT</side>"
               "<other>Needs it by Friday, please call.</other></part_info>"
               "<business_info><originating_state>TX</originating_state><qualification>3</qualification>"
               "</business_info></query>";
    }
    xml += "</query_list><quote_list>";
    for (int i = 0; i < n; ++i) {
        const QByteArray k = QByteArray::number(i);
        xml += "<quote><quote_id>T" + k + "</quote_id><query_id>Q" + k +
               "</query_id><create_time>2024-05-01 11:00:00</create_time><live_time>14</live_time>"
               "<owner_id>S" + k + "</owner_id><market_id>M1</market_id><market_info><name>Main</name></market_info>"
               "<contact_info><name>Seller " + k + "</name><phone>555-02" + k +
               "</phone><website>seller.example</website><city>Dallas</city><state>TX</state>"
               "<signature>Best</signature></contact_info><vehicle_info><make>Ford</make><model>Focus</model>"
               "<year>2004</year></vehicle_info><part_info><category>Engine</category><type>Used</type>"
               "<name>Alternator</name><quantity>1</quantity><box_quantity>1</box_quantity><price>120.00</price>"
               "<core_deposit>20</core_deposit><shipping_handling>15</shipping_handling><stock_number>ST" + k +
               "</stock_number><other>Tested, 90 day warranty.</other></part_info>"
               "<business_info><qualification>4</qualification></business_info></quote>";
    }
    xml += "</quote_list></kv_response>";
    return xml;
}

double Seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

struct Rows
{
    QByteArray insertSql;
    std::vector<std::vector<QVariant>> values;
};

// Every stored row of a table as it lies in the file, with an INSERT of all its columns.
Rows ReadBack(SqlConnection &c, const TableDef &t)
{
    Rows rows;
    QByteArray names, marks;
    for (size_t i = 0; i < t.columns.size(); ++i) {
        names += (i ? ", [" : "[") + QByteArray(t.columns[i].name) + "]";
        marks += i ? ", ?" : "?";
    }
    rows.insertSql = "INSERT INTO [" + QByteArray(t.name) + "] (" + names + ") VALUES (" + marks + ")";
    SqlStatement &st = c.Prepare("SELECT " + names + " FROM [" + QByteArray(t.name) + "]");
    while (st.Step()) {
        std::vector<QVariant> row;
        for (int i = 0; i < int(t.columns.size()); ++i)
            row.push_back(st.Value(i));
        rows.values.push_back(std::move(row));
    }
    st.Reset();
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication qapp(argc, argv);
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    GlobalsScope scope;
    auto app = std::make_unique<AppCore>();
    app->ParseCommandLine(QStringList{QStringLiteral("read_records"), QStringLiteral("-dbpath"), dir.path()});
    Globals::Install(GlobalSlot::App, std::move(app));
    Globals::Install(GlobalSlot::Database, std::make_unique<KVDatabase>());
    KVDatabase &db = theDatabase();
    if (!db.init())
        return 1;

    const QByteArray answer = Answer(n);

    // XmlDoc::Parse beside libxml2's own parse of the same bytes with the same
    // options. Each document is freed before the other parse starts, so both
    // find the same warm memory; the order alternates, a first round warms
    // both up uncounted, and each side reports its median.
    auto timeOwn = [&] {
        QElapsedTimer p;
        p.start();
        XmlDoc own = XmlDoc::Parse(answer);
        const double s = Seconds(p);
        return own.IsNull() ? -1.0 : s;
    };
    auto timeBare = [&] {
        QElapsedTimer p;
        p.start();
        xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
        xmlDocPtr bare = ctxt ? xmlCtxtReadMemory(ctxt, answer.constData(), int(answer.size()), nullptr, nullptr,
                                                  XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR |
                                                      XML_PARSE_NOWARNING)
                              : nullptr;
        if (ctxt)
            xmlFreeParserCtxt(ctxt);
        const double s = Seconds(p);
        if (!bare)
            return -1.0;
        xmlFreeDoc(bare);
        return s;
    };
    std::vector<double> ownTimes, bareTimes;
    for (int round = 0; round < 8; ++round) {
        const bool ownFirst = round % 2 == 0;
        const double first = ownFirst ? timeOwn() : timeBare();
        const double second = ownFirst ? timeBare() : timeOwn();
        if (first < 0 || second < 0)
            return 1;
        if (round == 0)
            continue;
        ownTimes.push_back(ownFirst ? first : second);
        bareTimes.push_back(ownFirst ? second : first);
    }
    std::sort(ownTimes.begin(), ownTimes.end());
    std::sort(bareTimes.begin(), bareTimes.end());
    const double ownParse = ownTimes[ownTimes.size() / 2], bareParse = bareTimes[bareTimes.size() / 2];

    QElapsedTimer t;
    t.start();
    const XmlDoc doc = XmlDoc::Parse(answer);
    if (doc.IsNull())
        return 1;
    const double parse = Seconds(t);
    {
        SqlTransaction tr(db.Connection());
        XQuerySet queries(&db);
        for (const XmlNode &q : doc.Root().Select(QStringLiteral("query_list")).Children()) {
            queries.AddNew();
            queries.ReadQueryXml(q);
            queries.Update();
        }
        XQuoteSet quotes(&db);
        for (const XmlNode &q : doc.Root().Select(QStringLiteral("quote_list")).Children()) {
            quotes.AddNew();
            quotes.ReadQuoteXml(q);
            quotes.Update();
        }
        tr.Commit();
    }
    const double sets = Seconds(t);

    // The same rows through a bare prepared INSERT into a file with the same schema.
    const TableDef &qt = Schema::Require(QStringLiteral("Queries"));
    const TableDef &ot = Schema::Require(QStringLiteral("Quotes"));
    const Rows queryRows = ReadBack(db.Connection(), qt);
    const Rows quoteRows = ReadBack(db.Connection(), ot);
    double bare = 0;
    {
        SqlConnection c(dir.filePath(QStringLiteral("bare.db")));
        for (const TableDef &td : Schema::Tables()) {
            c.ExecScript(td.CreateTableSql());
            for (const QByteArray &sql : td.CreateIndexSql())
                c.ExecScript(sql);
        }
        QElapsedTimer b;
        b.start();
        SqlTransaction tr(c);
        for (const Rows *rows : {&queryRows, &quoteRows}) {
            for (const auto &row : rows->values) {
                SqlStatement &st = c.Prepare(rows->insertSql);
                for (size_t i = 0; i < row.size(); ++i)
                    st.Bind(int(i) + 1, row[i]);
                st.Exec();
            }
        }
        tr.Commit();
        bare = Seconds(b);
    }

    const int records = int(queryRows.values.size() + quoteRows.values.size());
    std::printf("records: %d (%d queries, %d quotes), answer %.1f MB\n", records, int(queryRows.values.size()),
                int(quoteRows.values.size()), answer.size() / 1e6);
    std::printf("parse        : %10.3f s (medians: XmlDoc::Parse %.3f s, bare libxml2 %.3f s)\n", parse, ownParse,
                bareParse);
    std::printf("record sets  : %10.0f records/s (%.3f s, parse included)\n", records / sets, sets);
    std::printf("bare insert  : %10.0f rows/s (%.3f s)\n", records / bare, bare);
    std::printf("ratio        : %10.2f (record sets / bare insert)\n", bare / sets);
    const double parseRatio = ownParse / bareParse;
    std::printf("goal parse of the answer: %.2fx a bare libxml2 parse (target at most 1.5x): %s\n", parseRatio,
                parseRatio <= 1.5 ? "met" : "missed");
    return 0;
}
