// The auto-reply: new incoming queries answered with quotes from the
// seller's inventory, rated by the metadata's script.

#include "XPoller.h"

#include "CRateSystem.h"

#include "app/AppCore.h"
#include "app/TasksDispatcher.h"
#include "app/XPhotoSet.h"
#include "app/XSettings.h"
#include "db/KVDatabase.h"
#include "db/QuotePictures.h"
#include "db/XInventoryCarsSet.h"
#include "db/XInventorySet.h"
#include "db/XQueryCarsSet.h"
#include "db/XQuerySet.h"
#include "db/XQuoteCarsSet.h"
#include "db/XQuoteSet.h"
#include "net/XMarketPlaces.h"
#include "net/XRequest.h"

#include <QDir>
#include <QFile>

namespace {

constexpr int MaxQueriesPerRun = 100;
constexpr unsigned AutoReplyTask = 3;

void ErrorBox(const QString &text)
{
    theApp().ShowMessageBox(text, QStringLiteral("Error"), MsgBox::IconError);
}

QString ErrorText(const DbException &e)
{
    return e.Description().isEmpty() ? e.Message() : e.Description();
}

// "ID IN (?, ...)" over the ids, bound.
QString InList(qsizetype n)
{
    QString marks;
    for (qsizetype i = 0; i < n; ++i)
        marks += i ? QStringLiteral(", ?") : QStringLiteral("?");
    return QStringLiteral("ID IN (") + marks + u')';
}

// A picture that is one of a stored pair is taken as it is; anything else is scaled.
void LoadSlot(XPhotoSet &photos, const QString &file, int slot)
{
    const bool pair = file.endsWith(QLatin1String("_big.jpg")) || file.endsWith(QLatin1String("_sm.jpg"));
    if (!(pair && photos.LoadPhoto(file, slot, true)))
        photos.LoadPhoto(file, slot, false);
}

void EnsureFolders(const char *folder, bool outgoing)
{
    const QString base = theApp().GetDataFolder() + QLatin1String(folder);
    QDir().mkpath(outgoing ? base + QStringLiteral("/outcoming") : base);
}

} // namespace

int XPoller::RatingThreshold(int level)
{
    switch (level) {
    case 0: return 35;
    case 1: return 50;
    case 2: return 65;
    case 3: return 80;
    case 4: return 95;
    default: return 65;
    }
}

int XPoller::GetMinAutoReplyRating(bool cars)
{
    XSettings *settings = theSettingsIfAny();
    const int level = settings ? settings->GetInt(cars ? Setting::MinAutoReplyRatingCars : Setting::MinAutoReplyRating)
                               : 2;
    return RatingThreshold(level);
}

void XPoller::StartAutoReply()
{
    QMutexLocker lock(&m_autoReplyStart);
    // After Exit nothing starts it again.
    if (m_exit || IsThreadRunning(AutoReplySlot))
        return;
    m_autoReplyCancel = false;
    ++m_autoReplyStarts;
    StartThread(AutoReplySlot, [this] { AutoReplyThread(); }, QThread::LowestPriority);
}

bool XPoller::WaitForAutoReply(int timeoutMs)
{
    QMutexLocker lock(&m_autoReplyStart);
    return WaitForThread(AutoReplySlot, timeoutMs);
}

void XPoller::AutoReplyThread()
{
    try {
        TasksDispatcher &tasks = theTasksDispatcher();
        // Waits while an import runs, but not past a cancel.
        while (!m_autoReplyCancel) {
            TaskScope task(tasks, AutoReplyTask, 200);
            if (!task.Begun())
                continue;
            if (!m_autoReplyCancel)
                AutoReplyCars();
            if (!m_autoReplyCancel)
                AutoReplyParts();
            break;
        }
    } catch (...) {
        ShowFailure(QStringLiteral("asyncAutoReplyCallback Unknown Error"));
    }
}

void XPoller::AutoReplyCars()
{
    AutoReplyRun(true);
}

