#include "ui/WidgetProperties.h"

#include "settings/EINIPropSav.h"
#include "settings/PropertyAccessors.h"
#include "settings/PropertyRegistry.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAction>
#include <QLabel>
#include <QPointer>

#include <memory>

namespace larkspur {

namespace {

template <typename T>
T* alive(const QPointer<T>& control, const QString& name)
{
    if (!control)
        throw EINIPropSav(QStringLiteral("%1 no longer exists").arg(name));
    return control.data();
}

std::shared_ptr<HandlerSlot> addEvent(PropertyRegistry& registry, const QString& name, const QString& event)
{
    auto slot = std::make_shared<HandlerSlot>();
    registry.addProperty(name, event, std::make_unique<MethodProperty>(slot));
    return slot;
}

} // namespace

void registerCheckableAction(PropertyRegistry& registry, const QString& name, QAction* action,
                             const QString& clickEvent)
{
    QPointer<QAction> guarded(action);
    registry.addProperty(name, QStringLiteral("Checked"),
                         makeBooleanProperty([guarded, name] { return alive(guarded, name)->isChecked(); },
                                             [guarded, name](bool on) { alive(guarded, name)->setChecked(on); }));
    auto slot = addEvent(registry, name, clickEvent);
    QObject::connect(action, &QAction::triggered, action, [slot] { (*slot)(); });
}

void registerCheckBox(PropertyRegistry& registry, const QString& name, QAbstractButton* box,
                      const QString& clickEvent)
{
    QPointer<QAbstractButton> guarded(box);
    registry.addProperty(name, QStringLiteral("Checked"),
                         makeBooleanProperty([guarded, name] { return alive(guarded, name)->isChecked(); },
                                             [guarded, name](bool on) { alive(guarded, name)->setChecked(on); }));
    auto slot = addEvent(registry, name, clickEvent);
    QObject::connect(box, &QAbstractButton::toggled, box, [slot] { (*slot)(); });
}

void registerSlider(PropertyRegistry& registry, const QString& name, QAbstractSlider* slider,
                    const QString& changeEvent)
{
    QPointer<QAbstractSlider> guarded(slider);
    registry.addProperty(name, QStringLiteral("Position"),
                         std::make_unique<IntegerProperty>(
                             [guarded, name] { return static_cast<int32_t>(alive(guarded, name)->value()); },
                             [guarded, name](int32_t v) { alive(guarded, name)->setValue(v); }));
    auto slot = addEvent(registry, name, changeEvent);
    QObject::connect(slider, &QAbstractSlider::valueChanged, slider, [slot] { (*slot)(); });
}

void registerLabel(PropertyRegistry& registry, const QString& name, QLabel* label)
{
    QPointer<QLabel> guarded(label);
    registry.addProperty(name, QStringLiteral("Caption"),
                         std::make_unique<StringProperty>(
                             [guarded, name] { return alive(guarded, name)->text(); },
                             [guarded, name](const QString& text) { alive(guarded, name)->setText(text); }));
}

} // namespace larkspur
