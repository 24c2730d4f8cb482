#include "OrderForm.h"

#include "app/AppCore.h"
#include "app/Utils.h"
#include "app/XSettings.h"
#include "net/XMarketPlaces.h"
#include "net/XProfile.h"
#include "net/XRequest.h"

#include <QUrl>

namespace {

void AddContact(XmlNode parent, const ProfileData &p)
{
    parent.AddChild(QStringLiteral("name"), p.name);
    parent.AddChild(QStringLiteral("street"), p.street);
    parent.AddChild(QStringLiteral("city"), p.city);
    parent.AddChild(QStringLiteral("state"), p.state);
    parent.AddChild(QStringLiteral("zip"), p.zip);
    parent.AddChild(QStringLiteral("phone"), p.phone);
    parent.AddChild(QStringLiteral("email"), p.email);
    parent.AddChild(QStringLiteral("country"), p.country);
}

} // namespace

OrderForm::OrderForm(const QString &contextType, const QString &quoteId)
    : m_contextType(contextType), m_quoteId(quoteId)
{
    m_quote.Select(SqlExpr(QStringLiteral("ID = ?"), {quoteId}));
    m_loaded = !quoteId.isEmpty() && !m_quote.IsEOF();
}

double OrderForm::TotalPrice(double quantity, double price, double shipping, double coreDeposit)
{
    return quantity * price + shipping + coreDeposit;
}

QString OrderForm::Caption(const QString &mainTitle) const
{
    return QStringLiteral("%1 - New Purchase Order - QuoteID [%2] <%3 %4 %5 %6>")
        .arg(mainTitle, m_quote.GetText("QUERY_ID"), m_quote.GetText("V_YEAR"), m_quote.GetText("V_MAKE"),
             m_quote.GetText("V_MODEL"), m_quote.GetText("P_NAME"));
}

XmlDoc OrderForm::BuildNewOrderXml() const
{
    XmlDoc doc = XmlDoc::Create(QStringLiteral("new-order"));
    XmlNode root = doc.Root();
    root.AddChild(QStringLiteral("pay_method"), payMethod.isEmpty() ? QStringLiteral("Credit Card") : payMethod);
    if (!m_loaded)
        return doc;
    const XQuoteSet &q = m_quote;
    const auto money = [&q](const char *column) { return Utils::FormatMoney(q.GetDouble(column), 2); };
    XmlNode info = root.AddChild(QStringLiteral("quote_info"));
    info.SetAttr(QStringLiteral("id"), q.GetText("ID"));
    info.AddChild(QStringLiteral("post_date"), q.GetText("POST_DATE"));
    info.AddChild(QStringLiteral("total_price"),
                  Utils::FormatMoney(TotalPrice(q.GetDouble("P_QUANTITY"), q.GetDouble("P_PRICE"),
                                                q.GetDouble("P_SHIPPING"), q.GetDouble("P_CORE_DEPOSIT")),
                                     2));
    info.AddChild(QStringLiteral("price"), money("P_PRICE"));
    info.AddChild(QStringLiteral("core_deposit"), money("P_CORE_DEPOSIT"));
    info.AddChild(QStringLiteral("shipping"), money("P_SHIPPING"));
    static const std::pair<const char *, const char *> texts[] = {
        {"condition", "P_TYPE"},         {"make", "V_MAKE"},
        {"model", "V_MODEL"},            {"year", "V_YEAR"},
        {"vin", "V_VIN"},                {"aspiration", "V_ASPIRATION"},
        {"body_style", "V_BODY_STYLE"},  {"engine", "V_ENGINE"},
        {"engine_size", "V_ENGINE_SIZE"}, {"engine_size_units", "V_ENGINE_SIZE_UNIT"},
        {"fuel_delivery", "V_DELIVERY"}, {"fuel", "V_FUEL"},
        {"transmission", "V_TRANSMISSION"}, {"axle", "V_AXLE"},
        {"stock_number", "P_NUMBER"},    {"part_name", "P_NAME"},
    };
    for (const auto &[element, column] : texts)
        info.AddChild(QLatin1String(element), q.GetText(column));
    info.AddChild(QStringLiteral("quantity"), QString::number(q.GetInt("P_QUANTITY")));
    info.AddChild(QStringLiteral("box_quantity"), QString::number(q.GetInt("P_BOX_QUANTITY")));
    info.AddChild(QStringLiteral("brand"), q.GetText("P_BRAND"));
    info.AddChild(QStringLiteral("side"), q.GetText("P_SIDE"));
    // The stock number appears twice in the page's data, as the server's pages expect.
    info.AddChild(QStringLiteral("stock_number"), q.GetText("P_NUMBER"));
    info.AddChild(QStringLiteral("color"), q.GetText("P_COLOR"));
    info.AddChild(QStringLiteral("notes"), q.GetText("P_NOTES"));
    info.AddChild(QStringLiteral("wheel_width"), q.GetText("WHEEL_WIDTH"));
    info.AddChild(QStringLiteral("wheel_height"), q.GetText("WHEEL_HEIGHT"));
    info.AddChild(QStringLiteral("buy_url"), q.GetText("P_BUY_URL"));
    info.AddChild(QStringLiteral("picture_url"), q.GetText("P_PICTURE_URL"));

    XmlNode seller = root.AddChild(QStringLiteral("quote_contact"));
    seller.AddChild(QStringLiteral("name"), q.GetText("C_NAME"));
    seller.AddChild(QStringLiteral("rating"), q.GetText("QFY_LEVEL"));
    seller.AddChild(QStringLiteral("name"), q.GetText("C_NAME"));
    seller.AddChild(QStringLiteral("company"), q.GetText("C_COMPANY"));
    seller.AddChild(QStringLiteral("phone"), q.GetText("C_PHONE"));
    seller.AddChild(QStringLiteral("mobile"), q.GetText("C_MOBILE"));
    seller.AddChild(QStringLiteral("website"), q.GetText("C_WEBSITE"));

    const ProfileData profile = theProfile().Get();
    AddContact(root.AddChild(QStringLiteral("b_contact")), profile);
    AddContact(root.AddChild(QStringLiteral("shipping")), profile);
    return doc;
}

