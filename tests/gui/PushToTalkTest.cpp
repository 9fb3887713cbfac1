// The push-to-talk key in the window: the option and its dialog, the key
// source's thread reaching the engine's gate, and what the status window and
// the tray icon say.

#include "ShellRig.h"

#include "app/PushToTalkControl.h"
#include "app/TPushToTalkFrm.h"
#include "app/TRecFrm.h"
#include "engine/TVREngine32.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include <thread>

using namespace larkspur;
using namespace larkspur::test;

namespace {

// Stands in for the desktop's key grab: remembers the reader's handler so the
// test can press from a thread of its own, and which keys were grabbed.
struct ScriptedKeys {
    class Key : public PushToTalkKey {
    public:
        Key(std::string name, ScriptedKeys& owner) : m_name(std::move(name)), m_owner(owner) {}
        ~Key() override { m_owner.released.push_back(m_name); }
        const std::string& keyName() const override { return m_name; }

    private:
        std::string m_name;
        ScriptedKeys& m_owner;
    };

    PushToTalkControl::KeySource source()
    {
        return [this](const std::string& name, PushToTalkKey::Handler h, std::string& error) -> std::unique_ptr<PushToTalkKey> {
            grabbed.push_back(name);
            if (!refusal.empty()) {
                error = refusal;
                return nullptr;
            }
            handler = std::move(h);
            return std::make_unique<Key>(name, *this);
        };
    }
    // The key moves on another thread, as the X11 reader's does.
    void fromThread(bool down)
    {
        std::thread([this, down] { handler(down); }).join();
    }

    std::vector<std::string> grabbed;
    std::vector<std::string> released;
    std::string refusal;
    PushToTalkKey::Handler handler;
};

QString statusText(TMainFrm& window)
{
    return window.statusWindow().Label1()->text();
}

QString trayHint(TMainFrm& window)
{
    return window.findChild<QSystemTrayIcon*>(QStringLiteral("TrayIcon1"))->toolTip();
}

} // namespace

class PushToTalkTest : public QObject {
    Q_OBJECT

private slots:
    void keyIsKeptWithTheOtherOptionsAndSwitchesTheGate()
    {
        ShellRig rig;
        auto window = rig.create();
        PushToTalkControl& control = window->pushToTalk();
        const PushToTalkGate& gate = window->engine().PushToTalk();
        QCOMPARE(control.keyName(), QString());
        QVERIFY(!gate.enabled());
        QCOMPARE(trayHint(*window), QStringLiteral("Right Mouse Click For Options"));

        QVERIFY(control.setKeyName(QStringLiteral(" F9 ")));
        QCOMPARE(control.keyName(), QStringLiteral("F9"));
        QVERIFY(gate.enabled());
        QCOMPARE(trayHint(*window), QStringLiteral("Push-to-talk: hold F9"));
        // A name that is no key changes nothing.
        QVERIFY(!control.setKeyName(QStringLiteral("Eff Nine")));
        QCOMPARE(control.keyName(), QStringLiteral("F9"));
        window.reset();

        window = rig.create();
        QCOMPARE(window->pushToTalk().keyName(), QStringLiteral("F9"));
        QVERIFY(window->engine().PushToTalk().enabled());
        // Cleared: listening hears everything again, also after the next start.
        QVERIFY(window->pushToTalk().setKeyName(QString()));
        QVERIFY(!window->engine().PushToTalk().enabled());
        QCOMPARE(trayHint(*window), QStringLiteral("Right Mouse Click For Options"));
        window.reset();
        window = rig.create();
        QCOMPARE(window->pushToTalk().keyName(), QString());
        QVERIFY(!window->engine().PushToTalk().enabled());
    }

