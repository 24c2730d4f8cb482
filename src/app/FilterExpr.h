#pragma once

// The member's speciality filters: a postfix program of ",,"-joined tokens
// that the server evaluates against each query ("@vi_make,,Ford,,#EQ").
// The text comes from the server and goes back to it, so every reader here is
// linear in the text and bounded in size and depth whatever it is given.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class FilterExpr
{
public:
    // A filter without conditions, the one meaning "receive nothing", and the
    // other always-true constant the server knows.
    static constexpr char kAll[] = "X,,X,,#EQ";
    static constexpr char kNone[] = "A,,B,,#EQ";
    static constexpr char kTrue[] = "A,,A,,#EQ";
    static constexpr char kSeparator[] = ",,";

    // Beyond these the strict parser refuses the text. The writers put every
    // "#OR" of a list after all its values, so a list of n values nests n
    // deep in 4n tokens: the depth bound takes whatever fits the token bound.
    static constexpr int kMaxLength = 256 * 1024;
    static constexpr int kMaxTokens = 8192;
    static constexpr int kMaxDepth = kMaxTokens / 2;

    enum class Op { EQ, LT, GT, AND, OR, NOT, CZD };
    struct Node
    {
        enum Kind { Field, Literal, Operator };
        Kind kind = Literal;
        QString text;      // the field name without "@", the literal, or the operator token
        Op op = Op::EQ;
        int first = -1;    // argument nodes (operators only)
        int second = -1;
    };
    struct Error
    {
        int token = -1;    // index of the offending token, from 0
        QString reason;
        QString Text() const { return QStringLiteral("token %1: %2").arg(token).arg(reason); }
    };

    // The strict reader: a tree, or nothing and the error (token index and reason).
    static std::optional<FilterExpr> Parse(const QString &text, Error *error = nullptr);
    // Back to text; Parse(ToText()) gives the same tree.
    QString ToText() const;

    const std::vector<Node> &Nodes() const { return m_nodes; }
    int Root() const { return m_root; }

    static std::optional<Op> OperatorOf(QStringView token);
    static QString OperatorToken(Op op);

    // One comparison as the lenient reader sees it: "@" field ",," value ",," operator.
    struct Triple
    {
        QString field;
        QString value;     // trimmed
        QString op;
        bool operator==(const Triple &) const = default;
    };
    // Every triple in order; tokens between triples (the joining operators and
    // constants) are skipped. After "@pi_zip,,zip,,#CZD" the next value and
    // operator form a second "pi_zip" triple (the range).
    static std::vector<Triple> ReadTriples(const QString &text);

    // Whether a value can stand as one token: not empty, no ",", no control
    // character, not starting with "@" or "#".
    static bool IsWritableValue(const QString &value);

private:
    std::vector<Node> m_nodes;
    int m_root = -1;
};

// The cars speciality as the car filter dialog edits it.
struct CarFilter
{
    struct Make
    {
        QString make;
        QStringList models;   // none: all models of the make
        bool operator==(const Make &) const = default;
    };

    QStringList categories;
    std::vector<Make> makes;
    QString yearFrom, yearTo;     // "" when not given
    QString priceFrom, priceTo;   // as the price lists show them ("$20,000"); "" when not given
    bool localOnly = false;       // "Limit Business Inquiries To Local Buyers"
    QString zip, range;
    bool receiveNothing = false;  // "Do not receive any query"

    bool operator==(const CarFilter &) const = default;

    // The text sent to the server. Values that cannot stand as a token are
    // left out with a log line.
    QString ToText() const;
    static CarFilter FromText(const QString &text);

    // A price as the text holds it: "No Maximum", "100,000+" and "$0" are no
    // price; otherwise the digits without "$" and ",".
    static QString NormalizePrice(const QString &price);
};

// Writes filter texts the way the server reads them. A value that cannot stand
// as one token is left out, logged as left out of the `filterName` filter.
class FilterWriter
{
public:
    explicit FilterWriter(const char *filterName) : m_filterName(filterName) {}

    // The value trimmed when it can stand as a token; else empty, with a log line.
    QString Writable(const QString &what, const QString &value) const;
    // "@field,,a,,#EQ,,@field,,b,,#EQ,,#OR"; empty when no value can be written.
    QString AnyOf(const QString &field, const QString &what, const QStringList &values) const;
    // Each make, with its models joined by "#OR" and "#AND"ed to it, the makes
    // joined by "#OR"; empty when no make can be written.
    QString Makes(const std::vector<CarFilter::Make> &makes) const;

    static QString Comparison(const QString &field, const QString &value, const char *op);
    // ",,token" `times` times.
    static QString Repeat(const char *token, qsizetype times);

private:
    const char *m_filterName;
};
