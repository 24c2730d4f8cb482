#include "AppCommands.h"

#include "app/AppCore.h"
#include "app/XSettings.h"

#include <QHash>

namespace {

using Action = std::function<void(const AppParams &, IFrameCommands &, IPageHost &)>;

Action Select(int node)
{
    return [node](const AppParams &, IFrameCommands &f, IPageHost &) { f.SelectNavigatorItem(node); };
}

Action Call(void (IFrameCommands::*member)())
{
    return [member](const AppParams &, IFrameCommands &f, IPageHost &) { (f.*member)(); };
}

Action OpenFromMessage(IFrameCommands::MessageContext context)
{
    return [context](const AppParams &, IFrameCommands &f, IPageHost &) { f.OpenMessageContext(context); };
}

QString PictureUrl(const AppParams &p)
{
    return p.value(QStringLiteral("url")).replace(QLatin1String("%20"), QLatin1String(" "));
}

QString ServerUrl()
{
    XSettings *settings = theSettingsIfAny();
    return settings ? settings->GetString(Setting::ServerURL) : QString();
}

void Relogin(IFrameCommands &f, IPageHost &host)
{
    AppCore *app = theAppIfAny();
    if (!app || !app->DoLogin())
        return;
    const QString address = AppCommands::ReloginAddress(f.GetShownNode(), ServerUrl(), app->GetSession().SessionId());
    if (!address.isEmpty())
        host.StopAndNavigate(address);
}

const QHash<QString, Action> &Table()
{
    using F = IFrameCommands;
    using MC = IFrameCommands::MessageContext;
    static const QHash<QString, Action> table = {
        {"send-message", Call(&F::ComposeMessageForSelection)},
        {"goto-query", OpenFromMessage(MC::Query)},
        {"goto-quote", OpenFromMessage(MC::Quote)},
        {"goto-deal", OpenFromMessage(MC::HotDeal)},
        {"goto-order", OpenFromMessage(MC::Order)},
        {"extended-profile", Call(&F::ShowOwnerProfile)},
        {"show-messages", Call(&F::ShowRecordMessages)},
        {"edit_profile",
         [](const AppParams &, F &f, IPageHost &host) {
             f.EditProfile();
             host.Redraw();
         }},
        {"write-comment", Call(&F::WriteComment)},
        {"send-quote", Call(&F::SendQuote)},
        {"print", Call(&F::PrintCurrentRecord)},
        {"get-contact",
         [](const AppParams &, F &f, IPageHost &host) {
             f.MarkReadIncoming();
             f.RequestQueryContact();
             host.NotifyGetContact();
         }},
        {"market-change", Call(&F::CheckMarketPlaces)},
        {"relogin", [](const AppParams &, F &f, IPageHost &host) { Relogin(f, host); }},
        {"deal-pay-done", [](const AppParams &, F &, IPageHost &host) { host.AcceptOwnerDialog(); }},
        {"show-dealdetail", Call(&F::ShowDealDetail)},
        {"my_site_queries", Select(137)},
        {"referred_subscribers", Select(136)},
        {"payouts", Select(138)},
        {"edit-speciality",
         [](const AppParams &, F &f, IPageHost &) {
             f.SelectNavigatorItem(20106);
             f.EditSpecialty(false);
         }},
        {"edit-speciality-cars",
         [](const AppParams &, F &f, IPageHost &) {
             f.SelectNavigatorItem(169);
             f.EditSpecialty(true);
         }},
        {"my_profile", Select(122)},
        {"my_profile_cars", Select(178)},
        {"catalog", Select(20105)},
        {"catalog-cars", Select(155)},
        {"new_deal",
         [](const AppParams &, F &f, IPageHost &) {
             f.SelectNavigatorItem(131);
             f.NewHotDeal();
         }},
        {"view_deals", Select(130)},
        {"part_query", Select(20002)},
        {"pending_quotes", Select(20003)},
        {"pending_queries", Select(20102)},
        {"replied_quotes", Select(20101)},
        {"messages", Select(118)},
        {"subscription", Select(207)},
        {"marketplaces", Select(124)},
        {"online_shops", Select(121)},
        {"show-picture",
         [](const AppParams &p, F &f, IPageHost &) {
             f.ShowQuotePicture(PictureUrl(p), p.value(QStringLiteral("quote_id")), p.value(QStringLiteral("pic_id")));
         }},
        {"show-partpicture",
         [](const AppParams &p, F &f, IPageHost &) {
             f.ShowQuotePartPicture(PictureUrl(p), p.value(QStringLiteral("quote_id")),
                                    p.value(QStringLiteral("pic_id")));
         }},
        {"selectpartimage",
         [](const AppParams &, F &f, IPageHost &) {
             const QString chosen = f.SelectPartImage(f.Pending().pictureFile);
             if (!chosen.isEmpty())
                 f.Pending().pictureFile = chosen;
         }},
        {"car_quote_det", Call(&F::ShowCarQuoteDetail)},
        {"contactus", Call(&F::ContactUs)},
        {"tradewick-quote",
         [](const AppParams &p, F &f, IPageHost &) {
             f.SubmitQuoteFromParams(p, f.Pending().pictureFile);
             PendingQuote &q = f.Pending();
             q.price.clear();
             q.shipping.clear();
             q.notes.clear();
             q.partType = QStringLiteral("0");
         }},
        {"new-order", Call(&F::NewOrder)},
        {"order-close", [](const AppParams &, F &, IPageHost &host) { host.RejectOwnerDialog(); }},
        {"submit-order",
         [](const AppParams &p, F &, IPageHost &host) {
             if (IOrderPage *page = host.OwnerOrderPage())
                 page->SubmitOrder(p);
         }},
        {"get-order-billing-info",
         [](const AppParams &, F &f, IPageHost &host) {
             f.MarkReadPendingSales();
             f.FetchPaymentInfo();
             host.NotifyGetContact();
         }},
        {"goto-order-quote", Call(&F::GoToOrderQuote)},
        {"show-orders", Call(&F::ShowQuoteOrder)},
        {"change-paymethod",
         [](const AppParams &p, F &, IPageHost &host) {
             if (IOrderPage *page = host.OwnerOrderPage())
                 page->ChangePayMethod(p.value(QStringLiteral("pay_method")));
         }},
        {"update-order", Call(&F::UpdateSelectedOrder)},
        {"tradewick-quote-change",
         [](const AppParams &p, F &f, IPageHost &) {
             PendingQuote &q = f.Pending();
             q.price = p.value(QStringLiteral("price"));
             q.shipping = p.value(QStringLiteral("shipping"));
             q.notes = p.value(QStringLiteral("notes"));
             q.partType = p.value(QStringLiteral("part_type"));
         }},
        {"details-init",
         [](const AppParams &, F &f, IPageHost &host) {
             const PendingQuote &q = f.Pending();
             host.FillQuoteInputs(q.price, q.shipping, q.notes, q.partType.trimmed().toInt());
         }},
    };
    return table;
}

} // namespace

