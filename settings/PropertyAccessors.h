#pragma once
// Accessors for the property kinds the windows persist, built from a getter and
// a setter so they work for any widget (or for plain values in tests).

#include "settings/HandlerSlot.h"
#include "settings/PropertyAccessor.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace larkspur {

class IntegerProperty : public PropertyAccessor {
public:
    IntegerProperty(std::function<int32_t()> get, std::function<void(int32_t)> set);
    PropertyKind kind() const override { return PropertyKind::pkInteger; }
    QString displayText() const override;
    void setDisplayText(const QString& text) override;
    int32_t ordinal() const override { return m_get(); }
    void setOrdinal(int32_t value) override { m_set(value); }

private:
    std::function<int32_t()> m_get;
    std::function<void(int32_t)> m_set;
};

// An enumeration shown by the names of its values; Boolean is {"False", "True"}.
class EnumProperty : public PropertyAccessor {
public:
    EnumProperty(QStringList names, std::function<int32_t()> get, std::function<void(int32_t)> set);
    PropertyKind kind() const override { return PropertyKind::pkEnumeration; }
    QString displayText() const override;
    void setDisplayText(const QString& text) override;
    int32_t ordinal() const override { return m_get(); }
    void setOrdinal(int32_t value) override;

private:
    QStringList m_names;
    std::function<int32_t()> m_get;
    std::function<void(int32_t)> m_set;
};

std::unique_ptr<EnumProperty> makeBooleanProperty(std::function<bool()> get, std::function<void(bool)> set);

class FloatProperty : public PropertyAccessor {
public:
    FloatProperty(std::function<double()> get, std::function<void(double)> set);
    PropertyKind kind() const override { return PropertyKind::pkFloat; }
    QString displayText() const override;
    void setDisplayText(const QString& text) override;
    double floatValue() const override { return m_get(); }
    void setFloatValue(double value) override { m_set(value); }

private:
    std::function<double()> m_get;
    std::function<void(double)> m_set;
};

class StringProperty : public PropertyAccessor {
public:
    StringProperty(std::function<QString()> get, std::function<void(const QString&)> set);
    PropertyKind kind() const override { return PropertyKind::pkString; }
    QString displayText() const override { return m_get(); }
    void setDisplayText(const QString& text) override { m_set(text); }

private:
    std::function<QString()> m_get;
    std::function<void(const QString&)> m_set;
};

// An event property. The slot is shared with whatever fires the event (a
// widget's signal connection), so either side may be destroyed first.
class MethodProperty : public PropertyAccessor {
public:
    explicit MethodProperty(std::shared_ptr<HandlerSlot> slot);
    PropertyKind kind() const override { return PropertyKind::pkMethod; }
    QString displayText() const override { return m_slot->reference(); }
    // Handlers are assigned by reference through the registry, never from text.
    void setDisplayText(const QString& text) override;

    HandlerSlot& slot() { return *m_slot; }
    const std::shared_ptr<HandlerSlot>& sharedSlot() const { return m_slot; }

private:
    std::shared_ptr<HandlerSlot> m_slot;
};

} // namespace larkspur
