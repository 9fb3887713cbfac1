#include "app/TTrackBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace larkspur {

TTrackBar::TTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setTickPosition(QSlider::TicksAbove);
}

void TTrackBar::setSelection(int start, int end)
{
    m_selStart = start;
    m_selEnd = end;
    update();
}

void TTrackBar::paintEvent(QPaintEvent* event)
{
    if (m_selEnd > m_selStart) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
        const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        // Positions map onto the span the handle's centre travels.
        const int span = groove.width() - handle.width();
        auto x = [&](int value) {
            return groove.left() + handle.width() / 2 +
                   QStyle::sliderPositionFromValue(minimum(), maximum(), value, span);
        };
        QPainter painter(this);
        const QRect shade(QPoint(x(m_selStart), groove.center().y() - 4), QPoint(x(m_selEnd), groove.center().y() + 4));
        painter.fillRect(shade, palette().color(QPalette::Highlight).lighter(150));
    }
    QSlider::paintEvent(event);
}

} // namespace larkspur
