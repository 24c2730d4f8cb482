#include "MarketScript.h"

#include <QFile>
#include <QSaveFile>

#include <QDateTime>
#include <QMutexLocker>
#include <QXmlStreamReader>

#include <iterator>

namespace {

struct Member
{
    const char *id;
    const char *name;
    const char *company;
    const char *businessType;
    const char *city;
    const char *state;
    const char *zip;
};

// The members of the sample records, and those the member lookup finds.
const Member kMembers[] = {
    {"P2001", "Alex Buyer", "Buyer Garage", "Auto Recycler", "Salem", "OR", "97301"},
    {"P2002", "Sam Fixer", "Fixer & Sons", "Car Repair", "Salem", "OR", "97301"},
    {"P2003", "Robin Dealer", "Dealer Lot", "Car Dealer", "Salem", "OR", "97301"},
    {"P3001", "Pat Seller", "Seller Parts", "Auto Recycler", "Salem", "OR", "97301"},
    {"P3002", "Lee Cars", "Lee Auto Sales", "Car Dealer", "Salem", "OR", "97301"},
    {"1000234", "Lee Halvorsen", "Halvorsen Salvage", "Auto Recycler", "Dayton", "OH", "45402"},
    {"1000318", "Kim Arbeloa", "Arbeloa Body Works", "Body Shop", "Tucson", "AZ", "85701"},
};
// Who quotes the member's part queries and answers car queries.
constexpr const char *kSeller = "P3001";
constexpr const char *kCarSeller = "P3002";
// Who orders when the member's quote answers a query not from the sample.
constexpr const char *kBuyer = "P2001";

const Member *FindMember(const QString &id)
{
    for (const Member &m : kMembers) {
        if (id == QLatin1String(m.id))
            return &m;
    }
    return nullptr;
}

QByteArray Esc(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

QByteArray Element(const char *name, const QString &text)
{
    return QByteArray("<") + name + '>' + Esc(text) + "</" + name + '>';
}

QByteArray Now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
}

// The text of the first element whose path ends in `path` ("part_info/name").
QString Field(const QByteArray &body, const QString &path)
{
    const QStringList want = path.split(u'/');
    QStringList stack;
    QXmlStreamReader xml(body);
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            stack.append(xml.name().toString());
            if (stack.size() >= want.size() && stack.mid(stack.size() - want.size()) == want)
                return xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (token == QXmlStreamReader::EndElement) {
            stack.removeLast();
        }
    }
    return {};
}

QByteArray Contact(const Member &m)
{
    const QString name = QString::fromUtf8(m.name);
    const QString company = QString::fromUtf8(m.company);
    return "<contact_info>" + Element("name", name) + "<phone>555-0110</phone><mobile>555-0111</mobile><fax></fax>" +
           "<website>www.example.com</website><street>12 Yard Road</street>" +
           Element("city", QString::fromUtf8(m.city)) + Element("state", QString::fromUtf8(m.state)) +
           Element("zip", QString::fromUtf8(m.zip)) + "<country>USA</country>" + Element("company", company) +
           Element("signature", name + QStringLiteral(", ") + company) +
           Element("business_type", QString::fromUtf8(m.businessType)) + "</contact_info>";
}

FakeServer::Answer Xml(const QByteArray &body)
{
    FakeServer::Answer a;
    a.body = body;
    return a;
}

// Query id -> owner of the queries in a poll answer.
QMap<QString, QString> QueryOwners(const QByteArray &poll)
{
    QMap<QString, QString> owners;
    QXmlStreamReader xml(poll);
    QString id;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"query" || xml.name() == u"car_query")
            id.clear();
        else if (xml.name() == u"query_id" || xml.name() == u"car_query_id")
            id = xml.readElementText();
        else if (xml.name() == u"owner_id" && !id.isEmpty())
            owners.insert(id, xml.readElementText());
    }
    return owners;
}

} // namespace

