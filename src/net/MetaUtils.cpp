#include "MetaUtils.h"

#include "XMetaData.h"

void MetaUtils::FillCombo(IItemSink &box, int kind, const QString &placeholder, bool ignoreTyped,
                          const QString &typed)
{
    m_provider.FillList(box, kind);
    if (placeholder != NoFirstItem)
        box.InsertItem(0, placeholder);
    int select = 0;
    if (!ignoreTyped && !typed.isEmpty()) {
        const int found = box.FindString(1, typed);
        if (found >= 0) {
            select = found;
        } else {
            select = box.InsertItem(1, typed, TypedText);
        }
    }
    box.SetCurrentIndex(select);
}

void MetaUtils::SelectText(IItemSink &box, const QString &text)
{
    int index = box.FindStringExact(-1, text);
    if (index < 0)
        index = box.InsertItem(0, text);
    box.SetCurrentIndex(index);
}

void MetaUtils::FillDependentCombo(IItemSink &parent, IItemSink &dependent, int kind, const QString &placeholder,
                                   const QString &hint, const QString &previous)
{
    const int selected = parent.CurrentIndex();
    if (selected >= 0) {
        const qint64 data = parent.ItemData(selected);
        if (data == AllValues) {
            m_provider.FillDependentList(dependent, kind, -1);
        } else if (data == TypedText) {
            dependent.InsertItem(0, previous);
            dependent.SetCurrentIndex(0);
        } else if (data > 0) {
            m_provider.FillDependentList(dependent, kind, int(data));
            if (!previous.isEmpty())
                SelectText(dependent, previous);
        } else if (data == 0 && !previous.isEmpty() && !previous.startsWith(u'-')) {
            m_provider.FillDependentList(dependent, kind, -1);
            SelectText(dependent, previous);
        } else if (!hint.isEmpty()) {
            dependent.InsertItem(0, hint);
        }
    }
    if (dependent.Count() == 0)
        dependent.SetText(placeholder);
    else if (dependent.ItemText(0) == hint)
        dependent.SetText(placeholder);
    else
        dependent.InsertItem(0, placeholder);
}

void MetaUtils::ResetDependentCombo(IItemSink &parent, IItemSink &dependent, int kind, const QString &placeholder,
                                    const QString &hint)
{
    dependent.Clear();
    FillDependentCombo(parent, dependent, kind, placeholder, hint, QString());
    dependent.SetCurrentIndex(0);
}

bool MetaUtils::GetPartAmount(const QString &partName, QString &amount, int amountKind)
{
    XMetaData &meta = theMeta();
    MetaPartInfo info;
    info.name = partName.trimmed();
    if (info.name.isEmpty() || info.name.startsWith(u'-'))
        info.name = QStringLiteral("Other");
    if (!meta.FindPartName(info)) {
        info.name = QStringLiteral("Other");
        if (!meta.FindPartName(info))
            return false;
    }
    switch (amountKind) {
    case 0: amount = info.qrAmount; break;
    case 1: amount = info.qtAmount; break;
    case 2: amount = info.ciAmount; break;
    default: break;
    }
    return true;
}
