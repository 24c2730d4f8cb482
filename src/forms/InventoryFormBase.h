#pragma once

// What the part and car inventory record forms share: the record, new or
// opened by its own ID, and the save that gives back every typed value after
// a failure and keeps the stored record open for more edits. Each form keeps
// its record, its defaults and how it is written.

#include "app/Interfaces.h"

#include <QList>

class XBaseSet;

class InventoryFormBase
{
public:
    virtual ~InventoryFormBase() = default;

    bool IsNew() const { return m_new; }
    qint64 RecordId() const { return m_id; }

    // A new record with the defaults.
    void StartNew();
    // The record with this ID in edit mode; false (and a new record) when it is gone.
    bool Open(qint64 id);
    // Stores the record and its pictures; the record's ID, or -1 after an error box.
    qint64 Save(const QList<InvPicture> &pictures);

protected:
    virtual XBaseSet &Row() = 0;
    virtual void SetDefaults() = 0;
    // The row and its pictures written; throws when they cannot be.
    virtual qint64 Write(const QList<InvPicture> &pictures) = 0;

private:
    bool m_new = true;
    qint64 m_id = -1;
};
