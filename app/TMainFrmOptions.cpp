// The options the window keeps between runs: which control properties the
// settings component persists, the handlers their event properties name, and
// those handlers.

#include "app/TMainFrm.h"

#include "app/PushToTalkControl.h"
#include "app/TTrackBar.h"
#include "engine/TVREngine32.h"
#include "settings/HandlerSlot.h"
#include "settings/MainFormProperties.h"
#include "settings/PropertyAccessors.h"
#include "settings/PropertyRegistry.h"
#include "settings/TINIPropSav.h"

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QSignalBlocker>

namespace larkspur {

namespace {

const QString kOwner = QStringLiteral("MainFrm");

void addChecked(PropertyRegistry& registry, const char* component, std::function<bool()> get,
                std::function<void(bool)> set)
{
    registry.addProperty(QString::fromLatin1(component), QStringLiteral("Checked"),
                         makeBooleanProperty(std::move(get), std::move(set)));
}

void addMenuItem(PropertyRegistry& registry, QAction* action)
{
    addChecked(registry, action->objectName().toLatin1().constData(), [action] { return action->isChecked(); },
               [action](bool on) { action->setChecked(on); });
}

void addCheckBox(PropertyRegistry& registry, QCheckBox* box)
{
    addChecked(registry, box->objectName().toLatin1().constData(), [box] { return box->isChecked(); },
               [box](bool on) { box->setChecked(on); });
}

void addPosition(PropertyRegistry& registry, TTrackBar* bar)
{
    registry.addProperty(bar->objectName(), QStringLiteral("Position"),
                         std::make_unique<IntegerProperty>([bar] { return bar->Position(); },
                                                           [bar](int32_t value) { bar->setPosition(value); }));
}

} // namespace

void TMainFrm::registerHandler(const char* name, void (TMainFrm::*handler)())
{
    m_components->addHandler(kOwner, QString::fromLatin1(name), [this, handler] { (this->*handler)(); });
}

std::shared_ptr<HandlerSlot> TMainFrm::eventSlot(const char* component, const char* property, const char* handler)
{
    auto slot = std::make_shared<HandlerSlot>();
    const QString reference = kOwner + QLatin1Char('.') + QString::fromLatin1(handler);
    slot->assign(reference, m_components->findHandler(reference));
    m_components->addProperty(QString::fromLatin1(component), QString::fromLatin1(property),
                              std::make_unique<MethodProperty>(slot));
    return slot;
}

void TMainFrm::configurePropertySaver()
{
    m_components = std::make_unique<PropertyRegistry>();
    PropertyRegistry& registry = *m_components;

    registerHandler("AutoClickClick", &TMainFrm::AutoClickClick);
    registerHandler("PlottingClick", &TMainFrm::PlottingClick);
    registerHandler("ViewTips1Click", &TMainFrm::ViewTips1Click);
    registerHandler("PlayBack1Click", &TMainFrm::PlayBack1Click);
    registerHandler("AccuracyScBrChange", &TMainFrm::AccuracyScBrChange);

    addCheckBox(registry, m_autoClick);
    addCheckBox(registry, m_playBack1);
    addCheckBox(registry, m_enhancedMatching);
    for (QAction* item : {m_plotting, m_viewTips1, m_voiceButtons, m_alwaysTop, m_quickStart, m_autoIconTray1,
                          m_autoListenafterload1, m_showRecognitionStatusWindow1, m_autoLoadLastTable1})
        addMenuItem(registry, item);
    addPosition(registry, m_accuracyScBr);
    addPosition(registry, m_confidence);
    registry.addProperty(QStringLiteral("LastTable"), QStringLiteral("Caption"),
                         std::make_unique<StringProperty>([this] { return m_lastTable->text(); },
                                                          [this](const QString& text) { m_lastTable->setText(text); }));

    // The push-to-talk key by name; empty: listening hears every utterance.
    registry.addProperty(QStringLiteral("PushToTalkKey1"), QStringLiteral("Caption"),
                         std::make_unique<StringProperty>([this] { return m_pushToTalk->keyName(); },
                                                          [this](const QString& key) { m_pushToTalk->setKeyName(key); }));

    m_autoClickOnClick = eventSlot("AutoClick", "OnClick", "AutoClickClick");
    m_plottingOnClick = eventSlot("Plotting", "OnClick", "PlottingClick");
    m_viewTips1OnClick = eventSlot("ViewTips1", "OnClick", "ViewTips1Click");
    m_playBack1OnClick = eventSlot("PlayBack1", "OnClick", "PlayBack1Click");
    m_accuracyScBrOnChange = eventSlot("AccuracyScBr", "OnChange", "AccuracyScBrChange");

    // A check box reports every change of its state, also one made by loading
    // the options; a menu item only the user's click.
    // Auto gain is not kept between runs; only the user's click switches it.
    connect(m_autoGain, &QCheckBox::clicked, this, &TMainFrm::AutoGainClick);
    connect(m_autoClick, &QCheckBox::toggled, this, [slot = m_autoClickOnClick] { (*slot)(); });
    connect(m_playBack1, &QCheckBox::toggled, this, [slot = m_playBack1OnClick] { (*slot)(); });
    connect(m_enhancedMatching, &QCheckBox::toggled, this, [this] { EnhancedMatchingClick(); });
    connect(m_plotting, &QAction::triggered, this, [slot = m_plottingOnClick] { (*slot)(); });
    connect(m_viewTips1, &QAction::triggered, this, [slot = m_viewTips1OnClick] { (*slot)(); });
    // Only the user's move of the slider sets the engine's accuracy.
    connect(m_accuracyScBr, &QSlider::valueChanged, this, [this, slot = m_accuracyScBrOnChange] {
        if (!m_loadingOptions)
            (*slot)();
    });

    m_iniPropSav = std::make_unique<TINIPropSav>(registry);
    configureMainFormSettings(*m_iniPropSav);
    // Loading and saving the options may take a moment: the busy cursor says so.
    m_iniPropSav->OnStartLoadingProperties = [this](TINIPropSav&) {
        m_loadingOptions = true;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    };
    m_iniPropSav->OnEndLoadingProperties = [this](TINIPropSav&) {
        m_loadingOptions = false;
        QGuiApplication::restoreOverrideCursor();
    };
    m_iniPropSav->OnStartSavingProperties = [](TINIPropSav&) { QGuiApplication::setOverrideCursor(Qt::WaitCursor); };
    m_iniPropSav->OnEndSavingProperties = [](TINIPropSav&) { QGuiApplication::restoreOverrideCursor(); };
}

void TMainFrm::AutoGainClick()
{
    const bool on = m_autoGain->isChecked();
    if (!m_platform.setMicrophoneAutoGain)
        return;
    // A switch that could not be written is reported, and the box shows the
    // state the microphone really has.
    if (!m_platform.setMicrophoneAutoGain(on, true)) {
        const QSignalBlocker quiet(m_autoGain);
        m_autoGain->setChecked(!on);
    }
}

void TMainFrm::AutoClickClick()
{
    m_state.autoMouseClick = m_autoClick->isChecked();
}

void TMainFrm::PlottingClick()
{
    ApplyPlotting();
}

void TMainFrm::ViewTips1Click()
{
    m_showHints = m_viewTips1->isChecked();
}

void TMainFrm::PlayBack1Click()
{
    m_engine->setPlayBack(m_playBack1->isChecked());
}

void TMainFrm::EnhancedMatchingClick()
{
    m_engine->setMatcher(m_enhancedMatching->isChecked() ? MatcherKind::Enhanced : MatcherKind::Specified);
}

void TMainFrm::AccuracyScBrChange()
{
    m_engine->setAccuracy(60 - 5 * m_accuracyScBr->Position());
}

} // namespace larkspur
