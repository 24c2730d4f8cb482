#include "CarFilterRules.h"

#include <algorithm>

namespace CarFilterRules {

QStringList YearModeNames()
{
    return {QStringLiteral("Any"), QStringLiteral("Latest Models"), QStringLiteral("Antique Models"),
            QStringLiteral("Others")};
}

YearBounds BoundsOf(YearMode mode)
{
    switch (mode) {
    case LatestModels: return {true, QStringLiteral("1980"), false, QString()};
    case AntiqueModels: return {false, QString(), true, QStringLiteral("1970")};
    case OtherYears: return {true, QStringLiteral("1970"), true, QStringLiteral("2005")};
    case AnyYears: break;
    }
    return {};
}

YearMode ModeFor(const QString &from, const QString &to)
{
    if (from == u"1980" && to.isEmpty())
        return LatestModels;
    if (to == u"1970" && from.isEmpty())
        return AntiqueModels;
    return OtherYears;
}

void ApplySelectionRule(QList<Row> &rows)
{
    if (rows.isEmpty())
        return;
    int others = 0;
    int chosenOthers = 0;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        if (!rows[i].selectable)
            continue;
        ++others;
        chosenOthers += rows[i].selected ? 1 : 0;
    }
    if (others > 0 && chosenOthers == others) {
        rows[0].selected = true;
        for (qsizetype i = 1; i < rows.size(); ++i)
            rows[i].selected = false;
    } else if (rows[0].selected && chosenOthers > 0) {
        rows[0].selected = false;
    }
}

QStringList Collect(const QList<Row> &rows)
{
    QStringList values;
    if (rows.isEmpty() || rows[0].selected)
        return values;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        if (rows[i].selected && !IsHeader(rows[i].text))
            values << rows[i].text;
    }
    return values;
}

QString HeaderOf(const QString &make)
{
    return QStringLiteral("--- %1 ---").arg(make);
}

bool IsHeader(const QString &text)
{
    return text.contains(QLatin1String("---"));
}

QStringList ModelsOf(const QList<Row> &rows, const QString &make)
{
    QStringList models;
    if (rows.isEmpty() || rows[0].selected)
        return models;
    const QString header = HeaderOf(make);
    bool inside = false;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        if (IsHeader(rows[i].text)) {
            inside = rows[i].text == header;
            continue;
        }
        if (inside && rows[i].selected)
            models << rows[i].text;
    }
    return models;
}

bool IsZipCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u' ' || c == u'-';
}

QString CleanZip(const QString &text)
{
    QString zip;
    std::copy_if(text.begin(), text.end(), std::back_inserter(zip), IsZipCharacter);
    return zip.trimmed();
}

} // namespace CarFilterRules
