#include "QuoteFormBase.h"

#include "FormRules.h"
#include "IFormHost.h"

#include "app/WaitCursor.h"
#include "db/KVDatabase.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"

QuoteFormBase::QuoteFormBase(IFormHost *host, std::unique_ptr<ISellerQueries> list, const Kind &kind)
    : m_host(host), m_collected(kind.pictureSlots), m_kind(kind), m_walk(std::move(list), kind.walkNode)
{
}

bool QuoteFormBase::LoadCurrentQuery()
{
    m_loaded = false;
    XBaseSet &quote = QuoteRow();
    if (quote.IsAdding() || quote.IsEditing())
        quote.CancelUpdate();
    // Every load starts a row of its own: each sent quote is stored as its own record.
    quote.AddNew();
    const QString id = m_walk.CurrentId();
    XBaseSet &query = QueryRow();
    if (id.isEmpty() || !query.Select(SqlExpr(QStringLiteral("ID = ?"), {id})) || query.IsEOF())
        return false;
    quote.SetText("QUERY_ID", id);
    TakeQuery();
    m_loaded = true;
    return true;
}

bool QuoteFormBase::MoveTo(int index)
{
    return m_walk.Select(index) && LoadCurrentQuery();
}

int QuoteFormBase::NextPlace() const
{
    const int left = List() ? List()->Count() : 0;
    return Walks() && left > 0 ? qMin(Index(), left - 1) : -1;
}

qint64 QuoteFormBase::FillFromPicked()
{
    if (!m_host)
        return -1;
    qint64 id;
    {
        WaitCursor wait;
        id = m_host->SelectFromInventory(QueryRow(), m_kind.marketMode);
    }
    return id > 0 && FillFromInventory(id) ? id : -1;
}

SubmitSpec QuoteFormBase::Spec() const
{
    SubmitSpec spec;
    spec.operation = QLatin1String(m_kind.operation);
    spec.failureCaption = QStringLiteral("Cannot send the quote");
    spec.recordWord = QStringLiteral("quote");
    spec.sender = RefusalSender::Quote;
    spec.marketMode = m_kind.marketMode;
    return spec;
}

FormOutcome QuoteFormBase::Submit(SubmitPipeline &pipeline)
{
    if (!m_loaded)
        return FormOutcome::Invalid;
    return pipeline.Run(*this, Spec());
}

bool QuoteFormBase::Prepare()
{
    m_photos = XPhotoSet();
    for (int i = 0; i < m_kind.pictureSlots; ++i) {
        const InvPicture p = m_pictures.value(i);
        m_collected.SetPicture(i, p.file, p.text);
    }
    m_collected.CollectPictures();
    PrepareImages(QString());
    FormRules::StampOutgoing(QuoteRow(), m_kind.stampsReceived, m_kind.liveDays);
    return true;
}

void QuoteFormBase::Store(const XRequest &answer)
{
    XBaseSet &quote = QuoteRow();
    const QString id = FormRules::StampAnswer(quote, answer, QLatin1String(m_kind.idKey));
    // Files are named by the server's id only when it is safe (the preparers check).
    PrepareImages(id);
    m_inventoryCopy = -1;
    if (m_storeToInventory)
        m_inventoryCopy = StoreInventoryCopy();
    quote.Update();
    // Only a new or read query becomes replied; a later status stays.
    theDatabase().Execute(QStringLiteral("UPDATE [%1] SET STATUS = 'Replied', STATUS_CODE = 2 "
                                         "WHERE ID = ? AND STATUS_CODE IN (0, 1)")
                              .arg(QLatin1String(m_kind.queryTable)),
                          {QueryRow().GetText("ID")});
}

void QuoteFormBase::AfterStore()
{
    if (List())
        List()->Reload();
    if (m_host)
        m_host->QuoteSent(m_kind.marketMode, List() ? List()->NodeId() : 0);
}

XMarketPlace QuoteFormBase::RefusingMarket() const
{
    XMarketPlace market;
    market.name = QueryRow().GetText("MARKET_NAME");
    return market;
}
