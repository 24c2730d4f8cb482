#include "FilterExpr.h"

#include "AppCore.h"
#include "Utils.h"

#include <algorithm>

namespace {

const QString kSep = QStringLiteral(",,");

struct OpInfo
{
    const char16_t *token;
    FilterExpr::Op op;
    int arity;
};

constexpr OpInfo kOps[] = {
    {u"#EQ", FilterExpr::Op::EQ, 2},   {u"#LT", FilterExpr::Op::LT, 2},   {u"#GT", FilterExpr::Op::GT, 2},
    {u"#AND", FilterExpr::Op::AND, 2}, {u"#OR", FilterExpr::Op::OR, 2},   {u"#NOT", FilterExpr::Op::NOT, 1},
    {u"#CZD", FilterExpr::Op::CZD, 2},
};

int Arity(FilterExpr::Op op)
{
    for (const OpInfo &info : kOps) {
        if (info.op == op)
            return info.arity;
    }
    return 2;
}

bool IsControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7f || c.category() == QChar::Other_Control;
}

// A hostile token named in an error is cut short and made printable.
QString Shown(QStringView token)
{
    QString shown = token.left(24).toString();
    for (QChar &c : shown) {
        if (IsControl(c))
            c = u'?';
    }
    return token.size() > 24 ? shown + QStringLiteral("...") : shown;
}

QString TokenOf(const FilterExpr::Node &node)
{
    switch (node.kind) {
    case FilterExpr::Node::Field: return u'@' + node.text;
    case FilterExpr::Node::Operator: return FilterExpr::OperatorToken(node.op);
    case FilterExpr::Node::Literal: break;
    }
    return node.text;
}

std::optional<FilterExpr> Fail(FilterExpr::Error *error, int token, const QString &reason)
{
    if (error)
        *error = {token, reason};
    return std::nullopt;
}

const FilterWriter kCarWriter("car");

QString Writable(const QString &what, const QString &value)
{
    return kCarWriter.Writable(what, value);
}

QString Comparison(const QString &field, const QString &value, const char *op)
{
    return FilterWriter::Comparison(field, value, op);
}

QString Repeat(const char *token, qsizetype times)
{
    return FilterWriter::Repeat(token, times);
}

// ",,@low,,from,,#LT,,@high,,to,,#GT,,#OR,,#NOT,,#AND": the two ranges overlap.
QString RangeGroup(const QString &lowField, const QString &from, const QString &highField, const QString &to)
{
    const QString blank = QStringLiteral(" ");
    return kSep + Comparison(lowField, from.isEmpty() ? blank : from, "#LT") + kSep
        + Comparison(highField, to.isEmpty() ? blank : to, "#GT") + QStringLiteral(",,#OR,,#NOT,,#AND");
}

QString MoneyOf(const QString &value)
{
    return value.isEmpty() ? QString() : Utils::FormatMoney(Utils::StrToInt(value), 0);
}

} // namespace

std::optional<FilterExpr::Op> FilterExpr::OperatorOf(QStringView token)
{
    for (const OpInfo &info : kOps) {
        if (token == QStringView(info.token))
            return info.op;
    }
    return std::nullopt;
}

QString FilterExpr::OperatorToken(Op op)
{
    for (const OpInfo &info : kOps) {
        if (info.op == op)
            return QString::fromUtf16(info.token);
    }
    return QString();
}

bool FilterExpr::IsWritableValue(const QString &value)
{
    if (value.isEmpty() || value.startsWith(u'@') || value.startsWith(u'#'))
        return false;
    return std::none_of(value.begin(), value.end(), [](QChar c) { return c == u',' || IsControl(c); });
}

