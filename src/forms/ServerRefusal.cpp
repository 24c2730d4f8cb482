#include "ServerRefusal.h"

#include "app/AppCore.h"
#include "net/XMarketPlaces.h"

namespace ServerRefusal {

QString NoticeText(RefusalSender sender)
{
    switch (sender) {
    case RefusalSender::Query:
        return QStringLiteral("The marketplace \"%s\" did not accept your query: your membership there does not "
                              "allow posting queries.\n\nSubscribe to the marketplace or buy Tradewick Passes to "
                              "send it, or remain a visitor.");
    case RefusalSender::Quote:
        return QStringLiteral("The marketplace \"%s\" did not accept your quote: your membership there does not "
                              "allow quoting its buyers.\n\nSubscribe to the marketplace or buy Tradewick Passes to "
                              "send it, or remain a visitor.");
    case RefusalSender::Message:
        return QStringLiteral("The marketplace \"%s\" did not accept your message: your membership there does not "
                              "allow writing to its members.\n\nSubscribe to the marketplace or buy Tradewick Passes "
                              "to send it, or remain a visitor.");
    case RefusalSender::ContactRequest:
        return QStringLiteral("The buyer's full contact information in the marketplace \"%s\" is open to its "
                              "subscribers only.\n\nSubscribe to the marketplace or buy Tradewick Passes to see it, "
                              "or remain a visitor.");
    case RefusalSender::Order:
        return QStringLiteral("The marketplace \"%s\" did not accept your purchase order: your membership there "
                              "does not allow ordering from its members.\n\nSubscribe to the marketplace or buy "
                              "Tradewick Passes to send it, or remain a visitor.");
    case RefusalSender::OrderUpdate:
        return QStringLiteral("The marketplace \"%s\" did not accept your order update: your membership there "
                              "does not allow it.\n\nSubscribe to the marketplace or buy Tradewick Passes to send "
                              "it, or remain a visitor.");
    case RefusalSender::Deal:
        return QStringLiteral("The marketplace \"%s\" did not accept your hot deal: your membership there does "
                              "not allow posting hot deals.\n\nSubscribe to the marketplace or buy Tradewick Passes "
                              "to send it, or remain a visitor.");
    }
    return QString();
}

int Handle(RefusalSender sender, int resultCode, const XMarketPlace &lookup, int marketMode, IFormHost *host,
           const QString &serverMessage)
{
    XMarketPlace market = lookup;
    const XMarketPlaces *places = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces);
    if (!places || places->FindMarketPlace(market, marketMode) != 1)
        market = XMarketPlace{};
    // The name goes in as text, never as a format.
    QString notice = NoticeText(sender).replace(QLatin1String("%s"), market.name);
    if (!serverMessage.isEmpty())
        notice += QStringLiteral("\n\n") + serverMessage;
    const int choice = theApp().ShowSubscribeMsgDlg(notice, resultCode == 112);
    if (!host)
        return choice;
    if (choice == Subscribe)
        host->ShowMarketSubscription({market.marketId, 1, 0});
    else if (choice == BuyPasses)
        host->ShowMarketSubscription({market.marketId, 2, sender == RefusalSender::Query ? 1 : 0});
    return choice;
}

} // namespace ServerRefusal
