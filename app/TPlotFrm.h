#pragma once
// The borderless window under the main window that shows the waveform of the
// last utterance, with a 50 ms time scale, the zoom value and markers for
// samples at the bottom of the 8-bit range. Left and right clicks zoom in and out.

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QFrame;
class QTimer;

namespace larkspur {

class TVREngine32;

class TPlotFrm : public QWidget {
    Q_OBJECT

public:
    explicit TPlotFrm(QWidget* parent = nullptr);

    // Copies the engine's PlotData (its first PlotDataLength bytes).
    void TakePlotData(const TVREngine32& engine);
    void TakePlotData(const std::string& plotData, int32_t plotDataLength);
    // Remembers zoom (1..25) and redraws; nothing happens before the first data.
    void DrawPlot(int zoom);
    // The picture at the last zoom level, into any painter (the window's paint
    // handler uses it; tests render into an image).
    void paintPlot(QPainter& painter, QSize size) const;

    int SampleCount() const { return static_cast<int>(m_samples.size()); }
    int LastZoom() const { return m_lastZoom; }

    // The window to follow and to bring to the front after a zoom click.
    void setMainWindow(QWidget* mainWindow) { m_mainWindow = mainWindow; }
    // Places this window right under the main window, as wide as it, when the
    // main window is in the foreground. The main window calls this when it moves
    // or is resized; Timer1 calls it every 500 ms while this window is shown.
    void FollowMainWindow();

    // The main window's zoom commands, which own the zoom level.
    std::function<void()> OnZoomIn;
    std::function<void()> OnZoomOut;
    // Whether the main window is the foreground window; replaceable for tests.
    std::function<bool()> MainWindowIsForeground;

    QFrame* PlotingWave() const { return m_plotingWave; }
    QWidget* PaintBox1() const { return m_paintBox; }
    QTimer* Timer1() const { return m_timer; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class PlotPaintBox;
    void paintBoxPressed(Qt::MouseButton button);

    QFrame* m_plotingWave = nullptr;
    QWidget* m_paintBox = nullptr;
    QTimer* m_timer = nullptr;
    QPointer<QWidget> m_mainWindow;
    std::vector<uint8_t> m_samples;
    int m_lastZoom = 25;
    bool m_shownBefore = false;
};

} // namespace larkspur