std::optional<FilterExpr> FilterExpr::Parse(const QString &text, Error *error)
{
    if (text.isEmpty())
        return Fail(error, 0, QStringLiteral("the filter is empty"));
    if (text.size() > kMaxLength) {
        const int token = int(QStringView(text).left(kMaxLength).count(kSep));
        return Fail(error, token, QStringLiteral("the filter is longer than %1 characters").arg(kMaxLength));
    }

    FilterExpr expr;
    std::vector<int> stack;
    std::vector<int> depth;
    qsizetype pos = 0;
    int index = 0;
    for (;; ++index) {
        if (index >= kMaxTokens)
            return Fail(error, index, QStringLiteral("more than %1 tokens").arg(kMaxTokens));
        const qsizetype end = text.indexOf(kSep, pos);
        const QStringView token = QStringView(text).mid(pos, (end < 0 ? text.size() : end) - pos);
        if (token.isEmpty())
            return Fail(error, index, QStringLiteral("empty token"));
        if (std::any_of(token.begin(), token.end(), IsControl))
            return Fail(error, index, QStringLiteral("control character in \"%1\"").arg(Shown(token)));
        if (token.contains(u','))
            return Fail(error, index, QStringLiteral("comma inside \"%1\"").arg(Shown(token)));

        Node node;
        int nodeDepth = 1;
        if (token.startsWith(u'#')) {
            const std::optional<Op> op = OperatorOf(token);
            if (!op)
                return Fail(error, index, QStringLiteral("unknown operator \"%1\"").arg(Shown(token)));
            const int arity = Arity(*op);
            if (int(stack.size()) < arity) {
                return Fail(error, index, QStringLiteral("%1 needs %2 arguments, has %3")
                                              .arg(token.toString()).arg(arity).arg(stack.size()));
            }
            node.kind = Node::Operator;
            node.op = *op;
            if (arity == 2) {
                node.second = stack.back();
                stack.pop_back();
            }
            node.first = stack.back();
            stack.pop_back();
            nodeDepth = 1 + std::max(depth[node.first], node.second < 0 ? 0 : depth[node.second]);
            if (nodeDepth > kMaxDepth)
                return Fail(error, index, QStringLiteral("nested deeper than %1").arg(kMaxDepth));
        } else if (token.startsWith(u'@')) {
            if (token.size() == 1)
                return Fail(error, index, QStringLiteral("\"@\" without a field name"));
            node.kind = Node::Field;
            node.text = token.mid(1).toString();
        } else {
            node.text = token.toString();
        }
        stack.push_back(int(expr.m_nodes.size()));
        depth.push_back(nodeDepth);
        expr.m_nodes.push_back(std::move(node));
        if (end < 0)
            break;
        pos = end + kSep.size();
    }
    if (stack.size() != 1) {
        return Fail(error, index,
                    QStringLiteral("%1 values are left without an operator joining them").arg(stack.size()));
    }
    expr.m_root = stack.back();
    return expr;
}

QString FilterExpr::ToText() const
{
    if (m_root < 0)
        return QString();
    // Post-order without recursion: the depth is bounded, the habit is kept.
    QStringList tokens;
    std::vector<std::pair<int, bool>> stack{{m_root, false}};
    while (!stack.empty()) {
        auto [index, expanded] = stack.back();
        stack.pop_back();
        const Node &node = m_nodes[size_t(index)];
        if (expanded || node.kind != Node::Operator) {
            tokens << TokenOf(node);
            continue;
        }
        stack.push_back({index, true});
        if (node.second >= 0)
            stack.push_back({node.second, false});
        stack.push_back({node.first, false});
    }
    return tokens.join(kSep);
}

std::vector<FilterExpr::Triple> FilterExpr::ReadTriples(const QString &text)
{
    enum State { Wait, Name, Value, Operator };
    std::vector<Triple> triples;
    Triple current;
    State state = Wait;
    qsizetype start = 0;
    const qsizetype size = text.size();
    auto piece = [&](qsizetype end) { return text.mid(start, end - start); };
    // A separator is ",,"; its second comma is not part of what follows.
    auto next = [&](qsizetype comma) { return comma + 1 < size && text[comma + 1] == u',' ? comma + 2 : comma + 1; };
    auto finish = [&](qsizetype end) {
        current.op = piece(end).trimmed();
        triples.push_back(current);
        // "@pi_zip,,zip,,#CZD,,range,,#LT": the range is the zip's second value.
        if (current.field == u"pi_zip" && current.op == u"#CZD") {
            state = Value;
            current.value.clear();
        } else {
            state = Wait;
        }
    };
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        switch (state) {
        case Wait:
            if (c == u'@') {
                state = Name;
                start = i + 1;
            }
            break;
        case Name:
            if (c == u',') {
                current = Triple{piece(i), QString(), QString()};
                state = Value;
                i = next(i) - 1;
                start = i + 1;
            }
            break;
        case Value:
            if (c == u',') {
                current.value = piece(i).trimmed();
                state = Operator;
                i = next(i) - 1;
                start = i + 1;
            }
            break;
        case Operator:
            if (c == u',') {
                finish(i);
                i = next(i) - 1;
                start = i + 1;
            }
            break;
        }
    }
    if (state == Operator)
        finish(size);
    return triples;
}

// --- CarFilter ---------------------------------------------------------------------

QString CarFilter::NormalizePrice(const QString &price)
{
    QString text = price.trimmed();
    if (text == u"No Maximum" || text == u"100,000+" || text == u"$0")
        return QString();
    text.remove(u'$');
    text.remove(u',');
    return text.trimmed();
}

