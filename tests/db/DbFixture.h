#pragma once

// Helpers shared by the database tests (header only: every tst_*.cpp is its own program).

#include "TestApp.h"

#include "db/KVDatabase.h"

#include <QFile>

inline TestApp::Options WithDatabase()
{
    TestApp::Options o;
    o.extra = {{GlobalSlot::Database, [] { return std::make_unique<KVDatabase>(); }}};
    return o;
}

// Builds a file from an SQL script (an older database, a fixture).
inline void WriteDatabase(const QString &path, const QByteArray &script)
{
    SqlConnection c(path);
    c.ExecScript(script);
    c.Close();
}

inline QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool IsPrivate(const QString &path)
{
    const auto p = QFile::permissions(path);
    return p.testFlag(QFile::ReadOwner) && p.testFlag(QFile::WriteOwner) &&
           !(p & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther));
}
