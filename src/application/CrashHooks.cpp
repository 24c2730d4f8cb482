#include "CrashHooks.h"

#include "CrashHandler.h"
#include "CrashReport.h"

#include "app/AppCore.h"
#include "app/CMailMsg.h"
#include "app/Constants.h"
#include "app/XSettings.h"
#include "app/ZipArchiveHelper.h"

#include <QDir>
#include <QFileInfo>

namespace {
class FilingGuard
{
public:
    explicit FilingGuard(std::atomic<bool> &flag) : m_flag(flag), m_owner(!flag.exchange(true)) {}
    ~FilingGuard()
    {
        if (m_owner)
            m_flag = false;
    }
    bool Owner() const { return m_owner; }

private:
    std::atomic<bool> &m_flag;
    bool m_owner;
};

// Only one report is ever pending: while one waits in "error.rpt" it is
// sent in place of the new one, and the new one is held back even when that
// send fails.
void SendOrKeep(CrashReport &report)
{
    CrashReport pending;
    if (pending.LoadSaved()) {
        pending.SendSaved();
        return;
    }
    // Nothing pending, or a damaged file that no send could ever clear.
    report.Save();
}
} // namespace

bool CrashHooks::IsRecentException()
{
    return CrashHandler::IsRecentException();
}

void CrashHooks::DisableExceptionRecording()
{
    CrashHandler::DisableExceptionRecording();
}

void CrashHooks::RecordException(uint32_t code, uint64_t address)
{
    CrashHandler::RecordException(code, address);
}

void CrashHooks::PrepareThread()
{
    CrashHandler::PrepareThread();
}

void CrashHooks::FileReportFromMessageBox(const QString &text)
{
    FilingGuard guard(m_filing);
    if (!guard.Owner())
        return;
    try {
        CrashReport report;
        report.Fill(false);
        report.SetErrorMessage(text);
        SendOrKeep(report);
    } catch (...) {
        // The member is about to see the box anyway; the report is best effort.
    }
}

void CrashHooks::OnUnhandledError()
{
    FilingGuard guard(m_filing);
    if (!guard.Owner())
        return;
    const QString caption = QStringLiteral("unexpected error");
    AppCore &app = theApp();
    try {
        CrashReport report;
        if (CrashHandler::IsRecentException()) {
            const CrashHandler::ExceptionRecord r = CrashHandler::LastException();
            const QString detail = CrashHandler::GetExceptionName(r.code) + u'\n' +
                                   CrashHandler::GetExceptionDescription(r.code) + QStringLiteral("\r\n");
            report.Fill(false);
            report.SetErrorMessage(caption + u' ' + detail);
            SendOrKeep(report);
            if (app.AskYesNo(detail + QStringLiteral("\r\nWould you like to generate an exception report?\r\n"),
                             caption, MsgBox::IconError)) {
                const QString dump = CrashHandler::WriteDumpNow();
                if (!dump.isEmpty() &&
                    app.AskYesNo(QStringLiteral("Exception report dump successfuly saved to file: \n\n %1\n \r\n\nWould "
                                                "you like to send it to developers team for the help to improve the "
                                                "next version of Korvant?")
                                     .arg(dump),
                                 caption, MsgBox::IconError)) {
                    const QString archive = ZipCrashDump(dump);
                    if (!archive.isEmpty())
                        MailCrashReport(archive);
                }
            }
            CrashHandler::EnableExceptionRecording();
        } else {
            report.Fill(true);
            SendOrKeep(report);
            app.ShowMessageBox(QStringLiteral("Unhandled error occured"), QStringLiteral("error"), MsgBox::IconError);
        }
    } catch (...) {
        app.WriteLog(QStringLiteral("crash report failed"), caption, 3);
    }
}

QString CrashHooks::ZipCrashDump(const QString &dumpPath)
{
    const QFileInfo info(dumpPath);
    const QString archive = info.path() + u'/' + info.completeBaseName() + QStringLiteral(".zip");
    try {
        ZipArchiveHelper zip;
        zip.SetText(QStringLiteral("Saving dump data..."));
        if (!zip.ZipFile(dumpPath, archive))
            return {};
    } catch (...) {
        theApp().ShowMessageBox(QStringLiteral("Can not backup database file."), QStringLiteral("Error"),
                                MsgBox::IconError);
        return {};
    }
    QFile::remove(dumpPath);
    return archive;
}

bool CrashHooks::MailCrashReport(const QString &archivePath)
{
    try {
        CMailMsg mail;
        mail.AddTo(QLatin1String(Korvant::CrashReportAddress), QStringLiteral("Developers"));
        // One line: a subject with line breaks could add headers of its own.
        mail.SetSubject(QStringLiteral("Exception report created by Korvant"));
        mail.SetBody(QStringLiteral("Enter your comments here, what did you do with Korvant before it crashed?"));
        mail.AddAttachment(archivePath, QStringLiteral("korvant_dmp.zip"));
        return mail.Send();
    } catch (...) {
        theApp().ShowMessageBox(QStringLiteral("Can't send dump-file."), QStringLiteral("Error"), MsgBox::IconError);
        return false;
    }
}

void CrashHooks::RemoveStaleArchives()
{
    const QString folder = CrashHandler::DumpFolder();
    if (folder.isEmpty())
        return;
    QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.zip")}, QDir::Files))
        dir.remove(name);
}
