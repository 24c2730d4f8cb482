#pragma once

// Helpers shared by the import tests (header only: every tst_*.cpp is its own program).

#include "TestApp.h"
#include "TestEnv.h"

#include "db/KVDatabase.h"
#include "import/ImportArray.h"

#include <QDir>
#include <QFile>
#include <QtTest/QtTest>

// A test application with a fresh database and an empty importer array.
inline TestApp::Options WithImportGlobals()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }},
               {GlobalSlot::ImportArray, [] { return std::make_unique<CImportArray>(); }}};
    return o;
}

inline void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QString FixturePath(const QString &name)
{
    return TestEnv::SourceDir() + QStringLiteral("/tests/fixtures/import/") + name;
}

// Column 0 of every row, joined by "|".
inline QString Column(const QString &sql, const QVariantList &args = {})
{
    SqlStatement &st = theDatabase().Connection().Prepare(sql);
    st.BindAll(args);
    QStringList out;
    while (st.Step())
        out << st.Value(0).toString();
    st.Reset();
    return out.join(u'|');
}

inline int CountRows(const QString &where = QString(), const QVariantList &args = {})
{
    return theDatabase().Connection()
        .Scalar(QStringLiteral("SELECT COUNT(*) FROM [Inventory] ") + where, args)
        .toInt();
}

inline QString ImportLog()
{
    return QString::fromUtf8(ReadBytes(theApp().GetDataFolder() + QStringLiteral("import.log")));
}
