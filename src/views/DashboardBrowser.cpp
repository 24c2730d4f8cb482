#include "DashboardBrowser.h"

#include "SpecialityBrowser.h"

#include "app/CSortStringArray.h"
#include "app/Constants.h"
#include "app/XSLTransformer.h"
#include "browser/WebHost.h"
#include "net/ItemSink.h"
#include "net/XMetaData.h"
#include "net/XProfile.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QWebChannel>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

constexpr int kFirstYear = 1950;
constexpr int kFloorYear = 2005;
constexpr int kMaxShownValues = 5;

// The page's script runs in its own world; DOM events reach this listener too.
constexpr char kMakeScript[] = R"JS(
(function () {
    if (window.top !== window) return;
    document.addEventListener('change', function (event) {
        var t = event.target;
        var objects = window.__korvantObjects;
        if (t && t.id === 'make' && objects && objects.dashboard)
            objects.dashboard.makeChanged(String(t.value));
    }, true);
})();
)JS";

XMetaDataBase *Metadata(int marketMode)
{
    if (marketMode == Korvant::MarketCars)
        return Globals::As<XMetaDataCars>(GlobalSlot::MetaCars);
    return Globals::As<XMetaData>(GlobalSlot::Meta);
}

QList<DashboardBrowser::Item> ListOf(const XMetaDataBase *meta, int kind)
{
    QList<DashboardBrowser::Item> items;
    if (!meta)
        return items;
    ItemList list;
    meta->FillList(list, kind);
    // One entry per key, as the metadata's maps have them.
    QSet<qint64> keys;
    for (const ItemList::Item &item : list.Items()) {
        if (!keys.contains(item.data)) {
            keys.insert(item.data);
            items.append({item.text, QString::number(item.data)});
        }
    }
    return items;
}

void AddItems(XmlNode parent, const QString &name, const QList<DashboardBrowser::Item> &items,
              const QString &defaultText = QString())
{
    XmlNode list = parent.AddChild(name);
    for (const DashboardBrowser::Item &item : items) {
        XmlNode node = list.AddChild(QStringLiteral("item"), item.text);
        node.SetAttr(QStringLiteral("value"), item.value);
        if (!defaultText.isEmpty() && (item.value == defaultText || item.text == defaultText))
            node.SetAttr(QStringLiteral("default"), QStringLiteral("1"));
    }
}

void AddYears(XmlNode parent, const QString &name, int year)
{
    XmlNode list = parent.AddChild(name);
    for (int y = year + 1; y >= kFirstYear; --y) {
        XmlNode node = list.AddChild(QStringLiteral("item"), QString::number(y));
        node.SetAttr(QStringLiteral("value"), QString::number(y));
        if (y == year)
            node.SetAttr(QStringLiteral("default"), QStringLiteral("1"));
    }
}

