#include "XMarketPlaces.h"

#include "XRequest.h"
#include "app/AppCore.h"
#include "app/XBase64.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>

namespace {

const QString CacheFileName = QStringLiteral("mplaces.xml");

bool TypeMatches(const QString &type, int marketMode)
{
    if (marketMode == 0)
        return type == QLatin1String("parts");
    if (marketMode == 1)
        return type == QLatin1String("cars");
    return false;
}

void ErrorBox(const QString &text, const QString &caption)
{
    theApp().ShowMessageBox(text, caption, MsgBox::IconError);
}

} // namespace

XMarketPlaces &theMarketPlaces()
{
    return Globals::Require<XMarketPlaces>(GlobalSlot::MarketPlaces, "theMarketPlaces");
}

XMarketPlaces::XMarketPlaces() : m_snapshot(std::make_shared<Snapshot>()) {}

int XMarketPlaces::Snapshot::CountOf(int marketMode) const
{
    return marketMode == 0 ? partsTotal : carsTotal;
}

int XMarketPlaces::CurrentMode()
{
    AppCore *app = theAppIfAny();
    IMainFrame *frame = app ? app->Frame() : nullptr;
    return frame ? frame->GetMarketMode() : 0;
}

bool XMarketPlaces::IsSafeId(const QString &id)
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return id.size() <= MaxIdLength && safe.match(id).hasMatch();
}

std::shared_ptr<const XMarketPlaces::Snapshot> XMarketPlaces::Current() const
{
    QMutexLocker l(&m_snapMutex);
    return m_snapshot;
}

void XMarketPlaces::Publish(std::shared_ptr<const Snapshot> snapshot)
{
    QMutexLocker l(&m_snapMutex);
    m_snapshot = std::move(snapshot);
}

QString XMarketPlaces::WriteIcon(const XmlNode &icon, const QString &marketId, bool &isIcon) const
{
    const QString type = icon.Attr(QStringLiteral("content_type"));
    if (type == QLatin1String("image/x-icon"))
        isIcon = true;
    else if (type == QLatin1String("image/bmp"))
        isIcon = false;
    else
        return {};
    // The id becomes a file name: nothing that could leave the data folder.
    if (!IsSafeId(marketId))
        return {};
    const QByteArray bytes = XBase64::DecodeText(icon.Text().toLatin1());
    const QString path = theApp().GetDataFolder() + marketId + (isIcon ? QStringLiteral(".ico") : QStringLiteral(".bmp"));
    // Every start reads the icons from the cache: a file that already holds
    // them is not written (and synced) again.
    QFile kept(path);
    const bool same = kept.open(QIODevice::ReadOnly) && kept.size() == bytes.size() && kept.readAll() == bytes;
    kept.close();
    if (bytes.isEmpty() || (!same && !SaveFileAtomic(path, bytes)))
        return {};
    const QImage image(path, isIcon ? "ICO" : "BMP");
    if (image.isNull()) {
        QFile::remove(path);
        return {};
    }
    return path;
}

