#include "KVDatabase.h"

#include "Schema.h"

#include "app/AppCore.h"
#include "app/Constants.h"
#include "app/XSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

const QString kUserInfo = QStringLiteral("UserInfo");

// Creates an empty file readable by the member only (SQLite takes an empty
// file as an empty database, and gives its side files the same mode).
bool CreatePrivateFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    f.close();
    return f.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
}

void MakePrivate(const QString &path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

const char *const kSideSuffixes[] = {"-wal", "-shm", "-journal"};
// Where a swap keeps the old file until its successor is in place.
constexpr char kAsideSuffix[] = ".old~";

} // namespace

void KVDatabase::Log(const QString &message, const QString &context, int level)
{
    if (AppCore *app = theAppIfAny())
        app->WriteLog(message, context, level);
}

QString GetDataFilePath(const QString &fileName)
{
    return theApp().GetDataFolder() + fileName;
}

KVDatabase &theDatabase()
{
    return Globals::Require<KVDatabase>(GlobalSlot::Database, "theDatabase");
}

KVDatabase *theDatabaseIfAny()
{
    return Globals::As<KVDatabase>(GlobalSlot::Database);
}

KVDatabase::KVDatabase() = default;

KVDatabase::~KVDatabase()
{
    CloseAll();
}

// --- connections ------------------------------------------------------------------------

QString KVDatabase::DatabasePath() const
{
    return GetDataFilePath(QLatin1String(Korvant::DatabaseFileName));
}

std::shared_ptr<SqlConnection> KVDatabase::ConnectionPtr()
{
    const Qt::HANDLE thread = QThread::currentThreadId();
    QMutexLocker lock(&m_mutex);
    auto it = m_connections.find(thread);
    if (it != m_connections.end() && it.value()->IsOpen())
        return it.value();
    const QString path = DatabasePath();
    if (!QFileInfo::exists(path))
        CreatePrivateFile(path);
    auto connection = std::make_shared<SqlConnection>(path);
    m_connections.insert(thread, connection);
    return connection;
}

SqlConnection &KVDatabase::Connection()
{
    return *ConnectionPtr();
}

void KVDatabase::CloseAll()
{
    QMutexLocker lock(&m_mutex);
    for (auto &c : m_connections)
        c->Close();
    m_connections.clear();
}

void KVDatabase::ReleaseThreadConnection()
{
    QMutexLocker lock(&m_mutex);
    auto it = m_connections.find(QThread::currentThreadId());
    if (it != m_connections.end()) {
        it.value()->Close();
        m_connections.erase(it);
    }
}

int KVDatabase::OpenConnectionCount() const
{
    QMutexLocker lock(&m_mutex);
    int n = 0;
    for (const auto &c : m_connections)
        n += c->IsOpen() ? 1 : 0;
    return n;
}

// --- errors -------------------------------------------------------------------------------

void KVDatabase::ShowError(const QString &operation, const DbException &e)
{
    ShowError(operation, e.Source(), e.Description());
}

void KVDatabase::ShowError(const QString &operation, const QString &source, const QString &description)
{
    const QString text = QStringLiteral("%1.\nSource : %2\nDescription : %3").arg(operation, source, description);
    if (AppCore *app = theAppIfAny())
        app->ShowMessageBox(text, QStringLiteral("Error"), MsgBox::IconError);
}

// --- creation and UserInfo ----------------------------------------------------------------

bool KVDatabase::FileExists(const QString &path)
{
    return QFileInfo::exists(path);
}

QString KVDatabase::GetPassword()
{
    return QStringLiteral("dmr_314");
}

QString KVDatabase::GetPassportId() const
{
    QMutexLocker lock(&m_mutex);
    return m_passportId;
}

QString KVDatabase::GetDbVersion() const
{
    QMutexLocker lock(&m_mutex);
    return m_dbVersion;
}

bool KVDatabase::CreateDatabase(const QString &path)
{
    if (!CreatePrivateFile(path)) {
        ShowError(QStringLiteral("Can not create database"), path, QStringLiteral("the file cannot be written"));
        return false;
    }
    return true;
}

bool KVDatabase::CreateTables(SqlConnection &c)
{
    try {
        for (const TableDef &t : Schema::Tables())
            c.ExecScript(t.CreateTableSql());
        return true;
    } catch (const DbException &e) {
        ShowError(QStringLiteral("Can not create table"), e);
        return false;
    }
}

