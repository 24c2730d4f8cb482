#include "PartNameController.h"

#include "net/ItemSink.h"
#include "net/MetaUtils.h"
#include "net/XMetaData.h"

namespace {
constexpr int KindCategories = 2;
constexpr int KindPartNames = 3;
} // namespace

PartNameController::PartNameController(IItemSink &condition, IItemSink &category, IItemSink &name,
                                       Placeholders placeholders)
    : m_condition(condition), m_category(category), m_name(name), m_text(std::move(placeholders))
{
}

PartNameController::PartNameController(IItemSink &condition, IItemSink &category, IItemSink &name)
    : PartNameController(condition, category, name, Placeholders())
{
}

int PartNameController::ConditionCode(const QString &condition)
{
    if (condition == QLatin1String("New"))
        return 0;
    if (condition == QLatin1String("Remanufactured"))
        return 2;
    return 1;
}

void PartNameController::ConditionChanged(const QString &category, const QString &name)
{
    m_busy = true;
    theMeta().SetPartCondition(ConditionCode(m_condition.Text()));
    m_category.Clear();
    m_name.Clear();
    MetaUtils meta(theMeta());
    const bool all = category == AllParts;
    meta.FillCombo(m_category, KindCategories, m_text.category, false, all ? QString() : category);
    int selected = m_category.CurrentIndex();
    m_category.InsertItem(1, AllParts, MetaUtils::AllValues);
    // The insert moved a selection at or after position 1 down by one.
    if (all)
        selected = 1;
    else if (selected >= 1)
        ++selected;
    m_category.SetCurrentIndex(selected);
    meta.FillDependentCombo(m_category, m_name, KindPartNames, m_text.name, m_text.nameHint, name);
    if (m_name.CurrentIndex() < 0 && m_name.Count() > 0)
        m_name.SetCurrentIndex(0);
    m_busy = false;
}

void PartNameController::CategoryChanged()
{
    if (m_busy)
        return;
    m_busy = true;
    m_name.Clear();
    MetaUtils(theMeta()).ResetDependentCombo(m_category, m_name, KindPartNames, m_text.name, m_text.nameHint);
    m_busy = false;
}

void PartNameController::RefillNames(const QString &keep)
{
    m_name.Clear();
    MetaUtils(theMeta()).FillDependentCombo(m_category, m_name, KindPartNames, m_text.name, m_text.nameHint, keep);
    const int found = m_name.FindStringExact(-1, keep);
    if (found >= 0)
        m_name.SetCurrentIndex(found);
}

bool PartNameController::NameIsChosen(int index) const
{
    // A typed text that differs from the item standing selected chooses nothing.
    return index > 0 && m_name.ItemText(index).compare(m_name.Text(), Qt::CaseInsensitive) == 0;
}

void PartNameController::NameChanged()
{
    if (m_busy)
        return;
    m_busy = true;
    const QString text = m_name.Text();
    const int exact = m_name.FindStringExact(-1, text);
    if (exact >= 0 && exact != m_name.CurrentIndex())
        m_name.SetCurrentIndex(exact);
    const int index = m_name.CurrentIndex();
    if (NameIsChosen(index)) {
        const qint64 partCategory = m_name.ItemData(index);
        const int selectedCategory = m_category.CurrentIndex();
        const qint64 categoryData = selectedCategory >= 0 ? m_category.ItemData(selectedCategory) : 0;
        bool moved = false;
        if (partCategory != 0 && partCategory != categoryData) {
            for (int i = 2; i < m_category.Count(); ++i) {
                if (m_category.ItemData(i) == partCategory) {
                    m_category.SetCurrentIndex(i);
                    RefillNames(text);
                    moved = true;
                    break;
                }
            }
        }
        if (!moved && (partCategory == 0 || partCategory == -1)) {
            int other = m_category.FindStringExact(-1, Other);
            if (other < 0)
                other = m_category.AddItem(Other, 0);
            m_category.SetCurrentIndex(other);
        }
    }
    m_busy = false;
}

void PartNameController::NamePicked(const QString &name)
{
    if (name.isEmpty())
        return;
    m_busy = true;
    int found = m_name.FindStringExact(-1, name);
    if (found < 0) {
        MetaPartInfo info;
        info.name = name;
        if (theMeta().FindPartName(info)) {
            const qint64 categoryId = info.categoryId.toLongLong();
            for (int i = 1; i < m_category.Count(); ++i) {
                if (m_category.ItemData(i) == categoryId) {
                    m_category.SetCurrentIndex(i);
                    break;
                }
            }
            RefillNames(name);
            found = m_name.FindStringExact(-1, name);
        }
        // Marked as typed, so the name brings no category along.
        if (found < 0)
            found = m_name.AddItem(name, MetaUtils::TypedText);
    }
    m_name.SetCurrentIndex(found);
    m_busy = false;
    NameChanged();
}

int PartNameController::CategoryData() const
{
    const int index = m_category.CurrentIndex();
    return index >= 0 ? int(m_category.ItemData(index)) : 0;
}

int PartNameController::PickerIndex() const
{
    return m_name.CurrentIndex() - 1;
}
