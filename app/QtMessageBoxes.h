#pragma once
// Modal QMessageBox dialogs over the given window.

#include "app/MessageBoxes.h"

#include <QPointer>
#include <QWidget>

namespace larkspur {

class QtMessageBoxes : public MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr);
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    void information(const QString& text) override;
    bool askYesNo(const QString& text) override;
    MessageAnswer askYesNoCancel(const QString& text) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace larkspur