QString OrderForm::SecureAddress(const QString &sslHost, const QString &serverUrl)
{
    const QString host = sslHost.trimmed();
    if (host.contains(QLatin1String("://")))
        return host;
    const QUrl server(serverUrl);
    if (!host.isEmpty()) {
        QUrl secure;
        secure.setScheme(QStringLiteral("https"));
        secure.setHost(host);
        secure.setPath(server.path());
        return secure.isValid() && !secure.host().isEmpty() ? secure.toString() : QString();
    }
    return server.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? serverUrl : QString();
}

SubmitSpec OrderForm::Spec()
{
    SubmitSpec spec;
    spec.operation = QStringLiteral("newOrder");
    spec.failureCaption = QStringLiteral("Cannot send the purchase order");
    spec.recordWord = QStringLiteral("purchase order");
    spec.sender = RefusalSender::Order;
    return spec;
}

FormOutcome OrderForm::Submit(SubmitPipeline &pipeline)
{
    const FormOutcome outcome = pipeline.Run(*this, Spec());
    if (m_row.IsAdding())
        m_row.CancelUpdate();
    return outcome;
}

bool OrderForm::Prepare()
{
    if (!m_loaded)
        return false;
    XRequest info(QStringLiteral("getMainInfo"));
    if (!info.Send() || !info.IsSuccess()) {
        const QString why = info.GetErrorMessage().isEmpty() ? info.GetStatusText() : info.GetErrorMessage();
        theApp().ShowMessageBox(why, QStringLiteral("Cannot retrieve main info"), MsgBox::IconError);
        return false;
    }
    m_url = SecureAddress(info.GetResponseText(QStringLiteral("ssl_host")), theSettings().GetString(Setting::ServerURL));
    if (m_url.isEmpty()) {
        theApp().ShowMessageBox(QStringLiteral("The marketplace named no secure address for orders, so the order was "
                                               "not sent: card and payment data are never sent unencrypted."),
                                Spec().failureCaption, MsgBox::IconError);
        return false;
    }
    return true;
}

