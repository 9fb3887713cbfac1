#pragma once
// The single-instance guard. The first process of a user listens on a local
// socket in the user's runtime folder; a later one finds it listening, asks it
// to come to the front and ends. A listener of another user is ignored. Nothing but the socket is touched, so a
// second process leaves every file of the running one alone.

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

namespace larkspur {

class TPBJustOne : public QObject {
    Q_OBJECT
public:
    // identity: what both processes agree on, normally the application title.
    explicit TPBJustOne(const QString& identity, QObject* parent = nullptr);
    ~TPBJustOne() override;

    // True when this process is the only one. Otherwise the running process
    // has been asked to come to the front and this one should end at once.
    bool claim();

    // The socket path for an identity: per user, in $XDG_RUNTIME_DIR when set,
    // else in this user's private folder in the temp folder. Empty when no
    // private folder can be made.
    static QString serverName(const QString& identity);
    // True when the process at the other end of a connected local socket runs
    // as this user.
    static bool peerIsThisUser(qintptr descriptor);

    // Hands the running process a press or release of the push-to-talk key
    // (`larkspur --push-to-talk press|release`). False when none is running.
    bool sendPushToTalk(bool down);

signals:
    // A later process asked the running one to show itself.
    void activationRequested();
    // A later process passed on a press (true) or release of the push-to-talk key.
    void pushToTalkRequested(bool down);

private:
    bool askRunningInstance(const QByteArray& request);
    void acceptConnections();

    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace larkspur
