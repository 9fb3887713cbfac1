#pragma once
// The engine's table file dialogs as Qt file dialogs.

#include "engine/EnginePlatform.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace larkspur {

class QtTableFileDialogs : public TableFileDialogs {
public:
    explicit QtTableFileDialogs(QWidget* parent = nullptr);
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    std::optional<std::string> askOpenFileName(const std::string& filter) override;
    std::optional<std::string> askSaveFileName(const std::string& filter) override;

    // "Description|pattern|Description|pattern" to Qt's "Description (pattern);;...".
    // A description that already shows its pattern is kept as it is.
    static QString toQtFilter(const std::string& filter);

private:
    std::optional<std::string> run(bool save, const std::string& filter);

    QPointer<QWidget> m_parent;
};

} // namespace larkspur
