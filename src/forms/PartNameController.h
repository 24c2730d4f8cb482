#pragma once

// The part condition, category and part-name boxes of the parts forms: the
// condition picks the metadata's part-name list, the category filters the
// names, and a name chosen or typed brings its category along. Works on
// item sinks, so it is tested without widgets; the placeholders are the
// form's own.

#include <QString>

class IItemSink;
class MetaUtils;

class PartNameController
{
public:
    struct Placeholders
    {
        QString category = QStringLiteral("-- Select Part Category --");
        QString name = QStringLiteral("-- Select Or Type Part Name --");
        QString nameHint = QStringLiteral("-- Select Part Category First --");
    };
    static inline const QString AllParts = QStringLiteral("ALL PARTS");
    static inline const QString Other = QStringLiteral("Other");

    PartNameController(IItemSink &condition, IItemSink &category, IItemSink &name, Placeholders placeholders);
    // The part query form's placeholders.
    PartNameController(IItemSink &condition, IItemSink &category, IItemSink &name);

    // 0 "New", 2 "Remanufactured", 1 anything else.
    static int ConditionCode(const QString &condition);
    // Picks the condition's list and refills categories (with "ALL PARTS" at
    // 1, data -1) and the names below, keeping the given texts selected.
    void ConditionChanged(const QString &category, const QString &name);
    void CategoryChanged();
    // A name chosen or typed: an exact match selects its item; a known
    // part brings its category, a part without one selects "Other".
    void NameChanged();
    // A name from the part picker: selected, its category brought when the
    // metadata knows it, else appended as it is.
    void NamePicked(const QString &name);

    // What the part picker starts with.
    int CategoryData() const;
    int PickerIndex() const;

private:
    void RefillNames(const QString &keep);
    bool NameIsChosen(int index) const;

    IItemSink &m_condition;
    IItemSink &m_category;
    IItemSink &m_name;
    Placeholders m_text;
    bool m_busy = false;
};
