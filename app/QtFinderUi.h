#pragma once
// The application finder's user interface on the desktop: the progress window
// TInfoFrm, the location chooser TMoreFrm and the window's message boxes. The
// main window is disabled while a search runs and while the chooser is open.
// The two windows exist for the life of this object and are shown and hidden.

#include "actions/FinderUi.h"

#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;
class QWidget;

namespace larkspur {

class MessageBoxes;
class TInfoFrm;
class TMoreFrm;

class QtFinderUi : public FinderUi {
public:
    // stopFlag mirrors the search's stop flag (checked: stop); fromMoreFrm
    // receives the chooser's answer.
    QtFinderUi(QWidget& mainWindow, MessageBoxes& boxes, QCheckBox& stopFlag, QLineEdit& fromMoreFrm);
    ~QtFinderUi() override;

    TInfoFrm& infoFrm() { return *m_infoFrm; }
    TMoreFrm& moreFrm() { return *m_moreFrm; }

    // Called by Cancel in the progress window, after the stop flag is checked.
    std::function<void()> OnCancel;

    void showProgress(const std::string& text) override;
    void hideProgress() override;
    bool askYesNo(const std::string& question) override;
    void showMessage(const std::string& text) override;
    std::optional<std::string> chooseLocation(const std::vector<std::string>& locations) override;
    void processEvents() override;

private:
    QWidget& m_mainWindow;
    MessageBoxes& m_boxes;
    QCheckBox& m_stopFlag;
    QLineEdit& m_fromMoreFrm;
    // Top-level windows of their own: a child of the main window would be
    // disabled together with it.
    std::unique_ptr<TInfoFrm> m_infoFrm;
    std::unique_ptr<TMoreFrm> m_moreFrm;
};

} // namespace larkspur