QString JsonArray(const QJsonArray &array)
{
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

using Refresh = std::function<void()>;
using Action = std::function<void(const AppParams &, IFrameCommands &, const Refresh &)>;
using Table = QHash<QString, Action>;

Action Select(int node)
{
    return [node](const AppParams &, IFrameCommands &f, const Refresh &) { f.SelectNavigatorItem(node); };
}

Action Call(void (IFrameCommands::*member)())
{
    return [member](const AppParams &, IFrameCommands &f, const Refresh &) { (f.*member)(); };
}

Action NewQuery(bool withModeName, bool fromPage)
{
    return [withModeName, fromPage](const AppParams &p, IFrameCommands &f, const Refresh &) {
        const QString title = withModeName ? f.GetMarketModeName() + QStringLiteral(" - New Query")
                                           : QStringLiteral("New Query");
        f.NewQuery(title, fromPage ? p : AppParams());
    };
}

Action ChangeFilter(bool cars)
{
    return [cars](const AppParams &, IFrameCommands &f, const Refresh &refresh) {
        if (f.RunSpecialtyDialog(cars) && refresh)
            refresh();
    };
}

Action AddToInventory(bool cars)
{
    return [cars](const AppParams &, IFrameCommands &f, const Refresh &) { f.NewCatalogRecord(cars); };
}

const Table &PartsTable()
{
    static const Table table = {
        {"b_help", Select(20000)},
        {"s_help", Select(20100)},
        {"b_guide", Select(20005)},
        {"s_guide", Select(20109)},
        {"open_queries", Select(20002)},
        {"pending_quotes", Select(20003)},
        {"purchase_orders", Select(196)},
        {"confirmed_sales", Select(199)},
        {"buy_archive", Select(20004)},
        {"pending_queries", Select(20102)},
        {"replied_quotes", Select(20101)},
        {"pending_orders", Select(195)},
        {"completed_sales", Select(198)},
        {"inventory", Select(20105)},
        {"sell_archive", Select(20104)},
        {"marketplaces", Select(124)},
        {"speciality", Select(20106)},
        {"continue_query", NewQuery(false, true)},
        {"change_filter", ChangeFilter(false)},
        {"add_inv", AddToInventory(false)},
        {"online_shops", Select(121)},
        {"store_guide", Select(151)},
        {"bg1", NewQuery(true, false)},
        {"bg2", Select(20003)},
        {"bg3", Select(32836)},
        {"referafriend", Select(125)},
    };
    return table;
}

const Table &CarsTable()
{
    static const Table table = {
        {"b_guide", Select(167)},
        {"b_help", Select(167)},
        {"s_guide", Select(166)},
        {"s_help", Select(166)},
        {"open_queries", Select(158)},
        {"pending_quotes", Select(159)},
        {"buy_archive", Select(160)},
        {"pending_queries", Select(161)},
        {"replied_quotes", Select(162)},
        {"inventory", Select(155)},
        {"sell_archive", Select(163)},
        {"marketplaces", Select(168)},
        {"speciality", Select(169)},
        {"change_filter", ChangeFilter(true)},
        {"add_inv", AddToInventory(true)},
        {"continue_query", NewQuery(true, true)},
        {"store_guide", Select(170)},
        {"referafriend", Select(182)},
        {"bg1", NewQuery(true, false)},
        {"bg2", Select(159)},
        {"bg3", [](const AppParams &, IFrameCommands &, const Refresh &) {}},
    };
    return table;
}

const Table &SharedTable()
{
    static const Table table = {
        {"messages", Select(118)},
        {"hotdeals", Select(130)},
        {"my_hotdeals", Select(131)},
        {"affiliate", Select(134)},
        {"edit_profile", Call(&IFrameCommands::EditMyProfile)},
        {"inv_import", Call(&IFrameCommands::ShowInventoryImport)},
        {"inv_export", Call(&IFrameCommands::ExportInventory)},
        {"new_deal", Call(&IFrameCommands::NewHotDeal)},
        {"sponsors", Select(192)},
        {"subscription", Select(207)},
        {"member_lookup", Call(&IFrameCommands::MemberLookup)},
    };
    return table;
}

} // namespace

DashboardBrowser::DashboardBrowser(QWidget *parent, ViewCreation creation)
    : CWebBrowser2(parent, QStringLiteral("DashboardBrowser"), creation)
{
    WhenPageMade([this](QWebEnginePage *page) {
        page->webChannel()->registerObject(QStringLiteral("dashboard"), new DashboardBridge(this));
        QWebEngineScript script;
        script.setName(QStringLiteral("korvant-dashboard"));
        script.setSourceCode(QString::fromLatin1(kMakeScript));
        script.setWorldId(QWebEngineScript::ApplicationWorld);
        script.setInjectionPoint(QWebEngineScript::DocumentReady);
        script.setRunsOnSubFrames(false);
        page->scripts().insert(script);
        connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) {
            if (ok)
                ApplyCounters();
        });
    });
}

int DashboardBrowser::CounterNumber(int nodeId)
{
    static const QHash<int, int> counters = {
        {20002, 1},  {20003, 2},  {196, 3},   {199, 4},   {20004, 5},  {20102, 6},  {20101, 7},  {195, 8},
        {198, 9},    {20104, 10}, {20105, 11}, {130, 12},  {118, 13},   {124, 14},   {137, 15},   {131, 16},
        {158, 17},   {159, 18},   {160, 19},  {161, 20},  {162, 21},   {163, 22},   {155, 23},   {168, 24},
    };
    return counters.value(nodeId, 0);
}

