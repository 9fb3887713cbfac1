#include "actions/ActionServices.h"

#include "actions/PosixProcessLauncher.h"
#include "actions/RecognitionDispatch.h"
#include "actions/TAppExec.h"
#include "actions/TGoToWeb.h"
#include "actions/TSendKey.h"
#include "actions/TURL.h"

namespace larkspur {

ActionServices::ActionServices(Options options)
    : m_deferred({[this]() -> KeyboardLayout& { return desktop() ? desktop()->keyboardLayout() : m_usLayout; },
                  [this]() -> KeyInjector& { return desktop() ? desktop()->keyInjector() : m_recordedKeys; },
                  [this]() -> WindowSystem& { return desktop() ? desktop()->windows() : m_noWindows; },
                  [this]() -> PointerDevice& { return desktop() ? desktop()->pointer() : m_recordedPointer; }}),
      m_recordedPointer(options.recordedScreen)
{
    if (!options.recordingDesktop) {
        m_openDesktop = options.openDesktop ? std::move(options.openDesktop)
                                            : [](const DesktopHost& host) { return openDesktopSession(host); };
    }
    m_host = std::move(options.desktopHost);
    m_host.cancelled = [this, alsoWhen = std::move(m_host.cancelled)] {
        return m_closing.load() || (alsoWhen && alsoWhen());
    };
    m_onDesktopOpened = std::move(options.onDesktopOpened);
    if (!options.openDesktopLater)
        openDesktop();
    m_launcher = options.launcher;
    if (!m_launcher) {
        m_ownLauncher = std::make_unique<PosixProcessLauncher>();
        m_launcher = m_ownLauncher.get();
    }
    m_sendKeys = std::make_unique<TSendKey>(keyboardLayout(), keyInjector(), &windows());
    m_appExe = std::make_unique<TAppExec>(*m_launcher);
    m_appExe->setChangeDir(false);
    m_urlStuff = std::make_unique<TURL>(*m_launcher);
    m_goToWeb = std::make_unique<TGoToWeb>(*m_launcher, XdgRoots::fromEnvironment(*m_launcher));
    m_goToWeb->setBrowserState(TBrowserState::gwMaximized);
}

ActionServices::~ActionServices()
{
    m_closing = true;
    if (m_opening.joinable())
        m_opening.join();
}

void ActionServices::openDesktop() const
{
    if (m_opening.joinable()) {
        m_opening.join();
        m_opened = std::move(m_openedInBackground);
        return;
    }
    if (m_desktopAsked)
        return;
    m_desktopAsked = true;
    if (m_openDesktop)
        m_opened = m_openDesktop(m_host);
}

void ActionServices::openDesktopInBackground()
{
    if (m_desktopAsked)
        return;
    m_desktopAsked = true;
    if (!m_openDesktop)
        return;
    m_opening = std::thread([this] {
        m_openedInBackground = m_openDesktop(m_host);
        if (m_onDesktopOpened)
            m_onDesktopOpened();
    });
}

DesktopSession* ActionServices::desktop() const
{
    openDesktop();
    return m_opened.session.get();
}

const std::string& ActionServices::desktopFailure() const
{
    openDesktop();
    return m_opened.failure;
}

const std::vector<std::string>& ActionServices::desktopNotes() const
{
    openDesktop();
    return m_opened.notes;
}

// The keystroke sender and the dispatch hold these; each call goes to the
// desktop, opened at the first one, or to the recording stand-ins.
KeyboardLayout& ActionServices::keyboardLayout()
{
    return m_deferred;
}

KeyInjector& ActionServices::keyInjector()
{
    return m_deferred;
}

WindowSystem& ActionServices::windows()
{
    return m_deferred;
}

PointerDevice& ActionServices::pointer()
{
    return m_deferred;
}

std::unique_ptr<RecognitionDispatch> ActionServices::makeDispatch(TVREngine32& engine, DispatchShell& shell,
                                                                  SoundPlayer& sound, ApplicationFinder& finder)
{
    return std::make_unique<RecognitionDispatch>(DispatchParts{engine, shell, *m_sendKeys, *m_appExe, *m_urlStuff,
                                                               *m_goToWeb, windows(), pointer(), sound, *m_launcher,
                                                               finder});
}

std::optional<std::string> ActionServices::missingDesktopReport(const DispatchReport& report)
{
    if (desktopFailure().empty() || m_missingReported || !report.accepted ||
        (report.kind != ActionKind::Keystroke && report.kind != ActionKind::Mouse))
        return std::nullopt;
    m_missingReported = true;
    return m_opened.failure;
}

} // namespace larkspur
