#pragma once

#include "browser/IFrameCommands.h"

class CMainFrame;

// The in-page commands of the browser panes, answered by the main window's
// operations and dialogs.
class FrameCommands : public IFrameCommands
{
public:
    explicit FrameCommands(CMainFrame &frame) : m_frame(frame) {}

    int GetMarketMode() const override;
    int GetShownNode() const override;
    void SelectNavigatorItem(int nodeId) override;
    PendingQuote &Pending() override { return m_pending; }
    void ComposeMessageForSelection() override;
    void OpenMessageContext(MessageContext context) override;
    void ShowOwnerProfile() override;
    void ShowRecordMessages() override;
    void WriteComment() override;
    void SendQuote() override;
    void PrintCurrentRecord() override;
    void MarkReadIncoming() override;
    void RequestQueryContact() override;
    void CheckMarketPlaces() override;
    void ShowDealDetail() override;
    void EditSpecialty(bool cars) override;
    bool RunSpecialtyDialog(bool cars) override;
    QString GetMarketModeName() const override;
    void NewQuery(const QString &title, const AppParams &fields) override;
    void NewCatalogRecord(bool cars) override;
    void EditMyProfile() override;
    void EditProfile() override;
    void ShowInventoryImport() override;
    void ExportInventory() override;
    void MemberLookup() override;
    void NewHotDeal() override;
    void ShowQuotePicture(const QString &url, const QString &quoteId, const QString &pictureId) override;
    void ShowQuotePartPicture(const QString &url, const QString &quoteId, const QString &pictureId) override;
    QString SelectPartImage(const QString &currentFile) override;
    void ShowCarQuoteDetail() override;
    void ContactUs() override;
    void SubmitQuoteFromParams(const AppParams &params, const QString &pictureFile) override;
    void NewOrder() override;
    void MarkReadPendingSales() override;
    void FetchPaymentInfo() override;
    void GoToOrderQuote() override;
    void ShowQuoteOrder() override;
    void UpdateSelectedOrder() override;

private:
    CMainFrame &m_frame;
    PendingQuote m_pending;
};
