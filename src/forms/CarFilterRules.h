#pragma once

// The rules of the car filter dialog without widgets: the year modes, the
// selection rule of its lists, and how a list's items and selection give the
// values written into the filter.

#include <QList>
#include <QString>
#include <QStringList>

namespace CarFilterRules {

enum YearMode { AnyYears, LatestModels, AntiqueModels, OtherYears };

struct YearBounds
{
    bool fromEnabled = false;
    QString from;
    bool toEnabled = false;
    QString to;
    bool operator==(const YearBounds &) const = default;
};
QStringList YearModeNames();
YearBounds BoundsOf(YearMode mode);
// The mode a filter read back shows for its years (one of them given).
YearMode ModeFor(const QString &from, const QString &to);

// One row of a list: its text, whether it can be chosen (a make's header in
// the models list cannot) and whether it is chosen.
struct Row
{
    QString text;
    bool selectable = true;
    bool selected = false;
};
// Item 0 is "-- Any --" (or all models). With more than one row chosen it
// gives way; with every other choosable row chosen it stands for them instead.
void ApplySelectionRule(QList<Row> &rows);
// The chosen texts, none when item 0 is chosen; headers never count.
QStringList Collect(const QList<Row> &rows);
// The chosen models in the make's section (from its header to the next one).
QStringList ModelsOf(const QList<Row> &rows, const QString &make);
QString HeaderOf(const QString &make);
bool IsHeader(const QString &text);

// Letters, digits, blanks and "-": any other character would break the filter's tokens.
bool IsZipCharacter(QChar c);
QString CleanZip(const QString &text);

} // namespace CarFilterRules
