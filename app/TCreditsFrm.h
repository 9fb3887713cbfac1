#pragma once
// The credits window ("Special Thanks To"): the people, and the free software
// and data the program is built on with their licences. Not modal.

#include <QWidget>

class QTextBrowser;

namespace larkspur {

class TCreditsFrm : public QWidget {
    Q_OBJECT
public:
    // The text is credits.html of the help folder.
    explicit TCreditsFrm(const QString& helpDir, QWidget* parent = nullptr);
    QTextBrowser* text() const { return m_text; }

private:
    QTextBrowser* m_text = nullptr;
};

} // namespace larkspur
