#include "CRateSystem.h"

#include "app/AppCore.h"
#include "db/KVDatabase.h"
#include "db/Schema.h"
#include "net/XmlUtil.h"

#include <QJSEngine>

#include <algorithm>
#include <cmath>

namespace {

const char *const PartsInventory = "Inventory";
const char *const CarsInventory = "Inventory_Cars";

// What the scripts written for the old engine expect besides MyObject:
// `new VBArray(x).toArray()` over the arrays MyObject fills, and MyObject
// itself as a plain object forwarding exactly its published members.
const char *const Prelude = R"JS(
function VBArray(a) {
    if (!(this instanceof VBArray))
        return new VBArray(a);
    if (a === undefined || a === null || typeof a.length !== "number")
        throw new TypeError("VBArray expected");
    this._items = Array.prototype.slice.call(a);
}
VBArray.prototype.toArray = function () { return this._items.slice(); };
VBArray.prototype.lbound = function () { return 0; };
VBArray.prototype.ubound = function () { return this._items.length - 1; };
VBArray.prototype.getItem = function (i) { return this._items[i]; };
VBArray.prototype.dimensions = function () { return 1; };
(function (impl) {
    function s(v) { return (v === undefined || v === null) ? "" : String(v); }
    var o = {};
    Object.defineProperty(o, "ContextArray", {
        get: function () {
            var v = impl.ContextArray;
            return (v === undefined || v === null) ? undefined : Array.prototype.slice.call(v);
        },
        set: function (v) { impl.ContextArray = v; },
        enumerable: true
    });
    o.getQueryField = function (name) { return impl.getQueryField(s(name)); };
    o.getInventoryField = function (id, name) { return impl.getInventoryField(s(id), s(name)); };
    o.getInventoryList = function () { impl.getInventoryList(); };
    o.getInventoryValues = function (column) { impl.getInventoryValues(s(column)); };
    o.addContextRestriction = function (name, value) { impl.addContextRestriction(s(name), s(value)); };
    o.delContextRestriction = function (name) { impl.delContextRestriction(s(name)); };
    o.ShowMessage = function (text) { impl.ShowMessage(s(text)); };
    o.addContextInventory = function (id, rating) { impl.addContextInventory(s(id), Number(rating)); };
    o.getCarsInventoryField = function (id, name) { return impl.getCarsInventoryField(s(id), s(name)); };
    o.getCarsInventoryList = function () { impl.getCarsInventoryList(); };
    o.getCarsInventoryValues = function (column) { impl.getCarsInventoryValues(s(column)); };
    return Object.freeze(o);
})
)JS";

// Money and measures as the script reads them: no exponent, no trailing zeros.
QString NumberText(double v)
{
    if (std::isfinite(v) && std::abs(v) < 1e15 && v == std::floor(v))
        return QString::number(qint64(v));
    QString t = QString::number(v, 'f', 4);
    while (t.contains(u'.') && (t.endsWith(u'0') || t.endsWith(u'.')))
        t.chop(1);
    return t;
}

void PutText(const XBaseSet &set, QHash<QString, QString> &map, const char *name)
{
    const int i = set.FindField(name);
    map.insert(QLatin1String(name), i < 0 ? QString() : set.GetText(i));
}

void PutNumber(const XBaseSet &set, QHash<QString, QString> &map, const char *name)
{
    const int i = set.FindField(name);
    map.insert(QLatin1String(name), i < 0 ? QString() : NumberText(set.GetDouble(i)));
}

void PutInt(const XBaseSet &set, QHash<QString, QString> &map, const char *name)
{
    const int i = set.FindField(name);
    map.insert(QLatin1String(name), i < 0 ? QString() : QString::number(set.GetInt64(i)));
}

const QStringList &PartsInventoryFields()
{
    static const QStringList f = {"V_MAKE", "V_MODEL", "P_CATEGORY", "P_TYPE", "P_NAME", "V_YEAR", "V_END_YEAR",
                                  "P_COLOR", "P_NOTES", "V_TRANSMISSION", "V_AXLE", "V_BODY_STYLE", "V_ENGINE",
                                  "V_ENGINE_SIZE", "V_ENGINE_SIZE_UNIT", "V_DELIVERY", "V_FUEL", "V_ASPIRATION",
                                  "P_SIDE", "WHEEL_WIDTH", "WHEEL_HEIGHT", "P_BRAND", "P_PRICE", "P_HANDLING",
                                  "P_WEIGHT", "P_QUANTITY"};
    return f;
}

