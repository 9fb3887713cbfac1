// The Microphone panel's buttons, the Help and Updates menus, the credits
// window and F1 on controls carrying a help context number.

#include "app/TMainFrm.h"

#include "actions/TAppExec.h"
#include "actions/TURL.h"
#include "app/HelpContext.h"
#include "app/HelpTopics.h"
#include "app/MainDispatch.h"
#include "app/ProjectAddresses.h"
#include "app/TCreditsFrm.h"
#include "app/THelpViewer.h"
#include "engine/TVREngine32.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>

namespace larkspur {

namespace {

const char* const kMicSetupProgram = "larkspur-micsetup";

// F1 anywhere in the main window asks for the help of the control that has
// the key, before the control itself sees it.
class HelpKeyFilter : public QObject {
public:
    explicit HelpKeyFilter(TMainFrm& window) : QObject(&window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(event)->key() != Qt::Key_F1)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &m_window)
            return false;
        m_window.ShowContextHelp(widget);
        return true;
    }

private:
    TMainFrm& m_window;
};

} // namespace

void TMainFrm::wireSettingsAndHelp()
{
    m_helpViewer = std::make_unique<THelpViewer>(helpDirectory());
    m_creditsFrm = std::make_unique<TCreditsFrm>(helpDirectory());

    connect(m_setupMicBtn, &QPushButton::clicked, this, &TMainFrm::SetupMicBtnClick);
    // Only the user's click: the box is not persisted.
    connect(m_setMixer, &QPushButton::clicked, this, &TMainFrm::SetMixerClick);

    const struct {
        const char* item;
        void (TMainFrm::*handler)();
    } items[] = {
        {"Topics1", &TMainFrm::Topics1Click},
        {"Index1", &TMainFrm::Index1Click},
        {"ContactInformation1", &TMainFrm::ContactInformation1Click},
        {"WebSite1", &TMainFrm::WebSite1Click},
        {"EMailSupport1", &TMainFrm::EMailSupport1Click},
        {"EMailBugReport1", &TMainFrm::EMailBugReport1Click},
        {"WebSiteUpdateArea1", &TMainFrm::WebSiteUpdateArea1Click},
        {"AboutDevelopmentTeam1", &TMainFrm::AboutDevelopmentTeam1Click},
    };
    for (const auto& item : items)
        if (QAction* action = findChild<QAction*>(QString::fromLatin1(item.item)))
            connect(action, &QAction::triggered, this, item.handler);

    qApp->installEventFilter(new HelpKeyFilter(*this));
}

void TMainFrm::SetupMicBtnClick()
{
    // The calibration dialog does not block this window: a second click would
    // open the device a second time under the running measurement.
    if (m_recalibrating)
        return;
    m_recalibrating = true;
    const std::string chosen = m_platform.chosenMicrophone ? m_platform.chosenMicrophone() : std::string();
    if (chosen.empty() || chosen == m_platform.microphoneInUse || !m_platform.makeMicrophone) {
        m_engine->Initialize();
    } else if (m_engine->InitializeWith(m_platform.makeMicrophone(chosen))) {
        // A microphone chosen in the set-up program since the last calibration.
        m_platform.microphoneInUse = chosen;
    }
    // A chosen device that cannot be used has said why (the engine's
    // message); the one in use stays as it was, and the next Re-Calibrate
    // tries the chosen one again.
    m_recalibrating = false;
}

void TMainFrm::SetMixerClick()
{
    TAppExec& appExe = m_dispatch->appExe();
    appExe.Clear();
    // Started from its own folder by a relative name: the command line is
    // split on blanks, and a program directory may contain some.
    appExe.setExePath(m_state.programDirectory);
    appExe.setChangeDir(true);
    appExe.setExeName(std::string("./") + kMicSetupProgram);
    appExe.setWait(false);
    appExe.setWindowState(TWindowState::wsNormal);
    try {
        appExe.Execute();
    } catch (const EAppExecChDir& error) {
        showMessage(error.what());
    } catch (const EAppExecWinExec& error) {
        showMessage(error.what());
    }
}

void TMainFrm::Topics1Click()
{
    m_helpViewer->showContents();
}

void TMainFrm::Index1Click()
{
    m_helpViewer->showIndex();
}

void TMainFrm::ContactInformation1Click()
{
    m_helpViewer->showTopic(kContactInformationTopic);
}

void TMainFrm::ShowContextHelp(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget())
        if (const int context = HelpContext(w); context != 0 && m_helpViewer->showTopic(context))
            return;
    m_helpViewer->showContents();
}

void TMainFrm::openAddress(const char* address, TURLType urlType)
{
    TURL& url = m_dispatch->urlStuff();
    url.setURL(address);
    url.setURLType(urlType);
    if (!url.OpenURL())
        showMessage("Nothing opened " + url.fullAddress()
                    + ": please check that a web browser and a mail program are set up on this desktop.");
}

void TMainFrm::WebSite1Click()
{
    openAddress(kWebSiteAddress, TURLType::utHttps);
}

void TMainFrm::EMailSupport1Click()
{
    openAddress(kSupportMailAddress, TURLType::utMailto);
}

void TMainFrm::EMailBugReport1Click()
{
    openAddress(kBugReportMailAddress, TURLType::utMailto);
}

void TMainFrm::WebSiteUpdateArea1Click()
{
    openAddress(kUpdatesAddress, TURLType::utHttps);
}

void TMainFrm::AboutDevelopmentTeam1Click()
{
    m_creditsFrm->show();
    m_creditsFrm->raise();
    m_creditsFrm->activateWindow();
}

void TMainFrm::closeHelpWindows()
{
    m_helpViewer->close();
    m_creditsFrm->close();
}

} // namespace larkspur
