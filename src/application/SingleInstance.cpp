#include "SingleInstance.h"

#include "app/Constants.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

QString SingleInstance::DefaultName()
{
    return QStringLiteral("%1-%2").arg(QLatin1String(Korvant::SingleInstanceGuid)).arg(::getuid());
}

SingleInstance::SingleInstance(const QString &name, QObject *parent) : QObject(parent), m_name(name)
{
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
}

SingleInstance::~SingleInstance()
{
    Release();
}

bool SingleInstance::Acquire()
{
    {
        QLocalSocket socket;
        socket.connectToServer(m_name);
        if (socket.waitForConnected(1000)) {
            socket.write("show\n");
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return false;
        }
    }
    // Nobody answered: a socket left by a crashed run must not block us.
    QLocalServer::removeServer(m_name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    return m_server.listen(m_name);
}

void SingleInstance::Release()
{
    if (m_server.isListening())
        m_server.close();
}

void SingleInstance::OnConnection()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        auto read = [this, socket] {
            if (socket->canReadLine() && socket->readLine().startsWith("show"))
                emit ShowRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        read();
    }
}

namespace {

QString CanonicalFolder(const QString &folder)
{
    QDir().mkpath(folder);
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : canonical;
}

} // namespace

QString DataFolderLock::ChannelName(const QString &folder)
{
    const QByteArray hash =
        QCryptographicHash::hash(CanonicalFolder(folder).toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return SingleInstance::DefaultName() + u'-' + QString::fromLatin1(hash);
}

DataFolderLock::DataFolderLock(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(CanonicalFolder(folder)),
      m_lock(m_folder + u'/' + QLatin1String(LockFileName)), m_channel(ChannelName(folder))
{
    // Only a dead owner makes the lock stale, never its age: a client runs for days.
    m_lock.setStaleLockTime(0);
    connect(&m_channel, &SingleInstance::ShowRequested, this, &DataFolderLock::ShowRequested);
}

DataFolderLock::~DataFolderLock()
{
    m_channel.Release();
    if (m_lock.isLocked())
        m_lock.unlock();
}

DataFolderLock::Result DataFolderLock::Acquire()
{
    if (m_lock.tryLock(0)) {
        // The lock decides; the socket only carries the request to show.
        if (!m_channel.Acquire())
            m_channel.Release();
        return Result::Acquired;
    }
    // The owner may have taken the lock a moment ago and not be listening yet.
    QLocalSocket socket;
    for (int attempt = 0;; ++attempt) {
        socket.connectToServer(m_channel.Name());
        if (socket.waitForConnected(1000))
            break;
        if (attempt == 4)
            return Result::InUse;
        QThread::msleep(200);
    }
    socket.write("show\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return Result::Raised;
}
