#include "FrameCommands.h"

#include "CMainFrame.h"
#include "FrameTables.h"
#include "IFrameDialogs.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "forms/CSelectPartImage.h"
#include "net/XMarketPlaces.h"
#include "views/ListRegistry.h"
#include "views/XBaseListCtrl.h"
#include "views/XHotDealListCtrl.h"
#include "views/XMessageListCtrl.h"
#include "views/XOrderListCtrl.h"
#include "views/XQueryListCtrl.h"

// The query list of the market shown, when it is the list shown.
static XQueryListCtrl *ShownQueries(int marketMode)
{
    return qobject_cast<XQueryListCtrl *>(ListRegistry::Instance().Shown(
        marketMode == Korvant::MarketCars ? IRecordViews::ListKind::CarQueries : IRecordViews::ListKind::Queries));
}

// The list the window shows, when it is of that kind.
template <class List>
static List *ShownAs(CMainFrame &frame)
{
    return qobject_cast<List *>(XBaseListCtrl::FromPane(frame.CurrentList()));
}

int FrameCommands::GetMarketMode() const
{
    return m_frame.GetMarketMode();
}

int FrameCommands::GetShownNode() const
{
    return m_frame.CurrentNode();
}

void FrameCommands::SelectNavigatorItem(int nodeId)
{
    m_frame.SelectNavigatorItem(nodeId);
}

void FrameCommands::ComposeMessageForSelection()
{
    m_frame.RunCommand(FrameTables::CmdSendMessage);
}

void FrameCommands::OpenMessageContext(MessageContext context)
{
    auto *list = qobject_cast<XMessageListCtrl *>(ListRegistry::Instance().Shown(IRecordViews::ListKind::Messages));
    if (!list)
        return;
    switch (context) {
    case MessageContext::Query: list->OpenQuery(); break;
    case MessageContext::Quote: list->OpenQuote(); break;
    case MessageContext::HotDeal: list->OpenHotDeal(); break;
    case MessageContext::Order: list->OpenOrder(); break;
    }
}

void FrameCommands::ShowOwnerProfile()
{
    if (auto *deals = ShownAs<XHotDealListCtrl>(m_frame))
        deals->ShowOwnerProfile();
    else if (ShownAs<XOrderListCtrl>(m_frame))
        return;
    else if (XQueryListCtrl *list = ShownQueries(GetMarketMode()))
        list->ShowOwnerProfile();
}

void FrameCommands::ShowRecordMessages()
{
    if (auto *deals = ShownAs<XHotDealListCtrl>(m_frame))
        deals->ShowMessages();
    else if (auto *orders = ShownAs<XOrderListCtrl>(m_frame))
        orders->ShowMessages();
    else if (XQueryListCtrl *list = ShownQueries(GetMarketMode()))
        list->ShowMessages();
}

void FrameCommands::WriteComment()
{
    m_frame.Dialogs().AddCommentsDlg();
}

void FrameCommands::SendQuote()
{
    try {
        if (m_frame.GetMarketMode() == Korvant::MarketCars) {
            m_frame.Dialogs().NewInventoryCarsPropSheet(m_frame.GetMarketModeName() + QStringLiteral(" - Send Quote"),
                                                         true, 0);
        } else {
            theApp().WriteLog(QStringLiteral("NewQuoteDlg dlg(this)"), QStringLiteral("CMainFrame"), 5);
            m_frame.Dialogs().NewQuoteDlg();
        }
    } catch (...) {
        // A link click must not end the program; the log keeps the trace.
        theApp().WriteLog(QStringLiteral("unknown error"), QStringLiteral("Unknown Error"), 1);
    }
}

void FrameCommands::PrintCurrentRecord()
{
    m_frame.RunCommand(FrameTables::CmdPrint);
}

void FrameCommands::MarkReadIncoming()
{
    const int node = m_frame.CurrentNode();
    if (node != NodeIncomingLeads && node != NodeCarsIncomingLeads)
        return;
    if (XBaseListCtrl *list = XBaseListCtrl::FromPane(m_frame.CurrentList()))
        list->MarkRead();
}

void FrameCommands::RequestQueryContact()
{
    if (XQueryListCtrl *list = ShownQueries(GetMarketMode()))
        list->RequestContactInfo(true);
}

void FrameCommands::CheckMarketPlaces()
{
    if (auto *markets = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces))
        markets->CheckVersion(m_frame.GetMarketMode());
}

void FrameCommands::ShowDealDetail()
{
    // The page's link opens the deal as a double-click does: read, counted.
    if (auto *deals = ShownAs<XHotDealListCtrl>(m_frame))
        deals->ShowDealDetail();
}

