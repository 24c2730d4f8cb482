#include "PartFilter.h"

#include "AppCore.h"

namespace {

const QString kSep = QStringLiteral(",,");

// Metadata comes from the server; a value that is not one token would change
// the meaning of everything after it, so it is dropped and logged.
QString Writable(const QString &what, const QString &value)
{
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty() || FilterExpr::IsWritableValue(trimmed))
        return trimmed;
    if (AppCore *app = theAppIfAny())
        app->WriteLog(QStringLiteral("Left out of the parts filter: %1 \"%2\"").arg(what, value.left(80)),
                      QStringLiteral("Filter"), 3);
    return QString();
}

QString Comparison(const QString &field, const QString &value, const char *op)
{
    return u'@' + field + kSep + value + kSep + QLatin1String(op);
}

QString Repeat(const char *token, qsizetype times)
{
    QString text;
    for (qsizetype i = 0; i < times; ++i)
        text += kSep + QLatin1String(token);
    return text;
}

// "@field,,a,,#EQ,,@field,,b,,#EQ,,#OR"; empty when no value can be written.
QString AnyOf(const QString &field, const QString &what, const QStringList &values)
{
    QStringList tokens;
    for (const QString &v : values) {
        const QString value = Writable(what, v);
        if (!value.isEmpty())
            tokens << Comparison(field, value, "#EQ");
    }
    return tokens.isEmpty() ? QString() : tokens.join(kSep) + Repeat("#OR", tokens.size() - 1);
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
    add(AnyOf(QStringLiteral("bi_business_type"), QStringLiteral("business type"), businessTypes));
    add(AnyOf(QStringLiteral("si_state"), QStringLiteral("state"), states));
    add(AnyOf(QStringLiteral("pi_type"), QStringLiteral("condition"), conditions));
    add(AnyOf(QStringLiteral("pi_category"), QStringLiteral("category"), categories));

    QString makeText;
    qsizetype makeCount = 0;
    for (const CarFilter::Make &make : makes) {
        const QString value = Writable(QStringLiteral("make"), make.make);
        if (value.isEmpty())
            continue;
        if (!makeText.isEmpty())
            makeText += kSep;
        makeText += Comparison(QStringLiteral("vi_make"), value, "#EQ");
        qsizetype modelCount = 0;
        for (const QString &model : make.models) {
            const QString modelValue = Writable(QStringLiteral("model"), model);
            if (modelValue.isEmpty())
                continue;
            makeText += kSep + Comparison(QStringLiteral("vi_model"), modelValue, "#EQ");
            ++modelCount;
        }
        if (modelCount > 0)
            makeText += Repeat("#OR", modelCount - 1) + QStringLiteral(",,#AND");
        ++makeCount;
    }
    if (makeCount > 0)
        add(makeText + Repeat("#OR", makeCount - 1));

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
