#include "app/TPBJustOne.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace larkspur {

namespace {

constexpr int kConnectTimeoutMs = 1000;
const QByteArray kActivate = "activate\n";

} // namespace

TPBJustOne::TPBJustOne(const QString& identity, QObject* parent)
    : QObject(parent), m_name(serverName(identity))
{
}

TPBJustOne::~TPBJustOne() = default;

QString TPBJustOne::serverName(const QString& identity)
{
    QString key = identity;
    key.replace(QLatin1Char(' '), QLatin1Char('-'));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    // Without a runtime folder the temp folder is shared, so the user id keeps
    // two users' instances apart.
    const QString dir = runtime.isEmpty() ? QDir::tempPath() : runtime;
    return dir + QStringLiteral("/%1-%2.instance").arg(key).arg(getuid());
}

bool TPBJustOne::claim()
{
    if (askRunningInstance())
        return false;
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A socket left by a process that crashed answers nobody: take it over.
        if (askRunningInstance())
            return false;
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return true;  // no guard is better than no program
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &TPBJustOne::acceptConnections);
    return true;
}

bool TPBJustOne::askRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kActivate);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

void TPBJustOne::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequest = [this, socket] {
            if (socket->readAll().contains(kActivate.trimmed()))
                emit activationRequested();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        if (socket->bytesAvailable() > 0)
            readRequest();
    }
}

} // namespace larkspur
