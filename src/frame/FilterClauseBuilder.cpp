#include "FilterClauseBuilder.h"

SqlExpr FilterClauseBuilder::Clause(const FilterControlSpec &control, const QString &text)
{
    if (text.isEmpty() || text == FilterBars::AnyEntry || (control.parentId && text == control.placeholder))
        return {};
    switch (control.kind) {
    case FilterListKind::Date:
        // Text comparison on "YYYY-MM-DD HH:MM:SS": midnight belongs to its day.
        return SqlExpr(control.column + " >= ? AND " + control.column + " < date(?, '+1 day')", {text, text});
    case FilterListKind::Rating: {
        const QString stars = text.left(1);
        // NULL, '' and '0' all show as "0 Stars".
        if (stars == QLatin1String("0"))
            return SqlExpr("(" + control.column + " IS NULL OR " + control.column + " = '' OR " + control.column +
                               " = ?)",
                           {stars});
        return SqlExpr(control.column + " = ?", {stars});
    }
    case FilterListKind::Descending:
    case FilterListKind::Sorted:
        break;
    }
    return SqlExpr(control.column + " = ?", {text});
}

SqlExpr FilterClauseBuilder::Build(const QStringList &texts) const
{
    SqlExpr out;
    for (size_t i = 0; i < m_spec.controls.size(); ++i) {
        const SqlExpr clause = Clause(m_spec.controls[i], i < size_t(texts.size()) ? texts[int(i)] : QString());
        if (clause.isEmpty())
            continue;
        if (!out.isEmpty())
            out += SqlExpr(" AND ");
        out += clause;
    }
    if (!out.isEmpty())
        out += SqlExpr(" AND ");
    out += Base();
    return out;
}

SqlExpr FilterClauseBuilder::ListQuery(int index, const QString &parentText) const
{
    const FilterControlSpec &control = m_spec.controls[size_t(index)];
    const QString from = " FROM " + m_spec.table + " WHERE ";
    switch (control.kind) {
    case FilterListKind::Date:
        return SqlExpr("SELECT DISTINCT substr(" + control.column + ", 1, 10)" + from + FilterBars::BaseCondition +
                       " AND " + control.column + " IS NOT NULL");
    case FilterListKind::Rating:
        return SqlExpr("SELECT DISTINCT " + control.column + from + FilterBars::BaseCondition);
    case FilterListKind::Descending:
    case FilterListKind::Sorted:
        break;
    }
    SqlExpr query("SELECT DISTINCT " + control.column + from);
    const int parent = m_spec.ParentOf(index);
    if (parent >= 0)
        query += SqlExpr(m_spec.controls[size_t(parent)].column + " = ? AND ", {parentText});
    query += SqlExpr(FilterBars::BaseCondition + " AND " + control.column + " IS NOT NULL");
    return query;
}
