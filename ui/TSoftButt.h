#pragma once
// The flat side button of the main window: a glyph (and optional caption) on
// the panel's own background, drawn raised while the pointer is over it and
// sunken while pressed. It reports pointer movement, which the window uses to
// switch sections without a click when the auto mouse click option is on.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

#include <functional>

namespace larkspur {

class TSoftButt : public QAbstractButton {
    Q_OBJECT

public:
    explicit TSoftButt(QWidget* parent = nullptr);

    QString Caption() const { return text(); }
    void setCaption(const QString& caption);
    const QPixmap& Glyph() const { return m_glyph; }
    void setGlyph(const QPixmap& glyph);
    QString Hint() const { return toolTip(); }
    void setHint(const QString& hint) { setToolTip(hint); }
    // The colour behind the glyph while the pointer is over the button.
    QColor HighlightColor() const { return m_highlightColor; }
    void setHighlightColor(const QColor& color);
    // Whether the pointer is over the button (it is then drawn highlighted).
    bool Hot() const { return m_hot; }

    std::function<void(TSoftButt& sender)> OnClick;
    std::function<void(TSoftButt& sender, Qt::KeyboardModifiers modifiers, int x, int y)> OnMouseMove;

    QSize sizeHint() const override { return {45, 50}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void setHot(bool hot);

    QPixmap m_glyph;
    QColor m_highlightColor{255, 255, 255, 60};
    bool m_hot = false;
};

} // namespace larkspur