void XPoller::AutoReplyParts()
{
    AutoReplyRun(false);
}

void XPoller::AutoReplyRun(bool cars)
{
    XSettings *settings = theSettingsIfAny();
    if (!settings || !settings->IsOn(cars ? Setting::AutoReplyCars : Setting::AutoReply) || m_autoReplyCancel)
        return;

    std::unique_ptr<XBaseSet> queries;
    if (cars)
        queries = std::make_unique<XQueryCarsSet>();
    else
        queries = std::make_unique<XQuerySet>();
    queries->SetReadOnly(false);
    queries->Select(SqlExpr(QStringLiteral("IS_INCOMING = 1 AND IS_ARCHIVE = 0 AND STATUS_CODE = ? AND "
                                           "AUTOREPL_CHECKED = 0"),
                            {0}),
                    QStringLiteral("POST_DATE DESC"));
    const int count = int(queries->GetRecordCount());
    if (count <= 0)
        return;

    SetCount(NewCounts::AutoReplied, 0);
    IMainFrame *frame = theApp().Frame();
    if (!m_autoReplyCancel && frame)
        frame->ProgressStart(cars ? QStringLiteral("Autoreply Cars:") : QStringLiteral("Autoreply:"),
                             qMin(count, MaxQueriesPerRun));

    CRateSystem rating;
    if (!rating.Start(cars ? CRateSystem::Cars : CRateSystem::Parts)) {
        // Nothing examined: the queries wait for a script that runs.
        if (frame)
            frame->ProgressEnd();
        return;
    }
    SetRating(&rating);
    // Exit interrupts the run through this pointer: it goes however the run
    // ends, an exception included, before the rating itself does.
    struct RatingGuard
    {
        XPoller *poller;
        ~RatingGuard() { poller->SetRating(nullptr); }
    } ratingGuard{this};

    const int mode = cars ? 1 : 0;
    XMarketPlaces *markets = Globals::As<XMarketPlaces>(GlobalSlot::MarketPlaces);
    QVariantList examined;
    try {
        while (!m_autoReplyCancel && !queries->IsEOF() && examined.size() < MaxQueriesPerRun) {
            XMarketPlace market;
            market.name = queries->GetText("MARKET_NAME");
            if (markets && markets->FindMarketPlace(market, mode) && market.asSeller) {
                try {
                    if (cars) {
                        QVariantList answered;
                        AutoReplyToCarQuery(static_cast<XQueryCarsSet &>(*queries), rating, answered);
                        if (!answered.isEmpty())
                            theDatabase().ExecuteSQL(QStringLiteral("UPDATE Queries_Cars SET STATUS = 'Auto Replied', "
                                                                    "STATUS_CODE = 3 WHERE ") +
                                                         InList(answered.size()),
                                                     answered);
                    } else {
                        AutoReplyToQuery(static_cast<XQuerySet &>(*queries), rating);
                    }
                } catch (const DbException &) {
                    throw;
                } catch (const std::exception &e) {
                    theApp().WriteLog(QString::fromUtf8(e.what()), QStringLiteral("Autoreply"), 2);
                }
            }
            examined.append(queries->GetText("ID"));
            queries->MoveNext();
            if (!m_autoReplyCancel && frame)
                frame->ProgressStep();
        }
    } catch (const DbException &e) {
        const QString reason = e.Message() + u' ' + ErrorText(e);
        if (cars)
            ErrorBox(QStringLiteral("Cars autoreply was stopped!\nReason: the data source was changed.\n") + reason);
        else
            theApp().ShowMessageBox(
                QStringLiteral("Autoreply was stopped!\nReason:  the data source was changed.\n") + reason, QString(),
                MsgBox::Ok);
    }

    SetRating(nullptr);
    rating.Stop();

    // Examined queries are never looked at again, also after a cancel.
    if (!examined.isEmpty())
        theDatabase().ExecuteSQL(QStringLiteral("UPDATE ") + (cars ? "Queries_Cars" : "Queries") +
                                     QStringLiteral(" SET AUTOREPL_CHECKED = 1 WHERE ") + InList(examined.size()),
                                 examined);
    if (frame)
        frame->ProgressEnd();
    if (!m_autoReplyCancel && GetAutoReplied() > 0 && frame) {
        if (cars)
            frame->RefreshSellerCarQueries();
        else
            frame->RefreshSellerQueries();
    }
}

