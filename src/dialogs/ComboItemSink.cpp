#include "ComboItemSink.h"

#include <QComboBox>
#include <QLineEdit>

namespace {
// Item data lives under the user role as a qint64.
constexpr int DataRole = Qt::UserRole;
}

int ComboItemSink::Count() const
{
    return m_box->count();
}

int ComboItemSink::AddItem(const QString &text, qint64 data)
{
    m_box->addItem(text, QVariant::fromValue(data));
    return m_box->count() - 1;
}

int ComboItemSink::InsertItem(int index, const QString &text, qint64 data)
{
    if (index < 0 || index > m_box->count())
        index = m_box->count();
    m_box->insertItem(index, text, QVariant::fromValue(data));
    return index;
}

QString ComboItemSink::ItemText(int index) const
{
    return m_box->itemText(index);
}

qint64 ComboItemSink::ItemData(int index) const
{
    return m_box->itemData(index, DataRole).toLongLong();
}

void ComboItemSink::SetItemData(int index, qint64 data)
{
    m_box->setItemData(index, QVariant::fromValue(data), DataRole);
}

int ComboItemSink::CurrentIndex() const
{
    return m_box->currentIndex();
}

void ComboItemSink::SetCurrentIndex(int index)
{
    m_box->setCurrentIndex(index >= 0 && index < m_box->count() ? index : -1);
}

QString ComboItemSink::Text() const
{
    if (m_box->isEditable())
        return m_box->currentText();
    return m_box->currentIndex() >= 0 ? m_box->currentText() : m_box->placeholderText();
}

void ComboItemSink::SetText(const QString &text)
{
    if (m_box->isEditable()) {
        m_box->setCurrentIndex(-1);
        m_box->setEditText(text);
        return;
    }
    // A list-only box shows a text that is no item as its placeholder.
    m_box->setCurrentIndex(-1);
    m_box->setPlaceholderText(text);
}

void ComboItemSink::Clear()
{
    m_box->clear();
    if (m_box->isEditable())
        m_box->clearEditText();
}

int ComboItemSink::FindString(int start, const QString &prefix) const
{
    return FindIn(*this, start, prefix, false);
}

int ComboItemSink::FindStringExact(int start, const QString &text) const
{
    return FindIn(*this, start, text, true);
}
