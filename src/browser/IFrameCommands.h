#pragma once

#include "AppUrl.h"

#include <QString>

// The quote values a detail page hands to the quote form; they belong to the
// main window and live for the whole run.
struct PendingQuote
{
    QString pictureFile;
    QString price;
    QString shipping;
    QString notes;
    QString partType = QStringLiteral("0");
};

// What the in-page commands need of the main window. The frame implements it
// over its operations and lists; main() installs it into the WebHost. Every
// call comes on the main thread.
class IFrameCommands
{
public:
    enum class MessageContext { Query, Quote, HotDeal, Order };

    virtual ~IFrameCommands() = default;

    virtual int GetMarketMode() const = 0;
    // The navigator node shown.
    virtual int GetShownNode() const = 0;
    virtual void SelectNavigatorItem(int nodeId) = 0;
    virtual PendingQuote &Pending() = 0;

    virtual void ComposeMessageForSelection() = 0;
    // The message list opens the record the selected message is about.
    virtual void OpenMessageContext(MessageContext context) = 0;
    virtual void ShowOwnerProfile() = 0;
    virtual void ShowRecordMessages() = 0;
    virtual void WriteComment() = 0;
    virtual void SendQuote() = 0;
    virtual void PrintCurrentRecord() = 0;
    virtual void MarkReadIncoming() = 0;
    // The query list of the market mode shown asks for its selected query's contact.
    virtual void RequestQueryContact() = 0;
    virtual void CheckMarketPlaces() = 0;
    virtual void ShowDealDetail() = 0;
    virtual void EditSpecialty(bool cars) = 0;
    // The specialty dialog of a side, staying on the page shown; true on OK.
    virtual bool RunSpecialtyDialog(bool cars) = 0;
    // The mode's name as the window shows it.
    virtual QString GetMarketModeName() const = 0;
    // The query form of the mode shown, titled; filled from a page's fields when given.
    virtual void NewQuery(const QString &title, const AppParams &fields) = 0;
    // A new inventory record of a side, on that side's inventory page.
    virtual void NewCatalogRecord(bool cars) = 0;
    virtual void EditMyProfile() = 0;
    virtual void ShowInventoryImport() = 0;
    virtual void ExportInventory() = 0;
    virtual void MemberLookup() = 0;
    virtual void NewHotDeal() = 0;
    virtual void ShowQuotePicture(const QString &url, const QString &quoteId, const QString &pictureId) = 0;
    virtual void ShowQuotePartPicture(const QString &url, const QString &quoteId, const QString &pictureId) = 0;
    // The part picture dialog starting on the file; the chosen file, empty when cancelled.
    virtual QString SelectPartImage(const QString &currentFile) = 0;
    virtual void ShowCarQuoteDetail() = 0;
    virtual void ContactUs() = 0;
    // Fills a quote form from the page's values without showing it and submits it.
    virtual void SubmitQuoteFromParams(const AppParams &params, const QString &pictureFile) = 0;
    virtual void NewOrder() = 0;
    virtual void MarkReadPendingSales() = 0;
    virtual void FetchPaymentInfo() = 0;
    virtual void GoToOrderQuote() = 0;
    virtual void ShowQuoteOrder() = 0;
    virtual void UpdateSelectedOrder() = 0;
    // The profile sheet in edit mode, opened on the page of the market shown.
    virtual void EditProfile() = 0;
};

// A dialog that hosts the order page ("submit-order", "change-paymethod").
class IOrderPage
{
public:
    virtual ~IOrderPage() = default;
    virtual void SubmitOrder(const AppParams &fields) = 0;
    virtual void ChangePayMethod(const QString &method) = 0;
};

// What a command needs of the browser it came from.
class IPageHost
{
public:
    virtual ~IPageHost() = default;
    virtual void Redraw() = 0;
    virtual void StopAndNavigate(const QString &url) = 0;
    // The page's "price", "shipping", "notes" inputs and the "cond" list; missing ones are skipped.
    virtual void FillQuoteInputs(const QString &price, const QString &shipping, const QString &notes,
                                 int conditionIndex) = 0;
    // Tells the form that owns the browser that contact data arrived.
    virtual void NotifyGetContact() = 0;
    // The dialog owning the view: OK, Cancel, and its order page when it has one.
    virtual void AcceptOwnerDialog() = 0;
    virtual void RejectOwnerDialog() = 0;
    virtual IOrderPage *OwnerOrderPage() = 0;
};
