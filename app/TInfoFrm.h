#pragma once
// The progress window of a disk search: a line of text and a Cancel button.
// It exists for the life of the program and is shown and hidden; Cancel (or
// Escape) only raises a flag that the running search reads between folders
// and between found entries.

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

namespace larkspur {

class TInfoFrm : public QDialog {
    Q_OBJECT

public:
    explicit TInfoFrm(QWidget* parent = nullptr);

    // Puts text into the window, centres it on the screen, shows it on top
    // and paints it at once (the search that follows may keep the loop busy).
    void showProgress(const QString& text);

    // Cancel and Escape.
    void CancelFindClick();
    std::function<void()> OnCancel;

    QLabel* Label1() const { return m_label; }
    QPushButton* CancelFind() const { return m_cancelFind; }

public slots:
    // Escape: the window stays until the search has stopped.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* m_label = nullptr;
    QPushButton* m_cancelFind = nullptr;
};

// Centres a top-level window on the screen it is on (the primary one first).
void centreOnScreen(QWidget& window);

} // namespace larkspur