XMarketPlaces::Snapshot XMarketPlaces::Parse(const XmlDoc &doc, bool &hadPlaces) const
{
    Snapshot s;
    hadPlaces = false;
    const XmlNode root = doc.Root();
    if (root.IsNull())
        return s;
    s.version = root.Attr(QStringLiteral("version"));
    s.partsNew = root.Attr(QStringLiteral("new")) == QLatin1String("1");
    s.carsNew = root.Attr(QStringLiteral("new_cars")) == QLatin1String("1");
    const QList<XmlNode> places = root.SelectAll(QStringLiteral("market_place"));
    if (places.isEmpty())
        return s;
    hadPlaces = true;
    QHash<QString, qsizetype> index;
    int icons = 0;
    for (const XmlNode &p : places) {
        XMarketPlace m;
        m.marketId = p.ChildText(QStringLiteral("market_id"));
        m.ownerId = p.ChildText(QStringLiteral("owner_id"));
        m.createTime = GetChildDate(p, QStringLiteral("create_time"));
        m.updateTime = GetChildDate(p, QStringLiteral("update_time"));
        m.name = p.ChildText(QStringLiteral("name"));
        m.type = p.ChildText(QStringLiteral("type"));
        m.description = p.ChildText(QStringLiteral("description"));
        m.isDefault = p.Attr(QStringLiteral("default")) == QLatin1String("1");
        m.asSeller = p.Attr(QStringLiteral("as_seller")) == QLatin1String("1");
        m.asBuyer = p.Attr(QStringLiteral("as_buyer")) == QLatin1String("1");
        m.subscribed = p.Attr(QStringLiteral("subscribed")) == QLatin1String("1");
        const QString search = p.Attr(QStringLiteral("allow_search"));
        m.allowSearch = search == QLatin1String("1");
        m.allowSearch2 = search == QLatin1String("2");
        const XmlNode icon = p.Select(QStringLiteral("icon"));
        if (m.subscribed && !icon.IsNull() && !icon.Text().isEmpty()) {
            m.iconFile = WriteIcon(icon, m.marketId, m.iconIsIcon);
            if (!m.iconFile.isEmpty())
                m.iconIndex = icons++;
        }
        // A later record with the same id replaces the earlier one in its place.
        if (auto it = index.constFind(m.marketId); it != index.constEnd()) {
            s.list[*it] = m;
        } else {
            index.insert(m.marketId, s.list.size());
            s.list.append(m);
        }
    }
    // Counted on the final list, so a repeated id is not counted twice.
    for (const XMarketPlace &m : s.list) {
        const bool parts = m.type == QLatin1String("parts");
        (parts ? s.partsTotal : s.carsTotal)++;
        if (m.subscribed)
            (parts ? s.partsSubscribed : s.carsSubscribed)++;
    }
    return s;
}

void XMarketPlaces::init()
{
    try {
        QMutexLocker l(&m_docMutex);
        m_cachePath = theApp().GetDataFolder() + CacheFileName;
        if (!QFile::exists(m_cachePath))
            return;
        QString error;
        XmlDoc doc = XmlDoc::LoadFile(m_cachePath, &error);
        if (doc.IsNull())
            throw XmlError(error);
        m_doc = doc;
        bool had = false;
        Publish(std::make_shared<Snapshot>(Parse(m_doc, had)));
    } catch (...) {
        ErrorBox(QStringLiteral("Cannot initialize marketplaces"), QStringLiteral("Error"));
    }
}

bool XMarketPlaces::SaveCache()
{
    return m_doc.SaveFile(m_cachePath);
}

// The list is fetched with no lock held (the re-login of an expired session
// runs inside the send) and stored and parsed under the document lock.
bool XMarketPlaces::RetrieveMarketPlaces()
{
    AppCore &app = theApp();
    if (!app.GetSession().IsLoggedIn() && !app.DoLogin())
        return false;
    XRequest request(QStringLiteral("getMarketPlaces"));
    if (!request.SendWithRelogin()) {
        ErrorBox(request.GetStatusText(), QStringLiteral("Cannot get the marketplaces."));
        return false;
    }
    const QList<XmlNode> children = request.GetResponseRoot().Children();
    if (children.isEmpty())
        return true;  // nothing to store: the cached list stands
    QMutexLocker l(&m_docMutex);
    if (m_doc.IsNull())
        m_doc = XmlDoc::Create(QStringLiteral("market_place_list"));
    XmlNode root = m_doc.SetRootCopy(children.first());
    const auto before = Current();
    if (before->partsNew)
        root.SetAttr(QStringLiteral("new"), QStringLiteral("1"));
    else if (before->carsNew)
        root.SetAttr(QStringLiteral("new_cars"), QStringLiteral("1"));
    SaveCache();
    return true;
}

void XMarketPlaces::Refresh(int marketMode)
{
    {
        QMutexLocker l(&m_docMutex);
        if (m_cachePath.isEmpty())
            m_cachePath = theApp().GetDataFolder() + CacheFileName;
    }
    if (!RetrieveMarketPlaces())
        return;
    QMutexLocker l(&m_docMutex);
    const auto old = Current();
    bool had = false;
    auto fresh = std::make_shared<Snapshot>(Parse(m_doc, had));
    if (!had) {
        // A list without marketplaces leaves the previous ones in place.
        fresh->list = old->list;
        fresh->partsTotal = old->partsTotal;
        fresh->partsSubscribed = old->partsSubscribed;
        fresh->carsTotal = old->carsTotal;
        fresh->carsSubscribed = old->carsSubscribed;
    }
    const bool news = fresh->CountOf(marketMode) > old->CountOf(marketMode);
    (marketMode == 0 ? fresh->partsNew : fresh->carsNew) = news;
    if (news && !m_doc.IsNull()) {
        m_doc.Root().SetAttr(marketMode == 0 ? QStringLiteral("new") : QStringLiteral("new_cars"), QStringLiteral("1"));
        SaveCache();
    }
    if (IMainFrame *frame = theApp().Frame(); frame && frame->HasNavigatorTree()) {
        const bool parts = marketMode == 0;
        frame->SetItemCounter(parts ? PartsNodeId : CarsNodeId, parts ? fresh->partsTotal : fresh->carsTotal,
                              parts ? fresh->partsSubscribed : fresh->carsSubscribed, news);
    }
    Publish(std::move(fresh));
}