bool KVDatabase::CreateIndexes(SqlConnection &c)
{
    try {
        for (const TableDef &t : Schema::Tables())
            for (const QByteArray &sql : t.CreateIndexSql())
                c.ExecScript(sql);
        return true;
    } catch (const DbException &e) {
        ShowError(QStringLiteral("Can not create indexes"), e);
        return false;
    }
}

void KVDatabase::AddMissingIndexes()
{
    // A file of this version made before an index joined the description
    // gets it now; one that cannot be made only costs speed.
    try {
        SqlConnection &c = Connection();
        for (const TableDef &t : Schema::Tables())
            for (const QByteArray &sql : t.CreateIndexSql(true))
                c.ExecScript(sql);
    } catch (const DbException &e) {
        Log(QStringLiteral("Can not create indexes: ") + e.Description(), QString(), 3);
    }
}

bool KVDatabase::WriteUserInfo(SqlConnection &c, const QString &passportId, const QString &version)
{
    try {
        // Exactly one row, whatever the file held before.
        SqlTransaction tr(c);
        c.Exec(QStringLiteral("DELETE FROM [UserInfo]"));
        c.Exec(QStringLiteral("INSERT INTO [UserInfo] ([PASSPORT_ID], [DB_VER]) VALUES (?, ?)"),
               {passportId, version});
        tr.Commit();
        return true;
    } catch (const DbException &e) {
        ShowError(QStringLiteral("Can not update UserInfo table"), e);
        return false;
    }
}

bool KVDatabase::ReadUserInfo()
{
    const QString file = QLatin1String(Korvant::DatabaseFileName);
    try {
        Log(QStringLiteral("Получаем список таблиц..."), file, 4);
        SqlConnection &c = Connection();
        Log(QStringLiteral("Проверяем, существует ли такая таблица..."), file, 4);
        const bool hasTable =
            c.Scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
                     {kUserInfo}).toInt() > 0;
        if (!hasTable)
            return true;
        Log(QStringLiteral("Открываем соединение..."), file, 4);
        Log(QStringLiteral("Открываем таблицу..."), file, 4);
        SqlStatement &st = c.Prepare(QStringLiteral("SELECT [PASSPORT_ID], [DB_VER] FROM [UserInfo] LIMIT 1"));
        if (st.Step()) {
            Log(QStringLiteral("Получаем Passport_ID и DBVer..."), file, 4);
            QMutexLocker lock(&m_mutex);
            m_passportId = st.Text(0);
            m_dbVersion = st.Text(1);
        }
        st.Reset();
        return true;
    } catch (const DbException &e) {
        ShowError(QStringLiteral("Can not get user info"), e);
        return false;
    }
}

bool KVDatabase::init()
{
    const QString path = DatabasePath();
    RecoverFromInterruptedSwap(path);
    if (!FileExists(path)) {
        // Built under another name and renamed in whole: a kill while it is
        // built must not leave a file that passes for a database.
        const QString fresh = path + QStringLiteral(".new~");
        RemoveWithSideFiles(fresh);
        if (!CreateDatabase(fresh))
            return false;
        try {
            {
                SqlConnection c(fresh);
                SqlTransaction tr(c);
                if (!CreateTables(c))
                    return false;
                {
                    QMutexLocker lock(&m_mutex);
                    m_dbVersion = QLatin1String(SchemaVersion);
                }
                if (!WriteUserInfo(c, QString(), QLatin1String(SchemaVersion)))
                    return false;
                CreateIndexes(c);
                tr.Commit();
            }
            if (!SwapFiles(fresh, path)) {
                ShowError(QStringLiteral("Can not create database"), path, QStringLiteral("the file cannot be written"));
                return false;
            }
            Connection();
        } catch (const DbException &e) {
            RemoveWithSideFiles(fresh);
            ShowError(QStringLiteral("Can not create database"), e);
            return false;
        }
    } else {
        // A file copied in, or made under a looser umask, is the member's alone
        // before it is opened (SQLite gives its side files the same mode).
        MakePrivate(path);
        ReadUserInfo();
        if (GetDbVersion() == QLatin1String(SchemaVersion))
            AddMissingIndexes();
    }
    Log(QStringLiteral("Init database: [OK]"), QString(), 4);
    return true;
}

