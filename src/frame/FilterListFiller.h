#pragma once

// The lists of one filter bar without the widgets: their entries, the entry
// chosen and whether each list can be used, filled from the incoming queries
// on the calling thread's connection (the bars fill on the main thread). The
// bar mirrors this state into its combo boxes.

#include "FilterBarSpec.h"
#include "FilterClauseBuilder.h"

#include <QStringList>
#include <QVariantList>

#include <functional>
#include <vector>

struct FilterListState
{
    QStringList entries;
    int current = -1;
    bool enabled = true;
    bool operator==(const FilterListState &) const = default;
};

class FilterListFiller
{
public:
    // Runs one list query: column 0 of every row, NULL as a null QVariant.
    // Errors are thrown (DbException).
    using Runner = std::function<QVariantList(const SqlExpr &query)>;

    explicit FilterListFiller(const FilterBarSpec &spec, Runner runner = {});

    // The query on the calling thread's connection to the database.
    static QVariantList RunOnConnection(const SqlExpr &query);
    // A list's entries from its query's values: " Any" first, then the values
    // in the list's order (NULL and empty dropped, ratings as "N Stars").
    static QStringList Entries(FilterListKind kind, const QVariantList &values);

    // Every list emptied and refilled; selections back at " Any", dependent
    // lists on their disabled placeholder.
    void FillLists();
    // The member chose entry `entry` of list `index`; the lists depending on it follow.
    void Select(int index, int entry);
    // Refills the lists that depend on list `index` from its chosen entry.
    void OnSelChangeParent(int index);
    void OnSelChangeMake() { OnSelChangeParent(m_spec.IndexOf(FilterBars::IdMake)); }
    void OnSelChangeCategory() { OnSelChangeParent(m_spec.IndexOf(FilterBars::IdCategory)); }
    // Every list back at index 0, dependent lists on their placeholder.
    void OnShowAll();

    const FilterBarSpec &Spec() const { return m_spec; }
    const FilterListState &List(int index) const { return m_lists[size_t(index)]; }
    int Count() const { return int(m_lists.size()); }
    // The entry shown in each list (empty for an empty list).
    QStringList Texts() const;
    QString Text(int index) const;
    // The filter of the current selections, or the base condition alone.
    SqlExpr Filter(bool showAll) const;

private:
    void Fill(int index, const QString &parentText = {});
    void SetPlaceholder(int index);
    QVariantList Run(int index, const SqlExpr &query);

    const FilterBarSpec &m_spec;
    FilterClauseBuilder m_builder;
    Runner m_runner;
    std::vector<FilterListState> m_lists;
};
