// The calibration dialog: its look and the seconds it counts.

#include "app/TSayNoFrm.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QtTest>

using namespace larkspur;

class TSayNoFrmTest : public QObject {
    Q_OBJECT

private slots:
    void looksAsTheUserExpects()
    {
        TSayNoFrm dialog;
        QCOMPARE(dialog.windowTitle(), QString("Voice Recognition Engine Initialization"));
        QCOMPARE(dialog.size(), QSize(353, 147));
        QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!(dialog.windowFlags() & Qt::WindowSystemMenuHint));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
        QStringList texts;
        for (const QLabel* label : dialog.findChildren<QLabel*>())
            texts << label->text();
        QVERIFY(texts.contains("Please do not say anything for 5 seconds!"));
        QVERIFY(texts.contains("Checking Noise Levels!"));
        QCOMPARE(dialog.ProgressBar1()->minimum(), 1);
        QCOMPARE(dialog.ProgressBar1()->maximum(), 5);
    }

    void countsFiveSecondsThenStops()
    {
        TSayNoFrm dialog;
        CalibrationView& view = dialog;
        view.show();
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.Position(), 0);
        QVERIFY(dialog.ProgressBar1()->value() < dialog.ProgressBar1()->minimum());  // empty bar
        QVERIFY(dialog.Timer1()->isActive());
        QCOMPARE(dialog.Timer1()->interval(), 1000);

        for (int second = 1; second <= 5; ++second) {
            dialog.Timer1Timer();
            QCOMPARE(dialog.ProgressBar1()->value(), second);
            QVERIFY(dialog.Timer1()->isActive());
        }
        dialog.Timer1Timer();  // past 5: the timer switches itself off
        QCOMPARE(dialog.ProgressBar1()->value(), 5);
        QVERIFY(!dialog.Timer1()->isActive());

        view.hide();
        QVERIFY(!dialog.isVisible());
        view.show();
        view.restartProgress();
        QCOMPARE(dialog.Position(), 0);
        QVERIFY(dialog.Timer1()->isActive());
        view.close();
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.Timer1()->isActive());
    }

    void theRealTimerAdvancesTheBar()
    {
        TSayNoFrm dialog;
        dialog.show();
        QTRY_COMPARE_WITH_TIMEOUT(dialog.ProgressBar1()->value(), 1, 2000);
        dialog.close();
    }
};

QTEST_MAIN(TSayNoFrmTest)
#include "TSayNoFrmTest.moc"
