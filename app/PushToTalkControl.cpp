#include "app/PushToTalkControl.h"

#include "app/TRecFrm.h"
#include "engine/TVREngine32.h"

#include <QSystemTrayIcon>

namespace larkspur {

PushToTalkControl::PushToTalkControl(TVREngine32& engine, TRecFrm& statusWindow, QSystemTrayIcon& trayIcon,
                                     std::function<bool()> statusWindowWanted, QObject* parent)
    : QObject(parent), m_engine(engine), m_statusWindow(statusWindow), m_trayIcon(trayIcon),
      m_statusWindowWanted(std::move(statusWindowWanted)), m_idleToolTip(trayIcon.toolTip())
{
    setObjectName(QStringLiteral("PushToTalk"));
}

// The key is let go first: its reader thread ends before anything it reports to.
PushToTalkControl::~PushToTalkControl() = default;

void PushToTalkControl::setKeySource(KeySource source)
{
    m_source = std::move(source);
    grab();
    showState();
}

bool PushToTalkControl::setKeyName(const QString& name)
{
    const QString key = name.trimmed();
    if (!key.isEmpty() && !isPushToTalkKeyName(key.toStdString()))
        return false;
    if (key == m_keyName)
        return true;
    m_keyName = key;
    // A hold of the old key must not go on as a hold of the new one.
    m_engine.PushToTalk().release();
    m_engine.PushToTalk().setEnabled(!m_keyName.isEmpty());
    grab();
    showState();
    return true;
}

void PushToTalkControl::grab()
{
    m_key.reset();
    m_problem.clear();
    if (m_keyName.isEmpty() || !m_source)
        return;
    std::string error;
    // The reader thread only posts; the key's state changes on this thread.
    m_key = m_source(m_keyName.toStdString(), [this](bool down) {
        QMetaObject::invokeMethod(this, [this, down] { keyEvent(down); }, Qt::QueuedConnection);
    }, error);
    if (!m_key)
        m_problem = QString::fromStdString(error);
}

void PushToTalkControl::keyEvent(bool down)
{
    if (m_keyName.isEmpty())
        return;
    PushToTalkGate& gate = m_engine.PushToTalk();
    if (!(down ? gate.press() : gate.release()))
        return;
    showState();
    if (listening && listening() && m_statusWindowWanted && m_statusWindowWanted())
        m_statusWindow.showNote(stateText(), down);
}

bool PushToTalkControl::talking() const
{
    return m_engine.PushToTalk().held();
}

QString PushToTalkControl::stateText() const
{
    if (m_keyName.isEmpty())
        return {};
    return talking() ? QStringLiteral("Push-to-talk: talking") : QStringLiteral("Push-to-talk: hold ") + m_keyName;
}

void PushToTalkControl::listeningStarted()
{
    if (!m_keyName.isEmpty() && m_statusWindowWanted && m_statusWindowWanted())
        m_statusWindow.showNote(stateText(), talking());
}

void PushToTalkControl::showState()
{
    QString tip = m_keyName.isEmpty() ? m_idleToolTip : stateText();
    if (!m_problem.isEmpty())
        tip += QLatin1Char('\n') + m_problem;
    m_trayIcon.setToolTip(tip);
    emit stateChanged();
}

} // namespace larkspur
