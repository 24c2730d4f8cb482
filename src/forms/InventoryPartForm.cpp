#include "InventoryPartForm.h"

#include "FormRules.h"
#include "InventoryRecords.h"

#include "app/AppCore.h"
#include "app/Utils.h"

namespace {

// What Save And New carries over to the next record.
const char *const kVehicle[] = {"V_MAKE",   "V_MODEL",       "V_YEAR",        "V_END_YEAR",         "V_TRANSMISSION",
                                "V_AXLE",   "V_BODY_STYLE",  "V_ENGINE",      "V_ENGINE_SIZE",      "V_ENGINE_SIZE_UNIT",
                                "V_VIN",    "V_DELIVERY",    "V_FUEL",        "V_ASPIRATION",       "WHEEL_WIDTH",
                                "WHEEL_HEIGHT"};

} // namespace

InventoryPartForm::InventoryPartForm()
{
    StartNew();
}

void InventoryPartForm::SetDefaults()
{
    m_set.SetText("V_MODEL", ModelPlaceholder);
    m_set.SetText("V_YEAR", QStringLiteral("2000"));
    m_set.SetText("V_END_YEAR", QStringLiteral("2000"));
    m_set.SetText("P_NAME", NamePlaceholder);
    m_set.SetInt("P_QUANTITY", 1);
    for (const char *c : {"P_PRICE", "P_CORE_DEPOSIT", "P_HANDLING", "P_WEIGHT"})
        m_set.SetDouble(c, 0.0);
}

void InventoryPartForm::StartNewKeepingVehicle()
{
    QMap<QByteArray, QString> kept;
    for (const char *c : kVehicle)
        kept.insert(c, m_set.GetText(c));
    StartNew();
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
        m_set.SetText(it.key().constData(), it.value());
}

QString InventoryPartForm::MissingFields()
{
    using FormRules::IsUnchosen;
    QString lines;
    const QString stock = m_set.GetText("P_STOCK_NUMBER");
    if (IsNew() && !stock.isEmpty() && m_set.StockNumberExists())
        lines += QStringLiteral("- Stock Number (must be unique)\n");
    if (stock.isEmpty())
        lines += QStringLiteral("- Stock Number\n");
    if (IsUnchosen(m_set.GetText("V_MAKE")))
        lines += QStringLiteral("- Make\n");
    if (IsUnchosen(m_set.GetText("V_MODEL")))
        lines += QStringLiteral("- Model\n");
    if (m_set.GetText("V_YEAR").isEmpty())
        lines += QStringLiteral("- Year\n");
    // The condition box's "Other" and placeholders alike count as chosen only when real.
    if (IsUnchosen(m_set.GetText("P_TYPE")))
        lines += QStringLiteral("- Part type\n");
    if (IsUnchosen(m_set.GetText("P_CATEGORY")))
        lines += QStringLiteral("- Part category\n");
    if (IsUnchosen(m_set.GetText("P_NAME")))
        lines += QStringLiteral("- Part name\n");
    if (!(m_set.GetDouble("P_PRICE") > 0.0))
        lines += QStringLiteral("- Price (must be greater than zero)\n");
    return lines;
}

qint64 InventoryPartForm::Write(const QList<InvPicture> &pictures)
{
    return InventoryRecords::SavePart(m_set, pictures);
}

QString InventoryPartForm::BuyUrl(const QString &typed)
{
    return Utils::AddHttpPrefix(typed.trimmed());
}
