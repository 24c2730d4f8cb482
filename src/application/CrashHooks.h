#pragma once

#include "app/Interfaces.h"

#include <QString>

#include <atomic>

// What the log and the message boxes ask of the crash handler: reports filed
// from a box shown right after a failure, and the prompt after an unexpected
// failure that offers a dump for the developers.
class CrashHooks : public ICrashHooks
{
public:
    bool IsRecentException() override;
    void FileReportFromMessageBox(const QString &text) override;
    void DisableExceptionRecording() override;
    void OnUnhandledError() override;
    void RecordException(uint32_t code, uint64_t address) override;
    void PrepareThread() override;

    // Packs a dump next to itself as ".zip" and deletes the dump; the archive path or empty.
    static QString ZipCrashDump(const QString &dumpPath);
    // Hands the archive to the member's mail program. The archive stays: the
    // mail program reads it after we return.
    static bool MailCrashReport(const QString &archivePath);
    // Archives handed to the mail program by an earlier run.
    static void RemoveStaleArchives();

private:
    // Filing a report can itself fail and show a box; never recurse into it.
    std::atomic<bool> m_filing{false};
};
