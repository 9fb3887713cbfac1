#include "app/PlotPainter.h"

#include "engine/Rounding.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace larkspur {

namespace {

const QColor kBackground(0, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kTeal(0, 128, 128);
const QColor kLime(0, 255, 0);
const QColor kRed(255, 0, 0);

// A pen with a current position, as the drawing steps are written.
class Pen {
public:
    explicit Pen(QPainter& painter)
        : m_painter(painter)
    {
    }
    void setColor(const QColor& color) { m_painter.setPen(QPen(color, 0)); }
    void moveTo(int x, int y) { m_at = QPoint(x, y); }
    void lineTo(int x, int y)
    {
        m_painter.drawLine(m_at, QPoint(x, y));
        m_at = QPoint(x, y);
    }

private:
    QPainter& m_painter;
    QPoint m_at;
};

void drawText(QPainter& painter, int x, int y, const QString& text)
{
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

} // namespace

QString plotTimeText(int sampleCount, int sampleRate)
{
    return QString::number(static_cast<double>(sampleCount) / sampleRate, 'f', 2) + QStringLiteral(" s");
}

QString plotZoomText(int zoom)
{
    return QStringLiteral("Zoom%1").arg(26 - zoom, 3);
}

void paintPlot(QPainter& painter, QSize size, std::span<const uint8_t> samples, int zoom, int sampleRate)
{
    const int z = std::clamp(zoom, kMinPlotZoom, kMaxPlotZoom);
    const int w = size.width();
    const int h = size.height();
    const int n = static_cast<int>(samples.size());
    const int mid = h / 2;
    const double scale = h / 255.0;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(0, 0, w, h), kBackground);
    Pen pen(painter);

    pen.setColor(kYellow);
    pen.moveTo(0, mid);
    pen.lineTo(w, mid);
    pen.setColor(kTeal);
    pen.moveTo(0, mid + h / 4);
    pen.lineTo(w, mid + h / 4);
    pen.moveTo(0, mid - h / 4);
    pen.lineTo(w, mid - h / 4);

    // One tick every 50 ms along the bottom edge.
    const int tick = std::max(1, RoundToInt32(sampleRate * 0.05 / z));
    painter.setPen(QPen(kLime, 0));
    for (int x = tick; x <= w; x += tick)
        painter.drawPoint(x, h - 1);

    pen.moveTo(0, mid);
    pen.setColor(kYellow);
    int x = 0;
    bool cutAtEdge = false;
    for (int i = 1; i < n; ++i) {
        const uint8_t s = samples[static_cast<size_t>(i - 1)];
        const int next = z == 1 ? i : RoundToInt32(static_cast<double>(i) / z);
        if (next >= w) {
            cutAtEdge = true;
            break;
        }
        x = next;
        pen.lineTo(x, RoundToInt32(s * scale));
        if (s == 0) {
            pen.setColor(kRed);
            pen.lineTo(x, 0);
            pen.lineTo(x, h);
            pen.moveTo(x + 1, 0);
            pen.lineTo(x + 1, 0);
            pen.lineTo(x + 1, h);
            pen.lineTo(x + 1, mid);
            pen.setColor(kYellow);
        }
    }

    pen.setColor(kLime);
    if (!cutAtEdge) {
        pen.moveTo(x + 1, h / 5);
        pen.lineTo(x + 1, (h / 5) * 4);
    }

    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(9);
    font.setStyleStrategy(QFont::NoAntialias);  // plain lime pixels on black
    painter.setFont(font);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(kBackground);
    drawText(painter, w - 30, 0, plotTimeText(n, sampleRate));
    drawText(painter, w - 40, h - 12, plotZoomText(z));
    painter.restore();
}

} // namespace larkspur
