#pragma once
// The shell's side of the dispatch for programs without windows: a fixed
// confidence pointer, no status, plot or tray windows, and messages kept (and
// optionally echoed to a stream) instead of shown in boxes.

#include "actions/DispatchShell.h"

#include <ostream>
#include <string>
#include <vector>

namespace larkspur {

class HeadlessDispatchShell : public DispatchShell {
public:
    explicit HeadlessDispatchShell(int confidence, std::ostream* echo = nullptr)
        : m_confidence(confidence), m_echo(echo)
    {
    }
    int confidencePointer() override { return m_confidence; }
    void showMessage(const std::string& text) override
    {
        if (m_echo)
            *m_echo << text << '\n' << std::flush;
        messages.push_back(text);
    }
    bool statusWindowChecked() override { return false; }
    void reshowStatusWindow() override {}
    bool mainWindowMinimised() override { return true; }
    bool plottingChecked() override { return false; }
    void plotLastUtterance() override {}
    void setTableChanged() override {}
    bool trayIconActive() override { return false; }
    void setTrayIconActive(bool) override {}
    void showPlotWindow() override {}
    void showMainWindow() override {}
    void restoreApplication() override {}

    std::vector<std::string> messages;

private:
    int m_confidence;
    std::ostream* m_echo;
};

} // namespace larkspur
