#include "FilterBarSpec.h"

int FilterBarSpec::IndexOf(int id) const
{
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].id == id)
            return int(i);
    return -1;
}

int FilterBarSpec::ParentOf(int index) const
{
    const int id = controls[size_t(index)].parentId;
    return id ? IndexOf(id) : -1;
}

std::vector<int> FilterBarSpec::DependentsOf(int index) const
{
    std::vector<int> out;
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].parentId != 0 && controls[i].parentId == controls[size_t(index)].id)
            out.push_back(int(i));
    return out;
}

namespace FilterBars {

const FilterBarSpec &Parts()
{
    static const FilterBarSpec spec{
        QStringLiteral("PartsFilterBar"),
        QStringLiteral("Queries"),
        {
            {IdDate, "Date", "POST_DATE", FilterListKind::Date, 0, {}, true},
            {IdRating, "Rating", "QFY_LEVEL", FilterListKind::Rating},
            {IdYear, "Year", "V_YEAR", FilterListKind::Descending},
            {IdMake, "Make", "V_MAKE", FilterListKind::Sorted},
            {IdModel, "Model", "V_MODEL", FilterListKind::Sorted, IdMake, SelectMake},
            {IdCategory, "Category", "P_CATEGORY", FilterListKind::Sorted},
            {IdPart, "Part", "P_NAME", FilterListKind::Sorted, IdCategory, SelectCategory},
            {IdState, "State", "C_STATE", FilterListKind::Sorted},
        }};
    return spec;
}

const FilterBarSpec &Cars()
{
    static const FilterBarSpec spec{
        QStringLiteral("CarsFilterBar"),
        QStringLiteral("Queries_Cars"),
        {
            {IdDate, "Date", "POST_DATE", FilterListKind::Date},
            {IdRating, "Rating", "QFY_LEVEL", FilterListKind::Rating},
            {IdYear, "Min Year", "MIN_YEAR", FilterListKind::Descending},
            {IdMaxYear, "Max Year", "MAX_YEAR", FilterListKind::Descending},
            {IdMake, "Make", "MAKE", FilterListKind::Sorted},
            {IdModel, "Model", "MODEL", FilterListKind::Sorted, IdMake, SelectMake},
            {IdCategory, "Category", "CATEGORY", FilterListKind::Sorted},
            {IdState, "State", "C_STATE", FilterListKind::Sorted},
        }};
    return spec;
}

} // namespace FilterBars
