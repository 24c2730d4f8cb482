#pragma once

#include <QString>
#include <QtTest/QtTest>

// Every test process runs in a private temporary home: settings, data and the
// autostart folder all point there, never at the real home.
namespace TestEnv {
void PrepareProcess();
// The process's temporary root (removed at exit).
QString Root();
// A fresh empty folder below the root.
QString NewFolder(const QString &prefix = QStringLiteral("t"));
// The source tree (for fixture files).
QString SourceDir();
} // namespace TestEnv

#define KORVANT_TEST_MAIN(TestObject) QTEST_MAIN_WRAPPER(TestObject, TestEnv::PrepareProcess(); QTEST_MAIN_SETUP())
