#include "InventoryFormBase.h"

#include "InventoryRecords.h"

#include "db/XBaseSet.h"

void InventoryFormBase::StartNew()
{
    XBaseSet &row = Row();
    if (row.IsEditing() || row.IsAdding())
        row.CancelUpdate();
    row.AddNew();
    SetDefaults();
    m_new = true;
    m_id = -1;
}

bool InventoryFormBase::Open(qint64 id)
{
    // By the record's own ID: a list's position means another row under another sort.
    XBaseSet &row = Row();
    if (id > 0 && row.Select(SqlExpr(QStringLiteral("ID = ?"), {id})) && !row.IsEOF()) {
        row.Edit();
        m_new = false;
        m_id = id;
        return true;
    }
    StartNew();
    return false;
}

qint64 InventoryFormBase::Save(const QList<InvPicture> &pictures)
{
    const qint64 before = m_id;
    const qint64 id = InventoryRecords::SaveKeepingValues(
        Row(), m_new, [&] { return Write(pictures); }, [&] { Open(before); });
    // The stored record stays open for more edits under its ID.
    if (id > 0)
        Open(id);
    return id;
}
