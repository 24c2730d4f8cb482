// The speciality filter language: any text is read or refused without harm;
// what the strict reader accepts prints and reads back to the same tree and
// text, within the depth and size bounds; the car filter read from any text
// writes a text that reads back to the same filter.

#include "FuzzCheck.h"

#include "app/FilterExpr.h"

#include <algorithm>

namespace {

// The depth of the tree, without recursion.
int Depth(const FilterExpr &e)
{
    const std::vector<FilterExpr::Node> &nodes = e.Nodes();
    std::vector<std::pair<int, int>> todo{{e.Root(), 1}};
    int deepest = 0;
    while (!todo.empty()) {
        const auto [index, depth] = todo.back();
        todo.pop_back();
        if (index < 0)
            continue;
        FUZZ_CHECK(index < int(nodes.size()), QStringLiteral("node %1 of %2").arg(index).arg(nodes.size()));
        deepest = std::max(deepest, depth);
        const FilterExpr::Node &n = nodes[size_t(index)];
        if (n.kind == FilterExpr::Node::Operator) {
            todo.push_back({n.first, depth + 1});
            todo.push_back({n.second, depth + 1});
        }
    }
    return deepest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(FuzzBytes(data, size));

    FilterExpr::Error error;
    if (const auto expr = FilterExpr::Parse(text, &error)) {
        FUZZ_CHECK(text.size() <= FilterExpr::kMaxLength, Escaped(text.left(200)));
        FUZZ_CHECK(int(expr->Nodes().size()) <= FilterExpr::kMaxTokens, Escaped(text.left(200)));
        FUZZ_CHECK(Depth(*expr) <= FilterExpr::kMaxDepth + 1, Escaped(text.left(200)));
        const QString printed = expr->ToText();
        FilterExpr::Error again;
        const auto back = FilterExpr::Parse(printed, &again);
        FUZZ_CHECK(back.has_value(), Escaped(text) + "\n" + Escaped(printed) + "\n" + again.Text());
        FUZZ_CHECK(back->ToText() == printed, Escaped(text) + "\n" + Escaped(printed));
        FUZZ_CHECK(back->Nodes().size() == expr->Nodes().size(), Escaped(text) + "\n" + Escaped(printed));
    } else {
        FUZZ_CHECK(!error.reason.isEmpty(), Escaped(text));
    }

    FilterExpr::ReadTriples(text);
    const CarFilter car = CarFilter::FromText(text);
    const QString written = car.ToText();
    const CarFilter read = CarFilter::FromText(written);
    FUZZ_CHECK(read.ToText() == written, Escaped(text) + "\n" + Escaped(written) + "\n" + Escaped(read.ToText()));
    return 0;
}
