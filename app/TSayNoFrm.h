#pragma once
// The dialog shown while the microphone line is measured: it asks the user to
// keep quiet and counts the seconds on a progress bar.

#include "engine/EnginePlatform.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QTimer;

namespace larkspur {

class TSayNoFrm : public QDialog, public CalibrationView {
    Q_OBJECT

public:
    explicit TSayNoFrm(QWidget* parent = nullptr);

    // CalibrationView: show starts the count afresh, as a newly created dialog does.
    void show() override;
    void hide() override;
    void restartProgress() override;
    void close() override;

    // Seconds counted so far; the bar shows them up to its maximum of 5.
    int Position() const { return m_position; }
    QProgressBar* ProgressBar1() const { return m_progressBar; }
    QTimer* Timer1() const { return m_timer; }

public slots:
    // One second has passed.
    void Timer1Timer();

private:
    void setPosition(int position);

    QLabel* m_image = nullptr;
    QLabel* m_label = nullptr;
    QLabel* m_checking = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QTimer* m_timer = nullptr;
    int m_position = 0;
};

} // namespace larkspur
