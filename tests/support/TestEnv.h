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

// While it lives, no file of the process may grow beyond `bytes`: a write
// past it fails (EFBIG) as on a full disk, with no signal.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    unsigned long long m_saved;
};
} // namespace TestEnv

#define KORVANT_TEST_MAIN(TestObject) QTEST_MAIN_WRAPPER(TestObject, TestEnv::PrepareProcess(); QTEST_MAIN_SETUP())