void KVDatabase::SetPassportId(const QString &passportId)
{
    QString version;
    {
        QMutexLocker lock(&m_mutex);
        m_passportId = passportId;
        if (m_dbVersion.isEmpty())
            m_dbVersion = QLatin1String(SchemaVersion);
        version = m_dbVersion;
    }
    try {
        WriteUserInfo(Connection(), passportId, version);
    } catch (const DbException &e) {
        ShowError(QStringLiteral("Can not update UserInfo table"), e);
    }
}

qint64 KVDatabase::GetDatabaseSize() const
{
    const QFileInfo info(DatabasePath());
    return info.exists() ? info.size() : 0;
}

// --- statements -------------------------------------------------------------------------

bool KVDatabase::ExecuteSQL(const QString &sql, const QVariantList &args)
{
    try {
        Connection().Exec(sql, args);
        return true;
    } catch (const DbException &e) {
        ShowError(QStringLiteral("Can not execute the sql."), e);
        return false;
    }
}

void KVDatabase::Execute(const QString &sql, const QVariantList &args)
{
    Connection().Exec(sql, args);
}

int KVDatabase::ExecuteScalar(const QString &sql, const QVariantList &args)
{
    SqlStatement &st = Connection().Prepare(sql);
    st.BindAll(args);
    int result = -1;
    if (st.Step())
        result = st.IsNull(0) ? 0 : st.Int(0);
    st.Reset();
    return result;
}

// --- purge ------------------------------------------------------------------------------

bool KVDatabase::DeleteExpiredQueries(const QDateTime &now)
{
    // The day of `now` (local) against the posting time plus the life time in days.
    const QDateTime when = now.isValid() ? now.toLocalTime() : QDateTime::fromSecsSinceEpoch(0);
    const QString stamp = when.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    try {
        SqlConnection &c = Connection();
        SqlTransaction tr(c);
        for (const char *table : {"Queries", "Queries_Cars"}) {
            c.Exec(QStringLiteral("DELETE FROM [%1] WHERE IS_INCOMING = 1 AND IS_ARCHIVE = 0 "
                                  "AND (STATUS_CODE = ? OR STATUS_CODE = ?) "
                                  "AND julianday(date(?)) > julianday(POST_DATE) + LIVE_TIME")
                       .arg(QLatin1String(table)),
                   {0, 1, stamp});
        }
        tr.Commit();
        return true;
    } catch (const DbException &e) {
        ShowError(QStringLiteral("Can not clean queries."), e);
        return false;
    }
}

// --- file swaps -----------------------------------------------------------------------------

void KVDatabase::RemoveWithSideFiles(const QString &path)
{
    QFile::remove(path);
    for (const char *suffix : kSideSuffixes)
        QFile::remove(path + QLatin1String(suffix));
}

static KVDatabase::RenameFault &Fault()
{
    static KVDatabase::RenameFault fault;
    return fault;
}

void KVDatabase::SetRenameFault(RenameFault fault)
{
    Fault() = std::move(fault);
}

static bool RenameWithSideFiles(const QString &from, const QString &to)
{
    if ((Fault() && Fault()(from, to)) || !QFile::rename(from, to))
        return false;
    for (const char *suffix : kSideSuffixes) {
        const QString side = from + QLatin1String(suffix);
        if (QFileInfo::exists(side))
            QFile::rename(side, to + QLatin1String(suffix));
    }
    return true;
}

// A swap killed after the old file went aside and before the new one came in
// leaves no database: the old one is put back rather than a new empty one
// created. A swap killed later leaves only files nobody needs.
void KVDatabase::RecoverFromInterruptedSwap(const QString &path)
{
    const QString aside = path + QLatin1String(kAsideSuffix);
    if (QFileInfo::exists(aside)) {
        if (QFileInfo::exists(path))
            RemoveWithSideFiles(aside);
        else if (RenameWithSideFiles(aside, path))
            Log(QStringLiteral("Init database: the database of an interrupted swap was put back"), QString(), 3);
    }
    RemoveWithSideFiles(path + QStringLiteral(".~tmp"));
    RemoveWithSideFiles(path + QStringLiteral(".new~"));
    RemoveWithSideFiles(GetDataFilePath(QLatin1String(Korvant::TempDatabaseFileName)));
}

