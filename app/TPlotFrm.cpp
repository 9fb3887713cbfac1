#include "app/TPlotFrm.h"

#include "app/PlotPainter.h"
#include "engine/TVREngine32.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace larkspur {

// The drawing area: paints the plot and turns clicks into zoom commands.
class PlotPaintBox : public QWidget {
public:
    PlotPaintBox(TPlotFrm& owner, QWidget* parent)
        : QWidget(parent)
        , m_owner(owner)
    {
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, Qt::black);
        colours.setColor(QPalette::WindowText, QColor(0, 255, 0));
        setPalette(colours);
        QFont arial(QStringLiteral("Arial"));
        arial.setPixelSize(9);
        setFont(arial);
        setToolTip(QStringLiteral("Left/Right Click to ZoomIn/ZoomOut"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_owner.SampleCount() == 0)
            return;
        QPainter painter(this);
        m_owner.paintPlot(painter, size());
    }
    void mousePressEvent(QMouseEvent* event) override { m_owner.paintBoxPressed(event->button()); }

private:
    TPlotFrm& m_owner;
};

TPlotFrm::TPlotFrm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    setWindowTitle(QStringLiteral("Ploting Window"));
    resize(428, 61);

    m_plotingWave = new QFrame(this);
    m_plotingWave->setGeometry(1, 3, 426, 57);
    m_plotingWave->setAutoFillBackground(true);
    QPalette black = m_plotingWave->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_plotingWave->setPalette(black);

    m_paintBox = new PlotPaintBox(*this, m_plotingWave);
    m_paintBox->setGeometry(2, 4, 422, 50);

    m_timer = new QTimer(this);
    m_timer->setInterval(500);
    connect(m_timer, &QTimer::timeout, this, &TPlotFrm::FollowMainWindow);

    MainWindowIsForeground = [this] {
        return m_mainWindow && QApplication::activeWindow() == m_mainWindow->window();
    };
}

void TPlotFrm::TakePlotData(const TVREngine32& engine)
{
    TakePlotData(engine.PlotData(), engine.PlotDataLength());
}

void TPlotFrm::TakePlotData(const std::string& plotData, int32_t plotDataLength)
{
    // The length comes from elsewhere: never copy past the data actually given.
    const size_t n = std::min(static_cast<size_t>(std::max(plotDataLength, 0)), plotData.size());
    m_samples.assign(plotData.begin(), plotData.begin() + static_cast<std::ptrdiff_t>(n));
}

void TPlotFrm::DrawPlot(int zoom)
{
    if (m_samples.empty())
        return;
    m_lastZoom = std::clamp(zoom, kMinPlotZoom, kMaxPlotZoom);
    m_paintBox->update();
}

void TPlotFrm::paintPlot(QPainter& painter, QSize size) const
{
    if (m_samples.empty())
        return;
    larkspur::paintPlot(painter, size, m_samples, m_lastZoom, TVREngine32::SampleRate());
}

void TPlotFrm::FollowMainWindow()
{
    if (!m_mainWindow || !MainWindowIsForeground || !MainWindowIsForeground())
        return;
    const QRect main = m_mainWindow->frameGeometry();
    move(main.left(), main.top() + main.height() + 1);
    resize(main.width(), height());
    m_plotingWave->resize(width() - 2, m_plotingWave->height());
    m_paintBox->resize(m_plotingWave->width() - 4, m_paintBox->height());
}

void TPlotFrm::paintBoxPressed(Qt::MouseButton button)
{
    if (button == Qt::LeftButton && OnZoomIn)
        OnZoomIn();
    else if (button == Qt::RightButton && OnZoomOut)
        OnZoomOut();
    else
        return;
    if (m_mainWindow) {
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    }
}

void TPlotFrm::showEvent(QShowEvent* event)
{
    if (!m_shownBefore) {
        m_shownBefore = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect frame(QPoint(0, 0), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    FollowMainWindow();
    m_timer->start();
    QWidget::showEvent(event);
}

void TPlotFrm::hideEvent(QHideEvent* event)
{
    m_timer->stop();
    QWidget::hideEvent(event);
}

} // namespace larkspur
