#pragma once
// A horizontal slider that can shade a range of its groove, to mark the
// recommended settings of the fine tune and confidence pointers.

#include <QSlider>

namespace larkspur {

class TTrackBar : public QSlider {
    Q_OBJECT
    Q_PROPERTY(int Position READ Position WRITE setPosition)
public:
    explicit TTrackBar(QWidget* parent = nullptr);

    int Position() const { return value(); }
    void setPosition(int position) { setValue(position); }
    int SelStart() const { return m_selStart; }
    int SelEnd() const { return m_selEnd; }
    void setSelection(int start, int end);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_selStart = 0;
    int m_selEnd = 0;
};

} // namespace larkspur
