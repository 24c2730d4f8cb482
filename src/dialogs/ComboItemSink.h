#pragma once

#include "net/ItemSink.h"

class QComboBox;

// A QComboBox seen as an item sink, so the metadata fillers work on it. The
// searches are the box's own kind: case-insensitive, from after an index,
// wrapping round to the top.
class ComboItemSink : public IItemSink
{
public:
    explicit ComboItemSink(QComboBox *box) : m_box(box) {}

    int Count() const override;
    int AddItem(const QString &text, qint64 data = 0) override;
    int InsertItem(int index, const QString &text, qint64 data = 0) override;
    QString ItemText(int index) const override;
    qint64 ItemData(int index) const override;
    void SetItemData(int index, qint64 data) override;
    int CurrentIndex() const override;
    void SetCurrentIndex(int index) override;
    QString Text() const override;
    void SetText(const QString &text) override;
    void Clear() override;
    int FindString(int start, const QString &prefix) const override;
    int FindStringExact(int start, const QString &text) const override;

    QComboBox *Box() const { return m_box; }

private:
    QComboBox *m_box;
};