bool KVDatabase::SwapFiles(const QString &replacement, const QString &target)
{
    const QString aside = target + QLatin1String(kAsideSuffix);
    RemoveWithSideFiles(aside);
    const bool hadTarget = QFileInfo::exists(target);
    // The good file is only moved aside, never deleted, until its successor is in place.
    if (hadTarget && !RenameWithSideFiles(target, aside))
        return false;
    // Side files of the old file must never meet the new one.
    for (const char *suffix : kSideSuffixes)
        QFile::remove(target + QLatin1String(suffix));
    if (!RenameWithSideFiles(replacement, target)) {
        if (hadTarget)
            RenameWithSideFiles(aside, target);
        return false;
    }
    MakePrivate(target);
    RemoveWithSideFiles(aside);
    return true;
}

bool KVDatabase::VerifyDatabaseFile(const QString &path, QString *why)
{
    if (!SqlValue::HasSqliteHeader(path)) {
        *why = QStringLiteral("the file is not a database");
        return false;
    }
    try {
        SqlConnection::Options o;
        o.create = false;
        o.wal = false;
        SqlConnection c(path, o);
        const QString check = c.Scalar(QStringLiteral("PRAGMA quick_check")).toString();
        if (check != QLatin1String("ok")) {
            *why = check;
            return false;
        }
        if (c.Scalar(QStringLiteral("SELECT COUNT(*) FROM [UserInfo]")).toInt() < 1) {
            *why = QStringLiteral("the file has no user info");
            return false;
        }
        return true;
    } catch (const DbException &e) {
        *why = e.Description();
        return false;
    }
}

// --- conversion -------------------------------------------------------------------------------

bool KVDatabase::ConvertInto(const QString &oldPath, const QString &newPath)
{
    QString step = QStringLiteral("Can not convert database");
    try {
        SqlConnection c(newPath);
        {
            SqlTransaction tr(c);
            if (!CreateTables(c))
                return false;
            tr.Commit();
        }
        step = QStringLiteral("Can not get schema of database");
        if (!SqlValue::HasSqliteHeader(oldPath) && QFileInfo(oldPath).size() > 0)
            throw DbException(26, step, oldPath, QStringLiteral("file is not a database"));
        c.Exec(QStringLiteral("ATTACH DATABASE ? AS old"), {oldPath});
        QStringList oldTables;
        {
            SqlStatement &st =
                c.Prepare(QStringLiteral("SELECT name FROM old.sqlite_master WHERE type = 'table' ORDER BY rowid"));
            while (st.Step())
                oldTables << st.Text(0);
            st.Reset();
        }
        auto oldColumns = [&c](const QString &table) {
            QStringList cols;
            SqlStatement &st = c.Prepare(QStringLiteral("SELECT name FROM pragma_table_info(?, 'old')"));
            st.Bind(1, table);
            while (st.Step())
                cols << st.Text(0);
            st.Reset();
            return cols;
        };

        SqlTransaction tr(c);
        for (const QString &name : oldTables) {
            const TableDef *table = Schema::Find(name);
            if (name.contains(QLatin1String("MSys")) || name.startsWith(QLatin1String("sqlite_")) || !table)
                continue;
            step = QStringLiteral("Can not get schema of table");
            // Only names of the current schema reach the statement: nothing of the old file is pasted in.
            QStringList list;
            for (const QString &col : oldColumns(name)) {
                const ColumnDef *def = table->Column(col);
                if (def && col != QLatin1String("C_EMAIL"))
                    list << QStringLiteral("[%1]").arg(QLatin1String(def->name));
            }
            if (list.isEmpty())
                continue;
            step = QStringLiteral("Can not convert database");
            const QString cols = list.join(QStringLiteral(", "));
            c.Exec(QStringLiteral("INSERT INTO main.[%1] (%2) SELECT %2 FROM old.[%1]")
                       .arg(QLatin1String(table->name), cols));
        }
        for (const char *table : {"Queries", "Quotes"})
            c.Exec(QStringLiteral("UPDATE [%1] SET RECIVE_DATE = POST_DATE WHERE RECIVE_DATE IS NULL")
                       .arg(QLatin1String(table)));

        // Messages of the older layout name their context by one of three columns.
        const auto hasTable = [&oldTables](const char *t) {
            return oldTables.contains(QLatin1String(t), Qt::CaseInsensitive);
        };
        if (hasTable("Messages")) {
            const QStringList cols = oldColumns(QStringLiteral("Messages"));
            if (!cols.contains(QLatin1String("CONTEXT_ID"), Qt::CaseInsensitive)) {
                QStringList select;
                QStringList types;
                for (const char *col : {"QUERY_ID", "QUOTE_ID", "BROADCAST_ID"}) {
                    if (cols.contains(QLatin1String(col), Qt::CaseInsensitive)) {
                        select << QStringLiteral("[%1]").arg(QLatin1String(col));
                        types << QString::fromLatin1(col).section(QLatin1Char('_'), 0, 0).toLower();
                    }
                }
                if (!select.isEmpty()) {
                    struct Row { QString id, type, context; };
                    QList<Row> rows;
                    SqlStatement &st = c.Prepare(
                        QStringLiteral("SELECT [ID], %1 FROM old.[Messages]").arg(select.join(QStringLiteral(", "))));
                    while (st.Step()) {
                        for (int i = 0; i < types.size(); ++i) {
                            const QString context = st.Text(i + 1);
                            if (!context.isEmpty()) {
                                rows.append({st.Text(0), types[i], context});
                                break;
                            }
                        }
                    }
                    st.Reset();
                    for (const Row &r : rows)
                        c.Exec(QStringLiteral("UPDATE [Messages] SET CONTEXT_TYPE = ?, CONTEXT_ID = ? WHERE ID = ?"),
                               {r.type, r.context, r.id});
                }
            }
        }
        if (!CreateIndexes(c))
            return false;

        QString passport;
        {
            QMutexLocker lock(&m_mutex);
            if (m_passportId.isEmpty()) {
                if (XSettings *s = theSettingsIfAny())
                    m_passportId = s->GetString(Setting::PassportId);
            }
            m_dbVersion = QLatin1String(SchemaVersion);
            passport = m_passportId;
        }
        if (!WriteUserInfo(c, passport, QLatin1String(SchemaVersion)))
            return false;
        tr.Commit();
        c.Exec(QStringLiteral("DETACH DATABASE old"));
        c.Close();
        return true;
    } catch (const DbException &e) {
        ShowError(step, e);
        return false;
    }
}

