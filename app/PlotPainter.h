#pragma once
// The waveform picture of the plot window, drawn with plain line, pixel and
// text primitives so it can be rendered into any QPainter (a widget or an image).

#include <QSize>
#include <QString>

#include <cstdint>
#include <span>

class QPainter;

namespace larkspur {

// Draws samples into the area (0, 0, size) at zoom level zoom (1..25 samples per
// pixel; values outside are taken as the nearest limit). Larger sample values
// are drawn lower; samples of value 0 get a red double bar over the full height.
void paintPlot(QPainter& painter, QSize size, std::span<const uint8_t> samples, int zoom, int sampleRate);

// "1.20 s": the utterance's length in seconds with two decimals.
QString plotTimeText(int sampleCount, int sampleRate);
// "Zoom" and the user's zoom value 26 - zoom right-aligned in three characters.
QString plotZoomText(int zoom);

constexpr int kMinPlotZoom = 1;
constexpr int kMaxPlotZoom = 25;

} // namespace larkspur
