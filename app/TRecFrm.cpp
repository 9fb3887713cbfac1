#include "app/TRecFrm.h"

#include "engine/TVREngine32.h"
#include "engine/TextEncoding.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace larkspur {

namespace {

QRect primaryScreenRect(bool workAreaOnly)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return workAreaOnly ? screen->availableGeometry() : screen->geometry();
}

} // namespace

TRecFrm::TRecFrm(const TVREngine32& engine, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      m_engine(engine)
{
    setObjectName(QStringLiteral("RecFrm"));
    // It only reports; showing it must not take the keyboard from the window
    // the voice command's keystrokes go to.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xCA));
    setPalette(pal);

    m_label = new QLabel(QStringLiteral("  Recognized ->"), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    font.setBold(true);
    m_label->setFont(font);
    m_label->move(0, 0);
    resize(m_label->sizeHint().width(), kClientHeight);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(kHideDelayMs);
    m_topMostTimer = new QTimer(this);
    m_topMostTimer->setObjectName(QStringLiteral("TopMostTimer"));
    m_topMostTimer->setInterval(kTopMostIntervalMs);
    connect(m_timer1, &QTimer::timeout, this, &TRecFrm::Timer1Timer);
    connect(m_topMostTimer, &QTimer::timeout, this, &TRecFrm::TopMostTimerTimer);

    WorkArea = [] { return primaryScreenRect(true); };
    ScreenArea = [] { return primaryScreenRect(false); };
}

void TRecFrm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_showingNote)
        FormShow();
}

void TRecFrm::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    FormHide();
}

void TRecFrm::FormShow()
{
    m_label->setText(QStringLiteral(" Recognized -> ") + QString::fromStdString(tableTextToUtf8(m_engine.LastVoiceCommand())) +
                     QStringLiteral("     | Confidence->") + QString::number(m_engine.LastConfidence()) +
                     QStringLiteral("% "));
    placeStrip();
    m_timer1->start();
    m_topMostTimer->start();
}

void TRecFrm::showNote(const QString& text, bool keep)
{
    m_showingNote = true;
    if (!isVisible())
        show();
    m_showingNote = false;
    m_label->setText(QLatin1Char(' ') + text + QLatin1Char(' '));
    placeStrip();
    if (keep)
        m_timer1->stop();
    else
        m_timer1->start();
    m_topMostTimer->start();
}

void TRecFrm::placeStrip()
{
    m_label->adjustSize();
    const QRect work = WorkArea();
    const QRect screen = ScreenArea();
    const int width = m_label->width();
    // The bottom edge of the work area is its last row, so the strip ends on it.
    setGeometry(screen.x() + screen.width() - width - kRightMargin, work.y() + work.height() - kClientHeight, width,
                kClientHeight);
}

void TRecFrm::Timer1Timer()
{
    m_timer1->stop();
    hide();
}

// Other stay-on-top windows may have been raised over this one since the
// last tick; raising it again keeps the report visible.
void TRecFrm::TopMostTimerTimer()
{
    raise();
    m_label->update();
}

void TRecFrm::FormHide()
{
    m_timer1->stop();
    m_topMostTimer->stop();
}

} // namespace larkspur
