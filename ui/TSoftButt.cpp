#include "ui/TSoftButt.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace larkspur {

TSoftButt::TSoftButt(QWidget* parent)
    : QAbstractButton(parent)
{
    // Pointer movement without a pressed button has to reach the button.
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    resize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (OnClick)
            OnClick(*this);
    });
}

void TSoftButt::setCaption(const QString& caption)
{
    setText(caption);
    update();
}

void TSoftButt::setGlyph(const QPixmap& glyph)
{
    m_glyph = glyph;
    update();
}

void TSoftButt::setHighlightColor(const QColor& color)
{
    m_highlightColor = color;
    update();
}

void TSoftButt::setHot(bool hot)
{
    if (m_hot == hot)
        return;
    m_hot = hot;
    update();
}

void TSoftButt::enterEvent(QEnterEvent* event)
{
    setHot(true);
    QAbstractButton::enterEvent(event);
}

void TSoftButt::leaveEvent(QEvent* event)
{
    setHot(false);
    QAbstractButton::leaveEvent(event);
}

void TSoftButt::mouseMoveEvent(QMouseEvent* event)
{
    setHot(rect().contains(event->position().toPoint()));
    if (OnMouseMove)
        OnMouseMove(*this, event->modifiers(), event->position().toPoint().x(), event->position().toPoint().y());
    QAbstractButton::mouseMoveEvent(event);
}

void TSoftButt::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    const bool sunken = isDown();
    if (m_hot || sunken) {
        painter.fillRect(rect(), m_highlightColor);
        // A one-pixel bevel: light at the top left when raised, dark when pressed.
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        painter.setPen(sunken ? dark : light);
        painter.drawLine(frame.topLeft(), frame.topRight());
        painter.drawLine(frame.topLeft(), frame.bottomLeft());
        painter.setPen(sunken ? light : dark);
        painter.drawLine(frame.bottomLeft(), frame.bottomRight());
        painter.drawLine(frame.topRight(), frame.bottomRight());
    }

    const int shift = sunken ? 1 : 0;
    QRect glyphArea = rect();
    if (!text().isEmpty()) {
        const int textHeight = fontMetrics().height();
        glyphArea.setBottom(rect().bottom() - textHeight);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(QRect(0, glyphArea.bottom(), width(), textHeight).translated(shift, shift),
                         Qt::AlignCenter, text());
    }
    if (!m_glyph.isNull()) {
        const QSize size = m_glyph.deviceIndependentSize().toSize();
        QRect target(QPoint(0, 0), size);
        target.moveCenter(glyphArea.center());
        painter.drawPixmap(target.translated(shift, shift), m_glyph);
    }
}

} // namespace larkspur
