#pragma once

// The parts speciality as the specialty wizard edits it: plain selections,
// written to and read from the filter language of FilterExpr.

#include "FilterExpr.h"

#include <QString>
#include <QStringList>

#include <vector>

struct PartFilter
{
    QStringList businessTypes;
    QStringList states;
    QStringList conditions;
    QStringList categories;
    std::vector<CarFilter::Make> makes;   // a make without models: all its models
    int yearFrom = 0;                     // 0: none; -1: the current year
    int yearTill = 0;
    QString rating;                       // ">N" read from "@bi_qualification"; never written
    bool receiveNothing = false;          // "Do not receive any query"

    bool operator==(const PartFilter &) const = default;

    // The text sent to the server; -1 years stand for currentYear. Values that
    // cannot stand as one token are left out with a log line.
    QString ToText(int currentYear) const;
    // Reads any text: unknown fields and stray tokens are skipped.
    static PartFilter FromText(const QString &text);
};
