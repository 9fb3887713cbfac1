// larkspur-cli run: listens with a table and performs every recognised voice
// command's action, as the program does in listening mode. With --dry-run the
// desktop pieces are recording stand-ins, so nothing is performed and each
// recognition is reported with what would have been done.

#include "actions/ActionServices.h"
#include "actions/ApplicationFinder.h"
#include "actions/DispatchShell.h"
#include "actions/HeadlessDispatchShell.h"
#include "actions/ProgramSearchPath.h"
#include "actions/PosixProcessLauncher.h"
#include "actions/PushToTalkKeySource.h"
#include "actions/RecognitionDispatch.h"
#include "actions/RecordingKeyInjector.h"
#include "cli/AudioInput.h"
#include "cli/Commands.h"
#include "cli/DesktopCommand.h"
#include "cli/DryRunDesktop.h"
#include "cli/Json.h"
#include "cli/MouseTimerPump.h"
#include "cli/TableAccess.h"
#include "engine/AlsaSoundPlayer.h"
#include "engine/SilentSoundPlayer.h"
#include "engine/TVREngine32.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <ostream>

namespace larkspur::cli {

namespace {

constexpr int kDefaultConfidence = 75;  // the Confidence track bar's default
constexpr int kDefaultAccuracy = 15;
constexpr ScreenPoint kDryRunScreen{1024, 768};

// Nobody to ask: the search stops at the first folder with results and takes
// its first location.
class CliFinderUi : public FinderUi {
public:
    explicit CliFinderUi(HeadlessDispatchShell& shell) : m_shell(shell) {}
    void showProgress(const std::string&) override {}
    void hideProgress() override {}
    bool askYesNo(const std::string&) override { return true; }
    void showMessage(const std::string& text) override { m_shell.showMessage(text); }
    std::optional<std::string> chooseLocation(const std::vector<std::string>& locations) override
    {
        return locations.front();
    }
    void processEvents() override {}

private:
    HeadlessDispatchShell& m_shell;
};

const char* kindName(ActionKind kind)
{
    switch (kind) {
    case ActionKind::Program: return "program";
    case ActionKind::Mouse: return "mouse";
    case ActionKind::WebAddress: return "web";
    case ActionKind::Keystroke: return "keystroke";
    }
    return "keystroke";
}

std::string jsonList(const std::vector<std::string>& items)
{
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + jsonString(items[i]);
    return out + "]";
}

std::vector<std::string> keyEvents(const RecordingKeyInjector& recorder)
{
    std::vector<std::string> events;
    for (const SyntheticKeyEvent& e : recorder.events()) {
        char line[16];
        std::snprintf(line, sizeof line, "%s 0x%02X", e.up() ? "up" : "down", e.virtualKey);
        events.emplace_back(line);
    }
    return events;
}

} // namespace

int runCommand(const Args& argv, std::ostream& out, std::ostream& err)
{
    const CommandLine args(argv, {"table", "input", "device", "confidence", "accuracy", "matcher", "push-to-talk-key"}, {"realtime", "dry-run"});
    const std::string tablePath = args.required("table");
    const int confidence = args.integer("confidence", kDefaultConfidence, 75, 100);
    const int accuracy = args.integer("accuracy", kDefaultAccuracy, 0, 100);
    const MatcherKind matcher = matcherOption(args);
    const bool dryRun = args.has("dry-run");
    if (!TVREngine32::FileExists(tablePath)) {
        err << "Cannot read the table " << tablePath << ".\n";
        return 1;
    }

    AudioInput audio(args);
    StreamMessages engineMessages(err);
    engineMessages.dropEndOfInput = true;
    EnginePlatform platform;
    platform.messages = &engineMessages;
    audio.fill(platform);
    MouseTimerPump pump(*platform.pump, *platform.clock);
    platform.pump = &pump;
    TVREngine32 engine(platform);
    engine.setPlayBack(false);
    engine.setAccuracy(accuracy);
    engine.setMatcher(matcher);
    openTableFile(engine, tablePath);

    // The desktop: the real one, or recording stand-ins for a dry run and for
    // the keyboard, pointer and windows when there is no desktop to reach.
    RecordingLauncher recordedLauncher;
    ActionServices::Options serviceOptions;
    serviceOptions.recordingDesktop = dryRun;
    serviceOptions.launcher = dryRun ? &recordedLauncher : nullptr;
    serviceOptions.recordedScreen = kDryRunScreen;
    serviceOptions.desktopHost.showStatus = statusLineTo(err);
    ActionServices services(serviceOptions);
    RecordingKeyInjector& recordedKeys = services.recordedKeys();
    SilentSoundPlayer silentSound;
    std::unique_ptr<SoundPlayer> realSound;
    if (!dryRun)
        // Only sound files of actions are played, never the program's own sounds.
        realSound = std::make_unique<AlsaSoundPlayer>(std::string());
    SoundPlayer& sound = realSound ? *realSound : static_cast<SoundPlayer&>(silentSound);

    HeadlessDispatchShell shell(confidence, &err);
    CliFinderUi finderUi(shell);
    const char* home = std::getenv("HOME");
    ApplicationFinder finder(finderUi, FinderRoots::standard(home ? home : ""), pathLookup(environmentSearchPath()));

    std::unique_ptr<RecognitionDispatch> dispatchOwner = services.makeDispatch(engine, shell, sound, finder);
    RecognitionDispatch& dispatch = *dispatchOwner;
    pump.drive(dispatch);

    dispatch.OnDispatched = [&](const DispatchReport& r) {
        if (const std::optional<std::string> missing = services.missingDesktopReport(r))
            err << *missing << '\n';
        out << "{\"slot\":" << r.slot << ",\"phrase\":" << jsonString(r.phrase) << ",\"confidence\":" << r.confidence
            << ",\"accepted\":" << (r.accepted ? "true" : "false");
        if (r.accepted) {
            out << ",\"kind\":\"" << kindName(r.kind) << "\",\"action\":" << jsonString(r.action);
            if (r.kind == ActionKind::Mouse)
                out << ",\"mouse\":" << jsonString(r.action.size() >= 9 ? r.action.substr(7, 2) : std::string())
                    << ",\"mouseTimer\":{\"enabled\":" << (dispatch.MouseTimerEnabled() ? "true" : "false")
                    << ",\"interval\":" << dispatch.MouseTimerInterval() << "}";
        }
        if (!recordedKeys.events().empty())
            out << ",\"keys\":" << jsonList(keyEvents(recordedKeys));
        std::vector<std::string> programs;
        std::vector<std::string> opened;
        for (const RecordedSpawn& s : recordedLauncher.spawned) {
            if (s.argv.size() == 2 && s.argv[0] == "xdg-open")
                opened.push_back(s.argv[1]);
            else if (!s.argv.empty())
                programs.push_back(s.argv[0].find('/') == std::string::npos ? s.folder + "/" + s.argv[0] : s.argv[0]);
        }
        if (!programs.empty())
            out << ",\"programs\":" << jsonList(programs);
        if (!opened.empty())
            out << ",\"opened\":" << jsonList(opened);
        if (!silentSound.waves.empty())
            out << ",\"sounds\":" << silentSound.waves.size();
        if (!shell.messages.empty())
            out << ",\"messages\":" << jsonList(shell.messages);
        out << "}\n" << std::flush;
        recordedKeys.clear();
        recordedLauncher.spawned.clear();
        silentSound.waves.clear();
        shell.messages.clear();
    };
    engine.OnRecognition = [&](TVREngine32& sender) { dispatch.VREngine321Recognition(sender); };

    if (const int failed = prepareToListen(engine, err))
        return failed;
    // Push-to-talk (an X11 grab, or the desktop portal on Wayland): only what
    // begins while the key is held is heard. The key's reader thread drives
    // the engine's gate directly (it is thread-safe).
    std::unique_ptr<PushToTalkKey> talkKey;
    if (const std::optional<std::string> key = args.value("push-to-talk-key")) {
        std::string error;
        talkKey = watchPushToTalkKey(*key, [&engine](bool down) {
            if (down)
                engine.PushToTalk().press();
            else
                engine.PushToTalk().release();
        }, error);
        if (!talkKey) {
            err << error << '\n';
            return 1;
        }
        engine.PushToTalk().setEnabled(true);
        err << "Hold " << *key << " to talk.\n" << std::flush;
    }
    audio.stopOnInterrupt(engine);
    engine.Recognize();
    return audio.inputExhausted() || audio.interrupted() ? 0 : 1;
}

} // namespace larkspur::cli