bool KVDatabase::ConvertDatabase()
{
    const QString oldPath = DatabasePath();
    const QString newPath = GetDataFilePath(QLatin1String(Korvant::TempDatabaseFileName));
    RemoveWithSideFiles(newPath);
    if (!CreatePrivateFile(newPath)) {
        ShowError(QStringLiteral("Can not create database"), newPath, QStringLiteral("the file cannot be written"));
        return false;
    }
    if (!ConvertInto(oldPath, newPath)) {
        // The old file stays as it was; the unfinished one goes.
        RemoveWithSideFiles(newPath);
        return false;
    }
    CloseAll();
    if (!SwapFiles(newPath, oldPath)) {
        if (AppCore *app = theAppIfAny())
            app->ShowMessageBox(QStringLiteral("Database file error: access denied!"), QStringLiteral("Error"),
                                MsgBox::IconError);
        RemoveWithSideFiles(newPath);
        return false;
    }
    Log(QStringLiteral("Convert database: [OK]"), QString(), 4);
    return true;
}

// --- compaction ---------------------------------------------------------------------------------

bool KVDatabase::CompactDatabase()
{
    const QString path = DatabasePath();
    const QString temp = GetDataFilePath(QLatin1String(Korvant::TempDatabaseFileName));
    RemoveWithSideFiles(temp);
    if (!CreatePrivateFile(temp))
        return false;
    try {
        SqlConnection c(path);
        c.Exec(QStringLiteral("VACUUM INTO ?"), {temp});
    } catch (const DbException &e) {
        RemoveWithSideFiles(temp);
        ShowError(QStringLiteral("Can not compact the database."), e);
        return false;
    }
    QString why;
    if (!VerifyDatabaseFile(temp, &why)) {
        RemoveWithSideFiles(temp);
        Log(QStringLiteral("Compaction: ") + why, QString(), 3);
        return false;
    }
    CloseAll();
    if (!SwapFiles(temp, path)) {
        RemoveWithSideFiles(temp);
        return false;
    }
    return true;
}
