#include "app/TSayNoFrm.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace larkspur {

namespace {

constexpr int kSeconds = 5;

} // namespace

TSayNoFrm::TSayNoFrm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Voice Recognition Engine Initialization"));
    setFixedSize(353, 147);
    setModal(false);

    m_image = new QLabel(this);
    m_image->setGeometry(8, 16, 64, 64);
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setPixmap(style()->standardIcon(QStyle::SP_MediaVolume).pixmap(48, 48));

    m_label = new QLabel(QStringLiteral("Please do not say anything for 5 seconds!"), this);
    m_label->setGeometry(80, 8, 265, 64);
    m_label->setWordWrap(true);
    QFont large = m_label->font();
    large.setPixelSize(20);
    large.setBold(true);
    m_label->setFont(large);

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(80, 80, 265, 59);
    m_checking = new QLabel(QStringLiteral("Checking Noise Levels!"), panel);
    m_checking->setGeometry(8, 6, 249, 18);
    m_progressBar = new QProgressBar(panel);
    m_progressBar->setGeometry(8, 28, 249, 20);
    m_progressBar->setRange(1, kSeconds);
    m_progressBar->setTextVisible(false);

    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &TSayNoFrm::Timer1Timer);
}

void TSayNoFrm::setPosition(int position)
{
    // The count runs one past the bar's maximum before the timer stops, so it
    // is kept apart from the bar, which cannot hold a value beyond its range.
    m_position = position;
    if (position < m_progressBar->minimum())
        m_progressBar->reset();
    else
        m_progressBar->setValue(std::min(position, m_progressBar->maximum()));
}

void TSayNoFrm::Timer1Timer()
{
    setPosition(m_position + 1);
    if (m_position > kSeconds)
        m_timer->stop();
}

void TSayNoFrm::restartProgress()
{
    setPosition(0);
    m_timer->start();
}

void TSayNoFrm::show()
{
    restartProgress();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::show();
}

void TSayNoFrm::hide()
{
    QDialog::hide();
}

void TSayNoFrm::close()
{
    m_timer->stop();
    QDialog::close();
}

} // namespace larkspur