bool XPoller::SelectRatedInventory(XBaseSet &inventory, CRateSystem &rating, bool cars)
{
    XSettings *settings = theSettingsIfAny();
    const char *maxReplies = cars ? Setting::MaxRepliesOnQueryCars : Setting::MaxRepliesOnQuery;
    rating.SelectBest(GetMinAutoReplyRating(cars), settings ? settings->GetInt(maxReplies) : 0);
    const SqlExpr filter = rating.GetSelectionFilter();
    if (filter.isEmpty())
        return false;
    try {
        inventory.Select(filter);
    } catch (const DbException &e) {
        ErrorBox(ErrorText(e));
        return false;
    }
    return true;
}

bool XPoller::SendAutoQuote(XBaseSet &quote, const QString &operation, const QString &idElement,
                            const std::function<void(XRequest &)> &build,
                            const std::function<void(const QString &)> &storePictures)
{
    XRequest request(operation);
    build(request);
    request.SendWithRelogin();
    if (!request.IsSuccess()) {
        theApp().SetStatusText(QStringLiteral("Autoreply error: %1").arg(request.GetStatusText()));
        return false;
    }
    const QString quoteId = request.GetResponseText(idElement);
    quote.SetText("ID", quoteId);
    storePictures(quoteId);
    try {
        quote.Update();
        AddCount(NewCounts::AutoReplied);
    } catch (const DbException &e) {
        ErrorBox(ErrorText(e));
    }
    return true;
}

void XPoller::AutoReplyToQuery(XQuerySet &query, CRateSystem &rating)
{
    XInventorySet inventory;
    rating.RateQuery(query);
    if (!SelectRatedInventory(inventory, rating, false))
        return;
    const QString queryId = query.GetText("ID");
    for (; !inventory.IsEOF() && !m_autoReplyCancel; inventory.MoveNext()) {
        XQuoteSet quote;
        quote.AddNew();
        quote.SetText("QUERY_ID", queryId);
        inventory.FillPartQuote(quote);

        XPhotoSet photos;
        PictureHolder holder;
        XPhotoSet::LoadInventoryPicture(holder, inventory.GetText("SOURCE"), inventory.GetText("P_STOCK_NUMBER"),
                                        inventory.GetInt64(inventory.FieldIndex("ID")));
        PictureCollection pictures(1);
        pictures.SetPicture(0, holder.path, inventory.PictureTitle());
        pictures.CollectPictures();
        PrepareQuoteImages(photos, QString(), true, pictures, quote);

        const bool sent = SendAutoQuote(
            quote, QStringLiteral("newQuote"), QStringLiteral("quote_id"),
            [&](XRequest &request) { quote.BuildQuoteXml(request, &photos); },
            [&](const QString &quoteId) { PrepareQuoteImages(photos, quoteId, true, pictures, quote); });
        if (!sent)
            return;
        try {
            if (query.GetInt("STATUS_CODE") == 0) {
                query.Edit();
                query.SetText("STATUS", QStringLiteral("Auto Replied"));
                query.SetInt("STATUS_CODE", 3);
                query.Update();
            }
        } catch (const DbException &e) {
            query.CancelUpdate();
            ErrorBox(ErrorText(e));
        }
    }
}

