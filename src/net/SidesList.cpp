#include "SidesList.h"

SidesList::SidesList()
{
    m_names = {"Bottom",       "Front",        "Front Center", "Front Inner",  "Front Inside",  "Front Lower",
               "Front Outer",  "Front Outside", "Front Upper", "Inner",        "Inside",        "Inside Center",
               "Left",         "Left Center",  "Left Inner",   "Left Inside",  "Left Lower",    "Left Outer",
               "Left Outside", "Left Upper",   "Left Front",   "Left Rear",    "Lower",         "Outer",
               "Outside",      "Rear",         "Rear Center",  "Rear Inner",   "Rear Inside",   "Rear Lower",
               "Rear Outer",   "Rear Outside", "Rear Upper",   "Right",        "Right Center",  "Right Inner",
               "Right Inside", "Right Lower",  "Right Outer",  "Right Outside", "Right Front",  "Right Rear",
               "Right Upper",  "Top",          "Upper"};
    m_codes = {{"FRONT", {"Front", 1, 8}},
               {"LEFT", {"Driver", 12, 19}},
               {"LEFT FRONT", {"Driver Front", 20, 20}},
               {"LEFT REAR", {"Driver Rear", 21, 21}},
               {"REAR", {"Rear", 25, 32}},
               {"RIGHT", {"Passenger", 33, 39}},
               {"RIGHT FRONT", {"Passenger Front", 40, 40}},
               {"RIGHT REAR", {"Passenger Rear", 41, 41}}};
}

int SidesList::IndexOf(const QString &code) const
{
    for (int i = 0; i < m_codes.size(); ++i) {
        if (m_codes[i].first == code)
            return i;
    }
    return -1;
}

void SidesList::FillCombo(IItemSink &box) const
{
    for (int i = 0; i < m_codes.size(); ++i) {
        const int index = box.AddItem(m_codes[i].second.name);
        box.SetItemData(index, DataBase + i);
    }
}

QString SidesList::GetSelectedKey(const IItemSink &box) const
{
    const int selected = box.CurrentIndex();
    if (selected < 0)
        return {};
    const qint64 i = box.ItemData(selected) - DataBase;
    return (i >= 0 && i < m_codes.size()) ? m_codes[i].first : QString();
}

void SidesList::GetSidesForKey(QStringList &names, const QString &code) const
{
    const int i = IndexOf(code);
    if (i < 0)
        return;
    const SideItemInfo &info = m_codes[i].second;
    for (int n = info.first; n <= info.last && n < m_names.size(); ++n)
        names.append(m_names[n]);
}

QString SidesList::GetSideName(const QString &code) const
{
    const int i = IndexOf(code);
    return i < 0 ? QString() : m_codes[i].second.name;
}

void SidesList::GetSideList(QStringList &names) const
{
    names.append(m_names);
}

QStringList SidesList::Codes() const
{
    QStringList out;
    for (const auto &c : m_codes)
        out << c.first;
    return out;
}
