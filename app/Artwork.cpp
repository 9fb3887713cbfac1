#include "app/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace larkspur::Artwork {

namespace {

const QColor kInk(40, 52, 84);
const QColor kPaper(250, 250, 244);
const QColor kAccent(214, 120, 34);
const QColor kListenOn(200, 30, 30);
const QColor kListenOff(60, 120, 60);

QPixmap blank(int w, int h)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawPage(QPainter& p)
{
    QPainterPath page;
    page.moveTo(3, 1.5);
    page.lineTo(10, 1.5);
    page.lineTo(13.5, 5);
    page.lineTo(13.5, 14.5);
    page.lineTo(3, 14.5);
    page.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.drawLine(QPointF(10, 1.5), QPointF(10, 5));
    p.drawLine(QPointF(10, 5), QPointF(13.5, 5));
}

void drawNew(QPainter& p)
{
    drawPage(p);
    p.setPen(QPen(kAccent, 1.6));
    p.drawLine(QPointF(5.5, 9.5), QPointF(11, 9.5));
    p.drawLine(QPointF(8.25, 6.75), QPointF(8.25, 12.25));
}

void drawOpen(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(236, 196, 92));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    p.drawRect(QRectF(1.5, 3, 5, 1.5));
    p.setBrush(QColor(250, 220, 130));
    QPolygonF flap{{3.5, 7.5}, {15, 7.5}, {13.5, 13.5}, {1.5, 13.5}};
    p.drawPolygon(flap);
}

void drawSave(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(70, 96, 160));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(4, 9, 8, 5.5));
}

void drawMicrophone(QPainter& p, const QColor& colour, bool waves)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(5.5, 1.5, 5, 8), 2.5, 2.5);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3.5, 4.5, 9, 8), 180 * 16, 180 * 16);
    p.drawLine(QPointF(8, 12.5), QPointF(8, 14.5));
    p.drawLine(QPointF(5, 14.5), QPointF(11, 14.5));
    if (waves) {
        p.setPen(QPen(colour, 1.2));
        p.drawArc(QRectF(0.5, 2.5, 4, 6), 100 * 16, 160 * 16);
        p.drawArc(QRectF(11.5, 2.5, 4, 6), -80 * 16, 160 * 16);
    }
}

void drawTray(QPainter& p)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(190, 200, 220));
    p.drawRect(QRectF(1.5, 10.5, 13, 4));
    p.setBrush(kAccent);
    p.drawRect(QRectF(11, 11.5, 2.5, 2));
    p.setPen(QPen(kInk, 1.6));
    p.drawLine(QPointF(8, 1.5), QPointF(8, 7.5));
    p.drawLine(QPointF(5, 5), QPointF(8, 8));
    p.drawLine(QPointF(11, 5), QPointF(8, 8));
}

void drawWaveform(QPainter& p, const QRectF& area, const QColor& colour, double phase)
{
    p.setPen(QPen(colour, 2));
    QPainterPath wave;
    const int steps = static_cast<int>(area.width());
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double envelope = std::sin(t * M_PI);
        const double y = area.center().y() + envelope * area.height() / 2 * std::sin(t * 18 * M_PI + phase);
        if (i == 0)
            wave.moveTo(area.left() + i, y);
        else
            wave.lineTo(area.left() + i, y);
    }
    p.drawPath(wave);
}

} // namespace

QPixmap toolbarImage(int index)
{
    QPixmap pixmap = blank(kToolbarImageSize, kToolbarImageSize);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (static_cast<ToolbarImage>(index)) {
    case ToolbarImage::New: drawNew(p); break;
    case ToolbarImage::Open: drawOpen(p); break;
    case ToolbarImage::Save: drawSave(p); break;
    case ToolbarImage::Listening: drawMicrophone(p, kListenOn, true); break;
    case ToolbarImage::NotListening: drawMicrophone(p, kListenOff, false); break;
    case ToolbarImage::Tray: drawTray(p); break;
    }
    return pixmap;
}

QIcon toolbarIcon(ToolbarImage image)
{
    return QIcon(toolbarImage(static_cast<int>(image)));
}

QPixmap sideGlyph(SideGlyph glyph)
{
    QPixmap pixmap = blank(kGlyphSize, kGlyphSize);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case SideGlyph::VoiceCommands: {
        // A speech balloon with a waveform in it.
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(QColor(52, 84, 150));
        QPainterPath balloon;
        balloon.addRoundedRect(QRectF(2, 3, 28, 19), 6, 6);
        balloon.moveTo(8, 21);
        balloon.lineTo(6, 29);
        balloon.lineTo(15, 21);
        p.drawPath(balloon.simplified());
        drawWaveform(p, QRectF(6, 7, 20, 11), QColor(255, 210, 120), 0.0);
        break;
    }
    case SideGlyph::SystemSettings: {
        // A cog.
        p.translate(16, 16);
        p.setPen(QPen(Qt::white, 1.2));
        p.setBrush(QColor(90, 98, 120));
        QPainterPath cog;
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.rotate(i * 45);
            p.drawRect(QRectF(-3, -15, 6, 7));
            p.restore();
        }
        p.drawEllipse(QPointF(0, 0), 10.5, 10.5);
        p.setBrush(QColor(230, 230, 230));
        p.drawEllipse(QPointF(0, 0), 4, 4);
        break;
    }
    case SideGlyph::UserSettings: {
        // A speaker with sliders beside it.
        p.setPen(QPen(Qt::white, 1.2));
        p.setBrush(QColor(150, 70, 60));
        QPolygonF speaker{{3, 11}, {9, 11}, {16, 5}, {16, 27}, {9, 21}, {3, 21}};
        p.drawPolygon(speaker);
        p.setPen(QPen(QColor(255, 210, 120), 2));
        p.drawArc(QRectF(12, 9, 10, 14), -60 * 16, 120 * 16);
        p.drawArc(QRectF(12, 4, 16, 24), -60 * 16, 120 * 16);
        break;
    }
    }
    return pixmap;
}

QPixmap aboutImage()
{
    QPixmap pixmap(kAboutWidth, kAboutHeight);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient sky(0, 0, kAboutWidth, kAboutHeight);
    sky.setColorAt(0.0, QColor(24, 36, 78));
    sky.setColorAt(1.0, QColor(86, 58, 128));
    p.fillRect(pixmap.rect(), sky);
    drawWaveform(p, QRectF(12, 46, 240, 30), QColor(255, 196, 90, 200), 0.4);
    drawWaveform(p, QRectF(12, 46, 240, 30), QColor(130, 220, 255, 120), 1.9);

    QFont title(QStringLiteral("Sans Serif"));
    title.setPixelSize(26);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 6, kAboutWidth, 34), Qt::AlignCenter, QStringLiteral("Larkspur QTX 98"));
    QFont small(QStringLiteral("Sans Serif"));
    small.setPixelSize(11);
    p.setFont(small);
    p.setPen(QColor(220, 220, 240));
    p.drawText(QRect(0, 34, kAboutWidth, 14), Qt::AlignCenter, QStringLiteral("Voice commands for your desktop"));
    return pixmap;
}

QIcon applicationIcon()
{
    return QIcon(sideGlyph(SideGlyph::VoiceCommands));
}

} // namespace larkspur::Artwork
