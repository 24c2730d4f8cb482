#include "AppCore.h"
#include "LogLimit.h"

#include "Constants.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Leading signed decimal number of a text, 0 when there is none.
int LeadingInt(const QString &text)
{
    qint64 value = 0;
    int i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > 2147483648LL)
            value = 2147483648LL;
    }
    if (negative)
        value = -value;
    return static_cast<int>(qBound<qint64>(qint64(INT_MIN), value, qint64(INT_MAX)));
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

AppCore &theApp()
{
    return Globals::Require<AppCore>(GlobalSlot::App, "theApp");
}

AppCore *theAppIfAny()
{
    return Globals::As<AppCore>(GlobalSlot::App);
}

AppCore::AppCore() = default;

AppCore::~AppCore()
{
    m_dispatcher.Shutdown();
}

// --- command line ------------------------------------------------------------

void AppCore::ParseCommandLine(const QStringList &arguments)
{
    m_rawArguments = arguments.mid(1);
    ParseCommandLine(m_rawArguments.join(u' '));
}

void AppCore::ParseCommandLine(const QString &commandLine)
{
    const QString line = commandLine.trimmed();
    if (line.isEmpty())
        return;

    bool inName = false;
    bool inValue = false;
    QString name;
    QString value;

    auto apply = [&] {
        if (name == u"url") {
            m_serverUrl = value;
        } else if (name == u"dbpath") {
            m_dbPath = value;
            QMutexLocker lock(&m_folderMutex);
            m_dataFolder.clear();
        } else if (name == u"features") {
            m_features = value;
            if (value.contains(u"payment"))
                m_payment = true;
            if (value.contains(u"ext_profile"))
                m_extProfile = true;
            if (value.contains(u"marketplaces"))
                m_marketplaces = true;
        } else if (name == u"level") {
            m_logLevel.store(LeadingInt(value));
        }
        inName = inValue = false;
        name.clear();
        value.clear();
    };

    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        const bool last = i == line.size() - 1;
        if (c == u'-' && !inName && !inValue) {
            inName = true;
            name.clear();
            value.clear();
        } else if (IsBlank(c)) {
            if (inName) {
                inName = false;
                inValue = true;
                while (i + 1 < line.size() && IsBlank(line[i + 1]))
                    ++i;
            } else if (inValue) {
                apply();
            }
        } else if (inName) {
            name += c;
        } else if (inValue) {
            value += c;
            if (last)
                apply();
        }
    }

    if (!m_override)
        m_override = !m_serverUrl.isEmpty() || !m_dbPath.isEmpty() || !m_features.isEmpty();
}

// --- log ---------------------------------------------------------------------

QString AppCore::FormatLogLine(const QString &timeStamp, const QString &context, const QString &message)
{
    return QStringLiteral("** %1 %2 %3 \n").arg(timeStamp, context, message);
}

namespace {
std::atomic<qint64> g_logLimit{LogLimit::DefaultBytes};
} // namespace

void LogLimit::Set(qint64 bytes)
{
    g_logLimit.store(bytes);
}

qint64 LogLimit::Get()
{
    return g_logLimit.load();
}

bool AppCore::AppendLine(const QString &path, const QString &line)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = line.toUtf8();
    const bool ok = file.write(bytes) == bytes.size();
    const qint64 size = file.size();
    file.close();
    const qint64 limit = LogLimit::Get();
    if (ok && limit > 0 && size > limit) {
        // Under the log lock: no line goes to a file being renamed.
        const QString previous = LogLimit::PreviousPath(path);
        QFile::remove(previous);
        QFile::rename(path, previous);
    }
    return ok && file.error() == QFileDevice::NoError;
}

void AppCore::WriteLog(const QString &message, const QString &context, int level)
{
    WriteLogTo(QString::fromLatin1(Korvant::LogFileName), message, context, level);
}

void AppCore::WriteLogTo(const QString &fileName, const QString &message, const QString &context, int level)
{
    bool failed = false;
    {
        std::lock_guard lock(m_logLock);
        if (level > m_logLevel.load())
            return;
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        failed = !AppendLine(GetDataFolder() + fileName, FormatLogLine(stamp, context, message));
    }
    // The member is told outside the lock, once per run: a box must never
    // wait while every other thread's log line waits behind it.
    if (failed && !m_logFailureShown.exchange(true)) {
        if (m_crash)
            m_crash->DisableExceptionRecording();
        ShowDebugMessage(QStringLiteral("Writting log file error"), QStringLiteral("Error"), level);
        OnUnhandledError();
    }
}

