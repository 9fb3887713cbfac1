// The quick start guide: spoken instructions for a first voice command
// ("Calculator" from the catalogue), each followed by a wait for the user to
// do that step. It runs inside QuickStartTimer's handler and keeps the window
// alive by handling events while it waits.

#include "app/TMainFrm.h"

#include "app/PumpingDelay.h"
#include "engine/TVREngine32.h"

#include <QPushButton>
#include <QTimer>

namespace larkspur {

namespace {

const char* const kAskToStart = "Quick Start Mode is enabled. Do you wish to continue with Quick Start Mode?";
const char* const kAskToLeave =
    "You are in Quick Start Mode and have not selected anything for the last twenty seconds.  Do you wish to exit "
    "Quick Start Mode?";
const char* const kHowToDisable =
    "You can disable the Quick Start Mode by unchecking the Quick Start Mode menu option under the System menu "
    "option.";
const char* const kAutoFeaturesOff =
    "Please Note: While this Quick Start Mode is enabled, the Auto features will not work. To disable the Quick "
    "Start Mode feature please uncheck the Quick Start Mode menu option under the System menu option.";

// A step left alone this long brings the question whether to leave.
constexpr int32_t kIdleQuestionMs = 20000;
constexpr int kStepPollMs = 400;
constexpr int kBetweenIntroSoundsMs = 250;
constexpr int kBetweenClosingSoundsMs = 400;

} // namespace

bool TMainFrm::guidePlay(const char* sound)
{
    if (m_closing)
        return false;
    // Spoken whatever "Voice Buttons" says: the guide is nothing without it.
    if (m_platform.engine.sound)
        m_platform.engine.sound->playResource(sound);
    return !m_closing;
}

bool TMainFrm::guideDelay(int milliseconds)
{
    if (m_closing)
        return false;
    pumpingDelay(*m_platform.engine.clock, *m_platform.engine.pump, milliseconds);
    return !m_closing;
}

void TMainFrm::leaveQuickStart()
{
    showMessage(kHowToDisable);
    showMessage(kAutoFeaturesOff);
    m_state.voiceOperationsEnabled = true;
    m_train->setEnabled(true);
}

bool TMainFrm::guideWaitForStep(int step, const char* sound)
{
    Clock& clock = *m_platform.engine.clock;
    EventPump& pump = *m_platform.engine.pump;
    // Only what the user does from now on counts.
    m_state.quickStartSteps.at(static_cast<size_t>(step - 1)) = false;
    m_guideStep = step;
    struct NoLongerWaiting {
        int& step;
        ~NoLongerWaiting() { step = 0; }
    } noLongerWaiting{m_guideStep};
    uint32_t since = clock.tickCount();
    while (!m_state.quickStartStep(step)) {
        if (!guideDelay(kStepPollMs))
            return false;
        pump.processEvents();
        if (m_closing)
            return false;
        // A step done during this very pass needs no question.
        if (static_cast<int32_t>(clock.tickCount() - since) > kIdleQuestionMs && !m_state.quickStartStep(step)) {
            if (askYesNo(kAskToLeave)) {
                if (!m_closing)
                    leaveQuickStart();
                return false;
            }
            if (m_closing)
                return false;
            repaint();
            pump.processEvents();
            pump.processEvents();
            if (!guidePlay(sound))
                return false;
            since = clock.tickCount();
        }
    }
    return !m_closing;
}

void TMainFrm::QuickStartTimerTimer()
{
    m_quickStartTimer->stop();
    if (m_guideRan || m_closing)
        return;
    m_guideRan = true;

    if (!askYesNo(kAskToStart)) {
        if (!m_closing)
            leaveQuickStart();
        return;
    }
    if (m_closing)
        return;
    repaint();
    for (int i = 0; i < 3; ++i)
        m_platform.engine.pump->processEvents();
    m_train->setEnabled(false);

    const bool trainingReached =
        guidePlay("QUICK1") && guideDelay(kBetweenIntroSoundsMs) && guidePlay("QUICK2")
        && guideDelay(kBetweenIntroSoundsMs) && guidePlay("QUICK3") && guideWaitForStep(1, "QUICK3")
        && guidePlay("QUICK5") && guideWaitForStep(2, "QUICK5")     // "Default Applications"
        && guidePlay("QUICK6") && guideWaitForStep(3, "QUICK6")     // "Calculator"
        && guidePlay("QUICK7") && guideWaitForStep(4, "QUICK7")     // Accept
        && guidePlay("QUICK8") && guidePlay("QUICK9") && guideWaitForStep(5, "QUICK9")  // the Train tab
        && guidePlay("QUICK10") && guideWaitForStep(6, "QUICK10")  // pick it in the Created list
        && guidePlay("QUICK11");
    if (!trainingReached)
        return;

    // Training is possible now; the Train click trains before the guide goes on.
    m_state.voiceOperationsEnabled = true;
    m_train->setEnabled(true);
    if (!guideWaitForStep(7, "QUICK11"))
        return;

    m_state.voiceOperationsEnabled = false;
    m_train->setEnabled(false);
    m_engine->CheckTableTrained();
    const bool spoken = m_engine->TableTrained()
                            ? guidePlay("QUICK12") && guideDelay(kBetweenClosingSoundsMs) && guidePlay("QUICK13")
                                  && guideDelay(kBetweenClosingSoundsMs) && guidePlay("QUICK14")
                            : guidePlay("QUICK15") && guideDelay(kBetweenClosingSoundsMs);
    if (!spoken)
        return;
    m_state.voiceOperationsEnabled = true;
    m_train->setEnabled(true);
    showMessage(kAutoFeaturesOff);
}

} // namespace larkspur
