#pragma once
// What the application finder needs from the user interface: the progress
// window with its Cancel button, Yes/No questions, the location chooser and
// message boxes. The GUI shows real windows; tests and the command line
// answer from a script.

#include <optional>
#include <string>
#include <vector>

namespace larkspur {

class FinderUi {
public:
    virtual ~FinderUi() = default;
    // Disables the main window and shows the progress window with text.
    virtual void showProgress(const std::string& text) = 0;
    // Hides the progress window and enables the main window again.
    virtual void hideProgress() = 0;
    // A confirmation box with Yes and No; true for Yes.
    virtual bool askYesNo(const std::string& question) = 0;
    // A modal message box.
    virtual void showMessage(const std::string& text) = 0;
    // The location chooser, with the first location selected. The chosen
    // location, or nullopt for Cancel.
    virtual std::optional<std::string> chooseLocation(const std::vector<std::string>& locations) = 0;
    // Lets pending user-interface events run; the Cancel button is heard here.
    virtual void processEvents() = 0;
};

} // namespace larkspur
