#pragma once

// The id of each page of the main window, equal to the menu command id of the
// same page. The record lists know the nodes whose records they show; the
// navigator adds the rest.
enum NavigatorNodeId : int {
    NodeNone = -1,
    NodeMessages = 118,            // "Messages"
    NodeHotDeals = 130,            // "Hot Deals": other members' deals
    NodeMyHotDeals = 131,          // "My Hot Deals"
    NodeCarsCatalog = 155,         // cars "Catalog/Inventory"
    NodePendingSales = 195,        // "Pending Sales"
    NodePurchaseOrders = 196,      // "Purchase Orders"
    NodeCompletedSales = 198,      // "Completed Sales"
    NodeConfirmedOrders = 199,     // "Confirmed Orders"
    NodePartsCatalog = 20105,      // parts "Catalog/Inventory"
};
