#include "app/ScreenshotTour.h"

#include "app/TMainFrm.h"
#include "app/TTabControl.h"

#include <QDir>
#include <QFrame>
#include <QPixmap>
#include <QTabBar>

#include <cstdio>

namespace larkspur {

namespace {
constexpr int kPollMs = 100;
}

ScreenshotTour::ScreenshotTour(TMainFrm& window, QWidget* plotWindow, QString directory)
    : m_window(window), m_plotWindow(plotWindow), m_directory(std::move(directory))
{
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &ScreenshotTour::takeWhenReady);
}

void ScreenshotTour::start()
{
    QDir().mkpath(m_directory);
    m_poll.start();
}

void ScreenshotTour::takeWhenReady()
{
    if (!m_window.state().voiceOperationsEnabled || !m_window.isEnabled())
        return;
    m_poll.stop();
    tour();
}

void ScreenshotTour::save(QWidget* widget, const QString& name)
{
    const QString path = m_directory + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!widget->grab().save(path))
        std::fprintf(stderr, "larkspur: could not write %s\n", qPrintable(path));
}

void ScreenshotTour::tour()
{
    save(&m_window, QStringLiteral("main-splash"));
    auto* tabs = m_window.findChild<TTabControl*>(QStringLiteral("TabControl1"));
    using Click = void (TMainFrm::*)();
    for (Click click : {&TMainFrm::VoiceCommandsBtnClick, &TMainFrm::SystemSettingsBtnClick,
                        &TMainFrm::UserSettingsBtnClick}) {
        (m_window.*click)();
        for (int i = 0; i < tabs->tabBar()->count(); ++i) {
            // As if the user chose the tab.
            tabs->tabBar()->setCurrentIndex(i);
            save(&m_window, QStringLiteral("main-") + m_window.currentPanel()->objectName());
        }
    }
    if (m_plotWindow)
        save(m_plotWindow, QStringLiteral("plot"));
    m_window.close();
}

} // namespace larkspur
