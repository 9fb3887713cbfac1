#include "app/LarkspurApp.h"

#include "app/AppOptions.h"
#include "app/Artwork.h"
#include "app/AudioSetup.h"
#include "actions/PushToTalkKeySource.h"
#include "app/PushToTalkControl.h"
#include "app/QtApplicationExit.h"
#include "app/QtMessageBoxes.h"
#include "app/QtMessageSink.h"
#include "app/QtTableFileDialogs.h"
#include "app/ResourcePaths.h"
#include "app/ScreenshotTour.h"
#include "app/TMainFrm.h"
#include "app/TPBJustOne.h"
#include "app/TPlotFrm.h"
#include "app/TSayNoFrm.h"
#include "engine/AlsaCaptureDevice.h"
#include "engine/MicrophoneMixer.h"
#include "engine/SignalCleanup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>
#include <memory>
#include <optional>
#include <stdexcept>

namespace larkspur {

namespace {

Q_LOGGING_CATEGORY(lcInstance, "larkspur.instance", QtWarningMsg)

void bringToFront(TMainFrm& window)
{
    qCInfo(lcInstance) << "activated by a second start";
    if (window.isMinimized())
        window.showNormal();
    window.raise();
    window.activateWindow();
}

// The engine's questions as the shell's Yes/No message boxes.
class BoxQuestions : public EngineQuestions {
public:
    explicit BoxQuestions(MessageBoxes& boxes) : m_boxes(boxes) {}
    bool askYesNo(const std::string& text) override { return m_boxes.askYesNo(QString::fromStdString(text)); }

private:
    MessageBoxes& m_boxes;
};

} // namespace

int runLarkspur(int argc, char** argv)
{
    // Answered before Qt starts, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--version") {
            std::printf("larkspur %s\n", LARKSPUR_VERSION);
            return 0;
        }
        if (argument == "--push-to-talk") {
            // A compositor's key binding: hand the press or release to the running
            // program and end; never start a second program for it.
            const char* what = i + 1 < argc ? argv[i + 1] : "";
            if (std::strcmp(what, "press") != 0 && std::strcmp(what, "release") != 0) {
                std::fputs("larkspur: --push-to-talk takes press or release.\n", stderr);
                return 2;
            }
            QCoreApplication core(argc, argv);
            TPBJustOne justOne(QString::fromLatin1(TMainFrm::kTitle));
            if (justOne.sendPushToTalk(std::strcmp(what, "press") == 0))
                return 0;
            std::fputs("larkspur: the program is not running; nothing to pass the key to.\n", stderr);
            return 1;
        }
        if (argument == "--help" || argument == "-h") {
            std::fputs("usage: larkspur [--input FILE.wav [--realtime] | --device NAME] [TABLE.EAR]\n"
                       "       larkspur --push-to-talk press|release\n"
                       "       larkspur --help | --version\n"
                       "Larkspur QTX 98: voice commands for the desktop.\n"
                       "  --input FILE.wav   listen to a recording (8-bit mono, 11025 Hz) instead of the microphone\n"
                       "  --realtime         play that recording at its own pace\n"
                       "  --device NAME      record from this ALSA capture device (overrides the one saved by\n"
                       "                     larkspur-micsetup)\n"
                       "  --screenshot-dir DIR  save pictures of the windows into DIR\n"
                       "  --push-to-talk press|release  pass the push-to-talk key to the running program\n"
                       "                     (for a compositor's key binding, e.g. sway's bindsym)\n"
                       "  TABLE.EAR          the voice command table to open\n",
                       stdout);
            return 0;
        }
    }

    // Killed by a signal, the program still removes its sample store and any
    // half-written table; a file-size limit becomes an ordinary write error.
    installSignalCleanup();

    QApplication application(argc, argv);
    application.setApplicationName(QString::fromLatin1(TMainFrm::kTitle));
    // No display name: the window system would append it to every caption.
    application.setApplicationVersion(QStringLiteral(LARKSPUR_VERSION));
    application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    application.setWindowIcon(Artwork::applicationIcon());

    AppOptions options = parseAppOptions(application.arguments());
    if (!options.error.empty()) {
        std::fprintf(stderr, "larkspur: %s.\n", options.error.c_str());
        return 2;
    }

    // Before anything else: a second process must leave every file alone.
    TPBJustOne justOne(QString::fromLatin1(TMainFrm::kTitle));
    if (!justOne.claim())
        return 0;

    std::optional<AudioSetup> audio;
    try {
        audio.emplace(options, resourceDirectory());
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "larkspur: %s; give a WAV file of 8-bit mono audio at 11025 Hz.\n", error.what());
        return 2;
    }

    QtMessageBoxes boxes;
    QtMessageSink messages(boxes);
    BoxQuestions questions(boxes);
    QtTableFileDialogs dialogs;
    TSayNoFrm calibrationView;
    QtApplicationExit exit;
    MicrophoneMixer mixer(&messages);
    MicrophoneMixer quietMixer(nullptr);

    ShellPlatform platform;
    audio->fill(platform.engine);
    platform.engine.messages = &messages;
    platform.engine.dialogs = &dialogs;
    platform.engine.questions = &questions;
    platform.engine.calibrationView = &calibrationView;
    platform.boxes = &boxes;
    platform.exit = &exit;
    if (audio->usesMixer())
        platform.setMicrophoneAutoGain = [&mixer, &quietMixer](bool on, bool report) {
            return (report ? mixer : quietMixer).SetMicrophoneAutoGain(on);
        };
    if (const auto& inUse = audio->microphoneInUse()) {
        // Re-Calibrate takes up a microphone chosen in the set-up program meanwhile.
        platform.microphoneInUse = *inUse;
        platform.chosenMicrophone = [options] { return AudioSetup::chosenMicrophone(options); };
        platform.makeMicrophone = [](const std::string& name) -> std::unique_ptr<CaptureDevice> {
            return std::make_unique<AlsaCaptureDevice>(name);
        };
    }
    platform.programDirectory = programDirectory();
    platform.arguments = options.arguments;
    if (platform.arguments.empty() && audio->demoTable()) {
        platform.arguments.push_back(AudioSetup::demoTableCopy(*audio->demoTable(), AudioSetup::userDataHome()));
        platform.demo = true;
    }

    TMainFrm mainFrm(std::move(platform));
    QObject::connect(&justOne, &TPBJustOne::activationRequested, &mainFrm, [&mainFrm] { bringToFront(mainFrm); });
    QObject::connect(&justOne, &TPBJustOne::pushToTalkRequested, &mainFrm, [&mainFrm](bool down) {
        mainFrm.pushToTalk().keyEvent(down);
        qCInfo(lcInstance) << "push-to-talk" << (down ? "press" : "release") << "passed on:"
                           << mainFrm.pushToTalk().stateText();
    });
    // On X11 the key is grabbed on the desktop; on Wayland the desktop's
    // global shortcuts portal watches it, or where there is none the
    // compositor's binding passes it on with --push-to-talk.
    if (QGuiApplication::platformName() == QLatin1String("xcb") ||
        QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        mainFrm.pushToTalk().setKeySource(watchPushToTalkKey);
    // Boxes and file dialogs open over the main window and stay above it.
    boxes.setParentWindow(&mainFrm);
    dialogs.setParentWindow(&mainFrm);
    if (!mainFrm.FormCreate())
        return QtApplicationExit::kExitCode;

    TPlotFrm plotFrm;
    plotFrm.setMainWindow(&mainFrm);
    // Closing the main window ends the program, whatever else is open.
    plotFrm.setAttribute(Qt::WA_QuitOnClose, false);
    mainFrm.setPlotWindow(&plotFrm);

    std::unique_ptr<ScreenshotTour> tour;
    if (options.screenshotDir) {
        tour = std::make_unique<ScreenshotTour>(mainFrm, &plotFrm, QString::fromStdString(*options.screenshotDir));
        tour->start();
    }

    mainFrm.show();
    // The desktop is asked for once the window is up: a desktop that wants
    // the user's consent first (the portal) then has a window to point from.
    QTimer::singleShot(0, &mainFrm, [&mainFrm] { mainFrm.openDesktop(); });
    return application.exec();
}

} // namespace larkspur
