#pragma once
// The status window: a borderless pale yellow strip in the lower right corner
// of the work area that names the last recognised voice command and its
// confidence, stays above other windows while shown, and hides itself 3.5 s
// after it was shown.

#include <QRect>
#include <QWidget>

#include <functional>

class QLabel;
class QTimer;

namespace larkspur {

class TVREngine32;

class TRecFrm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHideDelayMs = 3500;
    static constexpr int kTopMostIntervalMs = 250;
    static constexpr int kClientHeight = 15;
    static constexpr int kRightMargin = 5;

    explicit TRecFrm(const TVREngine32& engine, QWidget* parent = nullptr);

    void FormShow();
    // Shows a line of state (the push-to-talk key) in the same place; with
    // keep it stays until the next report instead of hiding after 3.5 s.
    void showNote(const QString& text, bool keep);
    void FormHide();
    void Timer1Timer();
    void TopMostTimerTimer();

    QLabel* Label1() const { return m_label; }
    QTimer* Timer1() const { return m_timer1; }
    QTimer* TopMostTimer() const { return m_topMostTimer; }

    // The desktop's work area and the whole screen; replaceable for tests.
    std::function<QRect()> WorkArea;
    std::function<QRect()> ScreenArea;

private:
    void placeStrip();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const TVREngine32& m_engine;
    QLabel* m_label = nullptr;
    QTimer* m_timer1 = nullptr;
    QTimer* m_topMostTimer = nullptr;
    bool m_showingNote = false;
};

} // namespace larkspur
