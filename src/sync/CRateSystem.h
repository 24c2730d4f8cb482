#pragma once

#include "db/XBaseSet.h"

#include <QHash>
#include <QJSValue>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <utility>
#include <optional>
#include <vector>

class QJSEngine;
struct TableDef;

// The values of one restriction, in the order added.
class CValuesList : public QStringList
{
};

// What a rating script sees as "MyObject": the query's fields, reads of the
// inventory and the ratings the script hands back. Lives on the rating thread.
// The script reaches it through a plain object that forwards exactly these
// members, so nothing else of the QObject is visible to server code.
class CParamCmd : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariant ContextArray READ GetContextArray WRITE SetContextArray)

public:
    explicit CParamCmd(QObject *parent = nullptr);

    QVariant GetContextArray() const { return m_contextArray; }
    void SetContextArray(const QVariant &value) { m_contextArray = value; }

    Q_INVOKABLE QString getQueryField(const QString &name) const;
    Q_INVOKABLE QString getInventoryField(const QString &id, const QString &name);
    Q_INVOKABLE void getInventoryList();
    Q_INVOKABLE void getInventoryValues(const QString &column);
    Q_INVOKABLE void addContextRestriction(const QString &name, const QString &value);
    Q_INVOKABLE void delContextRestriction(const QString &name);
    Q_INVOKABLE void ShowMessage(const QString &text);
    Q_INVOKABLE void addContextInventory(const QString &id, double rating);
    Q_INVOKABLE QString getCarsInventoryField(const QString &id, const QString &name);
    Q_INVOKABLE void getCarsInventoryList();
    Q_INVOKABLE void getCarsInventoryValues(const QString &column);

    // The query's fields for the next run (restrictions and ratings emptied).
    void LoadQueryFields(const XBaseSet &query);
    void LoadCarQueryFields(const XBaseSet &query);
    // The fields a script may read of one inventory record.
    static void LoadInventoryFields(const XBaseSet &record, QHash<QString, QString> &fields);
    static void LoadCarInventoryFields(const XBaseSet &record, QHash<QString, QString> &fields);
    // One of those fields as a script reads it; empty for any other name.
    static QString FieldText(const XBaseSet &record, const QString &name, bool cars);

    // The restrictions as a condition over the table: columns checked against
    // the table, values bound. Empty when there is none; nullopt when a
    // restriction names a column the table does not have (nothing matches).
    std::optional<SqlExpr> BuildRestrictionSql(const TableDef &table) const;

    using Rating = QPair<QString, qint32>;
    // The ratings in the order the script first gave each id.
    const QList<Rating> &Ratings() const { return m_ratings; }
    void ClearRun();
    void SetQueryField(const QString &name, const QString &value) { m_queryFields.insert(name, value); }

private:
    QString InventoryField(const char *table, const QString &id, const QString &name, bool cars);
    void InventoryList(const char *table);
    void InventoryValues(const char *table, const QString &column);
    void ScriptError(const QString &text);

    QList<Rating> m_ratings;
    QHash<QString, int> m_ratingIndex;
    std::pair<const char *, qint64> m_inventoryFieldsOf{nullptr, 0};  // the record its set holds
    // One reading set a table (parts, cars) for the object's life: making
    // one costs far more than reading a record through it.
    std::unique_ptr<XBaseSet> m_inventorySets[2];
    QHash<QString, QString> m_queryFields;
    QList<QPair<QString, CValuesList>> m_restrictions;  // in the order first named
    QVariant m_contextArray;
};

// Rates the seller's inventory against one query with the server's script
// (from the metadata), keeps the best ratings and orders inventory lists by
// rating. One object, with its own script engine, per thread that rates.
class CRateSystem
{
public:
    enum Mode { Parts = 0, Cars = 1 };

    CRateSystem();
    virtual ~CRateSystem();
    CRateSystem(const CRateSystem &) = delete;
    CRateSystem &operator=(const CRateSystem &) = delete;

    // Starts the engine on the mode's script, compiled once. False (shown and
    // logged) when there is no script or it does not compile.
    bool Start(int mode);
    void Stop();
    bool IsStarted() const { return m_started; }
    // Uses this text instead of the metadata's script (benchmarks, tests).
    void SetScriptText(const QString &script) { m_scriptOverride = script; }

    // One run of the script over the query on which the set stands.
    bool RateQuery(const XBaseSet &query);
    bool RateCarQuery(const XBaseSet &query);
    // A whole rating: start, run once, stop.
    bool RateQueryParts(const XBaseSet &query);
    bool RateQueryCars(const XBaseSet &query);

    // Stops a running script from another thread; later runs fail at once.
    void Interrupt();
    bool IsInterrupted() const;

    // Keeps the `most` best ratings at or above the threshold, best first;
    // equal ratings keep the order the script gave them.
    void SelectBest(int threshold, int most);
    QStringList SelectedIds() const;
    int SelectedRating(const QString &id) const;
    // "ID IN (?, ...)" over the kept ids, bound; empty when nothing is kept
    // (the caller then selects nothing). First-only: the first kept id.
    SqlExpr GetSelectionFilter(bool firstOnly = false) const;

    // Orders the inventory by rating: entry k is the row number (in "ID DESC"
    // order) shown at position k; -1 where a rated id has no row. Returns the
    // number of positions.
    int BuildRankTable(bool cars);
    const std::vector<int> &RankTable() const { return m_rank; }

    CParamCmd &Params() { return *m_params; }

    static QString GetPartsScript();
    static QString GetCarsScript();

private:
    bool Run();
    void OnScriptError(const QJSValue &error);

    QList<CParamCmd::Rating> m_selection;
    std::vector<int> m_rank;
    std::unique_ptr<CParamCmd> m_params;
    std::unique_ptr<QJSEngine> m_engine;
    QJSValue m_function;
    QString m_script;
    QString m_scriptOverride;
    bool m_started = false;
    mutable QMutex m_engineMutex;  // guards m_engine for Interrupt from another thread
    bool m_interrupted = false;
};
