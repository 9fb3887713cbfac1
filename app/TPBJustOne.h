#pragma once
// The single-instance guard. The first process of a user listens on a local
// socket in the user's runtime folder; a later one finds it listening, asks it
// to come to the front and ends. Nothing but the socket is touched, so a
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

    // The socket path for an identity: per user, in $XDG_RUNTIME_DIR when set.
    static QString serverName(const QString& identity);

signals:
    // A later process asked the running one to show itself.
    void activationRequested();

private:
    bool askRunningInstance();
    void acceptConnections();

    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace larkspur
