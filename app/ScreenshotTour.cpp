#include "app/ScreenshotTour.h"

#include "app/MainDispatch.h"
#include "app/QtFinderUi.h"
#include "app/TInfoFrm.h"
#include "app/TMainFrm.h"
#include "app/TMoreFrm.h"
#include "app/TTabControl.h"

#include <QDir>
#include <QFrame>
#include <QPixmap>
#include <QListWidget>
#include <QTabBar>
#include <QTreeWidget>

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
    catalogueAndFinder();
    m_window.close();
}

// The catalogue after "Find App's && URL's" with its groups open, and the
// finder's two windows.
void ScreenshotTour::catalogueAndFinder()
{
    m_window.VoiceCommandsBtnClick();
    m_window.FindAppBtnClick();
    auto* tree = m_window.findChild<QTreeWidget*>(QStringLiteral("BuildListBox"));
    for (const char* group : {"Found Applications", "Found URL Favorites", "General Keyboard Commands"})
        for (QTreeWidgetItem* item : tree->findItems(QString::fromLatin1(group), Qt::MatchExactly))
            item->setExpanded(true);
    save(&m_window, QStringLiteral("main-CreatePanel-catalogue"));
    tree->collapseAll();
    for (const char* group : {"Default Applications", "General Window Commands"})
        for (QTreeWidgetItem* item : tree->findItems(QString::fromLatin1(group), Qt::MatchExactly))
            item->setExpanded(true);
    save(&m_window, QStringLiteral("main-CreatePanel-catalogue-2"));

    QtFinderUi& finder = m_window.dispatchShell().finderUi();
    finder.infoFrm().showProgress(QStringLiteral("Please wait, finding voice command for the first time...."));
    save(&finder.infoFrm(), QStringLiteral("finder-progress"));
    finder.infoFrm().hide();
    QListWidget* list = finder.moreFrm().ListMoreLocations();
    list->clear();
    list->addItems({QStringLiteral("/usr/bin/gnome-calculator"), QStringLiteral("/usr/local/bin/gnome-calculator")});
    finder.moreFrm().show();
    save(&finder.moreFrm(), QStringLiteral("finder-locations"));
    finder.moreFrm().hide();
}

} // namespace larkspur