void OrderForm::FillRow()
{
    const XQuoteSet &q = m_quote;
    m_row.AddNew();
    m_row.SetText("CONTEXT_ID", q.GetText("ID"));
    m_row.SetText("CONTEXT_TYPE", m_contextType);
    m_row.SetText("RCP_ID", q.GetText("C_ID"));
    m_row.SetText("RCP_NAME", q.GetText("C_NAME"));
    m_row.SetText("C_ID", theApp().GetSession().PassportId());
    m_row.SetNow("POST_DATE");
    m_row.SetText("STATUS", QStringLiteral("Read"));
    m_row.SetInt("STATUS_CODE", 1);
    m_row.SetBool("IS_INCOMING", false);
    m_row.SetText("STOCK_NUMBER", q.GetText("P_NUMBER"));
    m_row.SetText("P_NAME", q.GetText("P_NAME"));
    m_row.SetInt("QUANTITY", q.GetInt("P_QUANTITY"));
    m_row.SetDouble("PRICE", q.GetDouble("P_PRICE"));
    m_row.SetDouble("SHIPPING", q.GetDouble("P_SHIPPING"));
    m_row.SetDouble("CORE_DEPOSIT", q.GetDouble("P_CORE_DEPOSIT"));
    m_row.SetDouble("TOTAL_PRICE", TotalPrice(q.GetDouble("P_QUANTITY"), q.GetDouble("P_PRICE"),
                                              q.GetDouble("P_SHIPPING"), q.GetDouble("P_CORE_DEPOSIT")));
    static const std::pair<const char *, const char *> fields[] = {
        {"NOTES", "notes"},          {"PAYMENT_METHOD", "pay_method"}, {"PAYMENT_ACCOUNT", "pp_account"},
        {"CC_NUMBER", "cc_number"},  {"CC_MONTH", "cc_month"},         {"CC_YEAR", "cc_year"},
        {"CC_V_NUMBER", "cc_v_number"}, {"B_NAME", "b_name"},          {"B_PHONE", "b_phone"},
        {"B_EMAIL", "b_email"},      {"B_STREET", "b_street"},         {"B_CITY", "b_city"},
        {"B_STATE", "b_state"},      {"B_ZIP", "b_zip"},               {"B_COUNTRY", "b_country"},
        {"C_NAME", "s_name"},        {"C_PHONE", "s_phone"},           {"C_EMAIL", "s_email"},
        {"C_STREET", "s_street"},    {"C_CITY", "s_city"},             {"C_STATE", "s_state"},
        {"C_ZIP", "s_zip"},          {"C_COUNTRY", "s_country"},
    };
    for (const auto &[column, field] : fields)
        m_row.SetText(column, Field(field));
}

void OrderForm::BuildRequest(XRequest &request)
{
    FillRow();
    m_row.BuildOrderXml(request);
}

void OrderForm::Store(const XRequest &answer)
{
    m_row.SetText("ID", answer.GetResponseText(QStringLiteral("order_id")));
    // The member's own card went to the seller; the copy kept here is only
    // for recognising the order, so it holds no usable card data.
    static const std::pair<const char *, const char *> secrets[] = {
        {"PAYMENT_ACCOUNT", "payment_account"}, {"CC_NUMBER", "cc_number"}, {"CC_MONTH", "cc_month"},
        {"CC_YEAR", "cc_year"}, {"CC_V_NUMBER", "cc_v_number"}};
    for (const auto &[column, element] : secrets)
        m_row.SetText(column, XRequest::MaskedValue(QLatin1String(element), m_row.GetText(column)));
    if (const XmlTime created = answer.GetResponseDate(QStringLiteral("create_time")))
        m_row.SetText("POST_DATE", SqlValue::FormatSeconds(created));
    m_row.Update();
    XQuoteSet quote;
    quote.Select(SqlExpr(QStringLiteral("ID = ?"), {m_quoteId}));
    if (quote.IsEOF())
        throw std::runtime_error("The quote is no longer stored.");
    quote.Edit();
    quote.SetText("STATUS", QStringLiteral("Po"));
    quote.SetInt("STATUS_CODE", 4);
    if (!quote.Update())
        throw std::runtime_error("The quote is no longer stored.");
}

XMarketPlace OrderForm::RefusingMarket() const
{
    XMarketPlace market;
    market.marketId = m_quote.GetText("MARKET_ID");
    return market;
}
