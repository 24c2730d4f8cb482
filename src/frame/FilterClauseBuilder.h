#pragma once

// The SQL of a filter bar: the condition its selections give the query list,
// and the queries that fill its lists. Every value chosen is bound; only our
// own table and column names and the base condition are SQL text.

#include "FilterBarSpec.h"

#include "db/XBaseSet.h"

#include <QStringList>

class FilterClauseBuilder
{
public:
    explicit FilterClauseBuilder(const FilterBarSpec &spec) : m_spec(spec) {}

    // `texts`: the entry shown in each list, in the description's order (a
    // missing one counts as " Any"). The clauses of the lists that narrow
    // anything, joined by " AND ", then the base condition.
    SqlExpr Build(const QStringList &texts) const;
    // One list's clause; empty when its text narrows nothing (empty, " Any",
    // or a dependent list's placeholder).
    static SqlExpr Clause(const FilterControlSpec &control, const QString &text);
    static SqlExpr Base() { return SqlExpr(FilterBars::BaseCondition); }

    // The distinct values of one list among the base condition's queries;
    // `parentText` is the chosen parent entry of a dependent list.
    SqlExpr ListQuery(int index, const QString &parentText = {}) const;

private:
    const FilterBarSpec &m_spec;
};