// --- message boxes -------------------------------------------------------------

template<class R>
R AppCore::OnMainThread(std::function<R()> fn, R cancelAnswer)
{
    return m_dispatcher.Call<R>(std::move(fn), cancelAnswer);
}

void AppCore::TraceBox(const QString &title, const QString &text)
{
    WriteLog(title + QStringLiteral(": ") + text, QStringLiteral("Box"), 5);
}

int AppCore::ShowMessageBox(const QString &text, const QString &caption, unsigned flags)
{
    if (m_crash && m_crash->IsRecentException())
        m_crash->FileReportFromMessageBox(text);
    IDialogs *dialogs = m_dialogs;
    if (!dialogs) {
        WriteLog(text, caption, 3);
        return MsgBox::IdCancel;
    }
    TraceBox(caption, text);
    return OnMainThread<int>([=] { return dialogs->MessageBox(text, caption, flags); }, MsgBox::IdCancel);
}

void AppCore::ShowDebugMessage(const QString &text, const QString &caption, int level)
{
    if (level >= m_logLevel.load())
        return;
    if (IDialogs *dialogs = m_dialogs)
        OnMainThread<int>([=] { return dialogs->MessageBox(text, caption, MsgBox::Ok); }, MsgBox::IdCancel);
}

bool AppCore::AskYesNo(const QString &text, const QString &caption, unsigned flags)
{
    IDialogs *dialogs = m_dialogs;
    if (!dialogs)
        return false;
    TraceBox(caption, text);
    const unsigned yesNo = (flags & ~0xFu) | MsgBox::YesNo;
    return OnMainThread<int>([=] { return dialogs->MessageBox(text, caption, yesNo); },
                             MsgBox::IdNo) == MsgBox::IdYes;
}

int AppCore::ShowMessageDlg(const QString &text, const QString &detail, int *flag, int mode, int icon)
{
    IDialogs *dialogs = m_dialogs;
    if (!dialogs)
        return MsgBox::IdCancel;
    TraceBox(text, detail);
    return OnMainThread<int>([=] { return dialogs->MessageDlg(text, detail, flag, mode, icon); }, MsgBox::IdCancel);
}

int AppCore::ShowMessageDlg2(const QString &text, const QString &detail, int *flag, int mode, int icon)
{
    IDialogs *dialogs = m_dialogs;
    if (!dialogs)
        return 2;
    TraceBox(text, detail);
    // Closing the box counts as "Ignore" (2).
    return OnMainThread<int>([=] { return dialogs->MessageDlg2(text, detail, flag, mode, icon); }, 2);
}

int AppCore::ShowLinkMessageDlg(const LinkBoxRequest &request)
{
    IDialogs *dialogs = m_dialogs;
    if (!dialogs)
        return 0;
    TraceBox(QString(), request.text);
    return OnMainThread<int>([=] { return dialogs->LinkMessageDlg(request); }, 0);
}

int AppCore::ShowSubscribeMsgDlg(const QString &notice, bool disableBuyPasses)
{
    // Without an answer the member stays a visitor (2), never subscribes.
    IDialogs *dialogs = m_dialogs;
    if (!dialogs)
        return 2;
    TraceBox(QString(), notice);
    return OnMainThread<int>([=] { return dialogs->SubscribeMsgDlg(notice, disableBuyPasses); }, 2);
}

QString AppCore::AskOpenFileName(const QString &title, const QString &filter, const QString &file)
{
    IDialogs *dialogs = m_dialogs;
    if (!dialogs)
        return {};
    return OnMainThread<QString>([=] { return dialogs->GetOpenFileName(title, filter, file); }, QString());
}

QString AppCore::AskSaveFileName(const QString &title, const QString &filter, const QString &defaultExt,
                                 const QString &file)
{
    IDialogs *dialogs = m_dialogs;
    if (!dialogs)
        return {};
    return OnMainThread<QString>([=] { return dialogs->GetSaveFileName(title, filter, defaultExt, file); },
                                 QString());
}