QString CarFilter::ToText() const
{
    if (receiveNothing)
        return QString::fromLatin1(FilterExpr::kNone);

    QStringList groups;
    for (const QString &group : {kCarWriter.AnyOf(QStringLiteral("vi_category"), QStringLiteral("category"), categories),
                                 kCarWriter.Makes(makes)}) {
        if (!group.isEmpty())
            groups << group;
    }

    QString text = groups.isEmpty() ? QString::fromLatin1(FilterExpr::kAll)
                                    : groups.join(kSep) + Repeat("#AND", groups.size() - 1);

    const QString from = Writable(QStringLiteral("year"), yearFrom);
    const QString to = Writable(QStringLiteral("year"), yearTo);
    if (!from.isEmpty() || !to.isEmpty())
        text += RangeGroup(QStringLiteral("vi_to_year"), from, QStringLiteral("vi_from_year"), to);

    const QString low = Writable(QStringLiteral("price"), NormalizePrice(priceFrom));
    const QString high = Writable(QStringLiteral("price"), NormalizePrice(priceTo));
    if (!low.isEmpty() || !high.isEmpty())
        text += RangeGroup(QStringLiteral("pi_max_price"), low, QStringLiteral("pi_min_price"), high);

    const QString zipValue = Writable(QStringLiteral("zip code"), zip);
    const QString rangeValue = Writable(QStringLiteral("range"), range);
    if (localOnly && !zipValue.isEmpty() && !rangeValue.isEmpty()) {
        text += kSep + Comparison(QStringLiteral("pi_zip"), zipValue, "#CZD") + kSep + rangeValue
            + QStringLiteral(",,#LT,,#AND");
    }
    return text;
}

CarFilter CarFilter::FromText(const QString &text)
{
    CarFilter filter;
    if (text.trimmed() == QLatin1String(FilterExpr::kNone)) {
        filter.receiveNothing = true;
        return filter;
    }
    for (const FilterExpr::Triple &t : FilterExpr::ReadTriples(text)) {
        if (t.field == u"vi_make") {
            if (!t.value.isEmpty())
                filter.makes.push_back({t.value, {}});
        } else if (t.field == u"vi_model") {
            // A model belongs to the make before it.
            if (!t.value.isEmpty() && !filter.makes.empty())
                filter.makes.back().models << t.value;
        } else if (t.field == u"vi_category") {
            if (!t.value.isEmpty())
                filter.categories << t.value;
        } else if (t.field == u"vi_to_year") {
            filter.yearFrom = t.value;
        } else if (t.field == u"vi_from_year") {
            filter.yearTo = t.value;
        } else if (t.field == u"pi_max_price") {
            filter.priceFrom = MoneyOf(t.value);
        } else if (t.field == u"pi_min_price") {
            filter.priceTo = MoneyOf(t.value);
        } else if (t.field == u"pi_zip") {
            if (t.op == u"#CZD") {
                filter.zip = t.value;
            } else {
                filter.range = t.value;
                filter.localOnly = true;
            }
        }
    }
    return filter;
}

QString FilterWriter::Writable(const QString &what, const QString &value) const
{
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty() || FilterExpr::IsWritableValue(trimmed))
        return trimmed;
    if (AppCore *app = theAppIfAny())
        app->WriteLog(QStringLiteral("Left out of the %1 filter: %2 \"%3\"")
                          .arg(QLatin1String(m_filterName), what, Shown(value)),
                      QStringLiteral("Filter"), 3);
    return QString();
}

QString FilterWriter::AnyOf(const QString &field, const QString &what, const QStringList &values) const
{
    QStringList tokens;
    for (const QString &v : values) {
        const QString value = Writable(what, v);
        if (!value.isEmpty())
            tokens << Comparison(field, value, "#EQ");
    }
    return tokens.isEmpty() ? QString() : tokens.join(kSep) + Repeat("#OR", tokens.size() - 1);
}

QString FilterWriter::Makes(const std::vector<CarFilter::Make> &makes) const
{
    QString text;
    qsizetype makeCount = 0;
    for (const CarFilter::Make &make : makes) {
        const QString value = Writable(QStringLiteral("make"), make.make);
        if (value.isEmpty())
            continue;
        if (!text.isEmpty())
            text += kSep;
        text += Comparison(QStringLiteral("vi_make"), value, "#EQ");
        qsizetype modelCount = 0;
        for (const QString &model : make.models) {
            const QString modelValue = Writable(QStringLiteral("model"), model);
            if (modelValue.isEmpty())
                continue;
            text += kSep + Comparison(QStringLiteral("vi_model"), modelValue, "#EQ");
            ++modelCount;
        }
        if (modelCount > 0)
            text += Repeat("#OR", modelCount - 1) + QStringLiteral(",,#AND");
        ++makeCount;
    }
    return makeCount > 0 ? text + Repeat("#OR", makeCount - 1) : QString();
}

QString FilterWriter::Comparison(const QString &field, const QString &value, const char *op)
{
    return u'@' + field + kSep + value + kSep + QLatin1String(op);
}

QString FilterWriter::Repeat(const char *token, qsizetype times)
{
    QString text;
    for (qsizetype i = 0; i < times; ++i)
        text += kSep + QLatin1String(token);
    return text;
}
