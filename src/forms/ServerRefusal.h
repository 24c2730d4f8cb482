#pragma once

// The marketplace's refusal of a submit its subscription does not cover
// (result codes 110 and 112): the notice, and the member's choice handed to
// the main window as a SubscribeRequest. Needs no form window.

#include "IFormHost.h"

#include <QString>

struct XMarketPlace;

enum class RefusalSender { Query, Quote, Message, ContactRequest, Order, OrderUpdate, Deal };

namespace ServerRefusal {

enum Choice : int { Subscribe = 0, BuyPasses = 1, RemainVisitor = 2 };

inline bool IsRefusal(int resultCode)
{
    return resultCode == 110 || resultCode == 112;
}
// The notice of a sender; one "%s" for the marketplace's name.
QString NoticeText(RefusalSender sender);
// Looks the marketplace up (by id, else by name; unknown: empty name and id),
// shows the notice (112 offers no passes) and hands a page choice to the
// host. The server's message, when given, follows the notice. Returns the
// choice.
int Handle(RefusalSender sender, int resultCode, const XMarketPlace &lookup, int marketMode, IFormHost *host,
           const QString &serverMessage = QString());

} // namespace ServerRefusal
