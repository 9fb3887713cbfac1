#include "micsetup/MicSetupMain.h"

#include "engine/AlsaCaptureDevice.h"
#include "engine/AlsaSoundPlayer.h"
#include "micsetup/MicSetupWindow.h"
#include "micsetup/SavedMicrophone.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace larkspur {

namespace {
const char* const kUsage =
    "usage: larkspur-micsetup [--screenshot FILE.png] [--version] [--help]\n"
    "Chooses and checks the microphone Larkspur QTX 98 records from.\n"
    "  --screenshot FILE.png  save a picture of the window and quit\n";
}

int runMicSetup(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("larkspur-micsetup %s\n", LARKSPUR_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    QString screenshot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr, "larkspur-micsetup: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
    }
    QApplication application(argc, argv);
    application.setApplicationName(QStringLiteral("larkspur-micsetup"));
    application.setApplicationVersion(QStringLiteral(LARKSPUR_VERSION));

    AlsaSoundPlayer sound(std::string{});
    MicSetupPlatform platform;
    platform.hints = readPcmHints;
    platform.openDevice = [](const std::string& name) -> std::unique_ptr<CaptureDevice> {
        return std::make_unique<AlsaCaptureDevice>(name);
    };
    platform.save = saveMicrophone;
    platform.sound = &sound;
    platform.inUse = savedMicrophone().value_or("default");

    MicSetupWindow window(std::move(platform));
    window.show();
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(300, &window, [&window, screenshot] {
            const bool saved = window.grab().save(screenshot);
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return application.exec();
}

} // namespace larkspur