const QStringList &CarInventoryFields()
{
    static const QStringList f = {"MAKE", "MODEL", "SUBMODEL", "YEAR", "BODY_STYLE", "ASKING_PRICE", "MILEAGE",
                                  "CONDITION", "EXT_COLOR", "INT_COLOR", "TRANSMISSION", "DOORS", "CATEGORY",
                                  "DAMAGE1", "DAMAGE2", "DAMAGE_TITLE", "DAMAGE_OPTIONS", "ACV", "CAR_OPTIONS",
                                  "CAR_ADDOPTIONS", "ENGINE_CYL", "ENGINE_SIZE", "ENGINE_SIZE_UNIT", "DRIVE_TRAIN",
                                  "LOCATION_COUNTRY", "LOCATION_ZIP", "LOCATION_STATE", "LOCATION_CITY"};
    return f;
}

// Inventory ids are counters: an id that is not a whole number names no record.
std::optional<qint64> InventoryId(const QString &text)
{
    bool ok = false;
    const qint64 id = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(id) : std::nullopt;
}

QString Quoted(const char *column)
{
    return QLatin1Char('"') + QLatin1String(column) + QLatin1Char('"');
}

void Log(const QString &text, const QString &context, int level)
{
    if (AppCore *app = theAppIfAny())
        app->WriteLog(text, context, level);
}

} // namespace

// --- CParamCmd -------------------------------------------------------------------------------

CParamCmd::CParamCmd(QObject *parent) : QObject(parent) {}

QString CParamCmd::getQueryField(const QString &name) const
{
    return m_queryFields.value(name);
}

void CParamCmd::ScriptError(const QString &text)
{
    Log(text, QStringLiteral("Rating script"), 2);
    if (QJSEngine *engine = qjsEngine(this))
        engine->throwError(QJSValue::GenericError, text);
}

QString CParamCmd::InventoryField(const char *table, const QString &id, const QString &name, bool cars)
{
    const std::optional<qint64> key = InventoryId(id);
    if (!key || !theDatabaseIfAny())
        return {};
    std::unique_ptr<XBaseSet> &kept = m_inventorySets[cars ? 1 : 0];
    // A script reads several fields of one record in a row: it is read once
    // per run, and only the fields asked for are made into text.
    if (m_inventoryFieldsOf == std::make_pair(table, *key) && kept)
        return FieldText(*kept, name, cars);
    try {
        m_inventoryFieldsOf = {};
        if (!kept || kept->Database() != &theDatabase()) {
            kept = std::make_unique<XBaseSet>(&theDatabase(), table, cars ? CarInventoryFields() : PartsInventoryFields());
            kept->SetReadOnly(true);
        }
        // The select leaves the set on its first record.
        if (!kept->Select(SqlExpr(QStringLiteral("ID = ?"), {*key})) || kept->IsEOF())
            return {};
        m_inventoryFieldsOf = {table, *key};
        return FieldText(*kept, name, cars);
    } catch (const std::exception &e) {
        ScriptError(QString::fromUtf8(e.what()));
        return {};
    }
}

QString CParamCmd::FieldText(const XBaseSet &r, const QString &name, bool cars)
{
    if (!(cars ? CarInventoryFields() : PartsInventoryFields()).contains(name))
        return {};
    const QByteArray n = name.toLatin1();
    const int i = r.FindField(n.constData());
    if (i < 0)
        return {};
    if (!cars && (name == QLatin1String("P_PRICE") || name == QLatin1String("P_HANDLING") ||
                  name == QLatin1String("P_WEIGHT")))
        return NumberText(r.GetDouble(i));
    if (!cars && name == QLatin1String("P_QUANTITY"))
        return QString::number(r.GetInt64(i));
    return r.GetText(i);
}

QString CParamCmd::getInventoryField(const QString &id, const QString &name)
{
    return InventoryField(PartsInventory, id, name, false);
}

QString CParamCmd::getCarsInventoryField(const QString &id, const QString &name)
{
    return InventoryField(CarsInventory, id, name, true);
}

