#pragma once

#include "net/XRequest.h"

#include <QString>

#include <memory>

// One crash report: the last recorded failure as a "newCrashReport" request,
// kept in "error.rpt" in the data folder until the server has accepted it.
class CrashReport
{
public:
    CrashReport();

    // Fills code, address, time, passport id and version from the crash
    // handler's record; "U" marks a report made without a recent failure.
    bool Fill(bool unrecorded);
    void SetErrorMessage(const QString &text) { m_errorMessage = text; }
    // Reads "error.rpt" (the whole file) into this report.
    bool LoadSaved();
    // Sends the report kept in "error.rpt" and deletes the file once accepted.
    bool SendSaved();
    // Writes this report to "error.rpt" (atomically).
    bool Save();

    static QString GetErrorReportPath();
    // Prepares what a fatal signal writes into "error.rpt" (call again when
    // the passport id changes).
    static void UpdateSignalTemplate();

    QString Code() const { return m_code; }
    QString Address() const { return m_address; }
    QString Time() const { return m_time; }
    QString PassportId() const { return m_passportId; }
    QString Version() const { return m_version; }
    QString ErrorMessage() const { return m_errorMessage; }
    XRequest &Request() { return *m_request; }
    // The request document with this report's exception element.
    QByteArray DocumentText() const;

private:
    static QString ServerUrl(QString *passportFromSettings);
    void Rebuild();

    QString m_code;
    QString m_address;
    QString m_time;
    QString m_passportId;
    QString m_version;
    QString m_errorMessage;
    bool m_filled = false;
    std::unique_ptr<XRequest> m_request;
};
