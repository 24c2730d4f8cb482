#pragma once

// ITrackPro exports: full dumps (".full") replace every row imported from
// ITrackPro, incremental files (".in") insert, update and delete rows by
// action code. A file imported is renamed to ".out". SOURCE is "ITR_" + partnum.

#include "CKeyedImport.h"

#include "app/CSortStringArray.h"

#include <QThread>

#include <array>
#include <atomic>

class XITrackInvImport : public CKeyedImport
{
public:
    // The fields of an export line, in their default order.
    enum Field {
        FAction, FDate, FPartNum, FInterchangeNum, FCondition, FPart, FSuggestedPrice, FCore, FSide, FNotes, FMake,
        FModel, FYear, FBodyStyle, FVinNum, FQuantity, FieldCount
    };

    XITrackInvImport();
    ~XITrackInvImport() override;

    int ImportFromFile(const QString &path) override;
    QString GetFormatName() const override;
    QString GetFormatDescription() const override;
    QString GetHtmlDescription() const override;
    bool HasNewData() override;
    int ImportData() override;
    QString GetMonitorFolder() const override;
    QString GetFileDialogTitle() const override;
    QString GetFileDialogFilter() const override;

    // Lists the ".full" files, then those matching `pattern` ("*.in"), sorted
    // by path; throws FileException when the folder has no "itrack.flg".
    int ListNewFiles(const QString &folder, const QString &pattern);
    const CSortStringArray &Files() const { return m_files; }
    // Deletes the ITrackPro rows and imports the dump, in one transaction.
    int FullImportFromFile(const QString &path);
    int ImportNewITrackFiles();
    int RunNewFilesImport();
    void SetImportPath(const QString &path) { SetSourcePath(path); }

    // The importer's own threads (the schedule's ITrackPro runs): one import
    // of the new files, or that import followed by a watch of the export
    // folder while "AutoITPImport" is on. nullptr while one still runs.
    QThread *StartNewFilesImport();
    QThread *StartMonitorThread();
    // Stops either thread and returns once it has ended.
    void StopMonitorThread();
    bool IsOwnThreadRunning() const;

    // How long a file's size and time must stay unchanged before it is read.
    void SetSettleTime(int ms) { m_settleMs = ms; }
    // The name a processed file takes: its extension becomes ".out".
    static QString OutName(const QString &path);

protected:
    std::string_view KeyPrefix() const override { return "ITR_"; }
    QString ClearFailurePrefix() const override { return QStringLiteral("ClearITPInventory: "); }
    void ResetMap() override;
    Action Classify(const ImportText::FieldSplitter &fields, bool storedAny, std::string &why) override;
    int FieldsNeeded(Action action) const override;
    void AppendKey(const ImportText::FieldSplitter &fields, std::string &key) override;
    void Fill(const ImportText::FieldSplitter &fields, InvRow &row, bool inserting, QString &missing) override;

private:
    QThread *StartOwnThread(bool monitor);
    // One import of the new files under task 1, with the notices around it.
    void NewFilesRun();
    void MonitorRun();
    // Waits until the file stops changing; false when the run was cancelled first.
    bool WaitUntilSettled(const QString &path);
    // False (the map unchanged) when the line names no field.
    bool MapFrom(const ImportText::FieldSplitter &fields);

    std::array<int, FieldCount> m_pos{};
    int m_needed = FieldCount;
    bool m_fullDump = false;
    int m_settleMs = 2000;
    CSortStringArray m_files;
    std::atomic<bool> m_newRecords{false};
    std::atomic<bool> m_itpStop{false};
    std::unique_ptr<QThread> m_ownThread;
};
