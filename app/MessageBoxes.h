#pragma once
// Every message box and question the shell shows goes through here, so tests
// script the answers instead of blocking on a modal dialog.

#include <QString>

namespace larkspur {

enum class MessageAnswer { Yes, No, Cancel };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A modal message with an OK button.
    virtual void information(const QString& text) = 0;
    // A confirmation with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // A confirmation with Yes, No and Cancel.
    virtual MessageAnswer askYesNoCancel(const QString& text) = 0;
};

} // namespace larkspur
