#include "PartFilter.h"

namespace {

const QString kSep = QStringLiteral(",,");
const FilterWriter kWriter("parts");

QString Comparison(const QString &field, const QString &value, const char *op)
{
    return FilterWriter::Comparison(field, value, op);
}

QString Repeat(const char *token, qsizetype times)
{
    return FilterWriter::Repeat(token, times);
}

int YearOf(const QString &value)
{
    bool ok = false;
    const int year = value.toInt(&ok);
    return ok ? year : 0;
}

} // namespace

QString PartFilter::ToText(int currentYear) const
{
    if (receiveNothing)
        return QString::fromLatin1(FilterExpr::kNone);

    QStringList clauses;
    auto add = [&](const QString &clause) {
        if (!clause.isEmpty())
            clauses << clause;
    };
    add(kWriter.AnyOf(QStringLiteral("bi_business_type"), QStringLiteral("business type"), businessTypes));
    add(kWriter.AnyOf(QStringLiteral("si_state"), QStringLiteral("state"), states));
    add(kWriter.AnyOf(QStringLiteral("pi_type"), QStringLiteral("condition"), conditions));
    add(kWriter.AnyOf(QStringLiteral("pi_category"), QStringLiteral("category"), categories));

    add(kWriter.Makes(makes));

    QString text = clauses.isEmpty() ? QString::fromLatin1(FilterExpr::kAll)
                                     : clauses.join(kSep) + Repeat("#AND", clauses.size() - 1);
    if (yearTill != 0) {
        const int till = yearTill == -1 ? currentYear : yearTill;
        text += kSep + Comparison(QStringLiteral("vi_year"), QString::number(till + 1), "#LT") + QStringLiteral(",,#AND");
    }
    if (yearFrom != 0) {
        const int from = yearFrom == -1 ? currentYear : yearFrom;
        text += kSep + Comparison(QStringLiteral("vi_year"), QString::number(from - 1), "#GT") + QStringLiteral(",,#AND");
    }
    return text;
}

PartFilter PartFilter::FromText(const QString &text)
{
    PartFilter filter;
    if (text.trimmed() == QLatin1String(FilterExpr::kNone)) {
        filter.receiveNothing = true;
        return filter;
    }
    auto addOnce = [](QStringList &list, const QString &value) {
        if (!value.isEmpty() && !list.contains(value))
            list << value;
    };
    for (const FilterExpr::Triple &t : FilterExpr::ReadTriples(text)) {
        if (t.field == u"bi_business_type") {
            addOnce(filter.businessTypes, t.value);
        } else if (t.field == u"si_state") {
            addOnce(filter.states, t.value);
        } else if (t.field == u"pi_type") {
            if (t.value != u"Any")
                addOnce(filter.conditions, t.value);
        } else if (t.field == u"pi_category") {
            addOnce(filter.categories, t.value);
        } else if (t.field == u"vi_make") {
            if (!t.value.isEmpty())
                filter.makes.push_back({t.value, {}});
        } else if (t.field == u"vi_model") {
            // A model belongs to the make before it.
            if (!t.value.isEmpty() && !filter.makes.empty())
                addOnce(filter.makes.back().models, t.value);
        } else if (t.field == u"vi_year") {
            const int year = YearOf(t.value);
            if (year == 0)
                continue;
            if (t.op == u"#LT")
                filter.yearTill = year - 1;
            else if (t.op == u"#GT")
                filter.yearFrom = year + 1;
        } else if (t.field == u"bi_qualification") {
            if (!t.value.isEmpty())
                filter.rating = u'>' + t.value;
        }
    }
    return filter;
}
