#include "actions/ActionServices.h"

#include "actions/PosixProcessLauncher.h"
#include "actions/RecognitionDispatch.h"
#include "actions/TAppExec.h"
#include "actions/TGoToWeb.h"
#include "actions/TSendKey.h"
#include "actions/TURL.h"

namespace larkspur {

ActionServices::ActionServices(Options options) : m_recordedPointer(options.recordedScreen)
{
    if (!options.recordingDesktop)
        m_opened = options.openDesktop ? options.openDesktop() : openDesktopSession(options.desktopHost);
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

ActionServices::~ActionServices() = default;

KeyboardLayout& ActionServices::keyboardLayout()
{
    return desktop() ? desktop()->keyboardLayout() : m_usLayout;
}

KeyInjector& ActionServices::keyInjector()
{
    return desktop() ? desktop()->keyInjector() : m_recordedKeys;
}

WindowSystem& ActionServices::windows()
{
    return desktop() ? desktop()->windows() : m_noWindows;
}

PointerDevice& ActionServices::pointer()
{
    return desktop() ? desktop()->pointer() : m_recordedPointer;
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
    if (m_opened.failure.empty() || m_missingReported || !report.accepted ||
        (report.kind != ActionKind::Keystroke && report.kind != ActionKind::Mouse))
        return std::nullopt;
    m_missingReported = true;
    return m_opened.failure;
}

} // namespace larkspur
