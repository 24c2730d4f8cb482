#include "SingleInstance.h"

#include "app/Constants.h"

#include <QLocalSocket>

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
