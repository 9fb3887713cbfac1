#pragma once
// Walks the ready main window through the splash panel and every tab and
// writes a PNG of each, and one of the plot window, then closes the program.
// For checking the look on a machine without a screen to watch.
//
// When "Quick Start Mode" is checked and the guide comes up, it walks the
// guide instead, as a user would: a picture of each question and note as it
// comes up, and of the window at every step before doing what the step asks.

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
    void followGuide();
    void answerBox(QWidget* box);
    void doGuideStep(int step);
    // The screen around the main window and whatever shows over it.
    void saveScreen(const QString& name);
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
    bool m_guide = false;
    bool m_guideSeen = false;
    int m_stepsDone = 0;
    int m_boxes = 0;
    bool m_askedToLeave = false;
    qint64 m_firstStepSeen = -1;
};

} // namespace larkspur