void CParamCmd::InventoryList(const char *table)
{
    m_contextArray = QVariant();
    if (!theDatabaseIfAny())
        return;
    const std::optional<SqlExpr> where = BuildRestrictionSql(Schema::Require(QLatin1String(table)));
    if (!where)
        return;
    try {
        QString sql = QStringLiteral("SELECT ID FROM ") + Quoted(table);
        if (!where->isEmpty())
            sql += QStringLiteral(" WHERE ") + where->text;
        SqlStatement &st = theDatabase().Connection().Prepare(sql);
        st.BindAll(where->args);
        QVariantList ids;
        while (st.Step())
            ids.append(QString::number(st.Int64(0)));
        st.Reset();
        if (!ids.isEmpty())
            m_contextArray = ids;
    } catch (const std::exception &e) {
        ScriptError(QString::fromUtf8(e.what()));
    }
}

void CParamCmd::InventoryValues(const char *table, const QString &column)
{
    m_contextArray = QVariant();
    const TableDef &def = Schema::Require(QLatin1String(table));
    const ColumnDef *col = def.Column(column);
    const std::optional<SqlExpr> where = BuildRestrictionSql(def);
    if (!col || !where || !theDatabaseIfAny()) {
        if (!col)
            Log(QStringLiteral("No inventory column \"%1\"").arg(column), QStringLiteral("Rating script"), 2);
        m_contextArray = QVariantList();
        return;
    }
    try {
        QString sql = QStringLiteral("SELECT DISTINCT ") + Quoted(col->name) + QStringLiteral(" FROM ") + Quoted(table);
        if (!where->isEmpty())
            sql += QStringLiteral(" WHERE ") + where->text;
        SqlStatement &st = theDatabase().Connection().Prepare(sql);
        st.BindAll(where->args);
        QVariantList values;
        while (st.Step())
            values.append(st.IsNull(0) ? QString() : st.Text(0));
        st.Reset();
        m_contextArray = values;
    } catch (const std::exception &e) {
        ScriptError(QString::fromUtf8(e.what()));
    }
}

void CParamCmd::getInventoryList()
{
    InventoryList(PartsInventory);
}

void CParamCmd::getCarsInventoryList()
{
    InventoryList(CarsInventory);
}

void CParamCmd::getInventoryValues(const QString &column)
{
    InventoryValues(PartsInventory, column);
}

void CParamCmd::getCarsInventoryValues(const QString &column)
{
    InventoryValues(CarsInventory, column);
}

void CParamCmd::addContextRestriction(const QString &name, const QString &value)
{
    for (auto &r : m_restrictions) {
        if (r.first == name) {
            r.second.append(value);
            return;
        }
    }
    CValuesList values;
    values.append(value);
    m_restrictions.append({name, values});
}

void CParamCmd::delContextRestriction(const QString &name)
{
    m_restrictions.removeIf([&](const auto &r) { return r.first == name; });
}

void CParamCmd::ShowMessage(const QString &text)
{
    if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(text, QString(), MsgBox::Ok);
}

void CParamCmd::addContextInventory(const QString &id, double rating)
{
    qint32 value = 0;
    if (std::isfinite(rating))
        value = qint32(std::clamp(std::llround(rating), qint64(INT32_MIN), qint64(INT32_MAX)));
    const auto it = m_ratingIndex.constFind(id);
    if (it != m_ratingIndex.constEnd()) {
        m_ratings[*it].second = value;
        return;
    }
    m_ratingIndex.insert(id, int(m_ratings.size()));
    m_ratings.append({id, value});
}

std::optional<SqlExpr> CParamCmd::BuildRestrictionSql(const TableDef &table) const
{
    SqlExpr out;
    bool first = true;
    for (const auto &r : m_restrictions) {
        const ColumnDef *col = table.Column(r.first);
        if (!col) {
            Log(QStringLiteral("No inventory column \"%1\"").arg(r.first), QStringLiteral("Rating script"), 2);
            return std::nullopt;
        }
        if (!first)
            out.text += QStringLiteral(" AND ");
        first = false;
        const bool several = r.second.size() > 1;
        if (several)
            out.text += u'(';
        for (qsizetype i = 0; i < r.second.size(); ++i) {
            if (i > 0)
                out.text += QStringLiteral(" OR ");
            out.text += Quoted(col->name) + QStringLiteral("=?");
            out.args.append(r.second[i]);
        }
        if (several)
            out.text += u')';
    }
    return out;
}

void CParamCmd::ClearRun()
{
    m_restrictions.clear();
    m_inventoryFieldsOf = {};
    m_ratings.clear();
    m_ratingIndex.clear();
    m_queryFields.clear();
}

