#pragma once

// The rules of the car option pages, without widgets: the thirty option keys
// and their boxes, how a stored key list shows as boxes and how boxes go back
// into it, the key/start/run questions, and the trade-in summary.

#include <QList>
#include <QString>
#include <QStringList>

namespace CarOptionRules {

struct OptionBox
{
    const char *key;      // stored and sent exactly so
    const char *caption;
    const char *group;
};

// In the order of exchange.
const QList<OptionBox> &OptionBoxes();
QStringList OptionKeys();

// A key counts as present when it occurs anywhere in the list text.
bool HasKey(const QString &list, const QString &key);
QList<bool> Show(const QString &list, const QStringList &keys);
// Checked keys not yet present are appended ("," between keys); an unchecked
// key is taken out where it stands as an item of its own; keys this version
// does not know stay as they are.
QString Take(const QString &list, const QStringList &keys, const QList<bool> &checked);

// The damage questions "key", "start", "run": a new record says "Yes" to all.
QStringList DamageKeys();
QList<bool> ShowDamage(const QString &options, bool newRecord);

struct TradeIn
{
    QString year, make, model, subModel, mileage, condition, bodyStyle, doors, extColor, intColor, transmission,
        driveTrain, engineType, engineSize, engineUnit, notes;
};
// " - Make must be selected\n" and the model's line; empty when complete.
QString TradeInMissing(const TradeIn &t);
// "year make model [sub-model]" then ", Label: value" for each given value.
QString TradeInSummary(const TradeIn &t);

} // namespace CarOptionRules
