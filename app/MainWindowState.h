#pragma once
// The values every part of the main window reads and writes, owned by the
// window for its whole life and set to their start values by FormCreate.

#include <QStringList>

#include <array>
#include <string>

namespace larkspur {

struct MainWindowState {
    static constexpr int kPlotZoomMin = 1;
    static constexpr int kPlotZoomMax = 25;
    static constexpr int kMouseStop = -1;
    static constexpr int kQuickStartSteps = 7;

    std::string programDirectory;  // with a trailing separator
    int tableCapacity = 0;
    bool unsavedChanges = false;
    int selectedVoiceCommand = 0;  // 0: none
    bool pendingRecentTable = false;
    std::string pendingRecentPath;
    int plotZoom = kPlotZoomMax;
    bool autoMouseClick = false;
    int mouseMotionMode = kMouseStop;
    bool voiceOperationsEnabled = false;
    std::array<bool, kQuickStartSteps> quickStartSteps{};  // step k at index k - 1
    bool startupDone = false;
    QStringList currentTabSet;

    void setQuickStartStep(int step) { quickStartSteps.at(step - 1) = true; }
    bool quickStartStep(int step) const { return quickStartSteps.at(step - 1); }
};

} // namespace larkspur
