#pragma once
// What the recognition dispatch needs from the main window: the confidence
// pointer, message boxes, the status and plot windows, the unsaved-changes
// flag, and the program's own main window and tray icon. The GUI implements
// it; tests and the command line use their own.

#include <string>

namespace larkspur {

class DispatchShell {
public:
    virtual ~DispatchShell() = default;
    // Position of the Confidence track bar (75..100): the lowest confidence acted on.
    virtual int confidencePointer() = 0;
    // A modal message box; returns when the user has closed it.
    virtual void showMessage(const std::string& text) = 0;
    // "Show Status Window" is checked.
    virtual bool statusWindowChecked() = 0;
    // Hides the status window and shows it again, up to date and on top.
    virtual void reshowStatusWindow() = 0;
    virtual bool mainWindowMinimised() = 0;
    // "Plotting" is checked.
    virtual bool plottingChecked() = 0;
    // The plot window takes the last utterance and redraws at the current zoom.
    virtual void plotLastUtterance() = 0;
    // Sets the unsaved-changes flag of the table.
    virtual void setTableChanged() = 0;
    // The program's own main window and notification-area icon.
    virtual bool trayIconActive() = 0;
    virtual void setTrayIconActive(bool on) = 0;
    virtual void showPlotWindow() = 0;
    virtual void showMainWindow() = 0;
    // Restores the application from its minimised state and brings it to the front.
    virtual void restoreApplication() = 0;
    // Listening mode goes off around a sound file a voice command plays (its
    // look, the mouse motion) and on again afterwards (its look, the missed
    // commands count from 0), and what the microphone heard of the sound is
    // thrown away. The listening loop that raised the recognition simply goes
    // on afterwards: no second loop runs inside the first.
    virtual void pauseListeningForSound() {}
    virtual void resumeListeningAfterSound() {}
};

} // namespace larkspur
