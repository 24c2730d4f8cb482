#pragma once

// The record lists the main window shows, by kind: answers the record sets'
// question whether the shown list allows an operation on its selection
// (IRecordViews). main() installs it with AppCore::SetRecordViews.

#include "app/Interfaces.h"

#include <QHash>

#include <functional>

class XBaseListCtrl;

class ListRegistry : public IRecordViews
{
public:
    static ListRegistry &Instance();

    // The list becomes the shown one of its kind (a list outside a dialog, when shown).
    void SetShown(ListKind kind, XBaseListCtrl *list);
    // Forgets the list wherever it is registered (its destructor).
    void Remove(XBaseListCtrl *list);
    XBaseListCtrl *Shown(ListKind kind) const { return m_shown.value(int(kind)); }

    // Main thread only: any other thread is told no.
    bool IsOperationEnabled(ListKind kind, int operation) const override;
    void BuildSpecialityFilterXml() override;
    // The speciality view's rebuild, set by whoever owns that view.
    void SetSpecialityFilterHook(std::function<void()> hook) { m_speciality = std::move(hook); }

private:
    QHash<int, XBaseListCtrl *> m_shown;
    std::function<void()> m_speciality;
};