void CParamCmd::LoadQueryFields(const XBaseSet &q)
{
    ClearRun();
    for (const char *name : {"V_MAKE", "V_MODEL", "V_YEAR", "V_VIN", "P_CATEGORY", "P_TYPE", "P_NAME", "P_COLOR",
                             "WHEEL_HEIGHT", "WHEEL_WIDTH", "P_NOTES", "ORIG_STATE", "P_NUMBER"})
        PutText(q, m_queryFields, name);
    PutNumber(q, m_queryFields, "P_MAX_PRICE");
    PutInt(q, m_queryFields, "P_QUANTITY");
    for (const char *name : {"P_TIME_FRAME", "P_SIDE", "V_TRANSMISSION", "V_AXLE", "V_BODY_STYLE", "V_ENGINE",
                             "V_ENGINE_SIZE", "V_ENGINE_SIZE_UNIT", "V_DELIVERY", "V_FUEL", "V_ASPIRATION"})
        PutText(q, m_queryFields, name);
}

void CParamCmd::LoadCarQueryFields(const XBaseSet &q)
{
    ClearRun();
    for (const char *name : {"MAKE", "MODEL", "MIN_YEAR", "MAX_YEAR", "NOTES"})
        PutText(q, m_queryFields, name);
}

void CParamCmd::LoadInventoryFields(const XBaseSet &r, QHash<QString, QString> &fields)
{
    fields.clear();
    for (const QString &name : PartsInventoryFields())
        fields.insert(name, FieldText(r, name, false));
}

void CParamCmd::LoadCarInventoryFields(const XBaseSet &r, QHash<QString, QString> &fields)
{
    fields.clear();
    for (const QString &name : CarInventoryFields())
        fields.insert(name, FieldText(r, name, true));
}

// --- CRateSystem -----------------------------------------------------------------------------

CRateSystem::CRateSystem() : m_params(std::make_unique<CParamCmd>()) {}

CRateSystem::~CRateSystem()
{
    Stop();
}

namespace {

QString ScriptFromCache(const QString &fileName, const QString &path)
{
    QString error;
    const XmlDoc doc = XmlDoc::LoadFile(theApp().GetDataFolder() + fileName, &error);
    const XmlNode script = doc.IsNull() ? XmlNode() : doc.Select(path);
    if (script.IsNull())
        throw XmlError(QStringLiteral("The metadata hold no rating script") +
                           (error.isEmpty() ? QString() : QStringLiteral(": ") + error),
                       QStringLiteral("metadata"));
    return script.Text();
}

} // namespace

QString CRateSystem::GetPartsScript()
{
    return ScriptFromCache(QStringLiteral("meta.xml"), QStringLiteral("//meta_info/script"));
}

QString CRateSystem::GetCarsScript()
{
    return ScriptFromCache(QStringLiteral("meta_car.xml"), QStringLiteral("//car_meta_info/script"));
}

bool CRateSystem::Start(int mode)
{
    Stop();
    try {
        m_script = !m_scriptOverride.isNull() ? m_scriptOverride : (mode == Cars ? GetCarsScript() : GetPartsScript());
    } catch (const std::exception &e) {
        Log(QStringLiteral("Error: rating engine not started (%1)").arg(QString::fromUtf8(e.what())),
            QStringLiteral("Rating"), 1);
        return false;
    }
    auto engine = std::make_unique<QJSEngine>();
    QJSValue impl = engine->newQObject(m_params.get());
    QJSEngine::setObjectOwnership(m_params.get(), QJSEngine::CppOwnership);
    const QJSValue wrap = engine->evaluate(QString::fromLatin1(Prelude), QStringLiteral("prelude.js"));
    if (wrap.isError() || !wrap.isCallable()) {
        Log(QStringLiteral("Error: rating engine not started (%1)").arg(wrap.toString()), QStringLiteral("Rating"), 1);
        return false;
    }
    engine->globalObject().setProperty(QStringLiteral("MyObject"), wrap.call({impl}));
    // Compiled once; each query is one call of the whole script text.
    m_function = engine->evaluate(QStringLiteral("(function () {\n") + m_script + QStringLiteral("\n})"),
                                  QStringLiteral("rating.js"), 1);
    {
        QMutexLocker lock(&m_engineMutex);
        m_engine = std::move(engine);
        if (m_interrupted)
            m_engine->setInterrupted(true);
    }
    if (m_function.isError() || !m_function.isCallable()) {
        OnScriptError(m_function);
        Stop();
        return false;
    }
    m_started = true;
    return true;
}

void CRateSystem::Stop()
{
    m_function = QJSValue();
    m_started = false;
    std::unique_ptr<QJSEngine> engine;
    {
        QMutexLocker lock(&m_engineMutex);
        engine = std::move(m_engine);
    }
    engine.reset();
    m_script.clear();
}