MarketScript::MarketScript(FakeServer &server, QByteArray firstPoll)
    : m_server(server), m_firstPoll(std::move(firstPoll)), m_queryOwners(QueryOwners(m_firstPoll))
{
}

QStringList MarketScript::Operations()
{
    return {QStringLiteral("poll"),       QStringLiteral("newQuery"),     QStringLiteral("newCarQuery"),
            QStringLiteral("newQuote"),   QStringLiteral("newCarQuote"),  QStringLiteral("newOrder"),
            QStringLiteral("newDeal"),    QStringLiteral("newMessage"),   QStringLiteral("getProfile"),
            QStringLiteral("newProfile"), QStringLiteral("changeProfile")};
}

void MarketScript::Install(const QStringList &untouched)
{
    using R = FakeServer::Request;
    const QMap<QString, FakeServer::Responder> responders = {
        {QStringLiteral("poll"), [this](const R &r) { return Poll(r); }},
        {QStringLiteral("newQuery"), [this](const R &r) { return NewQuery(r, false); }},
        {QStringLiteral("newCarQuery"), [this](const R &r) { return NewQuery(r, true); }},
        {QStringLiteral("newQuote"), [this](const R &r) { return NewQuote(r, false); }},
        {QStringLiteral("newCarQuote"), [this](const R &r) { return NewQuote(r, true); }},
        {QStringLiteral("newOrder"), [this](const R &r) { return NewOrder(r); }},
        {QStringLiteral("newDeal"), [this](const R &r) { return NewDeal(r); }},
        {QStringLiteral("newMessage"), [this](const R &r) { return NewMessage(r); }},
        {QStringLiteral("getProfile"), [this](const R &r) { return GetProfile(r); }},
        {QStringLiteral("newProfile"), [this](const R &r) { return NewProfile(r); }},
        {QStringLiteral("changeProfile"), [this](const R &r) { return ChangeProfile(r); }},
    };
    for (auto it = responders.cbegin(); it != responders.cend(); ++it) {
        if (!untouched.contains(it.key()))
            m_server.SetResponder(it.key(), it.value());
    }
}

QString MarketScript::NextId(const char *prefix)
{
    const QString id = QLatin1String(prefix) + QString::number(8000 + ++m_counter);
    SaveState();
    return id;
}

void MarketScript::RememberIn(const QString &file)
{
    QMutexLocker lock(&m_mutex);
    m_stateFile = file;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return;
    // "polls <n>", "ids <n>" and "deals <n>", one a line.
    for (const QByteArray &line : in.readAll().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() != 2)
            continue;
        if (words[0] == "polls")
            m_polls = words[1].toInt();
        else if (words[0] == "ids")
            m_counter = words[1].toInt();
        else if (words[0] == "deals")
            m_deals = words[1].toInt();
    }
}

void MarketScript::SaveState() const
{
    if (m_stateFile.isEmpty())
        return;
    QSaveFile out(m_stateFile);
    if (out.open(QIODevice::WriteOnly)) {
        out.write("polls " + QByteArray::number(m_polls) + "\nids " + QByteArray::number(m_counter) + "\ndeals " +
                  QByteArray::number(m_deals) + '\n');
        out.commit();
    }
}

void MarketScript::Later(List list, const QByteArray &record)
{
    m_pending[list].append(record);
}

std::optional<FakeServer::Answer> MarketScript::Poll(const FakeServer::Request &)
{
    QMutexLocker lock(&m_mutex);
    ++m_polls;
    SaveState();
    if (m_polls == 1 && !m_firstPoll.isEmpty())
        return Xml(m_firstPoll);
    if (m_polls == 2) {
        const Member &seller = *FindMember(QLatin1String(kSeller));
        Later(Deals, "<deal><deal_id>D-6002</deal_id><owner_id>P3001</owner_id><create_time>" + Now() +
                         "</create_time><live_time>3</live_time>" + Contact(seller) +
                         "<meta_info><title>Headlamps, pair, like new</title><make>Honda</make><model>Accord</model>"
                         "<year>2011</year><price>80.00</price><quantity>4</quantity><stock_number>HL-4</stock_number>"
                         "<application>2008-2012</application><notes>Two days only.</notes></meta_info></deal>");
    }
    static const char *const kLists[ListCount] = {"query_list",   "car_query_list", "quote_list", "car_quote_list",
                                                  "message_list", "deal_list",      "order_list",     "order_update_list"};
    QByteArray inner;
    for (int list = 0; list < ListCount; ++list) {
        if (m_pending[list].isEmpty())
            continue;
        inner += QByteArray("<") + kLists[list] + '>' + m_pending[list].join() + "</" + kLists[list] + '>';
        m_pending[list].clear();
    }
    return Xml(FakeServer::Response(0, inner));
}

