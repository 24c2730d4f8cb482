#include "CMailMsg.h"

#include "AppCore.h"

#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>

namespace {
QMutex g_programMutex;
QString g_program;

// The mail program stays open after xdg-email has handed the message over;
// waiting longer than this would only freeze the window.
constexpr int kWaitMs = 60000;

// An entry that the tool would read as one of its options is left out.
bool Usable(const QString &text)
{
    return !text.isEmpty() && !text.startsWith(u'-');
}
} // namespace

CMailMsg::CMailMsg() = default;

CMailMsg::~CMailMsg() = default;

void CMailMsg::SetProgram(const QString &program)
{
    QMutexLocker lock(&g_programMutex);
    g_program = program;
}

QString CMailMsg::Program()
{
    {
        QMutexLocker lock(&g_programMutex);
        if (!g_program.isEmpty())
            return g_program;
    }
    const QString fromEnv = qEnvironmentVariable("KORVANT_XDG_EMAIL");
    return fromEnv.isEmpty() ? QStringLiteral("xdg-email") : fromEnv;
}

QString CMailMsg::ResolvedProgram() const
{
    const QString program = Program();
    if (program.contains(u'/')) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

bool CMailMsg::LoadMapi()
{
    m_loaded = !ResolvedProgram().isEmpty();
    return m_loaded;
}

void CMailMsg::SetFrom(const QString &address, const QString &name)
{
    if (m_loaded || LoadMapi())
        m_from.insert(address, name);
}

void CMailMsg::AddTo(const QString &address, const QString &name)
{
    if (m_loaded || LoadMapi())
        m_to.insert(address, name);
}

void CMailMsg::AddCc(const QString &address, const QString &name)
{
    if (m_loaded || LoadMapi())
        m_cc.insert(address, name);
}

void CMailMsg::AddBcc(const QString &address, const QString &name)
{
    if (m_loaded || LoadMapi())
        m_bcc.insert(address, name);
}

void CMailMsg::AddAttachment(const QString &path, const QString &title)
{
    if (m_loaded || LoadMapi())
        m_attachments.insert(path, title);
}

QStringList CMailMsg::Arguments() const
{
    QStringList args{QStringLiteral("--utf8")};
    if (!m_subject.isEmpty())
        args << QStringLiteral("--subject") << m_subject;
    if (!m_body.isEmpty())
        args << QStringLiteral("--body") << m_body;
    for (auto it = m_cc.cbegin(); it != m_cc.cend(); ++it) {
        if (Usable(it.key()))
            args << QStringLiteral("--cc") << it.key();
    }
    for (auto it = m_bcc.cbegin(); it != m_bcc.cend(); ++it) {
        if (Usable(it.key()))
            args << QStringLiteral("--bcc") << it.key();
    }
    for (auto it = m_attachments.cbegin(); it != m_attachments.cend(); ++it) {
        if (!it.key().isEmpty())
            args << QStringLiteral("--attach") << QFileInfo(it.key()).absoluteFilePath();
    }
    for (auto it = m_to.cbegin(); it != m_to.cend(); ++it) {
        if (Usable(it.key()))
            args << it.key();
    }
    return args;
}

bool CMailMsg::Send()
{
    const QString program = ResolvedProgram();
    if (program.isEmpty()) {
        if (AppCore *app = theAppIfAny())
            app->WriteLog(QStringLiteral("mail tool not found: %1").arg(Program()), QStringLiteral("CMailMsg::Send"), 3);
        return false;
    }
    auto *process = new QProcess;
    process->setProgram(program);
    process->setArguments(Arguments());
    process->setStandardInputFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return false;
    }
    if (!process->waitForFinished(kWaitMs)) {
        // Still running: the mail program has the message. Let it go on and
        // clean up after it; destroying the process object would kill it.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return true;
    }
    const bool sent = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    delete process;
    return sent;
}
