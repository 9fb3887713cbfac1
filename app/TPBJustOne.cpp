#include "app/TPBJustOne.h"

#include "engine/FileError.h"
#include "engine/RuntimeFolder.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <sys/socket.h>
#include <unistd.h>

namespace larkspur {

namespace {

constexpr int kConnectTimeoutMs = 1000;
// One request a line.
const QByteArray kActivate = "activate";
const QByteArray kPushToTalkPress = "push-to-talk press";
const QByteArray kPushToTalkRelease = "push-to-talk release";

} // namespace

bool TPBJustOne::peerIsThisUser(qintptr descriptor)
{
    ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == ::geteuid();
}

TPBJustOne::TPBJustOne(const QString& identity, QObject* parent)
    : QObject(parent), m_name(serverName(identity))
{
}

TPBJustOne::~TPBJustOne() = default;

QString TPBJustOne::serverName(const QString& identity)
{
    QString key = identity;
    key.replace(QLatin1Char(' '), QLatin1Char('-'));
    // A folder only this user can enter: nobody else can listen at the name first.
    std::string dir;
    try {
        dir = privateRuntimeFolder();
    } catch (const EInOutError&) {
        return {};  // no private folder: no guard, which is better than no program
    }
    return QString::fromStdString(dir) + QStringLiteral("/%1-%2.instance").arg(key).arg(getuid());
}

bool TPBJustOne::claim()
{
    if (m_name.isEmpty())
        return true;
    if (askRunningInstance(kActivate))
        return false;
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A socket left by a process that crashed answers nobody: take it over.
        if (askRunningInstance(kActivate))
            return false;
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return true;  // no guard is better than no program
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &TPBJustOne::acceptConnections);
    return true;
}

bool TPBJustOne::askRunningInstance(const QByteArray& request)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    if (!peerIsThisUser(socket.socketDescriptor())) {
        // Another user's program answering at our name is not our instance.
        socket.abort();
        return false;
    }
    socket.write(request + '\n');
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

bool TPBJustOne::sendPushToTalk(bool down)
{
    return !m_name.isEmpty() && askRunningInstance(down ? kPushToTalkPress : kPushToTalkRelease);
}

void TPBJustOne::acceptConnections()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequest = [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine().trimmed();
                if (line == kActivate)
                    emit activationRequested();
                else if (line == kPushToTalkPress)
                    emit pushToTalkRequested(true);
                else if (line == kPushToTalkRelease)
                    emit pushToTalkRequested(false);
            }
            // Nobody sends a line this long; a peer that does is not heard any further.
            if (socket->bytesAvailable() > 256)
                socket->abort();
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequest);
        if (socket->bytesAvailable() > 0)
            readRequest();
    }
}

} // namespace larkspur