std::optional<FakeServer::Answer> MarketScript::NewQuery(const FakeServer::Request &request, bool cars)
{
    // "Members' Yard" (MP-102) refuses queries: the member's subscription there
    // does not cover them.
    if (Field(request.body, QStringLiteral("market_id")) == u"MP-102")
        return Xml(FakeServer::Response(110, {}, "The marketplace does not accept your queries"));

    QMutexLocker lock(&m_mutex);
    const QString queryId = NextId(cars ? "CQ-" : "Q-");
    const QString quoteId = NextId(cars ? "CQT-" : "QT-");
    const QByteArray now = Now();
    const Member &seller = *FindMember(QLatin1String(cars ? kCarSeller : kSeller));
    const QByteArray head = "<owner_id>" + QByteArray(seller.id) + "</owner_id><create_time>" + now +
                            "</create_time><live_time>14</live_time>" +
                            Element("market_id", Field(request.body, QStringLiteral("market_id"))) + Contact(seller);
    auto from = [&](const char *path) { return Field(request.body, QLatin1String(path)); };
    if (cars) {
        Later(CarQuotes, "<car_quote>" + Element("car_quote_id", quoteId) + Element("car_query_id", queryId) + head +
                             "<car_info><category>Passenger</category>" + Element("make", from("make")) +
                             Element("model", from("model")) + Element("year", from("from_year")) +
                             "<asking_price>5200</asking_price><body_style>Sedan</body_style><mileage>87000</mileage>"
                             "<actual_mileage>1</actual_mileage></car_info>"
                             "<business_info><qualification>4</qualification></business_info></car_quote>");
        return Xml(FakeServer::Response(0, Element("car_query_id", queryId) + "<create_time>" + now + "</create_time>"));
    }
    Later(Quotes, "<quote>" + Element("quote_id", quoteId) + Element("query_id", queryId) + head + "<vehicle_info>" +
                      Element("make", from("vehicle_info/make")) + Element("model", from("vehicle_info/model")) +
                      Element("year", from("vehicle_info/year")) + "</vehicle_info><part_info>" +
                      Element("category", from("part_info/category")) + Element("type", from("part_info/type")) +
                      Element("name", from("part_info/name")) +
                      "<quantity>1</quantity><box_quantity>1</box_quantity><price>95.00</price>"
                      "<core_deposit>0.00</core_deposit><shipping_handling>15.00</shipping_handling><brand>OEM</brand>" +
                      Element("stock_number", QStringLiteral("STK-") + quoteId) +
                      "<other>In stock, ships the next day.</other>" + QuotePicture() + "</part_info>"
                      "<business_info><qualification>5</qualification></business_info></quote>");
    return Xml(FakeServer::Response(0, Element("query_id", queryId) + "<create_time>" + now + "</create_time>"));
}