void XMarketPlaces::CheckVersion(int marketMode)
{
    if (m_cachePath.isEmpty())
        m_cachePath = theApp().GetDataFolder() + CacheFileName;
    if (!QFile::exists(m_cachePath)) {
        Refresh(marketMode);
        return;
    }
    XRequest request(QStringLiteral("getMainInfo"));
    if (!request.Send()) {
        ErrorBox(request.GetStatusText(), QStringLiteral("Cannot retrieve main info"));
        return;
    }
    if (request.GetResponseText(QStringLiteral("market_list_version")) != CachedVersion())
        Refresh(marketMode);
}

void XMarketPlaces::ResetNewFlag(int marketMode)
{
    QMutexLocker l(&m_docMutex);
    if (m_doc.Root().IsNull())
        return;
    auto next = std::make_shared<Snapshot>(*Current());
    (marketMode == 0 ? next->partsNew : next->carsNew) = false;
    m_doc.Root().SetAttr(marketMode == 0 ? QStringLiteral("new") : QStringLiteral("new_cars"), QStringLiteral("0"));
    SaveCache();
    Publish(std::move(next));
    if (IMainFrame *frame = theApp().Frame(); frame && frame->HasNavigatorTree())
        frame->SetItemBold(marketMode == 0 ? PartsNodeId : CarsNodeId, false);
}

void XMarketPlaces::GetMarketNames(QStringList &names, unsigned flags, int marketMode) const
{
    const auto s = Current();
    for (const XMarketPlace &m : s->list) {
        if (!TypeMatches(m.type, marketMode))
            continue;
        if ((flags & Subscribed) && !m.subscribed)
            continue;
        if ((flags & AsBuyer) && !m.asBuyer)
            continue;
        if ((flags & AsSeller) && !m.asSeller)
            continue;
        if ((flags & SearchAllowed) && !m.allowSearch && !m.allowSearch2)
            continue;
        names.append(m.name);
    }
}

int XMarketPlaces::FindMarketPlace(XMarketPlace &record, int marketMode) const
{
    const auto s = Current();
    if (!record.marketId.isEmpty()) {
        for (const XMarketPlace &m : s->list) {
            if (m.marketId == record.marketId) {
                record = m;
                return 1;
            }
        }
        return 0;
    }
    if (record.name.isEmpty())
        return 0;
    for (const XMarketPlace &m : s->list) {
        if (TypeMatches(m.type, marketMode) && m.name == record.name) {
            record = m;
            return 1;
        }
    }
    return 0;
}

QString XMarketPlaces::GetIconFileName(const QString &marketId) const
{
    const auto s = Current();
    for (const XMarketPlace &m : s->list) {
        if (m.marketId == marketId)
            return m.iconIndex >= 0 ? m.iconFile : QString();
    }
    return {};
}

QString XMarketPlaces::GetDefaultMarketName(int marketMode) const
{
    const auto s = Current();
    for (const XMarketPlace &m : s->list) {
        if (m.isDefault && TypeMatches(m.type, marketMode))
            return m.name;
    }
    return {};
}

int XMarketPlaces::GetMarketCount(int marketMode) const
{
    return Current()->CountOf(marketMode);
}

int XMarketPlaces::GetSubscribedCount(int marketMode) const
{
    const auto s = Current();
    return marketMode == 0 ? s->partsSubscribed : s->carsSubscribed;
}

bool XMarketPlaces::HasNewMarkets(int marketMode) const
{
    const auto s = Current();
    return marketMode == 0 ? s->partsNew : s->carsNew;
}

QList<XMarketPlace> XMarketPlaces::All() const
{
    return Current()->list;
}

QString XMarketPlaces::CachedVersion() const
{
    return Current()->version;
}
