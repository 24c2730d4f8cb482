#pragma once

#include "ItemSink.h"

#include <QList>
#include <QString>
#include <QStringList>

// The two vocabularies of part sides: the query's side codes ("LEFT FRONT")
// with their driver/passenger wording, and the inventory's 45 position names,
// with the range of names each code covers. Never changed after construction.
class SidesList
{
public:
    struct SideItemInfo
    {
        QString name;
        int first = 0;
        int last = -1;
    };

    SidesList();
    virtual ~SidesList() = default;

    // Adds every code's display name; the item data identifies the code.
    void FillCombo(IItemSink &box) const;
    // The code of the selected item; empty without selection or for an item
    // the box's owner added itself.
    QString GetSelectedKey(const IItemSink &box) const;
    void GetSidesForKey(QStringList &names, const QString &code) const;
    QString GetSideName(const QString &code) const;
    void GetSideList(QStringList &names) const;

    QStringList Codes() const;

    // Item data of the side items: this base plus the code's position.
    static constexpr qint64 DataBase = 0x51DE0000;

private:
    int IndexOf(const QString &code) const;
    QList<std::pair<QString, SideItemInfo>> m_codes;  // in their fixed order
    QStringList m_names;
};