std::optional<FakeServer::Answer> MarketScript::NewQuote(const FakeServer::Request &request, bool cars)
{
    QMutexLocker lock(&m_mutex);
    const QString quoteId = NextId(cars ? "CQT-" : "QT-");
    const QByteArray now = Now();
    if (cars)
        return Xml(FakeServer::Response(0, Element("car_quote_id", quoteId) + "<create_time>" + now + "</create_time>"));

    const QString queryId = Field(request.body, QStringLiteral("query_id"));
    const Member *buyer = FindMember(m_queryOwners.value(queryId));
    if (!buyer)
        buyer = FindMember(QLatin1String(kBuyer));
    const QString price = Field(request.body, QStringLiteral("part_info/price"));
    const QString quantity = Field(request.body, QStringLiteral("part_info/quantity"));
    Later(Orders, "<order>" + Element("order_id", NextId("PO-")) + Element("context_id", quoteId) +
                      "<context_type>quote</context_type><create_time>" + now + "</create_time><live_time>14</live_time>" +
                      Element("owner_id", QLatin1String(buyer->id)) + "<shipping_info>" +
                      Element("name", QString::fromUtf8(buyer->name)) + "<phone>555-0110</phone>" +
                      "<street>12 Yard Road</street>" + Element("city", QString::fromUtf8(buyer->city)) +
                      Element("state", QString::fromUtf8(buyer->state)) + Element("zip", QString::fromUtf8(buyer->zip)) +
                      "<country>USA</country></shipping_info><product_info>" +
                      Element("stock_number", Field(request.body, QStringLiteral("part_info/number"))) +
                      Element("part_name", Field(request.body, QStringLiteral("part_info/name"))) +
                      Element("quantity", quantity.isEmpty() ? QStringLiteral("1") : quantity) +
                      Element("price", price) + "<notes>Please ship this week.</notes></product_info>"
                      "<billing_info><payment_method>Check</payment_method></billing_info></order>");
    return Xml(FakeServer::Response(0, Element("quote_id", quoteId) + "<create_time>" + now + "</create_time>"));
}

std::optional<FakeServer::Answer> MarketScript::NewOrder(const FakeServer::Request &request)
{
    QMutexLocker lock(&m_mutex);
    const QString orderId = NextId("PO-");
    const QByteArray now = Now();
    const QString price = Field(request.body, QStringLiteral("product_info/price"));
    const QString quantity = Field(request.body, QStringLiteral("product_info/quantity"));
    const double total = price.toDouble() * qMax(1, quantity.toInt());
    Later(OrderUpdates, "<order_update>" + Element("order_id", orderId) +
                            Element("invoice_number", QStringLiteral("INV-") + orderId) +
                            "<status>Shipped</status><date_shipped>" + now +
                            "</date_shipped><shipper>UPS</shipper><track_number>1Z999AA10123456784</track_number>"
                            "<adjustment>0</adjustment>" +
                            Element("total", QString::number(total, 'f', 2)) +
                            "<comment>Shipped today.</comment></order_update>");
    return Xml(FakeServer::Response(0, Element("order_id", orderId) + "<create_time>" + now + "</create_time>"));
}

std::optional<FakeServer::Answer> MarketScript::NewDeal(const FakeServer::Request &)
{
    QMutexLocker lock(&m_mutex);
    const QString dealId = QStringLiteral("HD-") + QString::number(7000 + ++m_deals);
    SaveState();
    return Xml(FakeServer::Response(0, Element("deal_id", dealId) + "<create_time>" + Now() + "</create_time>"));
}

std::optional<FakeServer::Answer> MarketScript::NewMessage(const FakeServer::Request &request)
{
    QMutexLocker lock(&m_mutex);
    const QString messageId = NextId("M-");
    const QByteArray now = Now();
    const QString to = Field(request.body, QStringLiteral("recipients/passport_id"));
    const Member *from = FindMember(to);
    // Messages to members the marketplace does not know go unanswered.
    if (from) {
        QString subject = Field(request.body, QStringLiteral("message/subject"));
        if (!subject.startsWith(QLatin1String("Re: ")))
            subject.prepend(QLatin1String("Re: "));
        Later(Messages, "<message>" + Element("message_id", NextId("M-")) +
                            Element("context_id", Field(request.body, QStringLiteral("message/context_id"))) +
                            Element("context_type", Field(request.body, QStringLiteral("message/context_type"))) +
                            Element("owner_id", to) + "<create_time>" + now + "</create_time><live_time>30</live_time>" +
                            Element("subject", subject) +
                            Element("body", QStringLiteral("Thank you for your message. ") +
                                                QString::fromUtf8(from->name) + QStringLiteral(" will answer soon.")) +
                            "<contact_info>" + Element("name", QString::fromUtf8(from->name)) +
                            "</contact_info></message>");
    }
    return Xml(FakeServer::Response(0, Element("message_id", messageId) + "<create_time>" + now + "</create_time>"));
}

