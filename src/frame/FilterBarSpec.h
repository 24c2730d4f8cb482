#pragma once

// What tells the two filter bars apart, as data: the table, the lists with
// their columns and order, which list depends on which. One widget class and
// one filler serve both bars from these descriptions.

#include <QString>

#include <vector>

// How a list orders its values and which clause a choice makes.
enum class FilterListKind {
    Date,        // the day of POST_DATE, newest first
    Rating,      // QFY_LEVEL as "N Stars", sorted
    Descending,  // greatest first (the years)
    Sorted,      // ascending, case-insensitive
};

struct FilterControlSpec
{
    int id;
    QString label;
    QString column;
    FilterListKind kind;
    int parentId = 0;         // id of the list this one depends on
    QString placeholder{};    // the dependent list's only entry while its parent is on " Any"
    bool errorBoxes = false;  // a failed fill is also shown to the member
};

struct FilterBarSpec
{
    QString name;
    QString table;
    // Left to right; the clauses follow this order, and so does the fill
    // (dependent lists only get their placeholder).
    std::vector<FilterControlSpec> controls;

    int IndexOf(int id) const;
    int ParentOf(int index) const;
    std::vector<int> DependentsOf(int index) const;
};

namespace FilterBars {

enum ControlId : int {
    IdDate = 1101,
    IdRating = 1283,
    IdYear = 1285,  // "Min Year" in the cars bar
    IdMake = 1286,
    IdMaxYear = 1287,
    IdModel = 1290,
    IdCategory = 1291,
    IdPart = 1458,
    IdState = 1459,
    IdShowAll = 1468,
};

inline const QString AnyEntry = QStringLiteral(" Any");
inline const QString SelectMake = QStringLiteral("Select Make");
inline const QString SelectCategory = QStringLiteral("Select Category");
// The incoming, not archived queries that are new or read: every list query
// runs within it and "Show All" filters by it alone.
inline const QString BaseCondition =
    QStringLiteral("IS_INCOMING = 1 AND IS_ARCHIVE = 0 AND (STATUS_CODE = 0 OR STATUS_CODE = 1)");

const FilterBarSpec &Parts();
const FilterBarSpec &Cars();

} // namespace FilterBars