void FrameCommands::EditSpecialty(bool cars)
{
    if (RunSpecialtyDialog(cars))
        m_frame.SelectNavigatorItem(cars ? NodeCarsSpecialty : NodeSpecialty);
}

bool FrameCommands::RunSpecialtyDialog(bool cars)
{
    const int answer = cars ? m_frame.Dialogs().FilterCarsDlg() : m_frame.Dialogs().CWizardScopeDlg();
    return answer == MsgBox::IdOk;
}

QString FrameCommands::GetMarketModeName() const
{
    return m_frame.GetMarketModeName();
}

void FrameCommands::NewQuery(const QString &title, const AppParams &fields)
{
    if (m_frame.GetMarketMode() == Korvant::MarketCars) {
        m_frame.Dialogs().NewQueryCarsPropSheet(title, fields);
        return;
    }
    m_frame.Dialogs().NewQueryDlg(title, fields);
}

void FrameCommands::NewCatalogRecord(bool cars)
{
    if (cars) {
        m_frame.RunCommand(FrameTables::CmdNewCarCatalogRecord);
        return;
    }
    m_frame.SelectNavigatorItem(NodePartsCatalog);
    m_frame.Dialogs().NewInventoryDlg(0);
}

void FrameCommands::EditMyProfile()
{
    m_frame.RunCommand(FrameTables::CmdMyProfile);
}

void FrameCommands::EditProfile()
{
    const bool cars = m_frame.GetMarketMode() == Korvant::MarketCars;
    m_frame.Dialogs().ProfilePropertySheet(QStringLiteral("Edit Profile"), 1, cars ? 1 : 2);
}

void FrameCommands::ShowInventoryImport()
{
    m_frame.RunCommand(FrameTables::CmdImportInventory);
}

void FrameCommands::ExportInventory()
{
    m_frame.ExportInventory();
}

void FrameCommands::MemberLookup()
{
    m_frame.RunCommand(FrameTables::CmdMemberLookup);
}

void FrameCommands::NewHotDeal()
{
    m_frame.Dialogs().HotDealEditorDlg();
}

void FrameCommands::ShowQuotePicture(const QString &, const QString &quoteId, const QString &pictureId)
{
    m_frame.Dialogs().CarQuoteDetail(QStringLiteral("Quote Detail"), quoteId, false, qMax(1, pictureId.toInt()));
}

void FrameCommands::ShowQuotePartPicture(const QString &, const QString &quoteId, const QString &pictureId)
{
    m_frame.Dialogs().CarQuoteDetail(QStringLiteral("Quote Detail"), quoteId, true, qMax(1, pictureId.toInt()));
}

QString FrameCommands::SelectPartImage(const QString &currentFile)
{
    CSelectPartImage picture(&m_frame);
    picture.SetPictureFile(currentFile);
    picture.DoModal();
    return picture.PictureFile();
}

void FrameCommands::ShowCarQuoteDetail()
{
    const XQueryListCtrl *list = ShownQueries(Korvant::MarketCars);
    const QString quoteId = list ? list->SelectedQuoteId() : QString();
    if (!quoteId.isEmpty())
        m_frame.Dialogs().CarQuoteDetail(QStringLiteral("Quote Detail"), quoteId, false, 0);
}

void FrameCommands::ContactUs()
{
    m_frame.RunCommand(FrameTables::CmdContactUs);
}

void FrameCommands::SubmitQuoteFromParams(const AppParams &params, const QString &pictureFile)
{
    m_frame.Dialogs().SubmitQuickQuote(params, pictureFile);
}

void FrameCommands::NewOrder()
{
    if (m_frame.GetActiveListType() == ListPartQueries)
        if (XQueryListCtrl *list = ShownQueries(Korvant::MarketParts))
            list->NewOrderForSelection();
}

void FrameCommands::MarkReadPendingSales()
{
    if (m_frame.CurrentNode() != NodePendingSales)
        return;
    if (XBaseListCtrl *list = XBaseListCtrl::FromPane(m_frame.CurrentList()))
        list->MarkRead();
}

void FrameCommands::FetchPaymentInfo()
{
    if (auto *orders = ShownAs<XOrderListCtrl>(m_frame))
        orders->FetchPaymentInfo(false);
}

void FrameCommands::GoToOrderQuote()
{
    if (auto *orders = ShownAs<XOrderListCtrl>(m_frame))
        orders->GoToOrderQuote();
}

void FrameCommands::ShowQuoteOrder()
{
    if (XQueryListCtrl *list = ShownQueries(GetMarketMode()))
        list->ShowOrder();
}

void FrameCommands::UpdateSelectedOrder()
{
    m_frame.UpdateSelectedOrder();
}
