// Insert speed of the record-set engine against a bare prepared INSERT, and
// the time to open a list's keyset (filter + sort on POST_DATE).
//
//   db_insert [N = 100000] [M = 1000000]

#include "app/AppCore.h"
#include "db/KVDatabase.h"
#include "db/Schema.h"
#include "db/XBaseSet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

using Row = std::vector<QVariant>;

// A pool of filled rows (every column), cycled through by both paths.
std::vector<Row> MakePool(const TableDef &t, int size)
{
    std::vector<Row> pool;
    for (int r = 0; r < size; ++r) {
        Row row;
        for (size_t c = 0; c < t.columns.size(); ++c) {
            const ColumnDef &col = t.columns[c];
            switch (col.type) {
            case ColumnType::Integer:
            case ColumnType::Identity:
                row.emplace_back(qint64(r * 7 + int(c)));
                break;
            case ColumnType::Logical:
                row.emplace_back(qint64((r + int(c)) % 2));
                break;
            case ColumnType::Currency:
            case ColumnType::Float:
                row.emplace_back(SqlValue::RoundCurrency(r * 1.25 + double(c)));
                break;
            case ColumnType::DateTime:
                row.emplace_back(QStringLiteral("2024-%1-%2 10:%3:00")
                                     .arg(1 + r % 12, 2, 10, QLatin1Char('0'))
                                     .arg(1 + r % 28, 2, 10, QLatin1Char('0'))
                                     .arg(r % 60, 2, 10, QLatin1Char('0')));
                break;
            case ColumnType::LongText:
                row.emplace_back(QStringLiteral("Notes for row %1: ").arg(r) + QString(80, QLatin1Char('n')));
                break;
            case ColumnType::Text:
                row.emplace_back(QStringLiteral("%1 %2").arg(QLatin1String(col.name)).arg(r));
                break;
            }
        }
        pool.push_back(std::move(row));
    }
    return pool;
}

void BindAs(SqlStatement &st, int index, const ColumnDef &col, const QVariant &v)
{
    switch (col.type) {
    case ColumnType::Integer:
    case ColumnType::Identity:
    case ColumnType::Logical:
        st.Bind(index, v.toLongLong());
        break;
    case ColumnType::Currency:
    case ColumnType::Float:
        st.Bind(index, v.toDouble());
        break;
    default:
        st.BindUtf8(index, v.toString().toUtf8());
        break;
    }
}

double Seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication qapp(argc, argv);
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const int m = argc > 2 ? std::max(1, atoi(argv[2])) : 1000000;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    GlobalsScope scope;
    auto app = std::make_unique<AppCore>();
    app->ParseCommandLine(QStringList{QStringLiteral("db_insert"), QStringLiteral("-dbpath"), dir.path()});
    Globals::Install(GlobalSlot::App, std::move(app));
    Globals::Install(GlobalSlot::Database, std::make_unique<KVDatabase>());
    KVDatabase &db = theDatabase();
    if (!db.init())
        return 1;

    const TableDef &table = Schema::Require(QStringLiteral("Queries"));
    const std::vector<Row> pool = MakePool(table, 1000);
    const int idColumn = table.ColumnIndex(QStringLiteral("ID"));

    // Bare path: its own file with the same schema and settings.
    double bare = 0;
    {
        SqlConnection c(dir.filePath(QStringLiteral("bare.db")));
        for (const TableDef &t : Schema::Tables()) {
            c.ExecScript(t.CreateTableSql());
            for (const QByteArray &sql : t.CreateIndexSql())
                c.ExecScript(sql);
        }
        QByteArray sql = "INSERT INTO [Queries] (";
        QByteArray marks;
        for (size_t i = 0; i < table.columns.size(); ++i) {
            sql += (i ? ", [" : "[") + QByteArray(table.columns[i].name) + "]";
            marks += i ? ", ?" : "?";
        }
        sql += ") VALUES (" + marks + ")";
        QElapsedTimer t;
        t.start();
        SqlTransaction tr(c);
        for (int r = 0; r < n; ++r) {
            const Row &row = pool[size_t(r % int(pool.size()))];
            SqlStatement &st = c.Prepare(sql);
            for (size_t i = 0; i < table.columns.size(); ++i) {
                if (int(i) == idColumn)
                    st.Bind(int(i) + 1, QStringLiteral("B%1").arg(r));
                else
                    BindAs(st, int(i) + 1, table.columns[i], row[i]);
            }
            st.Exec();
        }
        tr.Commit();
        bare = Seconds(t);
    }

    // Record-set path.
    double engine = 0;
    {
        XBaseSet set(&db, "Queries");
        QElapsedTimer t;
        t.start();
        SqlTransaction tr(db.Connection());
        for (int r = 0; r < n; ++r) {
            const Row &row = pool[size_t(r % int(pool.size()))];
            set.AddNew();
            for (int i = 0; i < set.GetFieldCount(); ++i)
                set.SetFieldValue(i, i == idColumn ? QVariant(QStringLiteral("R%1").arg(r)) : row[size_t(i)]);
            set.Update();
        }
        tr.Commit();
        engine = Seconds(t);
    }

    std::printf("rows: %d, columns: %d\n", n, int(table.columns.size()));
    std::printf("record set : %10.0f rows/s (%.3f s)\n", n / engine, engine);
    std::printf("bare insert: %10.0f rows/s (%.3f s)\n", n / bare, bare);
    std::printf("ratio      : %10.2f (record set / bare)\n", bare / engine);

    // Keyset over M rows: the list of incoming, not archived queries, newest first.
    {
        SqlConnection &c = db.Connection();
        SqlTransaction tr(c);
        const QByteArray sql = "INSERT INTO Queries (ID, IS_INCOMING, IS_ARCHIVE, STATUS_CODE, POST_DATE, P_NAME) "
                               "VALUES (?, ?, ?, ?, ?, ?)";
        for (int r = n; r < m; ++r) {
            SqlStatement &st = c.Prepare(sql);
            st.Bind(1, QStringLiteral("K%1").arg(r));
            st.Bind(2, qint64(r % 4 != 0));
            st.Bind(3, qint64(r % 10 == 0));
            st.Bind(4, qint64(r % 3));
            st.Bind(5, QStringLiteral("2023-%1-%2 %3:00:00")
                           .arg(1 + r % 12, 2, 10, QLatin1Char('0'))
                           .arg(1 + (r / 12) % 28, 2, 10, QLatin1Char('0'))
                           .arg(r % 24, 2, 10, QLatin1Char('0')));
            st.Bind(6, QStringLiteral("part %1").arg(r));
            st.Exec();
        }
        tr.Commit();
    }
    const int total = db.ExecuteScalar(QStringLiteral("SELECT COUNT(*) FROM Queries"));
    XBaseSet list(&db, "Queries");
    list.SetFilter(SqlExpr(QStringLiteral("IS_INCOMING = ? AND IS_ARCHIVE = ?"), {1, 0}));
    list.SetSort(QStringLiteral("POST_DATE DESC"));
    QElapsedTimer t;
    t.start();
    list.Open();
    const double open = Seconds(t);
    std::printf("keyset open: %10.1f ms over %d rows (%ld in the list)\n", open * 1000.0, total, list.GetRecordCount());
    return 0;
}
