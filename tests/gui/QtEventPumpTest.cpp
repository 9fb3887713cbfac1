// The engine's waits on the user-interface thread: they must sleep, not spin,
// and still run what the user does meanwhile.

#include "app/QtEventPump.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

#include <ctime>

using namespace larkspur;

class QtEventPumpTest : public QObject {
    Q_OBJECT

private slots:
    void waitSleepsInsteadOfSpinning()
    {
        // The engine's timed wait: run events, then sleep for what is left.
        QtEventPump pump;
        QElapsedTimer wall;
        const std::clock_t cpuStart = std::clock();
        wall.start();
        int wakeUps = 0;
        for (qint64 elapsed = 0; elapsed < 300; elapsed = wall.elapsed()) {
            pump.processEvents();
            pump.waitForEvents(300 - static_cast<int>(elapsed));
            ++wakeUps;
        }
        const qint64 wallMs = wall.elapsed();
        const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        QVERIFY2(cpuMs < wallMs / 5.0, qPrintable(QString("%1 ms CPU in %2 ms").arg(cpuMs).arg(wallMs)));
        QVERIFY2(wakeUps < 30, qPrintable(QString("%1 wake-ups").arg(wakeUps)));

        // With nothing pending, one call sleeps the whole time.
        pump.processEvents();
        wall.restart();
        pump.waitForEvents(200);
        QVERIFY2(wall.elapsed() >= 190, qPrintable(QString("woke after %1 ms").arg(wall.elapsed())));
    }

    void waitEndsWhenAnEventArrivesAndRunsIt()
    {
        QtEventPump pump;
        bool fired = false;
        QTimer::singleShot(50, this, [&] { fired = true; });
        QElapsedTimer wall;
        wall.start();
        pump.waitForEvents(5000);
        while (!fired && wall.elapsed() < 5000)  // another event may wake it first
            pump.waitForEvents(5000 - static_cast<int>(wall.elapsed()));
        QVERIFY(fired);
        QVERIFY2(wall.elapsed() < 1000, qPrintable(QString("took %1 ms").arg(wall.elapsed())));
    }

    void processEventsRunsPostedEventsWithoutWaiting()
    {
        QtEventPump pump;
        int runs = 0;
        QMetaObject::invokeMethod(this, [&] { ++runs; }, Qt::QueuedConnection);
        QMetaObject::invokeMethod(this, [&] { ++runs; }, Qt::QueuedConnection);
        QElapsedTimer wall;
        wall.start();
        pump.processEvents();
        QCOMPARE(runs, 2);
        QVERIFY(wall.elapsed() < 100);
        pump.waitForEvents(0);
        QCOMPARE(runs, 2);
    }
};

QTEST_MAIN(QtEventPumpTest)
#include "QtEventPumpTest.moc"
