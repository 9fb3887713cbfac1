#pragma once
// The training window: names the phrase to say and counts the passes while
// the engine trains a voice command. It stays above every window, has no
// border icons, and its Cancel button (also Escape) stops the training.

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace larkspur {

class TTrainFrm : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Larkspur QTX 98 - Train Voice Command";

    explicit TTrainFrm(QWidget* parent = nullptr);

    // Sets the pass counter back to its first pass.
    void FormShow();
    // Runs OnCancel; the training loop ends at its next pass.
    void TrnCancelBtnClick();

    QLabel* PleaseTxt() const { return m_pleaseTxt; }
    QLineEdit* DisplayTxt() const { return m_displayTxt; }
    QLabel* Status() const { return m_status; }
    QLabel* TrainingPass() const { return m_trainingPass; }
    QPushButton* TrnCancelBtn() const { return m_cancel; }

    std::function<void()> OnCancel;

protected:
    void showEvent(QShowEvent* event) override;
    // Escape cancels the training; the window is never closed by it.
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_pleaseTxt = nullptr;
    QLineEdit* m_displayTxt = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_trainingPass = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace larkspur
