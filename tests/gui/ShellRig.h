#pragma once
// A main window on scripted platform pieces: the microphone is a file device
// playing synthetic line samples in virtual time, message boxes answer from a
// script, and ending the process, the tray and listening are recorded.

#include "app/ScriptedMessageBoxes.h"
#include "app/ShellPlatform.h"
#include "app/TMainFrm.h"
#include "engine/EngineTypes.h"
#include "engine/FileCaptureDevice.h"
#include "engine/ManualClock.h"
#include "engine/SilentSoundPlayer.h"
#include "engine/VirtualTimePump.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace larkspur::test {

class RecordingExit : public ApplicationExit {
public:
    void terminate() override { ++calls; }
    void finish() override { ++finishes; }
    bool terminated() const override { return calls > 0; }
    int calls = 0;
    int finishes = 0;
};

class RecordingModes : public TrayAndListening {
public:
    void SystemTrayClick() override { requests << QStringLiteral("tray"); }
    void ListeningModeClick() override { requests << QStringLiteral("listen"); }
    QStringList requests;
};

// Engine messages arrive in the same scripted boxes as the window's own.
class BoxesSink : public MessageSink {
public:
    explicit BoxesSink(MessageBoxes& boxes) : m_boxes(boxes) {}
    void showMessage(const std::string& text) override { m_boxes.information(QString::fromStdString(text)); }

private:
    MessageBoxes& m_boxes;
};

// Engine questions are answered from the same script as the window's own.
class BoxesQuestions : public EngineQuestions {
public:
    explicit BoxesQuestions(MessageBoxes& boxes) : m_boxes(boxes) {}
    bool askYesNo(const std::string& text) override { return m_boxes.askYesNo(QString::fromStdString(text)); }

private:
    MessageBoxes& m_boxes;
};

// Every file dialog is cancelled; the requests are counted.
class CancelledDialogs : public TableFileDialogs {
public:
    std::optional<std::string> askOpenFileName(const std::string&) override
    {
        ++openRequests;
        return std::nullopt;
    }
    std::optional<std::string> askSaveFileName(const std::string&) override
    {
        ++saveRequests;
        return std::nullopt;
    }
    int openRequests = 0;
    int saveRequests = 0;
};

// A perfectly quiet line at the zero level 128: calibration succeeds at once.
inline std::vector<uint8_t> quietLine()
{
    return std::vector<uint8_t>(4 * kCalibrationLength, 128);
}

// A line far too noisy for every calibration pass.
inline std::vector<uint8_t> noisyLine()
{
    std::vector<uint8_t> line(12 * kCalibrationLength);
    for (std::size_t i = 0; i < line.size(); ++i)
        line[i] = static_cast<uint8_t>(i % 2 ? 140 : 116);
    return line;
}

class ShellRig {
public:
    explicit ShellRig(std::vector<uint8_t> line = quietLine())
        : device(std::move(line)), pump(clock, [] { QCoreApplication::processEvents(); })
    {
        // Options go to this rig's own folder, starting empty.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    }

    std::string programDirectory() const { return programDir.path().toStdString() + "/"; }

    ShellPlatform platform()
    {
        ShellPlatform p;
        p.engine.messages = &sink;
        p.engine.questions = &questions;
        p.engine.dialogs = &dialogs;
        p.engine.capture = &device;
        p.engine.sound = &sound;
        p.engine.clock = &clock;
        p.engine.pump = &pump;
        p.engine.sampleStorePath = (programDir.path() + QStringLiteral("/VCWaves.tmp")).toStdString();
        p.boxes = &boxes;
        p.exit = &exit;
        p.modes = &modes;
        p.setMicrophoneAutoGain = [this](bool on, bool report) {
            autoGainRequests.push_back(on);
            if (!autoGainWorks && report)
                boxes.information(QStringLiteral("mixer: write failed"));
            return autoGainWorks;
        };
        p.memoryStatus = [this] {
            MemoryStatus status;
            status.msTotalPhys = totalPhysicalMemory;
            return status;
        };
        p.programDirectory = programDirectory();
        p.arguments = arguments;
        return p;
    }

    // Constructs the window and runs its creation steps.
    std::unique_ptr<TMainFrm> create()
    {
        auto window = std::make_unique<TMainFrm>(platform());
        created = window->FormCreate();
        return window;
    }

    // Shows the window and lets the one-time start-up sequence run.
    void start(TMainFrm& window)
    {
        window.show();
        QTRY_VERIFY(window.state().startupDone);
    }

    static void storeOption(const QString& key, const QVariant& value)
    {
        QSettings stored(QStringLiteral("Halcyon Works"), QStringLiteral("Larkspur QTX 98"));
        stored.setValue(key, value);
    }

    QTemporaryDir settingsDir;
    QTemporaryDir programDir;
    // The file device, counting what the engine throws away as heard sound.
    struct RigCaptureDevice : FileCaptureDevice {
        using FileCaptureDevice::FileCaptureDevice;
        int discardCaptured() override
        {
            discardsWhileOpen += isOpen();
            return 0;
        }
        int discardsWhileOpen = 0;
    } device;
    ManualClock clock;
    VirtualTimePump pump;
    SilentSoundPlayer sound;
    ScriptedMessageBoxes boxes;
    BoxesSink sink{boxes};
    BoxesQuestions questions{boxes};
    CancelledDialogs dialogs;
    RecordingExit exit;
    RecordingModes modes;
    bool autoGainWorks = false;
    std::vector<bool> autoGainRequests;
    uint64_t totalPhysicalMemory = 64ull * 1024 * 1024;
    std::vector<std::string> arguments;
    bool created = false;
};

} // namespace larkspur::test
