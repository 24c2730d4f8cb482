#pragma once

#include "Fakes.h"

#include "browser/IFrameCommands.h"

// Records every call of the in-page commands as "Name|arg|arg".
class RecordingCommands : public IFrameCommands
{
public:
    CallLog log;
    int marketMode = 0;
    int shownNode = 0;
    PendingQuote pending;
    QString chosenPicture;
    bool specialtyAnswer = false;

    int GetMarketMode() const override { return marketMode; }
    int GetShownNode() const override { return shownNode; }
    void SelectNavigatorItem(int nodeId) override { log.Add(QStringLiteral("Select|%1").arg(nodeId)); }
    PendingQuote &Pending() override { return pending; }
    void ComposeMessageForSelection() override { log.Add("ComposeMessageForSelection"); }
    void OpenMessageContext(MessageContext context) override
    {
        log.Add(QStringLiteral("OpenMessageContext|%1").arg(int(context)));
    }
    void ShowOwnerProfile() override { log.Add("ShowOwnerProfile"); }
    void EditProfile() override { log.Add("EditProfile"); }
    void ShowRecordMessages() override { log.Add("ShowRecordMessages"); }
    void WriteComment() override { log.Add("WriteComment"); }
    void SendQuote() override { log.Add("SendQuote"); }
    void PrintCurrentRecord() override { log.Add("PrintCurrentRecord"); }
    void MarkReadIncoming() override { log.Add("MarkReadIncoming"); }
    void RequestQueryContact() override { log.Add("RequestQueryContact"); }
    void CheckMarketPlaces() override { log.Add("CheckMarketPlaces"); }
    void ShowDealDetail() override { log.Add("ShowDealDetail"); }
    void EditSpecialty(bool cars) override { log.Add(QStringLiteral("EditSpecialty|%1").arg(cars)); }
    bool RunSpecialtyDialog(bool cars) override
    {
        log.Add(QStringLiteral("RunSpecialtyDialog|%1").arg(cars));
        return specialtyAnswer;
    }
    QString GetMarketModeName() const override { return marketMode == 1 ? QStringLiteral("Cars") : QStringLiteral("Parts"); }
    void NewQuery(const QString &title, const AppParams &fields) override
    {
        QStringList pairs;
        for (auto it = fields.cbegin(); it != fields.cend(); ++it)
            pairs << it.key() + '=' + it.value();
        log.Add("NewQuery|" + title + '|' + pairs.join(','));
    }
    void NewCatalogRecord(bool cars) override { log.Add(QStringLiteral("NewCatalogRecord|%1").arg(cars)); }
    void EditMyProfile() override { log.Add("EditMyProfile"); }
    void ShowInventoryImport() override { log.Add("ShowInventoryImport"); }
    void ExportInventory() override { log.Add("ExportInventory"); }
    void MemberLookup() override { log.Add("MemberLookup"); }
    void NewHotDeal() override { log.Add("NewHotDeal"); }
    void ShowQuotePicture(const QString &url, const QString &quoteId, const QString &pictureId) override
    {
        log.Add(QStringLiteral("ShowQuotePicture|%1|%2|%3").arg(url, quoteId, pictureId));
    }
    void ShowQuotePartPicture(const QString &url, const QString &quoteId, const QString &pictureId) override
    {
        log.Add(QStringLiteral("ShowQuotePartPicture|%1|%2|%3").arg(url, quoteId, pictureId));
    }
    QString SelectPartImage(const QString &currentFile) override
    {
        log.Add("SelectPartImage|" + currentFile);
        return chosenPicture;
    }
    void ShowCarQuoteDetail() override { log.Add("ShowCarQuoteDetail"); }
    void ContactUs() override { log.Add("ContactUs"); }
    void SubmitQuoteFromParams(const AppParams &params, const QString &pictureFile) override
    {
        QStringList pairs;
        for (auto it = params.cbegin(); it != params.cend(); ++it)
            pairs << it.key() + '=' + it.value();
        log.Add("SubmitQuoteFromParams|" + pairs.join(',') + '|' + pictureFile);
    }
    void NewOrder() override { log.Add("NewOrder"); }
    void MarkReadPendingSales() override { log.Add("MarkReadPendingSales"); }
    void FetchPaymentInfo() override { log.Add("FetchPaymentInfo"); }
    void GoToOrderQuote() override { log.Add("GoToOrderQuote"); }
    void ShowQuoteOrder() override { log.Add("ShowQuoteOrder"); }
    void UpdateSelectedOrder() override { log.Add("UpdateSelectedOrder"); }
};
