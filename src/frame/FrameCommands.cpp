#include "FrameCommands.h"

#include "CMainFrame.h"
#include "FrameTables.h"
#include "IFrameDialogs.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "net/XMarketPlaces.h"
#include "views/XBaseListCtrl.h"
#include "views/XOrderListCtrl.h"

void FrameCommands::Later(const char *what) const
{
    if (AppCore *app = theAppIfAny())
        app->WriteLog(QStringLiteral("%1: not part of this version yet").arg(QLatin1String(what)),
                      QStringLiteral("CMainFrame"), 5);
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

void FrameCommands::OpenMessageContext(MessageContext)
{
    Later("OpenMessageContext");
}

void FrameCommands::ShowOwnerProfile()
{
    Later("ShowOwnerProfile");
}

void FrameCommands::ShowRecordMessages()
{
    Later("ShowRecordMessages");
}

void FrameCommands::WriteComment()
{
    m_frame.Dialogs().AddCommentsDlg();
}

void FrameCommands::SendQuote()
{
    if (m_frame.GetMarketMode() == Korvant::MarketCars) {
        m_frame.Dialogs().NewInventoryCarsPropSheet(m_frame.GetMarketModeName() + QStringLiteral(" - Send Quote"));
    } else {
        theApp().WriteLog(QStringLiteral("NewQuoteDlg dlg(this)"), QStringLiteral("CMainFrame"), 5);
        m_frame.Dialogs().NewQuoteDlg();
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
    Later("RequestQueryContact");
}

void FrameCommands::CheckMarketPlaces()
{
    if (auto *markets = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces))
        markets->CheckVersion(m_frame.GetMarketMode());
}

void FrameCommands::ShowDealDetail()
{
    m_frame.ShowHotDealPreview();
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
    if (!fields.isEmpty())
        Later("NewQuery from the page's fields");
    if (m_frame.GetMarketMode() == Korvant::MarketCars)
        m_frame.Dialogs().NewQueryCarsPropSheet(title);
    else
        m_frame.Dialogs().NewQueryDlg(title);
}

void FrameCommands::NewCatalogRecord(bool cars)
{
    if (cars) {
        m_frame.RunCommand(FrameTables::CmdNewCarCatalogRecord);
        return;
    }
    m_frame.SelectNavigatorItem(NodePartsCatalog);
    m_frame.Dialogs().NewInventoryDlg(false);
}

void FrameCommands::EditMyProfile()
{
    m_frame.RunCommand(FrameTables::CmdMyProfile);
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

void FrameCommands::ShowQuotePicture(const QString &, const QString &, const QString &)
{
    m_frame.Dialogs().CarQuoteDetail(QStringLiteral("Quote Detail"));
}

void FrameCommands::ShowQuotePartPicture(const QString &, const QString &, const QString &)
{
    m_frame.Dialogs().CarQuoteDetail(QStringLiteral("Quote Detail"));
}

QString FrameCommands::SelectPartImage(const QString &)
{
    Later("SelectPartImage");
    return QString();
}

void FrameCommands::ShowCarQuoteDetail()
{
    m_frame.Dialogs().CarQuoteDetail(QStringLiteral("Quote Detail"));
}

void FrameCommands::ContactUs()
{
    m_frame.RunCommand(FrameTables::CmdContactUs);
}

void FrameCommands::SubmitQuoteFromParams(const AppParams &, const QString &)
{
    m_frame.Dialogs().NewQuoteDlg();
}

void FrameCommands::NewOrder()
{
    if (m_frame.GetActiveListType() == ListPartQueries && m_frame.CurrentList() && m_frame.CurrentList()->RowCount() > 0)
        m_frame.Dialogs().NewOrderDlg(QString(), QString());
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
    if (auto *orders = dynamic_cast<XOrderListCtrl *>(XBaseListCtrl::FromPane(m_frame.CurrentList())))
        orders->FetchPaymentInfo(false);
}

void FrameCommands::GoToOrderQuote()
{
    Later("GoToOrderQuote");
}

void FrameCommands::ShowQuoteOrder()
{
    Later("ShowQuoteOrder");
}

void FrameCommands::UpdateSelectedOrder()
{
    m_frame.UpdateSelectedOrder();
}
