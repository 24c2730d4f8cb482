#include "RecordActions.h"

#include "KVDatabase.h"
#include "Schema.h"

#include <stdexcept>

namespace {

// Table and column names come from the schema description, never from outside.
QString TableName(const char *table)
{
    return QLatin1String(Schema::Require(QLatin1String(table)).name);
}

QString ColumnName(const char *table, const char *column)
{
    const ColumnDef *c = Schema::Require(QLatin1String(table)).Column(QLatin1String(column));
    if (!c)
        throw std::logic_error(std::string("no such column: ") + table + "." + column);
    return QLatin1String(c->name);
}

// Runs the statement once per key, binding the values then the key.
int RunPerId(KVDatabase *database, const QString &sql, const QVariantList &values, const QStringList &ids)
{
    if (ids.isEmpty())
        return 0;
    SqlConnection &c = (database ? *database : theDatabase()).Connection();
    SqlTransaction tr(c);
    int changed = 0;
    for (const QString &id : ids) {
        SqlStatement &st = c.Prepare(sql);
        try {
            st.BindAll(values);
            st.Bind(int(values.size()) + 1, id);
            st.Exec();
        } catch (...) {
            st.Reset();
            throw;
        }
        changed += c.Changes();
    }
    tr.Commit();
    return changed;
}

} // namespace

namespace RecordActions {

int UpdateStatusByIds(const char *table, const QStringList &ids, int code, const QString &text, KVDatabase *database)
{
    const QString sql = QStringLiteral("UPDATE [%1] SET [STATUS_CODE] = ?, [STATUS] = ? WHERE [%2] = ?")
                            .arg(TableName(table), ColumnName(table, "ID"));
    return RunPerId(database, sql, {code, text}, ids);
}

int UpdateColumnByIds(const char *table, const QStringList &ids, const char *column, const QVariant &value,
                      KVDatabase *database)
{
    const QString sql = QStringLiteral("UPDATE [%1] SET [%2] = ? WHERE [%3] = ?")
                            .arg(TableName(table), ColumnName(table, column), ColumnName(table, "ID"));
    return RunPerId(database, sql, {value}, ids);
}

int DeleteByIds(const char *table, const QStringList &ids, KVDatabase *database)
{
    const QString sql = QStringLiteral("DELETE FROM [%1] WHERE [%2] = ?").arg(TableName(table), ColumnName(table, "ID"));
    return RunPerId(database, sql, {}, ids);
}

} // namespace RecordActions
