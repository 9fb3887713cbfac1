#pragma once
// Walks the ready main window through the splash panel and every tab and
// writes a PNG of each, and one of the plot window, then closes the program.
// For checking the look on a machine without a screen to watch.

#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;

namespace larkspur {

class TMainFrm;

class ScreenshotTour : public QObject {
    Q_OBJECT
public:
    ScreenshotTour(TMainFrm& window, QWidget* plotWindow, QString directory);

    // Starts once the window has finished starting up.
    void start();

private:
    void takeWhenReady();
    void tour();
    void catalogueAndFinder();
    void tourVoiceCommands();
    void helpAndCredits();
    void pushToTalk();
    void save(QWidget* widget, const QString& name);

    TMainFrm& m_window;
    QWidget* m_plotWindow;
    QString m_directory;
    QTimer m_poll;
};

} // namespace larkspur
