#pragma once

// What the record lists do to the records a member selected: each acts on the
// records' keys (never on list positions), binds every key, and runs in one
// transaction, so a failure part way changes nothing. Failures reach the
// caller as DbException.

#include <QString>
#include <QStringList>
#include <QVariant>

class KVDatabase;

namespace RecordActions {

// Sets STATUS_CODE and STATUS of the records with these keys; the number of rows changed.
int UpdateStatusByIds(const char *table, const QStringList &ids, int code, const QString &text,
                      KVDatabase *database = nullptr);
// Sets one column (a flag such as IS_U_NEW) of the records with these keys.
int UpdateColumnByIds(const char *table, const QStringList &ids, const char *column, const QVariant &value,
                      KVDatabase *database = nullptr);
// Deletes the records with these keys; the number of rows deleted.
int DeleteByIds(const char *table, const QStringList &ids, KVDatabase *database = nullptr);

} // namespace RecordActions
