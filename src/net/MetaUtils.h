#pragma once

#include "ItemSink.h"

#include <QString>

class XMetaDataBase;

// Fills the forms' drop-down boxes from one metadata provider (not owned):
// placeholders, boxes that depend on another, and text the member typed.
class MetaUtils
{
public:
    // Item data of the program's own items.
    static constexpr qint64 AllValues = -1;  // in a parent box: every value
    static constexpr qint64 TypedText = -2;  // text the member typed
    static inline const QString NoFirstItem = QStringLiteral("no_first_item");

    explicit MetaUtils(XMetaDataBase &provider) : m_provider(provider) {}
    virtual ~MetaUtils() = default;

    // ignoreTyped off and a typed text: the item beginning with it is selected,
    // or the text becomes item 1 (data -2).
    void FillCombo(IItemSink &box, int kind, const QString &placeholder, bool ignoreTyped, const QString &typed);
    // Adds the values that the parent's selection calls for (without emptying).
    void FillDependentCombo(IItemSink &parent, IItemSink &dependent, int kind, const QString &placeholder,
                            const QString &hint, const QString &previous);
    void ResetDependentCombo(IItemSink &parent, IItemSink &dependent, int kind, const QString &placeholder,
                             const QString &hint);
    // The amount (0 qr, 1 qt, 2 ci) of a part name from the parts metadata,
    // "Other" standing in for an unknown or placeholder name.
    static bool GetPartAmount(const QString &partName, QString &amount, int amountKind);

private:
    static void SelectText(IItemSink &box, const QString &text);
    XMetaDataBase &m_provider;
};