    void keyFromAnotherThreadReachesGateStatusWindowAndTray()
    {
        ShellRig rig;
        ScriptedKeys keys;  // outlives the window, which lets go of its key last
        auto window = rig.create();
        PushToTalkControl& control = window->pushToTalk();
        control.setKeySource(keys.source());
        QVERIFY(keys.grabbed.empty());  // no key set, nothing grabbed
        QVERIFY(control.setKeyName(QStringLiteral("Pause")));
        QCOMPARE(keys.grabbed, std::vector<std::string>{"Pause"});
        control.listening = [] { return true; };
        QSignalSpy changes(&control, &PushToTalkControl::stateChanged);

        keys.fromThread(true);
        keys.fromThread(true);  // a repeat of the held key
        QTRY_VERIFY(control.talking());
        QTest::qWait(50);
        QCOMPARE(changes.count(), 1);
        QVERIFY(window->engine().PushToTalk().held());
        QVERIFY(window->statusWindow().isVisible());
        QCOMPARE(statusText(*window), QStringLiteral(" Push-to-talk: talking "));
        QVERIFY(!window->statusWindow().Timer1()->isActive());  // stays while the key is down
        QCOMPARE(trayHint(*window), QStringLiteral("Push-to-talk: talking"));

        keys.fromThread(false);
        QTRY_VERIFY(!control.talking());
        QVERIFY(!window->engine().PushToTalk().held());
        QCOMPARE(statusText(*window), QStringLiteral(" Push-to-talk: hold Pause "));
        QVERIFY(window->statusWindow().Timer1()->isActive());
        QCOMPARE(trayHint(*window), QStringLiteral("Push-to-talk: hold Pause"));

        // Another key: the old grab is let go, and a hold of it does not carry over.
        keys.fromThread(true);
        QTRY_VERIFY(control.talking());
        QVERIFY(control.setKeyName(QStringLiteral("F9")));
        QCOMPARE(keys.released, std::vector<std::string>{"Pause"});
        QCOMPARE(keys.grabbed.back(), std::string("F9"));
        QVERIFY(!control.talking());
    }

    void aKeyThatCannotBeGrabbedIsSaidAndTheCommandLineStillWorks()
    {
        ShellRig rig;
        ScriptedKeys keys;  // outlives the window, which lets go of its key last
        auto window = rig.create();
        PushToTalkControl& control = window->pushToTalk();
        keys.refusal = "The key F9 is already taken by another program.";
        control.setKeySource(keys.source());
        QVERIFY(control.setKeyName(QStringLiteral("F9")));
        QCOMPARE(control.problem(), QStringLiteral("The key F9 is already taken by another program."));
        QCOMPARE(trayHint(*window),
                 QStringLiteral("Push-to-talk: hold F9\nThe key F9 is already taken by another program."));
        // Presses passed on by a later start (a compositor's binding) still count.
        control.keyEvent(true);
        QVERIFY(window->engine().PushToTalk().held());
        // Not listening: the status window stays as it was.
        QVERIFY(!window->statusWindow().isVisible());
        control.keyEvent(false);
        QVERIFY(!window->engine().PushToTalk().held());
    }

    void withoutAKeyPressesAreIgnored()
    {
        ShellRig rig;
        auto window = rig.create();
        window->pushToTalk().keyEvent(true);
        QVERIFY(!window->engine().PushToTalk().held());
        QCOMPARE(window->pushToTalk().stateText(), QString());
    }

    void dialogTakesAPressedKeyOrATypedName()
    {
        TPushToTalkFrm dialog(QStringLiteral("F9"));
        QCOMPARE(dialog.keyName(), QStringLiteral("F9"));
        QVERIFY(dialog.OkBtn()->isEnabled());
        QCOMPARE(dialog.Hint()->text(), QStringLiteral("Hold F9 to talk."));

        dialog.KeyEdit()->clear();
        QTest::keyClicks(dialog.KeyEdit(), QStringLiteral("Pausa"));
        QVERIFY(!dialog.OkBtn()->isEnabled());
        QCOMPARE(dialog.Hint()->text(), QStringLiteral("\"Pausa\" is not a key name."));
        QTest::keyClick(dialog.KeyEdit(), Qt::Key_Backspace);
        QTest::keyClick(dialog.KeyEdit(), 'e');
        QCOMPARE(dialog.keyName(), QStringLiteral("Pause"));
        QVERIFY(dialog.OkBtn()->isEnabled());

        // A key that types nothing is taken by its name (the X key symbol of Control_R).
        QKeyEvent control(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 105, 0xFFE4, 0);
        QCoreApplication::sendEvent(dialog.KeyEdit(), &control);
        QCOMPARE(dialog.keyName(), QStringLiteral("Control_R"));
        QKeyEvent f7(QEvent::KeyPress, Qt::Key_F7, Qt::NoModifier, 73, 0xFFC4, 0);
        QCoreApplication::sendEvent(dialog.KeyEdit(), &f7);
        QCOMPARE(dialog.keyName(), QStringLiteral("F7"));

        dialog.NoKeyBtn()->click();
        QCOMPARE(dialog.keyName(), QString());
        QVERIFY(dialog.OkBtn()->isEnabled());
        QCOMPARE(dialog.Hint()->text(), QStringLiteral("Listening hears every utterance."));
    }
};

QTEST_MAIN(PushToTalkTest)
#include "PushToTalkTest.moc"
