#pragma once

// Incoming queries for the filter-bar tests, the screenshot and the
// benchmark (header only), written with the real schema of the database.

#include "TestApp.h"

#include "db/KVDatabase.h"
#include "db/XBaseSet.h"

#include <QVariant>

inline TestApp::Options FilterOptions()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}};
    return o;
}

// One part query; a null QVariant writes NULL. Incoming, not archived and
// new unless told otherwise.
struct PartRow
{
    QString id;
    QString postDate;
    QVariant year{}, make{}, model{}, category{}, part{}, state{}, rating{};
    int incoming = 1;
    int archive = 0;
    int status = 0;
};

inline void AddPartQuery(const PartRow &r)
{
    theDatabase().Execute(
        "INSERT INTO Queries (ID, POST_DATE, V_YEAR, V_MAKE, V_MODEL, P_CATEGORY, P_NAME, C_STATE, QFY_LEVEL, "
        "IS_INCOMING, IS_ARCHIVE, STATUS_CODE) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {r.id, r.postDate, r.year, r.make, r.model, r.category, r.part, r.state, r.rating, r.incoming, r.archive,
         r.status});
}

struct CarRow
{
    QString id;
    QString postDate;
    QVariant minYear{}, maxYear{}, make{}, model{}, category{}, state{}, rating{};
    int incoming = 1;
    int archive = 0;
    int status = 0;
};

inline void AddCarQuery(const CarRow &r)
{
    theDatabase().Execute(
        "INSERT INTO Queries_Cars (ID, POST_DATE, MIN_YEAR, MAX_YEAR, MAKE, MODEL, CATEGORY, C_STATE, QFY_LEVEL, "
        "IS_INCOMING, IS_ARCHIVE, STATUS_CODE) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {r.id, r.postDate, r.minYear, r.maxYear, r.make, r.model, r.category, r.state, r.rating, r.incoming,
         r.archive, r.status});
}

// A few leads of each market as a seller sees them after some polls.
inline void AddSampleQueries()
{
    AddPartQuery({"Q1", "2008-05-17 09:12:00", "2004", "Ford", "Focus", "Body", "Door", "OH", "3"});
    AddPartQuery({"Q2", "2008-05-17 00:00:00", "2009", "Ford", "Fusion", "Engine", "Alternator", "TX", QVariant()});
    AddPartQuery({"Q3", "2008-05-03 14:40:10", "2006", "O'Neil", "Roadster", "Body", "Hood", "OH", ""});
    AddPartQuery({"Q4", "2008-04-28 18:02:55", "2001", "Toyota", "Camry", "Lighting", "Headlamp", "CA", "5"});
    AddPartQuery({"Q5", "2008-05-10 11:00:00", "1998", "Honda", "Civic", "Body", "Fender", "WA", "3", 1, 0, 1});
    // Outside the incoming leads: never listed.
    AddPartQuery({"Q6", "2008-06-01 10:00:00", "1977", "Archived", "X", "Y", "Z", "AK", "1", 1, 1, 0});
    AddPartQuery({"Q7", "2008-06-02 10:00:00", "1978", "Outgoing", "X", "Y", "Z", "AL", "1", 0, 0, 0});
    AddPartQuery({"Q8", "2008-06-03 10:00:00", "1979", "Replied", "X", "Y", "Z", "AZ", "1", 1, 0, 2});

    AddCarQuery({"C1", "2008-05-17 08:00:00", "2001", "2005", "Ford", "Mustang", "Coupe", "OH", "4"});
    AddCarQuery({"C2", "2008-05-11 16:30:00", "2003", "2008", "Honda", "Accord", "Sedan", "TX", QVariant()});
    AddCarQuery({"C3", "2008-05-09 12:00:00", "1999", QVariant(), QVariant(), QVariant(), "SUV", "CA", "2"});
}

// The ids of the part queries a filter lets through, in id order.
inline QStringList MatchingIds(const QString &table, const SqlExpr &filter)
{
    SqlStatement &s = theDatabase().Connection().Prepare("SELECT ID FROM " + table + " WHERE " + filter.text +
                                                         " ORDER BY ID");
    s.BindAll(filter.args);
    QStringList ids;
    while (s.Step())
        ids << s.Text(0);
    s.Reset();
    return ids;
}