void AppCore::RecordFailure(uint32_t code)
{
    if (m_crash)
        m_crash->RecordException(code, 0);
}

void AppCore::PrepareWorkerThread()
{
    if (AppCore *app = theAppIfAny()) {
        if (ICrashHooks *crash = app->CrashHooks())
            crash->PrepareThread();
    }
}

void AppCore::OnUnhandledError()
{
    if (m_crash) {
        m_crash->OnUnhandledError();
        return;
    }
    if (IDialogs *dialogs = m_dialogs) {
        OnMainThread<int>(
            [=] {
                return dialogs->MessageBox(QStringLiteral("Unhandled error occured"),
                                           QStringLiteral("unexpected error"), MsgBox::IconError);
            },
            MsgBox::IdCancel);
    }
}

// --- session -----------------------------------------------------------------------

bool AppCore::DoLogin()
{
    ILoginHook *hook = m_login;
    return hook ? hook->DoLogin() : false;
}

bool AppCore::EnsureLoggedIn()
{
    if (!m_session.IsLoggedIn())
        DoLogin();
    return m_session.IsLoggedIn();
}

void AppCore::SetStatusText(const QString &text)
{
    if (!MainWindowFlag())
        return;
    if (IMainFrame *frame = Frame())
        frame->SetStatusText(text);
}

// --- folders ---------------------------------------------------------------------------

QString AppCore::GetModuleFilePath() const
{
    return QCoreApplication::applicationFilePath();
}

QString AppCore::GetModuleFolder() const
{
    QString folder = m_moduleFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_moduleFolder;
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

void AppCore::SetModuleFolder(const QString &folder)
{
    m_moduleFolder = folder;
}

namespace {
// One level, private to the user; a missing parent is not created.
void MakePrivateFolder(const QString &path)
{
    QDir dir;
    if (!dir.exists(path) && dir.mkdir(path))
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
} // namespace

QString AppCore::GetDataFolder()
{
    QMutexLocker lock(&m_folderMutex);
    if (!m_dataFolder.isEmpty())
        return m_dataFolder;

    QString folder;
    if (m_dbPath.isEmpty()) {
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        if (base.isEmpty()) {
            folder = GetModuleFolder() + QLatin1String(Korvant::DataFolderName);
        } else {
            QDir().mkpath(base);
            const QString appFolder = base + u'/' + QLatin1String(Korvant::AppName) + u'/';
            MakePrivateFolder(appFolder);
            folder = appFolder + QLatin1String(Korvant::DataFolderName);
        }
    } else if (m_dbPath.startsWith(u'/') || m_dbPath.contains(u":\\") || m_dbPath.contains(u":/")) {
        folder = m_dbPath;
    } else {
        folder = GetModuleFolder() + m_dbPath;
    }
    MakePrivateFolder(folder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    m_dataFolder = folder;
    return folder;
}

QString AppCore::GetRefFolder() const
{
    const QString folder = GetModuleFolder() + QLatin1String(Korvant::RefFolderName);
    QDir().mkdir(folder);
    return folder;
}

QString AppCore::GetXslFolder() const
{
    return GetModuleFolder() + QLatin1String(Korvant::XslFolderName);
}

QString AppCore::GetDocFolder() const
{
    return GetModuleFolder() + QLatin1String(Korvant::DocFolderName);
}

bool AppCore::DirectoryExists(const QString &path)
{
    return QFileInfo(path).isDir();
}

QString AppCore::StartupShortcutPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/") +
           QLatin1String(Korvant::AppName) + QStringLiteral(".desktop");
}

bool AppCore::CreateStartupShortcut() const
{
    const QString path = StartupShortcutPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    auto quoted = [](QString s) {
        s.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
        return u'"' + s + u'"';
    };
    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nPath=%3\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(QLatin1String(Korvant::AppName), quoted(GetModuleFilePath()), GetModuleFolder());
    file.write(entry.toUtf8());
    return file.commit();
}

bool AppCore::DeleteStartupShortcut() const
{
    return QFile::remove(StartupShortcutPath());
}