std::optional<FakeServer::Answer> MarketScript::GetProfile(const FakeServer::Request &request)
{
    if (auto own = SignedUpProfile(request))
        return own;
    const Member *m = FindMember(Field(request.body, QStringLiteral("passport_id")));
    // The member's own profile and unknown ids are left to the fixture.
    if (!m)
        return std::nullopt;
    const QString name = QString::fromUtf8(m->name);
    return Xml(FakeServer::Response(
        0, "<profile>" + Element("passport_id", QLatin1String(m->id)) + Element("name", name) +
               Element("email", QString::fromLatin1(m->id).toLower() + QStringLiteral("@example.com")) +
               "<phone>555-0110</phone><fax></fax><mobile>555-0111</mobile>" +
               Element("city", QString::fromUtf8(m->city)) + "<street>12 Yard Road</street>" +
               Element("state", QString::fromUtf8(m->state)) + Element("zip", QString::fromUtf8(m->zip)) +
               "<country>UNITED STATES</country>" + Element("company", QString::fromUtf8(m->company)) +
               Element("business_type", QString::fromUtf8(m->businessType)) +
               "<website>www.example.com</website><role>Both</role><car_role>Both</car_role>" +
               Element("signature", name) + "</profile>"));
}

std::optional<FakeServer::Answer> MarketScript::NewProfile(const FakeServer::Request &request)
{
    QByteArray kept;
    QXmlStreamReader xml(request.body);
    bool inside = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"profile")
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (!inside) {
            inside = xml.name() == u"profile";
            continue;
        }
        const QByteArray name = xml.name().toUtf8();
        const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        // The marketplace never hands a password back.
        if (name != "password")
            kept += Element(name.constData(), text);
    }
    if (!inside)
        return Xml(FakeServer::Response(1, {}, "The request carries no profile"));

    QMutexLocker lock(&m_mutex);
    m_signedUpId = QStringLiteral("P") + QString::number(4000 + ++m_signUps);
    m_signedUpProfile = kept;
    return Xml(FakeServer::Response(0, Element("passport_id", m_signedUpId)));
}

std::optional<FakeServer::Answer> MarketScript::SignedUpProfile(const FakeServer::Request &request)
{
    QMutexLocker lock(&m_mutex);
    if (m_signedUpId.isEmpty())
        return std::nullopt;
    const QString asked = Field(request.body, QStringLiteral("passport_id"));
    if (!asked.isEmpty() && asked != m_signedUpId)
        return std::nullopt;
    return Xml(FakeServer::Response(0, "<profile>" + Element("passport_id", m_signedUpId) + m_signedUpProfile +
                                           "</profile>"));
}

void MarketScript::SetQuotePicture(QByteArray jpeg)
{
    m_quotePicture = std::move(jpeg);
}

// The seller's photo of the part, small in the quote; the enlarged one is
// fetched from the server's picture address.
QByteArray MarketScript::QuotePicture() const
{
    if (m_quotePicture.isEmpty())
        return {};
    return "<image_1_title>Part as removed</image_1_title><image_1_small><![CDATA[" + m_quotePicture.toBase64() +
           "]]></image_1_small>";
}

RequestLog::RequestLog(const FakeServer &server, const QString &path) : m_server(server), m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    m_timer.setInterval(50);
    QObject::connect(&m_timer, &QTimer::timeout, this, &RequestLog::Flush);
    m_timer.start();
}

RequestLog::~RequestLog()
{
    if (m_file.isOpen())
        Flush();
}

