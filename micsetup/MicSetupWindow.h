#pragma once
// The set-up program's window: the capture devices, a live level meter, a
// 3-second test recording played back, a noise check, and the button that
// makes the chosen device the one the desktop program records from.

#include "engine/CaptureDevice.h"
#include "engine/EnginePlatform.h"
#include "micsetup/CaptureChoices.h"
#include "micsetup/MicrophoneTap.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace larkspur {

struct MicSetupPlatform {
    std::function<std::vector<PcmHint>()> hints;
    std::function<std::unique_ptr<CaptureDevice>(const std::string& name)> openDevice;
    std::function<bool(const std::string& name)> save;
    SoundPlayer* sound = nullptr;  // plays the test recording back
    std::string inUse;             // the device the desktop program records from
};

class MicSetupWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTestRecordingSamples = 3 * 11025;
    static constexpr int kQuietSamples = 2 * 11025;

    explicit MicSetupWindow(MicSetupPlatform platform, QWidget* parent = nullptr);
    ~MicSetupWindow() override;

    void refresh();
    void startTestRecording();
    void startNoiseCheck();
    void useSelected();
    // Takes what the device recorded since the last call (the timer calls it).
    void pollDevice();

    QString advice() const;
    const std::vector<CaptureChoice>& choices() const { return m_choices; }

private:
    enum class Task { Meter, Recording, Quiet };
    void selectionChanged();
    void openSelected();
    void finishTask();
    void setAdvice(const QString& text);
    void updateButtons();

    MicSetupPlatform m_platform;
    std::vector<CaptureChoice> m_choices;
    std::unique_ptr<CaptureDevice> m_device;
    std::unique_ptr<MicrophoneTap> m_tap;
    Task m_task = Task::Meter;
    std::vector<uint8_t> m_taken;
    std::optional<std::vector<uint8_t>> m_quietLine;
    QTimer m_timer;

    QListWidget* m_list = nullptr;
    QLabel* m_none = nullptr;
    QProgressBar* m_meter = nullptr;
    QPushButton* m_record = nullptr;
    QPushButton* m_noise = nullptr;
    QPushButton* m_use = nullptr;
    QPushButton* m_refresh = nullptr;
    QPushButton* m_close = nullptr;
    QLabel* m_advice = nullptr;
};

} // namespace larkspur
