#include "ItemSink.h"

#include <QStringList>

int IItemSink::FindIn(const IItemSink &sink, int start, const QString &text, bool exact)
{
    const int n = sink.Count();
    if (n == 0)
        return -1;
    const int first = (start < 0 || start >= n) ? 0 : start + 1;
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        const QString item = sink.ItemText(i);
        const bool hit = exact ? item.compare(text, Qt::CaseInsensitive) == 0
                               : item.startsWith(text, Qt::CaseInsensitive);
        if (hit)
            return i;
    }
    return -1;
}

int ItemList::AddItem(const QString &text, qint64 data)
{
    m_items.append({text, data});
    return int(m_items.size()) - 1;
}

int ItemList::InsertItem(int index, const QString &text, qint64 data)
{
    if (index < 0 || index > m_items.size())
        index = int(m_items.size());
    m_items.insert(index, {text, data});
    // The selected item stays selected, as in a real box.
    if (m_current >= index)
        ++m_current;
    return index;
}

QString ItemList::ItemText(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].text : QString();
}

qint64 ItemList::ItemData(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].data : 0;
}

void ItemList::SetItemData(int index, qint64 data)
{
    if (index >= 0 && index < m_items.size())
        m_items[index].data = data;
}

void ItemList::SetCurrentIndex(int index)
{
    m_current = (index >= 0 && index < m_items.size()) ? index : -1;
    m_text.clear();
}

QString ItemList::Text() const
{
    return m_current >= 0 ? m_items[m_current].text : m_text;
}

void ItemList::SetText(const QString &text)
{
    m_current = -1;
    m_text = text;
}

void ItemList::Clear()
{
    m_items.clear();
    m_current = -1;
    m_text.clear();
}

QStringList ItemList::Texts() const
{
    QStringList out;
    for (const Item &i : m_items)
        out << i.text;
    return out;
}