bool AppCommands::Handle(const Navigation &navigation, IPageHost &host, const Runner &runner)
{
    QString command;
    AppParams params;
    if (!AppUrl::ParseAppUrl(navigation.url, &command, &params))
        return false;
    if (!AppUrl::CommandsAllowed(navigation.pageUrl, navigation.mainFrame, QString::fromLatin1(kOwnScheme),
                                 ServerUrl()))
        return true;
    AppUrl::ParsePostData(navigation.body, &params);
    if (!runner || !runner(command, params))
        host.Redraw();
    return true;
}

bool AppCommands::Run(const QString &command, const AppParams &params, IFrameCommands &frame, IPageHost &host)
{
    const auto found = Table().constFind(command);
    if (found == Table().constEnd())
        return false;
    (*found)(params, frame, host);
    return true;
}

QString AppCommands::ReloginAddress(int nodeId, const QString &serverUrl, const QString &sessionId)
{
    const QString session = QString::fromLatin1(QUrl::toPercentEncoding(sessionId));
    switch (nodeId) {
    case 122: return QStringLiteral("%1/topic_my/?session_id=%2").arg(serverUrl, session);
    case 207: return QStringLiteral("%1/market_places/%2/quick_seller_subscription/").arg(serverUrl, session);
    case 124: return QStringLiteral("%1/market_places/%2/").arg(serverUrl, session);
    case 134: return QStringLiteral("%1/affiliate/%2/").arg(serverUrl, session);
    case 136: return QStringLiteral("%1/my_affiliates/%2/").arg(serverUrl, session);
    case 138: return QStringLiteral("%1/payouts/%2/").arg(serverUrl, session);
    default: return QString();
    }
}