int DashboardBrowser::ListYear()
{
    const QDate today = QDate::currentDate();
    return today.isValid() ? std::max(today.year(), kFloorYear) : kFloorYear;
}

DashboardBrowser::Lists DashboardBrowser::MetadataLists(int marketMode)
{
    const XMetaDataBase *meta = Metadata(marketMode);
    Lists lists;
    lists.makes = ListOf(meta, 0);
    if (marketMode == Korvant::MarketCars) {
        lists.categories = ListOf(meta, 16);
        lists.prices = ListOf(meta, 7);
    }
    return lists;
}

QStringList DashboardBrowser::ModelsOfMake(int marketMode, const QString &makeId)
{
    bool ok = false;
    const int id = makeId.trimmed().toInt(&ok);
    const XMetaDataBase *meta = Metadata(marketMode);
    if (!ok || id < 0 || !meta)
        return {};
    QMap<QString, QString> models;
    meta->GetDependentMap(models, 1, id);
    CSortStringArray names(models.keys());
    names.Sort();
    return names;
}

XmlDoc DashboardBrowser::BuildXml(int marketMode, int year, const Lists &lists, const ProfileData &profile)
{
    const bool cars = marketMode == Korvant::MarketCars;
    const int shownYear = std::max(year, kFloorYear);
    XmlDoc doc = XmlDoc::Create(cars ? QStringLiteral("dashboard-cars") : QStringLiteral("dashboard-parts"));
    XmlNode filter = doc.Root().AddChild(QStringLiteral("filter"));
    const QString currentYear = QString::number(shownYear);
    if (cars) {
        AddItems(filter, QStringLiteral("category"), lists.categories, QStringLiteral("Pre-Owned"));
        AddItems(filter, QStringLiteral("makes"), lists.makes);
        AddYears(filter, QStringLiteral("years_fr"), shownYear);
        AddYears(filter, QStringLiteral("years_to"), shownYear);
        AddItems(filter, QStringLiteral("price_fr"), QList<Item>{{QStringLiteral("$0"), QStringLiteral("0")}} + lists.prices);
        AddItems(filter, QStringLiteral("price_to"), lists.prices);
        SpecialityBrowser::ConvertCarFilter(profile.carFilter, filter, currentYear);
    } else {
        AddYears(filter, QStringLiteral("years"), shownYear);
        AddItems(filter, QStringLiteral("makes"), lists.makes);
        SpecialityBrowser::ConvertPartFilter(profile.filter, filter, currentYear);
    }
    return doc;
}

QString DashboardBrowser::SpecialityText(const QStringList &values)
{
    if (values.isEmpty())
        return QStringLiteral("Any");
    QStringList shown;
    for (qsizetype i = 0; i < values.size() && i < kMaxShownValues; ++i)
        shown << values[i].toHtmlEscaped();
    QString text = shown.join(QStringLiteral(", "));
    if (values.size() > kMaxShownValues)
        text += QStringLiteral(", ...&#160;&#160;<a href='javascript:changeFilter();'>more</a>");
    return text;
}

bool DashboardBrowser::RunCommand(int marketMode, const QString &command, const AppParams &params,
                                  IFrameCommands &frame, const std::function<void()> &refresh)
{
    // Both tables may act on one command.
    bool known = false;
    const Table &own = marketMode == Korvant::MarketCars ? CarsTable() : PartsTable();
    for (const Table *table : {&own, &SharedTable()}) {
        const auto found = table->constFind(command);
        if (found != table->constEnd()) {
            (*found)(params, frame, refresh);
            known = true;
        }
    }
    return known;
}

