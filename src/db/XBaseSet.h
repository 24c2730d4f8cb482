#pragma once

#include "Schema.h"
#include "SqlDb.h"

#include <QDateTime>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class KVDatabase;

// A piece of SQL with the values bound to its "?" marks. Filters are built
// from these so that no value is ever pasted into SQL text.
struct SqlExpr
{
    QString text;
    QVariantList args;

    SqlExpr() = default;
    SqlExpr(const QString &sql, const QVariantList &values = {}) : text(sql), args(values) {}
    SqlExpr(const char *sql) : text(QString::fromUtf8(sql)) {}
    bool isEmpty() const { return text.trimmed().isEmpty(); }
    SqlExpr &operator+=(const SqlExpr &other)
    {
        text += other.text;
        args += other.args;
        return *this;
    }
    friend SqlExpr operator+(SqlExpr a, const SqlExpr &b) { return a += b; }
    bool operator==(const SqlExpr &) const = default;
};

// The record set every table class stands on: a keyset of the rows matching
// the filter in the sort order, the current row's columns read fresh on each
// move, and AddNew/Edit/Update/Delete writing through bound statements.
// Columns are those of the table's schema description (or the subset the
// class names), reached by position or by name. A table class only adds
// behaviour: its folder filters, field search, XML readers and builders.
class XBaseSet
{
public:
    // `columns` empty: every column of the table in schema order.
    XBaseSet(KVDatabase *database, const char *table, const QStringList &columns = {});
    virtual ~XBaseSet();
    XBaseSet(const XBaseSet &) = delete;
    XBaseSet &operator=(const XBaseSet &) = delete;

    // --- the class library's record set ---------------------------------------------
    virtual QString GetDefaultSQL() const;  // "[Table]"
    const TableDef &Table() const { return *m_table; }
    KVDatabase *Database() const { return m_pDatabase; }
    virtual bool Open();
    virtual void Close();
    bool IsOpen() const { return m_open; }
    virtual bool Requery();

    void SetFilter(const SqlExpr &filter) { m_filter = filter; }
    void SetFilter(const QString &filter) { m_filter = SqlExpr(filter); }
    void SetFilter(const char *filter) { m_filter = SqlExpr(filter); }
    const SqlExpr &GetFilter() const { return m_filter; }
    void SetSort(const QString &sort) { m_sort = sort; }
    QString GetSort() const { return m_sort; }

    bool IsBOF() const;
    bool IsEOF() const;
    // The current row was deleted, here or by another connection.
    bool IsDeleted() const { return m_deleted; }
    void MoveFirst();
    void MoveNext();
    void MovePrev();
    void MoveLast();
    void Move(int rows);
    // 1-based position in the set.
    void SetAbsolutePosition(int position);
    // 0-based current row, -1 before the first.
    int GetCurrentRow() const { return m_pos; }
    long GetRecordCount() const { return long(m_keys.size()); }

    // Starts an empty row: every field reset.
    virtual void AddNew();
    virtual void Edit();
    // Writes the row: a new one whole, an edited one only in the fields that
    // changed. False when the edited row no longer exists.
    virtual bool Update();
    virtual void Delete();
    void CancelUpdate();
    bool IsAdding() const { return m_mode == Mode::Adding; }
    bool IsEditing() const { return m_mode == Mode::Editing; }
    bool CanAppend() const { return !m_readOnly; }
    bool CanUpdate() const { return !m_readOnly; }
    void SetReadOnly(bool on) { m_readOnly = on; }
    qint64 GetLastInsertId() const { return m_lastInsertId; }

    // Bookmarks are the rows' stable keys.
    qint64 GetBookmark() const;
    bool SetBookmark(qint64 bookmark);

    // --- fields --------------------------------------------------------------------------
    int GetFieldCount() const { return int(m_cols.size()); }
    QString GetFieldName(int index) const;
    // Position of a bound column (any case); -1 when it is not bound.
    int FindField(const char *name) const;
    int FindField(const QString &name) const { return FindField(name.toLatin1().constData()); }
    // The same, throwing std::logic_error for a column the set does not have.
    int FieldIndex(const char *name) const;

    QVariant GetFieldValue(int index) const { return m_values[size_t(index)]; }
    QVariant GetFieldValue(const char *name) const { return GetFieldValue(FieldIndex(name)); }
    bool IsFieldNull(int index) const { return m_values[size_t(index)].isNull(); }
    // NULL reads as empty text, 0 or false.
    QString GetText(int index) const;
    QString GetText(const char *name) const { return GetText(FieldIndex(name)); }
    qint64 GetInt64(int index) const;
    int GetInt(int index) const { return int(GetInt64(index)); }
    int GetInt(const char *name) const { return GetInt(FieldIndex(name)); }
    double GetDouble(int index) const;
    double GetDouble(const char *name) const { return GetDouble(FieldIndex(name)); }
    bool GetBool(int index) const { return GetInt64(index) != 0; }
    bool GetBool(const char *name) const { return GetBool(FieldIndex(name)); }
    QDateTime GetDate(int index) const;
    QDateTime GetDate(const char *name) const { return GetDate(FieldIndex(name)); }

