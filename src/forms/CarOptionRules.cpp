#include "CarOptionRules.h"

namespace CarOptionRules {

const QList<OptionBox> &OptionBoxes()
{
    static const QList<OptionBox> boxes = {
        {"ac_front", "A/C: Front", "Comfort"},
        {"ac_rear", "A/C: Rear", "Comfort"},
        {"cr_control", "Cruise Control", "Comfort"},
        {"nav_system", "Navigation System", "Comfort"},
        {"power_locks", "Power Locks", "Comfort"},
        {"power_steerin", "Power Steering", "Comfort"},
        {"rem_keyless_ent", "Remote Keyless Entry", "Comfort"},
        {"tv_vcr", "TV / VCR", "Comfort"},
        {"airbag_dr", "Airbag: Driver", "Safety"},
        {"airbag_pr", "Airbag: Passenger", "Safety"},
        {"airbag_side", "Airbag: Side", "Safety"},
        {"alarm", "Alarm", "Safety"},
        {"al_brakers", "Anti-Lock Brakes", "Safety"},
        {"fog_lights", "Fog Lights", "Safety"},
        {"pow_windows", "Power Windows", "Windows"},
        {"rear_wnd_wpr", "Rear Window Wiper", "Windows"},
        {"rear_wnd_defr", "Rear Window Defroster", "Windows"},
        {"trinted_glass", "Tinted Glass", "Windows"},
        {"bucket_seats", "Bucket Seats", "Seats"},
        {"leather_inter", "Leather Interior", "Seats"},
        {"memory_seats", "Memory Seats", "Seats"},
        {"power_seats", "Power Seats", "Seats"},
        {"cass_radio", "Cassette Radio", "Sound System"},
        {"cd_changer", "CD Changer", "Sound System"},
        {"cd_player", "CD Player", "Sound System"},
        {"premium_sound", "Premium Sound", "Sound System"},
        {"alloy_wheels", "Alloy Wheels", "Other"},
        {"soonroof_moonroof", "Sunroof/Moonroof", "Other"},
        {"third_row_seats", "Third Row Seats", "Seats"},
        {"tow_package", "Tow Package", "Other"},
    };
    return boxes;
}

QStringList OptionKeys()
{
    QStringList keys;
    for (const OptionBox &box : OptionBoxes())
        keys << QLatin1String(box.key);
    return keys;
}

bool HasKey(const QString &list, const QString &key)
{
    return list.contains(key);
}

QList<bool> Show(const QString &list, const QStringList &keys)
{
    QList<bool> checked;
    for (const QString &key : keys)
        checked << HasKey(list, key);
    return checked;
}

QString Take(const QString &list, const QStringList &keys, const QList<bool> &checked)
{
    QStringList items = list.isEmpty() ? QStringList() : list.split(u',');
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (!checked.value(i))
            items.removeAll(keys[i]);
    }
    QString text = items.join(u',');
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (checked.value(i) && !HasKey(text, keys[i]))
            text += text.isEmpty() ? keys[i] : u',' + keys[i];
    }
    return text;
}

QStringList DamageKeys()
{
    return {QStringLiteral("key"), QStringLiteral("start"), QStringLiteral("run")};
}

QList<bool> ShowDamage(const QString &options, bool newRecord)
{
    QList<bool> yes = Show(options, DamageKeys());
    if (newRecord)
        yes.fill(true);
    return yes;
}

namespace {
bool IsUnchosen(const QString &text)
{
    return text.isEmpty() || text.startsWith(u'-');
}
} // namespace

QString TradeInMissing(const TradeIn &t)
{
    QString lines;
    if (IsUnchosen(t.make))
        lines += QStringLiteral(" - Make must be selected\n");
    if (IsUnchosen(t.model))
        lines += QStringLiteral(" - Model must be selected or entered\n");
    return lines;
}

QString TradeInSummary(const TradeIn &t)
{
    QString text = QStringLiteral("%1 %2 %3 ").arg(t.year, t.make, t.model);
    if (!t.subModel.isEmpty())
        text += t.subModel;
    const std::pair<const char *, const QString *> values[] = {
        {"Mileage", &t.mileage},        {"Condition", &t.condition},       {"Body Style", &t.bodyStyle},
        {"Doors", &t.doors},            {"Ext Color", &t.extColor},        {"Int Color", &t.intColor},
        {"Transmission", &t.transmission}, {"Drive Train", &t.driveTrain}, {"Engine Type", &t.engineType},
        {"Notes", &t.notes},
    };
    for (const auto &[label, value] : values) {
        if (!value->isEmpty())
            text += QStringLiteral(", %1: %2").arg(QLatin1String(label), *value);
    }
    return text;
}

} // namespace CarOptionRules