bool DashboardBrowser::RunAppCommand(const QString &command, const AppParams &params)
{
    WebHost *host = WebHost::Instance();
    IFrameCommands *frame = host ? host->FrameCommands() : nullptr;
    if (!frame)
        return false;
    const int mode = frame->GetMarketMode();
    return RunCommand(mode, command, params, *frame, [this, mode] { ShowDashboard(m_mode >= 0 ? m_mode : mode); });
}

void DashboardBrowser::ShowDashboard(int marketMode)
{
    m_mode = marketMode;
    // Before the view is made the page is built when it is, from the profile then.
    if (ShowLater([this] { ShowDashboard(m_mode); }))
        return;
    XProfile *profile = Globals::As<XProfile>(GlobalSlot::Profile);
    const XmlDoc doc = BuildXml(marketMode, ListYear(), MetadataLists(marketMode), profile ? profile->Get() : ProfileData());
    XSLTransformer *xsl = theXSLTransformerIfAny();
    ShowHtml(xsl ? xsl->Transform(XSLTransformer::Dashboard, doc.Raw()) : QString());
}

void DashboardBrowser::SetCounter(int nodeId, int total, int second, bool bold)
{
    const int number = CounterNumber(nodeId);
    if (number == 0)
        return;
    m_counters.insert(number, {total, second, bold});
    // Every load shows the kept values; a page still to be made needs no script.
    if (m_mode >= 0 && ViewMade()) {
        QJsonArray one;
        one.append(QJsonArray{number, total, second, bold});
        Page()->runJavaScript(CounterScript().arg(JsonArray(one)));
    }
}

void DashboardBrowser::ApplyCounters()
{
    QJsonArray all;
    for (auto it = m_counters.cbegin(); it != m_counters.cend(); ++it)
        all.append(QJsonArray{it.key(), it->total, it->second, it->bold});
    if (!all.isEmpty())
        Page()->runJavaScript(CounterScript().arg(JsonArray(all)));
}

QString DashboardBrowser::CounterScript() const
{
    // The page's own function, in the page's world; a page without it is left alone.
    return QStringLiteral("(function(c){if(typeof setCounter!=='function')return;"
                          "c.forEach(function(v){setCounter(v[0],v[1],v[2],v[3]);});})(%1)");
}

void DashboardBrowser::OnMakeChanged(const QString &makeId)
{
    QJsonArray models;
    for (const QString &name : ModelsOfMake(m_mode, makeId))
        models.append(name);
    RunScript(QStringLiteral("(function(models){"
                             "var make=document.getElementById('make'),model=document.getElementById('model');"
                             "if(!make||!model)return;"
                             "while(model.options.length)model.remove(0);"
                             "model.add(new Option('--Please Select Model --',''));"
                             "models.forEach(function(m){model.add(new Option(m,m));});"
                             "})(%1)")
                  .arg(JsonArray(models)));
}

void DashboardBrowser::UpdateSpecialities()
{
    // A page still to be made is built from the profile as it is then.
    if (m_mode < 0 || !ViewMade())
        return;
    const bool cars = m_mode == Korvant::MarketCars;
    XProfile *profile = Globals::As<XProfile>(GlobalSlot::Profile);
    const ProfileData data = profile ? profile->Get() : ProfileData();
    XmlDoc doc = XmlDoc::Create(QStringLiteral("filter"));
    const QString year = QString::number(ListYear());
    if (cars)
        SpecialityBrowser::ConvertCarFilter(data.carFilter, doc.Root(), year);
    else
        SpecialityBrowser::ConvertPartFilter(data.filter, doc.Root(), year);
    static const QStringList partLines{"originate_state", "vi_make", "vi_model", "pi_type", "pi_category", "years"};
    QJsonArray lines;
    for (const QString &line : cars ? SpecialityBrowser::CarLines() : partLines) {
        QStringList values;
        for (const XmlNode &node : doc.Root().SelectAll(line))
            values << node.Text();
        lines.append(QJsonArray{line, SpecialityText(values)});
    }
    RunScript(QStringLiteral("(function(lines){lines.forEach(function(l){"
                             "var e=document.getElementById(l[0]);if(e)e.innerHTML=l[1];});})(%1)")
                  .arg(JsonArray(lines)));
}