    // Values are kept in the column's own form (currency rounded to four
    // decimals, dates as local "YYYY-MM-DD HH:MM:SS", flags 0/1).
    void SetFieldValue(int index, const QVariant &value);
    void SetFieldValue(const char *name, const QVariant &value) { SetFieldValue(FieldIndex(name), value); }
    void SetFieldNull(int index) { SetFieldValue(index, QVariant()); }
    void SetText(int index, const QString &value) { SetFieldValue(index, QVariant(value)); }
    void SetText(const char *name, const QString &value) { SetText(FieldIndex(name), value); }
    void SetInt(int index, qint64 value) { SetFieldValue(index, QVariant(value)); }
    void SetInt(const char *name, qint64 value) { SetInt(FieldIndex(name), value); }
    void SetDouble(int index, double value) { SetFieldValue(index, QVariant(value)); }
    void SetDouble(const char *name, double value) { SetDouble(FieldIndex(name), value); }
    void SetBool(int index, bool value) { SetFieldValue(index, QVariant(qint64(value ? 1 : 0))); }
    void SetBool(const char *name, bool value) { SetBool(FieldIndex(name), value); }
    void SetDate(int index, const QDateTime &value);
    void SetDate(const char *name, const QDateTime &value) { SetDate(FieldIndex(name), value); }
    // The current local time, as SetDate of QDateTime::currentDateTime() writes it.
    void SetNow(const char *name);

    // --- what every table shares --------------------------------------------------------
    // The filter of a navigator folder; the base returns empty and changes nothing.
    virtual SqlExpr GetFolderFilter(int folderId);
    virtual void SetSearchText(QString &text);
    virtual void BuildSearchFilter();
    virtual SqlExpr FormatNumberCondition(const QString &column, const QString &op, qint64 value) const;
    virtual SqlExpr FormatRealCondition(const QString &column, const QString &op, double value) const;
    virtual SqlExpr FormatTextCondition(const QString &column, const QString &op, const QString &value) const;
    virtual SqlExpr AddWordConditions(const QString &column, const QString &op, bool numeric) const;
    virtual void AddOrCondition(const QString &column, const QString &op, const QString &value, SqlExpr &list,
                                bool numeric) const;
    // Each searchable table adds its columns' conditions here.
    virtual void AddFieldSearch(SqlExpr &list, const QString &value) const;
    virtual QString FormatLikePattern(const QString &value) const;
    virtual QString GetIdText() const;

    void ResetFilter() { m_filter = m_baseFilter; }
    void SetBaseFilter(const SqlExpr &filter) { m_baseFilter = filter; }
    const SqlExpr &GetBaseFilter() const { return m_baseFilter; }
    // Rows matching the filter and `extra`; -1 when no row came back.
    int CountRecords(const SqlExpr &extra = {});
    int CountRecords(const QString &extra) { return CountRecords(SqlExpr(extra)); }
    int CountRecords(const char *extra) { return CountRecords(SqlExpr(extra)); }
    // Absolute move unless the set already stands there (1-based).
    void MoveToRecord(int position);
    void SplitWords(const QString &text);
    // The current filter compiles (a long search can exceed SQLite's limits).
    bool SearchFitsLimits() const;
    const QStringList &SearchWords() const { return m_words; }
    // The lookup idiom: filter (and sort), then requery when open, else open.
    bool Select(const SqlExpr &filter);
    bool Select(const SqlExpr &filter, const QString &sort);

protected:
    SqlConnection &Conn();
    void FetchCurrent();
    void ClearValues();

    SqlExpr m_baseFilter;
    QStringList m_words;
    QString m_searchText;
    KVDatabase *m_pDatabase;

private:
    enum class Mode { None, Adding, Editing };
    void EnsureOpen() const;
    void LeaveEditMode();
    void BuildFetchSql();
    const QByteArray &InsertSql(const std::vector<int> &changed);
    void BindColumns(SqlStatement &st, const std::vector<int> &columns, int first);
    QByteArray InsertSqlOf(const std::vector<int> &changed);

    const TableDef *m_table;
    std::vector<const ColumnDef *> m_cols;
    std::vector<uint32_t> m_nameHash;  // case-folded, beside m_cols: readers look fields up by name per value
    mutable size_t m_lastFound = 0;    // readers mostly name fields in column order
    struct AddressSlot
    {
        const char *name = nullptr;
        int index = 0;
    };
    mutable std::array<AddressSlot, 128> m_byAddress{};  // a name's address -> its position
    QByteArray m_fetchSql;
    QHash<QByteArray, QByteArray> m_insertSql;  // by the mask of the columns written
    std::vector<int> m_lastInsertColumns;
    QByteArray m_lastInsertSql;
    std::vector<int> m_changed;
    QByteArray m_texts;  // the UTF-8 a statement was bound to without a copy
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    std::shared_ptr<SqlConnection> m_conn;
    Qt::HANDLE m_connThread = nullptr;

    SqlExpr m_filter;
    QString m_sort;
    bool m_open = false;
    bool m_readOnly = false;
    std::vector<qint64> m_keys;
    int m_pos = -1;
    bool m_deleted = false;
    Mode m_mode = Mode::None;
    std::vector<QVariant> m_values;
    std::vector<QVariant> m_original;
    std::vector<char> m_dirty;
    qint64 m_lastInsertId = 0;
};
