#pragma once
// Which window a new dialog or message box belongs to, and keeping it above
// that window: a box hidden behind a stay-on-top main window would leave the
// program looking frozen.

class QWidget;

namespace larkspur {

// The modal dialog the user is in, else the fallback's window (the main
// window). Null when there is neither.
QWidget* dialogOwner(QWidget* fallback);

// Makes the dialog a child window of its owner, so the window manager keeps it
// above the owner, and lets it stay on top when the owner does.
void keepAboveOwner(QWidget* dialog, QWidget* owner);

} // namespace larkspur
