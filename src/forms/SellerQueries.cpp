#include "SellerQueries.h"

#include "db/KVDatabase.h"

QueryIdList::QueryIdList(const QString &table, const SqlExpr &filter, const QString &order, int nodeId, int index)
    : m_table(table), m_filter(filter), m_order(order), m_node(nodeId), m_index(index)
{
    Reload();
}

void QueryIdList::Reload()
{
    m_ids.clear();
    QString sql = QStringLiteral("SELECT ID FROM [%1]").arg(m_table);
    if (!m_filter.isEmpty())
        sql += QStringLiteral(" WHERE ") + m_filter.text;
    if (!m_order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + m_order;
    SqlStatement &st = theDatabase().Connection().Prepare(sql);
    st.Reset();
    st.BindAll(m_filter.args);
    while (st.Step())
        m_ids.append(st.Text(0));
    st.Reset();
}

bool QueryIdList::DeleteSelected()
{
    const QString id = IdAt(m_index);
    if (id.isEmpty())
        return false;
    theDatabase().Execute(QStringLiteral("DELETE FROM [%1] WHERE ID = ?").arg(m_table), {id});
    Reload();
    return true;
}

QueryWalk::QueryWalk(std::unique_ptr<ISellerQueries> list, int walkNode)
    : m_list(std::move(list)), m_walkNode(walkNode), m_index(m_list ? qMax(0, m_list->CurrentIndex()) : 0)
{
}

bool QueryWalk::Select(int index)
{
    if (!m_list || index < 0 || index >= m_list->Count())
        return false;
    m_index = index;
    m_list->Select(index);
    return true;
}
