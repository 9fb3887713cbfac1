#pragma once
// Enter and Escape on a work panel. The panels share one main window, so a
// button's default and cancel roles cannot come from a dialog: this filter,
// installed on the panel's controls, gives Enter to the focused button or
// else to the panel's default button, and Escape to its cancel button.
// Controls that use Enter themselves (the catalogue tree) are left alone.

#include <QObject>
#include <QPointer>

class QPushButton;
class QWidget;

namespace larkspur {

class PanelKeys : public QObject {
    Q_OBJECT
public:
    // cancelButton may be null. Installs itself on every control of panel
    // except tree views.
    PanelKeys(QWidget* panel, QPushButton* defaultButton, QPushButton* cancelButton);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QPushButton> m_default;
    QPointer<QPushButton> m_cancel;
};

} // namespace larkspur