void CRateSystem::Interrupt()
{
    QMutexLocker lock(&m_engineMutex);
    m_interrupted = true;
    if (m_engine)
        m_engine->setInterrupted(true);
}

bool CRateSystem::IsInterrupted() const
{
    QMutexLocker lock(&m_engineMutex);
    return m_interrupted;
}

void CRateSystem::OnScriptError(const QJSValue &error)
{
    if (IsInterrupted())
        return;
    // The wrapper adds one line before the script's own.
    const int line = error.property(QStringLiteral("lineNumber")).toInt() - 1;
    const QStringList lines = m_script.split(u'\n');
    const QString lineText = line >= 1 && line <= lines.size() ? lines[line - 1] : QString();
    Log(error.toString() + QStringLiteral(" at line ") + QString::number(line), QStringLiteral("Rating script"), 2);
    if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(QStringLiteral("IActiveScriptSite::OnScriptError()\nLine: ") + lineText, QString(),
                            MsgBox::Ok | MsgBox::IconError);
}

bool CRateSystem::Run()
{
    if (!m_started || IsInterrupted())
        return false;
    const QJSValue result = m_function.call();
    if (result.isError()) {
        // Rating goes on with what the script recorded before the error.
        OnScriptError(result);
        return false;
    }
    return true;
}

bool CRateSystem::RateQuery(const XBaseSet &query)
{
    m_params->LoadQueryFields(query);
    return Run();
}

bool CRateSystem::RateCarQuery(const XBaseSet &query)
{
    m_params->LoadCarQueryFields(query);
    return Run();
}

bool CRateSystem::RateQueryParts(const XBaseSet &query)
{
    if (!Start(Parts))
        return false;
    const bool ok = RateQuery(query);
    Stop();
    return ok;
}

bool CRateSystem::RateQueryCars(const XBaseSet &query)
{
    if (!Start(Cars))
        return false;
    const bool ok = RateCarQuery(query);
    Stop();
    return ok;
}

void CRateSystem::SelectBest(int threshold, int most)
{
    m_selection.clear();
    QList<CParamCmd::Rating> kept;
    for (const auto &r : m_params->Ratings()) {
        if (r.second >= threshold)
            kept.append(r);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    if (most > 0)
        m_selection = kept.mid(0, most);
}

QStringList CRateSystem::SelectedIds() const
{
    QStringList ids;
    for (const auto &r : m_selection)
        ids.append(r.first);
    return ids;
}

int CRateSystem::SelectedRating(const QString &id) const
{
    for (const auto &r : m_selection) {
        if (r.first == id)
            return r.second;
    }
    return 0;
}

SqlExpr CRateSystem::GetSelectionFilter(bool firstOnly) const
{
    SqlExpr out;
    for (const auto &r : m_selection) {
        const std::optional<qint64> id = InventoryId(r.first);
        if (!id)
            continue;
        out.text += out.args.isEmpty() ? QStringLiteral("ID IN (?") : QStringLiteral(", ?");
        out.args.append(*id);
        if (firstOnly)
            break;
    }
    if (!out.args.isEmpty())
        out.text += u')';
    return out;
}

int CRateSystem::BuildRankTable(bool cars)
{
    QList<CParamCmd::Rating> rated = m_params->Ratings();
    std::stable_sort(rated.begin(), rated.end(), [](const auto &a, const auto &b) { return a.second > b.second; });
    const int n = int(rated.size());
    QHash<qint64, QList<int>> rankOf;  // id -> its ranks not yet met
    for (int rank = 0; rank < n; ++rank)
        rankOf[rated[rank].first.trimmed().toLongLong()].append(rank);

    m_rank.assign(size_t(n), -1);
    m_rank.reserve(4096);
    SqlStatement &st = theDatabase().Connection().Prepare(QStringLiteral("SELECT ID FROM ") +
                                                         Quoted(cars ? CarsInventory : PartsInventory) +
                                                         QStringLiteral(" ORDER BY ID DESC"));
    int row = 0;
    while (st.Step()) {
        const qint64 id = st.Int64(0);
        auto it = rankOf.find(id);
        if (it != rankOf.end() && !it->isEmpty())
            m_rank[size_t(it->takeFirst())] = row;
        else
            m_rank.push_back(row);
        ++row;
    }
    st.Reset();
    return int(m_rank.size());
}
