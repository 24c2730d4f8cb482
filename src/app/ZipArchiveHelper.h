#pragma once

#include "Interfaces.h"

#include <QString>

#include <memory>

// Packs one file into a zip archive and unpacks it again (database backups,
// crash dumps), with the progress dialog and its Cancel button when the
// dialogs are installed. Failures the member should see are shown in boxes and
// reported as false; a source or target that cannot be opened, or an archive
// that cannot be created, throws FileException, and memory exhaustion
// std::bad_alloc.
class ZipArchiveHelper
{
public:
    static constexpr int BlockSize = 16384;

    ZipArchiveHelper();
    virtual ~ZipArchiveHelper();
    ZipArchiveHelper(const ZipArchiveHelper &) = delete;
    ZipArchiveHelper &operator=(const ZipArchiveHelper &) = delete;

    // The status text of the progress dialog ("Saving dump data...").
    void SetText(const QString &text) { m_text = text; }
    QString Text() const { return m_text; }

    // A new archive (mode 0600) holding the source as its one entry, deflated at
    // level 9 and named by the source's file name. On failure or a confirmed
    // cancel the archive is deleted.
    bool ZipFile(const QString &sourcePath, const QString &archivePath);
    // Writes the archive's first entry to the target (mode 0600). A file that
    // does not start with a zip signature (an unzipped backup) is copied
    // instead. A damaged archive, a failed read or a CRC mismatch is false, and
    // the damaged output is removed; after a confirmed cancel the partial target
    // stays.
    bool UnzipFile(const QString &archivePath, const QString &targetPath);

private:
    IProgress *Progress();
    void StartProgress(qint64 size);
    void StepProgress();
    bool CancelConfirmed();
    void ShowError(const QString &text);

    QString m_text;
    std::unique_ptr<IProgress> m_progress;
    bool m_progressTried = false;
};
