#pragma once
// The push-to-talk key of listening mode: the option "Push-to-talk key"
// (persisted with the other options), the key source that watches it on the
// desktop, the engine's gate, and the state shown in the status window and on
// the notification-area icon. Presses and releases come from the key source's
// own thread or from a later start of the program (`--push-to-talk`); both
// end up in keyEvent() on the window's thread.

#include "actions/PushToTalkKey.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QSystemTrayIcon;

namespace larkspur {

class TRecFrm;
class TVREngine32;

class PushToTalkControl : public QObject {
    Q_OBJECT
public:
    // Grabs a key on the desktop; nullptr and a one-line reason when it cannot.
    using KeySource = std::function<std::unique_ptr<PushToTalkKey>(const std::string& name, PushToTalkKey::Handler,
                                                                   std::string& error)>;

    PushToTalkControl(TVREngine32& engine, TRecFrm& statusWindow, QSystemTrayIcon& trayIcon,
                      std::function<bool()> statusWindowWanted, QObject* parent = nullptr);
    ~PushToTalkControl() override;

    // Where keys come from: the X11 grab in the program, scripted in tests;
    // none (the default) leaves presses to `--push-to-talk`. Grabs the current key again.
    void setKeySource(KeySource source);

    const QString& keyName() const { return m_keyName; }
    // Sets the key ("" clears it: listening hears every utterance again).
    // False, and nothing changes, when the name is not a key name.
    bool setKeyName(const QString& name);
    // Why the key is not watched on the desktop (taken, no display); empty when it is.
    const QString& problem() const { return m_problem; }

    // A press (true) or release; repeats of the same state change nothing.
    // Ignored while no key is set.
    void keyEvent(bool down);
    bool talking() const;

    // "Push-to-talk: hold F9" / "Push-to-talk: talking"; empty without a key.
    QString stateText() const;
    // Listening began: the status window says which key to hold.
    void listeningStarted();
    std::function<bool()> listening;  // true while listening mode runs

signals:
    void stateChanged();

private:
    void grab();
    void showState();

    TVREngine32& m_engine;
    TRecFrm& m_statusWindow;
    QSystemTrayIcon& m_trayIcon;
    std::function<bool()> m_statusWindowWanted;
    KeySource m_source;
    QString m_keyName;
    QString m_problem;
    QString m_idleToolTip;
    std::unique_ptr<PushToTalkKey> m_key;
};

} // namespace larkspur
