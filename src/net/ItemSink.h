#pragma once

#include <QList>
#include <QString>

// What the metadata fillers need of a drop-down box: items with a text and a
// number, a selection and an edit text. The GUI adapts QComboBox to it; tests
// and non-GUI callers use ItemList.
class IItemSink
{
public:
    virtual ~IItemSink() = default;

    virtual int Count() const = 0;
    // Appends (or sorts in, for a sorted box); returns the new item's index.
    virtual int AddItem(const QString &text, qint64 data = 0) = 0;
    // Inserts at the index (appends past the end); returns the new item's index.
    virtual int InsertItem(int index, const QString &text, qint64 data = 0) = 0;
    virtual QString ItemText(int index) const = 0;
    virtual qint64 ItemData(int index) const = 0;
    virtual void SetItemData(int index, qint64 data) = 0;
    virtual int CurrentIndex() const = 0;  // -1: nothing selected
    virtual void SetCurrentIndex(int index) = 0;
    virtual QString Text() const = 0;
    virtual void SetText(const QString &text) = 0;
    virtual void Clear() = 0;

    // The first item after `start` whose text begins with `prefix` (or equals
    // it, when exact), without regard to case, wrapping round to the top;
    // -1 starts at the top. -1 when none.
    virtual int FindString(int start, const QString &prefix) const { return FindIn(*this, start, prefix, false); }
    virtual int FindStringExact(int start, const QString &text) const { return FindIn(*this, start, text, true); }

    static int FindIn(const IItemSink &sink, int start, const QString &text, bool exact);
};

// A plain list of items, for callers without a widget.
class ItemList : public IItemSink
{
public:
    struct Item
    {
        QString text;
        qint64 data = 0;
    };

    int Count() const override { return int(m_items.size()); }
    int AddItem(const QString &text, qint64 data = 0) override;
    int InsertItem(int index, const QString &text, qint64 data = 0) override;
    QString ItemText(int index) const override;
    qint64 ItemData(int index) const override;
    void SetItemData(int index, qint64 data) override;
    int CurrentIndex() const override { return m_current; }
    void SetCurrentIndex(int index) override;
    QString Text() const override;
    void SetText(const QString &text) override;
    void Clear() override;

    QStringList Texts() const;
    const QList<Item> &Items() const { return m_items; }

private:
    QList<Item> m_items;
    int m_current = -1;
    QString m_text;
};
