#pragma once
// One persistent property of a named component, reached without knowing the
// widget behind it: the settings component reads and writes display texts, and
// raw numbers for the kinds that can be stored raw.

#include <QString>

#include <cstdint>

namespace larkspur {

enum class PropertyKind { pkInteger, pkEnumeration, pkFloat, pkString, pkMethod };

class PropertyAccessor {
public:
    virtual ~PropertyAccessor() = default;
    virtual PropertyKind kind() const = 0;

    // The value as a property inspector shows it: "True", "42", a path.
    virtual QString displayText() const = 0;
    // Throws EINIPropSav when the text is no valid value of the property.
    virtual void setDisplayText(const QString& text) = 0;

    // Raw form of integers (the value) and enumerations (the ordinal).
    virtual int32_t ordinal() const;
    virtual void setOrdinal(int32_t value);
    // Raw form of floating-point properties.
    virtual double floatValue() const;
    virtual void setFloatValue(double value);
};

} // namespace larkspur
