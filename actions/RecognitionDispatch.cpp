#include "actions/RecognitionDispatch.h"

#include "actions/ApplicationFinder.h"
#include "actions/BrowserWindow.h"
#include "actions/DispatchShell.h"
#include "actions/ProcessLauncher.h"
#include "actions/TAppExec.h"
#include "actions/TGoToWeb.h"
#include "actions/TSendKey.h"
#include "actions/TURL.h"
#include "actions/TWindowsList.h"
#include "actions/TextCase.h"
#include "actions/UniqueFd.h"
#include "engine/EnginePlatform.h"
#include "engine/TVREngine32.h"

#include <algorithm>
#include <chrono>
#include <fstream>

namespace larkspur {

namespace {

constexpr size_t kMaxBrowserCandidates = 1025;
constexpr size_t kMaxLaunchedCandidates = 1024;
constexpr size_t kMaxActionLength = 255;
// Sound files bigger than this are not voice command sounds.
constexpr std::streamsize kMaxSoundBytes = 64 * 1024 * 1024;
constexpr std::chrono::milliseconds kOpenTimeout{5000};

// Returns to the folder that was current when it was made, whatever happens
// to the action in between.
class CurrentDirectoryRestore {
public:
    CurrentDirectoryRestore() : m_saved(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~CurrentDirectoryRestore()
    {
        if (m_saved.valid() && ::fchdir(m_saved.get()) != 0) {
            // The folder we came from is gone; there is nowhere better to be.
        }
    }
    CurrentDirectoryRestore(const CurrentDirectoryRestore&) = delete;
    CurrentDirectoryRestore& operator=(const CurrentDirectoryRestore&) = delete;

private:
    UniqueFd m_saved;
};

std::string trimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string truncated(std::string text, size_t length)
{
    if (text.size() > length)
        text.resize(length);
    return text;
}

// This program itself, in a stored table's spelling or as it is installed here.
bool isOwnProgram(const std::string& fileName)
{
    return fileName == "LARKSPUR.EXE" || fileName == "larkspur";
}

// A file name long enough to name a program ("X.EXE"), or one that names an
// executable file: programs here rarely carry an extension ("kate", "xed").
bool startableName(const std::string& fileName, const std::string& path)
{
    return fileName.size() > 4 || (!fileName.empty() && isExecutableRegularFile(path));
}

std::optional<std::vector<uint8_t>> readSoundFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<uint8_t> bytes;
    char buffer[65536];
    while (in && static_cast<std::streamsize>(bytes.size()) <= kMaxSoundBytes) {
        in.read(buffer, sizeof buffer);
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    }
    if (static_cast<std::streamsize>(bytes.size()) > kMaxSoundBytes)
        return std::nullopt;
    return bytes;
}

} // namespace

RecognitionDispatch::RecognitionDispatch(DispatchParts parts) : m_parts(parts) {}

void RecognitionDispatch::VREngine321Recognition(TVREngine32& sender)
{
    const int slot = sender.LastVC();
    // The engine only reports slots of the table; anything else is ignored.
    if (slot < 1 || slot > kLaunchTableSize)
        return;

    DispatchReport report;
    report.slot = slot;
    report.phrase = sender.LastVoiceCommand();
    report.confidence = sender.LastConfidence();

    if (sender.LastConfidence() < m_parts.shell.confidencePointer()) {
        if (++m_missedCommands >= kMissedCommandLimit) {
            m_parts.shell.showMessage(kMissedCommandsMessage);
            m_missedCommands = 0;
        }
        if (OnDispatched)
            OnDispatched(report);
        return;
    }
    m_missedCommands = 0;
    const WindowId foreground = m_parts.windows.foregroundWindow();

    if (m_parts.shell.statusWindowChecked())
        m_parts.shell.reshowStatusWindow();

    {
        const CurrentDirectoryRestore restoreDirectory;
        if (!m_parts.shell.mainWindowMinimised() && m_parts.shell.plottingChecked())
            m_parts.shell.plotLastUtterance();

        // Running the pointer over the whole screen wakes a blanked screen
        // before the action's effect should be seen.
        const ScreenPoint position = m_parts.pointer.position();
        const ScreenPoint size = m_parts.pointer.screenSize();
        m_parts.pointer.setPosition({0, 0});
        m_parts.pointer.setPosition(size);
        m_parts.pointer.setPosition(position);

        sender.setVCRecord(slot);
        const std::string action = sender.CommandString();

        if (foreground != 0)
            m_parts.windows.activate(foreground);

        report.accepted = true;
        report.kind = classifyAction(action);
        report.action = action;
        switch (report.kind) {
        case ActionKind::Keystroke: performKeystrokes(action); break;
        case ActionKind::Mouse: performMouse(action); break;
        case ActionKind::WebAddress: performWebAddress(action); break;
        case ActionKind::Program: performProgram(slot, action); break;
        }
    }
    if (OnDispatched)
        OnDispatched(report);
}

void RecognitionDispatch::performKeystrokes(const std::string& action)
{
    try {
        m_parts.sendKeys.SendKeys(truncated(action, kMaxActionLength));
    } catch (const std::exception&) {
        m_parts.shell.showMessage(kIncorrectFormatMessage);
    }
}

// ---------------------------------------------------------------------------
// Mouse

void RecognitionDispatch::setMouseTimer(bool enabled, int interval)
{
    if (enabled == m_mouseTimerEnabled && interval == m_mouseTimerInterval)
        return;
    m_mouseTimerEnabled = enabled;
    m_mouseTimerInterval = interval;
    if (OnMouseTimerChanged)
        OnMouseTimerChanged();
}

void RecognitionDispatch::disableMouseTimer()
{
    setMouseTimer(false, m_mouseTimerInterval);
}

void RecognitionDispatch::performMouse(const std::string& action)
{
    const auto start = [&](MouseMotionMode mode) {
        setMouseTimer(true, m_mouseTimerInterval);
        m_mouseMode = mode;
    };
    switch (mouseCommand(action)) {
    case MouseCommand::Stop:
        setMouseTimer(false, kMouseTimerStartInterval);
        m_mouseMode = MouseMotionMode::None;
        break;
    case MouseCommand::Up: start(MouseMotionMode::Up); break;
    case MouseCommand::Down: start(MouseMotionMode::Down); break;
    case MouseCommand::Right: start(MouseMotionMode::Right); break;
    case MouseCommand::Left: start(MouseMotionMode::Left); break;
    case MouseCommand::DoubleClick: start(MouseMotionMode::DoubleClick); break;
    case MouseCommand::SingleClick: start(MouseMotionMode::SingleClick); break;
    case MouseCommand::RightClick: start(MouseMotionMode::RightClick); break;
    case MouseCommand::Faster:
        if (m_mouseTimerInterval - kMouseTimerStep > 0)
            setMouseTimer(m_mouseTimerEnabled, m_mouseTimerInterval - kMouseTimerStep);
        break;
    case MouseCommand::Slower:
        if (m_mouseTimerInterval + kMouseTimerStep < kMouseTimerSlowest)
            setMouseTimer(m_mouseTimerEnabled, m_mouseTimerInterval + kMouseTimerStep);
        break;
    case MouseCommand::None: break;
    }
}

void RecognitionDispatch::MouseTimerTimer()
{
    if (!m_mouseTimerEnabled)
        return;
    const auto click = [&](MouseButton button) {
        m_parts.pointer.button(button, true);
        m_parts.pointer.button(button, false);
    };
    const ScreenPoint p = m_parts.pointer.position();
    const ScreenPoint screen = m_parts.pointer.screenSize();
    switch (m_mouseMode) {
    case MouseMotionMode::None: disableMouseTimer(); break;
    case MouseMotionMode::Up:
        if (p.y - 1 > 0)
            m_parts.pointer.setPosition({p.x, p.y - 1});
        else
            disableMouseTimer();
        break;
    case MouseMotionMode::Down:
        if (p.y + 1 < screen.y)
            m_parts.pointer.setPosition({p.x, p.y + 1});
        else
            disableMouseTimer();
        break;
    case MouseMotionMode::Right:
        if (p.x + 1 < screen.x)
            m_parts.pointer.setPosition({p.x + 1, p.y});
        else
            disableMouseTimer();
        break;
    case MouseMotionMode::Left:
        if (p.x - 1 > 0)
            m_parts.pointer.setPosition({p.x - 1, p.y});
        else
            disableMouseTimer();
        break;
    case MouseMotionMode::DoubleClick:
        click(MouseButton::Left);
        click(MouseButton::Left);
        disableMouseTimer();
        break;
    case MouseMotionMode::SingleClick:
        click(MouseButton::Left);
        disableMouseTimer();
        break;
    case MouseMotionMode::RightClick:
        click(MouseButton::Right);
        disableMouseTimer();
        break;
    }
}

// ---------------------------------------------------------------------------
// Web addresses

WindowId RecognitionDispatch::findBrowserWindow()
{
    TWindowsList gWindowList(m_parts.windows);
    gWindowList.setAcceptEmptyNames(false);
    gWindowList.Refresh();
    const size_t n = std::min(gWindowList.TheWindowsList().size(), kMaxBrowserCandidates);
    for (size_t i = 0; i < n; ++i) {
        const WindowId w = gWindowList.WindowHandle(i);
        const std::string className = truncated(m_parts.windows.windowClassName(w), kMaxWindowText);
        if (isBrowserWindow(gWindowList.TheWindowsList()[i].title, className))
            return w;
    }
    return 0;
}

void RecognitionDispatch::performWebAddress(const std::string& action)
{
    const WindowId browser = findBrowserWindow();
    const auto open = [&] {
        m_parts.urlStuff.setURL(webAddress(action));
        m_parts.urlStuff.setURLType(TURLType::utHttp);
        return m_parts.urlStuff.OpenURL();
    };
    if (browser != 0) {
        if (open())
            return;
        // The browser's open-address dialog, the address and Enter. An address
        // with a brace in it is not valid keystroke notation: say so instead
        // of letting the error escape the engine's event.
        try {
            m_parts.sendKeys.SendKeysToWindow("^O" + action + "{ENTER}", browser);
        } catch (const std::exception&) {
            m_parts.shell.showMessage(kIncorrectFormatMessage);
        }
        return;
    }
    if (!m_parts.goToWeb.BrowserExists()) {
        m_parts.shell.showMessage(kNoBrowserMessage);
        return;
    }
    if (!open())
        m_parts.shell.showMessage(kBrowserStartMessage);
}

// ---------------------------------------------------------------------------
// Programs, sounds and documents

void RecognitionDispatch::ClearLaunchTable()
{
    m_launchTable.fill(LaunchRecord{});
}

LaunchRecord RecognitionDispatch::launchRecord(int slot) const
{
    if (slot < 1 || slot > kLaunchTableSize)
        return {};
    return m_launchTable[static_cast<size_t>(slot - 1)];
}

WindowId RecognitionDispatch::FindLaunchedWindow(int slot, bool& minimised)
{
    minimised = false;
    if (slot < 1 || slot > kLaunchTableSize)
        return 0;
    LaunchRecord& record = m_launchTable[static_cast<size_t>(slot - 1)];
    TWindowsList windowHandles(m_parts.windows);
    windowHandles.setAcceptEmptyNames(false);
    windowHandles.Refresh();
    const size_t n = std::min(windowHandles.TheWindowsList().size(), kMaxLaunchedCandidates);
    // Windows that do not say which process owns them report 0; an empty
    // record must not take one of those for its program.
    if (record.processId != 0) {
        for (size_t i = 0; i < n; ++i) {
            const WindowId w = windowHandles.WindowHandle(i);
            if (m_parts.windows.windowProcessId(w) == record.processId) {
                minimised = m_parts.windows.isMinimised(w);
                return w;
            }
        }
    }
    record = LaunchRecord{};
    return 0;
}

void RecognitionDispatch::performProgram(int slot, const std::string& action)
{
    m_parts.appExe.Clear();
    m_parts.appExe.setChangeDir(true);
    const ProgramPath path = splitProgramPath(std::string_view(action).substr(1));
    std::string folder = path.folder;
    std::string fileName = path.fileName;

    bool minimised = false;
    WindowId window = FindLaunchedWindow(slot, minimised);
    if (fileName == "EXPLORER.EXE")
        window = 0;  // a new Explorer every time

    if (isOwnProgram(fileName)) {
        if (m_parts.shell.trayIconActive()) {
            m_parts.shell.setTrayIconActive(false);
            if (m_parts.shell.plottingChecked())
                m_parts.shell.showPlotWindow();
            m_parts.shell.showMainWindow();
        } else {
            m_parts.shell.restoreApplication();
        }
        return;
    }
    if (window != 0) {
        if (minimised)
            m_parts.windows.restore(window);
        m_parts.windows.activate(window);
        return;
    }

    if (!folderNeedsSearch(folder)) {
        m_parts.appExe.setExePath(folder);
    } else {
        m_parts.finder.beginSearch(kFirstSearchText);
        const ProgramPath found = splitProgramPath(m_parts.finder.FindProgramOnDisks(fileName));
        folder = found.folder;
        if (!folderNeedsSearch(folder)) {
            // The found file's own spelling: names differ from the stored
            // one in letter case where the disk tells case apart.
            fileName = found.fileName;
            m_parts.engine.setCommandString("!" + folder + fileName);
            m_parts.engine.UpdateVCRecord();
            m_parts.shell.setTableChanged();
        }
    }
    if (folderNeedsSearch(folder) || !startableName(fileName, folder + fileName))
        return;

    m_parts.appExe.setExeName(fileName);
    m_parts.appExe.setExePath(folder);
    switch (classifyProgramFile(fileName, isExecutableRegularFile(folder + fileName))) {
    case ProgramFileKind::Program: startProgram(slot, folder, fileName); break;
    case ProgramFileKind::Sound: playSound(folder + fileName); break;
    case ProgramFileKind::Document: openDocument(folder + fileName); break;
    }
}

void RecognitionDispatch::startProgram(int slot, const std::string&, const std::string& fileName)
{
    try {
        m_parts.appExe.Execute();
    } catch (const std::exception&) {
        m_parts.shell.showMessage("Problems with " + trimBlanks(m_parts.engine.VoiceCommand())
                            + " voice command. Please edit voice command and correct possible errors!");
        return;
    }
    LaunchRecord& record = m_launchTable[static_cast<size_t>(slot - 1)];
    record.fileName = fileName;
    record.threadId = m_parts.appExe.LastThreadId();
    record.threadHandle = m_parts.appExe.LastThreadHd();
    record.processId = m_parts.appExe.LastProcessId();
    record.processHandle = m_parts.appExe.LastProcessHd();
}

void RecognitionDispatch::playSound(const std::string& path)
{
    // The shell has the engine throw away what the microphone heard while the
    // sound played, so it is not taken for speech. A sound that cannot be
    // played is passed over in silence, as a sound file that plays would be.
    m_parts.shell.pauseListeningForSound();
    disableMouseTimer();
    if (const std::optional<std::vector<uint8_t>> image = readSoundFile(path))
        m_parts.sound.playWave(*image);
    m_parts.shell.resumeListeningAfterSound();
    m_missedCommands = 0;
}

void RecognitionDispatch::openDocument(const std::string& path)
{
    // A path that starts with "-" would be taken for an option of the opener.
    const std::string argument = path.front() == '-' ? "./" + path : path;
    const SpawnResult r = m_parts.launcher.spawn({"xdg-open", argument});
    bool opened = r.pid > 0;
    if (opened) {
        const std::optional<int> status = m_parts.launcher.waitExit(r.pid, kOpenTimeout);
        opened = !status || *status == 0;
    }
    if (!opened)
        m_parts.shell.showMessage(kActionErrorMessage);
}

} // namespace larkspur
