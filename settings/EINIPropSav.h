#pragma once
// The settings component's own error: the store could not be opened or written,
// or a stored text is not a valid value for its property.

#include <QString>

#include <stdexcept>

namespace larkspur {

class EINIPropSav : public std::runtime_error {
public:
    explicit EINIPropSav(const QString& message)
        : std::runtime_error(message.toStdString())
    {
    }
    QString text() const { return QString::fromStdString(what()); }
};

// The one message the component shows when its store is unusable.
inline const char* const kStoreProblemMessage = "There are problems with the INI/Registry file";

} // namespace larkspur
