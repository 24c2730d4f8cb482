#pragma once

// The id of each page of the main window, equal to the menu command id of the
// same page. Parts pages have cars twins where the market has them.
enum NavigatorNodeId : int {
    NodeNone = -1,
    // parts tree
    NodeHome = 185,
    NodeSell = 20100,
    NodeIncomingLeads = 20102,
    NodeRepliedQuotes = 20101,
    NodePendingSales = 195,        // "Pending Sales"
    NodeCompletedSales = 198,      // "Completed Sales"
    NodeMyStore = 151,
    NodeSpecialty = 20106,
    NodeExtendedProfile = 122,
    NodePartsCatalog = 20105,      // parts "Catalog/Inventory"
    NodeSellArchive = 20104,
    NodeSellersGuide = 20109,
    NodeBuy = 20000,
    NodeOpenRequests = 20002,
    NodePendingQuotes = 20003,
    NodePurchaseOrders = 196,      // "Purchase Orders"
    NodeConfirmedOrders = 199,     // "Confirmed Orders"
    NodeBuyArchive = 20004,
    NodeBuyersGuide = 20005,
    NodeForSale = 152,
    NodeHotDeals = 130,            // "Hot Deals": other members' deals
    NodeMyHotDeals = 131,          // "My Hot Deals"
    NodeGeneral = 20200,
    NodeMessages = 118,            // "Messages"
    NodeSubscription = 207,
    NodeMarketplaces = 124,
    NodeOnlineShops = 121,
    NodeSponsors = 192,
    NodeAffiliate = 134,
    NodeMySiteQueries = 137,
    NodeReferredSubscribers = 136,
    NodePayouts = 138,
    NodeReferAFriend = 125,
    NodeEarnMoney = 126,
    // list filters of the part query list with counters but no tree node
    NodeQueriesCompletedOut = 105,
    NodeQueriesCompletedIn = 32837,
    NodeQueryFilter104 = 104,
    NodeQueryFilter32836 = 32836,
    // cars tree
    NodeCarsHome = 188,
    NodeCarsSell = 166,
    NodeCarsIncomingLeads = 161,
    NodeCarsRepliedQuotes = 162,
    NodeCarsMyStore = 170,
    NodeCarsSpecialty = 169,
    NodeCarsCatalog = 155,         // cars "Catalog/Inventory"
    NodeCarsSellArchive = 163,
    NodeCarsBuy = 167,
    NodeCarsOpenRequests = 158,
    NodeCarsPendingQuotes = 159,
    NodeCarsBuyArchive = 160,
    NodeCarsMarketplaces = 168,
    NodeCarsReferAFriend = 182,
};