void RequestLog::Flush()
{
    const QList<FakeServer::Request> requests = m_server.Requests();
    for (; m_written < requests.size(); ++m_written) {
        QByteArray body = requests.at(m_written).body;
        body.replace('\r', ' ').replace('\n', ' ');
        m_file.write(requests.at(m_written).operation.toUtf8() + '\t' + body + '\n');
    }
    m_file.flush();
}

namespace {

// The queries a seller's specialty brings: one the sample inventory holds
// (the auto-reply answers it), one it does not (answered by hand).
struct Lead
{
    const char *owner;
    const char *make;
    const char *model;
    const char *year;
    const char *category;
    const char *name;
    const char *maxPrice;
};

const Lead kLeads[] = {
    {"P2002", "Toyota", "Corolla", "2007", "Engine", "Alternator", "90.00"},
    {"P2001", "Toyota", "Camry", "2009", "Body", "Hood", "200.00"},
};

// A lead goes to a specialty that names its make, or names no make at all;
// "Do not receive any query" gets none.
bool Covers(const QString &filter, const Lead &lead)
{
    if (filter.trimmed().isEmpty() || filter.trimmed() == QLatin1String("A,,B,,#EQ"))
        return false;
    if (!filter.contains(QLatin1String("@vi_make,,")))
        return true;
    return filter.contains(QStringLiteral("@vi_make,,") + QLatin1String(lead.make) + QStringLiteral(",,"));
}

} // namespace

std::optional<FakeServer::Answer> MarketScript::ChangeProfile(const FakeServer::Request &request)
{
    const QString filter = Field(request.body, QStringLiteral("profile/filter"));
    QMutexLocker lock(&m_mutex);
    for (int i = 0; i < int(std::size(kLeads)); ++i) {
        const Lead &lead = kLeads[i];
        if (m_leadsSent.contains(i) || !Covers(filter, lead))
            continue;
        m_leadsSent.append(i);
        const QString queryId = NextId("Q-");
        const Member &buyer = *FindMember(QLatin1String(lead.owner));
        m_queryOwners.insert(queryId, QLatin1String(lead.owner));
        Later(Queries, "<query>" + Element("query_id", queryId) + Element("owner_id", QLatin1String(lead.owner)) +
                           "<create_time>" + Now() + "</create_time><live_time>14</live_time>"
                           "<market_id>MP-100</market_id><market_info><name>National Parts Exchange</name>"
                           "</market_info>" + Contact(buyer) + "<vehicle_info>" +
                           Element("make", QLatin1String(lead.make)) + Element("model", QLatin1String(lead.model)) +
                           Element("year", QLatin1String(lead.year)) + "</vehicle_info><part_info>" +
                           Element("category", QLatin1String(lead.category)) + "<type>Used</type>" +
                           Element("name", QLatin1String(lead.name)) + "<quantity>1</quantity>" +
                           Element("max_price", QLatin1String(lead.maxPrice)) +
                           "<time_frame>Within a week</time_frame></part_info><business_info>"
                           "<originating_state>OR</originating_state><qualification>3</qualification>"
                           "</business_info></query>");
    }
    // The answer itself is the fixture's.
    return std::nullopt;
}

QByteArray MarketScript::WithRatingScript(QByteArray metaInfo)
{
    static const QByteArray script =
        "<script>MyObject.addContextRestriction(\"P_NAME\", MyObject.getQueryField(\"P_NAME\"));\n"
        "MyObject.addContextRestriction(\"V_MAKE\", MyObject.getQueryField(\"V_MAKE\"));\n"
        "MyObject.getInventoryList();\n"
        "var ids = MyObject.ContextArray;\n"
        "if (ids) ids.forEach(function (id) { MyObject.addContextInventory(id, 90); });</script>";
    const qsizetype from = metaInfo.indexOf("<script>");
    const qsizetype to = metaInfo.indexOf("</script>");
    if (from >= 0 && to > from)
        metaInfo.replace(from, to + 9 - from, script);
    return metaInfo;
}
