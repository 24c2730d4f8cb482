#include "ListRegistry.h"

#include "XBaseListCtrl.h"

#include <QCoreApplication>
#include <QThread>

ListRegistry &ListRegistry::Instance()
{
    static ListRegistry registry;
    return registry;
}

void ListRegistry::SetShown(ListKind kind, XBaseListCtrl *list)
{
    m_shown.insert(int(kind), list);
}

void ListRegistry::Remove(XBaseListCtrl *list)
{
    for (auto it = m_shown.begin(); it != m_shown.end();) {
        if (it.value() == list)
            it = m_shown.erase(it);
        else
            ++it;
    }
}

bool ListRegistry::IsOperationEnabled(ListKind kind, int operation) const
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread())
        return false;
    XBaseListCtrl *list = Shown(kind);
    return list && list->IsOperationEnabled(operation);
}

void ListRegistry::BuildSpecialityFilterXml()
{
    if (m_speciality)
        m_speciality();
}
