#include "XHotDealSet.h"

#include "KVDatabase.h"
#include "RecordXml.h"
#include "XMessageSet.h"

#include "app/AppCore.h"
#include "app/Interfaces.h"
#include "net/XProfile.h"
#include "net/XRequest.h"

using RecordXml::Field;

namespace {

const QStringList &DealColumns()
{
    static const QStringList columns = {
        "ID",       "POST_DATE",     "IS_INCOMING", "LIVE_TIME", "MAKE",         "C_ID",        "C_NAME",
        "C_PHONE",  "C_MOBILE",      "C_FAX",       "C_WEBSITE", "C_STREET",     "C_CITY",      "C_STATE",
        "C_ZIP",    "C_COUNTRY",     "C_COMPANY",   "C_SIGNATURE", "BUSINESS_TYPE", "MODEL",     "YEAR",
        "PRICE",    "QUANTITY",      "STOCK_NUMBER", "APPLICATION", "COMMENTS",   "NOTES",       "STATUS",
        "STATUS_CODE", "TITLE",
    };
    return columns;
}

const Field kDealRead[] = {
    {"deal_id", "ID"},
    {"owner_id", "C_ID"},
    {"create_time", "POST_DATE", RecordXml::Date},
    {"live_time", "LIVE_TIME", RecordXml::Int},
};

const Field kContactRead[] = {
    {"name", "C_NAME"},         {"phone", "C_PHONE"},         {"mobile", "C_MOBILE"},
    {"fax", "C_FAX"},           {"website", "C_WEBSITE"},     {"street", "C_STREET"},
    {"city", "C_CITY"},         {"zip", "C_ZIP"},             {"state", "C_STATE"},
    {"country", "C_COUNTRY"},   {"company", "C_COMPANY"},     {"signature", "C_SIGNATURE"},
    {"business_type", "BUSINESS_TYPE"},
};

const Field kMetaRead[] = {
    {"title", "TITLE"},   {"make", "MAKE"},         {"model", "MODEL"},
    {"year", "YEAR"},     {"price", "PRICE"},       {"quantity", "QUANTITY"},
    {"stock_number", "STOCK_NUMBER"}, {"application", "APPLICATION"}, {"notes", "NOTES"},
};

const Field kMetaWrite[] = {
    {"make", "MAKE"},     {"model", "MODEL"},       {"year", "YEAR"},
    {"title", "TITLE"},   {"price", "PRICE"},       {"quantity", "QUANTITY"},
    {"stock_number", "STOCK_NUMBER"}, {"application", "APPLICATION"}, {"notes", "NOTES"},
};

const Field kMetaDetail[] = {
    {"product", "TITLE"}, {"make", "MAKE"},         {"model", "MODEL"},
    {"year", "YEAR"},     {"price", "PRICE"},       {"quantity", "QUANTITY"},
    {"stock_number", "STOCK_NUMBER"}, {"application", "APPLICATION"}, {"notes", "NOTES"},
};

const Field kContactHead[] = {
    {"id", "C_ID"},
    {"name", "C_NAME"},
};

const Field kContactTail[] = {
    {"phone", "C_PHONE"},       {"mobile", "C_MOBILE"},   {"fax", "C_FAX"},
    {"website", "C_WEBSITE", RecordXml::Url},             {"street", "C_STREET"},
    {"city", "C_CITY"},         {"state", "C_STATE"},     {"zip", "C_ZIP"},
    {"country", "C_COUNTRY"},   {"company", "C_COMPANY"}, {"business-type", "BUSINESS_TYPE"},
};

bool SendMessageEnabled()
{
    const AppCore *app = theAppIfAny();
    const IRecordViews *views = app ? app->Views() : nullptr;
    return views && views->IsOperationEnabled(IRecordViews::ListKind::HotDeals, IRecordViews::OpSendMessage);
}

} // namespace

XHotDealSet::XHotDealSet(KVDatabase *database) : XBaseSet(database, "HotDeals", DealColumns())
{
    SetInt("LIVE_TIME", DefaultLiveTime);
}

QString XHotDealSet::GetIdText() const
{
    return GetText("ID");
}

void XHotDealSet::AddNew()
{
    XBaseSet::AddNew();
    SetInt("LIVE_TIME", DefaultLiveTime);
}

SqlExpr XHotDealSet::GetFolderFilter(int folderId)
{
    switch (folderId) {
    case Received:
        m_baseFilter = SqlExpr(QStringLiteral("IS_INCOMING = 1"));
        break;
    case Own:
        m_baseFilter = SqlExpr(QStringLiteral("IS_INCOMING = 0"));
        break;
    default:
        return m_baseFilter;
    }
    ResetFilter();
    return m_baseFilter;
}

bool XHotDealSet::SelectById(const QString &id)
{
    Select(SqlExpr(QStringLiteral("ID = ?"), {id}));
    return !IsEOF();
}

void XHotDealSet::ReadDealXml(const XRequest *, const XmlNode &dealNode)
{
    const XmlNode meta = RecordXml::Child(dealNode, "meta_info");
    const XmlNode contact = RecordXml::Child(dealNode, "contact_info");
    SetBool("IS_INCOMING", true);
    SetText("STATUS", QStringLiteral("New"));
    SetInt("STATUS_CODE", 0);
    RecordXml::Read(*this, dealNode, kDealRead);
    RecordXml::Read(*this, contact, kContactRead);
    RecordXml::Read(*this, meta, kMetaRead);
}

void XHotDealSet::BuildDealXml(XRequest &request) const
{
    XmlNode deal = request.AddParam(QStringLiteral("deal"));
    XmlNode meta = deal.AddChild(QStringLiteral("meta_info"));
    RecordXml::WriteField(*this, deal, {"live_time", "LIVE_TIME", RecordXml::Int});
    deal.AddChild(QStringLiteral("market_id"), QStringLiteral("_GLOBAL_"));
    RecordXml::Write(*this, meta, kMetaWrite);
}

void XHotDealSet::BuildDetailXml(XmlNode root, bool withMhtUrl, const QString &mhtUrl)
{
    const bool incoming = GetBool("IS_INCOMING");
    root.AddChild(QStringLiteral("comments"), GetText("COMMENTS"));
    root.SetAttr(QStringLiteral("id"), GetText("ID"));
    if (withMhtUrl)
        root.SetAttr(QStringLiteral("mht-url"), mhtUrl);
    root.SetAttr(QStringLiteral("profile"), QStringLiteral("1"));
    RecordXml::SetFlag(root, "sendmessage", SendMessageEnabled());
    RecordXml::SetFlag(root, "messages",
                       XMessageSet::CountByContext(GetText("ID"), QStringLiteral("deal"), m_pDatabase) > 0);

    RecordXml::Write(*this,
                     RecordXml::AddSection(root, QStringLiteral("meta_info"), QStringLiteral("Hot Deal Information"),
                                           QStringLiteral("meta-fields")),
                     kMetaDetail);

    XmlNode contact = RecordXml::AddSection(root, QStringLiteral("contact_info"), QStringLiteral("Contact Information"),
                                            QStringLiteral("contact-fields"));
    RecordXml::Write(*this, contact, kContactHead);
    if (incoming)
        contact.AddChild(QStringLiteral("email"), QStringLiteral("email"));
    RecordXml::Write(*this, contact, kContactTail);
    contact.AddChild(QStringLiteral("signature"), incoming ? GetText("C_SIGNATURE") : theProfile().Get().signature);
}