void XPoller::AutoReplyToCarQuery(XQueryCarsSet &query, CRateSystem &rating, QVariantList &answered)
{
    XInventoryCarsSet inventory;
    rating.RateCarQuery(query);
    if (!SelectRatedInventory(inventory, rating, true))
        return;
    const QString queryId = query.GetText("ID");
    for (; !inventory.IsEOF() && !m_autoReplyCancel; inventory.MoveNext()) {
        XQuoteCarsSet quote;
        quote.AddNew();
        quote.SetText("QUERY_ID", queryId);
        inventory.FillCarQuote(quote);

        XPhotoSet photos;
        PictureCollection pictures(XPhotoSet::SlotCount);
        LoadCarImages(pictures, inventory);
        pictures.CollectPictures();
        PrepareCarQuoteImages(photos, QString(), true, pictures, quote);

        const bool sent = SendAutoQuote(
            quote, QStringLiteral("newCarQuote"), QStringLiteral("car_quote_id"),
            [&](XRequest &request) { quote.BuildCarQuoteXml(request, &photos); },
            [&](const QString &quoteId) { PrepareCarQuoteImages(photos, quoteId, true, pictures, quote); });
        if (!sent)
            return;
        if (query.GetInt("STATUS_CODE") == 0 && !answered.contains(queryId))
            answered.append(queryId);
    }
}

void XPoller::PrepareQuoteImages(XPhotoSet &photos, const QString &quoteId, bool outgoing,
                                 const PictureCollection &pictures, XQuoteSet &quote)
{
    quote.SetPictureTitle(QString());
    EnsureFolders("part_images", outgoing);
    const QList<InvPicture> &list = pictures.Pictures();
    for (const InvPicture &p : list) {
        // The picture's number names its slot, so a gap keeps later pictures in place.
        const int i = p.number.toInt() - 1;
        if (p.file.isEmpty() || i < 0 || i >= XPhotoSet::SlotCount)
            continue;
        if (p.number == QLatin1String("1"))
            quote.SetPictureTitle(p.text);
        if (quoteId.isEmpty())
            LoadSlot(photos, p.file, i);
        else if (QuotePictures::IsSafeId(quoteId))  // server ids name files only when safe
            photos.SavePhotoFiles(i, XPhotoSet::GetQuotePhotoFileName(QStringLiteral("part_images"), quoteId, p.number, false),
                                  XPhotoSet::GetQuotePhotoFileName(QStringLiteral("part_images"), quoteId, p.number, true));
    }
}

void XPoller::LoadCarImages(PictureCollection &pictures, const XInventoryCarsSet &car)
{
    const QString id = QString::number(car.GetInt64(car.FieldIndex("ID")));
    for (int n = 1; n <= XPhotoSet::SlotCount && n <= pictures.Slots(); ++n) {
        const QString number = QString::number(n);
        const QString file = XPhotoSet::GetPhotoFileName(QStringLiteral("images"), id, number, true);
        const QByteArray title = "IMG" + QByteArray::number(n) + "_TITLE";
        pictures.SetPicture(n - 1, QFile::exists(file) ? file : QString(), car.GetText(title.constData()));
    }
}

void XPoller::PrepareCarQuoteImages(XPhotoSet &photos, const QString &quoteId, bool outgoing,
                                    const PictureCollection &pictures, XQuoteCarsSet &quote)
{
    EnsureFolders("images", outgoing);
    const QList<InvPicture> &list = pictures.Pictures();
    for (const InvPicture &p : list) {
        const int i = p.number.toInt() - 1;
        if (p.file.isEmpty() || i < 0 || i >= XPhotoSet::SlotCount)
            continue;
        const QByteArray title = "IMG" + p.number.toLatin1() + "_TITLE";
        if (quote.FindField(title.constData()) >= 0)
            quote.SetText(title.constData(), p.text);
        if (quoteId.isEmpty())
            LoadSlot(photos, p.file, i);
        else if (QuotePictures::IsSafeId(quoteId))
            photos.SavePhotoFiles(i, XPhotoSet::GetQuotePhotoFileName(QStringLiteral("images"), quoteId, p.number, false),
                                  XPhotoSet::GetQuotePhotoFileName(QStringLiteral("images"), quoteId, p.number, true));
    }
}
