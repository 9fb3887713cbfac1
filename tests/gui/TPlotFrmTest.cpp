// The plot window's picture, rendered into images, and its behaviour as a
// window: zoom clicks, following the main window, nothing drawn without data.

#include "app/PlotPainter.h"
#include "app/TPlotFrm.h"

#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QtTest>

#include <string>
#include <vector>

using namespace larkspur;

namespace {

constexpr int kRate = 11025;
const QColor kLime(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kBlack(0, 0, 0);

// The image is wider than the plot area, so nothing drawn past the right edge
// goes unseen.
QImage render(const std::vector<uint8_t>& samples, int zoom, QSize size = {422, 50})
{
    QImage image(size + QSize(20, 0), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPlot(painter, size, samples, zoom, kRate);
    return image;
}

// Lime pixels left of the labels, other than the tick row at the bottom.
int limeInPlotArea(const QImage& image)
{
    int count = 0;
    for (int x = 0; x < image.width() - 61; ++x)
        for (int y = 0; y < image.height() - 1; ++y)
            count += image.pixelColor(x, y) == kLime;
    return count;
}

} // namespace

class TPlotFrmTest : public QObject {
    Q_OBJECT

private slots:
    void sampleAtTheBottomOfTheRangeGetsARedDoubleBar()
    {
        std::vector<uint8_t> samples(100, 128);
        samples[39] = 0;  // sample 40, drawn at x = 40 on level 1
        const QImage image = render(samples, 1);
        for (int y : {0, 5, 20, 45, 49}) {
            QCOMPARE(image.pixelColor(40, y), kRed);
            QCOMPARE(image.pixelColor(41, y), kRed);
        }
        QCOMPARE(image.pixelColor(38, 5), kBlack);
        QCOMPARE(image.pixelColor(42, 5), kBlack);
    }

    void endMarkerFollowsTheLastSample()
    {
        const QImage image = render(std::vector<uint8_t>(100, 128), 1);
        // Samples 1..99 are drawn, so the marker stands at x = 100 from h/5 to 4h/5.
        QCOMPARE(image.pixelColor(100, 10), kLime);
        QCOMPARE(image.pixelColor(100, 20), kLime);
        QCOMPARE(image.pixelColor(100, 39), kLime);
        QCOMPARE(image.pixelColor(100, 5), kBlack);
        QCOMPARE(image.pixelColor(101, 20), kBlack);
        QCOMPARE(image.pixelColor(99, 20), kBlack);
    }

    void fullUtteranceIsCutAtTheRightEdgeOnLevelOne()
    {
        const std::vector<uint8_t> utterance(13230, 80);  // drawn at y = 16
        const QImage cut = render(utterance, 1);
        QCOMPARE(cut.pixelColor(421, 16), kYellow);
        QCOMPARE(limeInPlotArea(cut), 0);
        QCOMPARE(cut.pixelColor(422, 20), QColor(Qt::white));  // no end marker past the edge

        // On level 25 the same utterance needs 529 pixels: cut in the usual
        // width, complete with its end marker in a wider window.
        QCOMPARE(limeInPlotArea(render(utterance, 25)), 0);
        QCOMPARE(render(utterance, 25).pixelColor(422, 20), QColor(Qt::white));
        const QImage wide = render(utterance, 25, {600, 50});
        QCOMPARE(wide.pixelColor(529, 16), kYellow);
        QCOMPARE(wide.pixelColor(530, 20), kLime);
        QCOMPARE(wide.pixelColor(531, 20), kBlack);
    }

    void ticksMarkEveryFiftyMilliseconds()
    {
        const QImage level10 = render(std::vector<uint8_t>(50, 128), 10);
        QCOMPARE(level10.pixelColor(55, 49), kLime);  // 551.25 / 10 rounds to 55
        QCOMPARE(level10.pixelColor(110, 49), kLime);
        QCOMPARE(level10.pixelColor(54, 49), kBlack);
        QCOMPARE(level10.pixelColor(56, 49), kBlack);
        const QImage level25 = render(std::vector<uint8_t>(50, 128), 25);
        QCOMPARE(level25.pixelColor(22, 49), kLime);  // 22.05 rounds to 22
        QCOMPARE(level25.pixelColor(44, 49), kLime);
        const QImage level1 = render(std::vector<uint8_t>(50, 128), 1);
        for (int x = 0; x < 380; ++x)
            QVERIFY(level1.pixelColor(x, 49) != kLime);  // the first tick would be at 551
    }

    void labelsShowLengthAndZoom()
    {
        QCOMPARE(plotTimeText(13230, kRate), QString("1.20 s"));
        QCOMPARE(plotTimeText(9371, kRate), QString("0.85 s"));
        QCOMPARE(plotZoomText(25), QString("Zoom  1"));
        QCOMPARE(plotZoomText(1), QString("Zoom 25"));
        QCOMPARE(plotZoomText(16), QString("Zoom 10"));

        const QImage image = render(std::vector<uint8_t>(13230, 128), 25);
        auto limeIn = [&image](QRect area) {
            int count = 0;
            for (int x = area.left(); x <= area.right(); ++x)
                for (int y = area.top(); y <= area.bottom(); ++y)
                    count += image.pixelColor(x, y) == kLime;
            return count;
        };
        QVERIFY(limeIn(QRect(392, 0, 30, 11)) > 10);
        QVERIFY(limeIn(QRect(382, 38, 40, 11)) > 10);
    }

    void windowDrawsNothingWithoutData()
    {
        TPlotFrm plot;
        QCOMPARE(plot.windowTitle(), QString("Ploting Window"));
        QCOMPARE(plot.size(), QSize(428, 61));
        QCOMPARE(plot.PaintBox1()->geometry(), QRect(2, 4, 422, 50));
        plot.DrawPlot(3);
        QCOMPARE(plot.LastZoom(), 25);
        const QImage empty = plot.PaintBox1()->grab().toImage();
        QCOMPARE(empty.pixelColor(211, 25), kBlack);

        std::string data(200, char(128));
        data[9] = 0;
        plot.TakePlotData(data, 100000);  // a length beyond the data is not trusted
        QCOMPARE(plot.SampleCount(), 200);
        plot.TakePlotData(data, 20);
        QCOMPARE(plot.SampleCount(), 20);
        plot.DrawPlot(1);
        QCOMPARE(plot.LastZoom(), 1);
        const QImage drawn = plot.PaintBox1()->grab().toImage();
        QCOMPARE(drawn.pixelColor(10, 5), kRed);
        QCOMPARE(drawn.pixelColor(20, 20), kLime);  // end marker after sample 19
    }

    void clicksAskTheMainWindowToZoom()
    {
        QWidget mainWindow;
        TPlotFrm plot;
        plot.setMainWindow(&mainWindow);
        QStringList commands;
        plot.OnZoomIn = [&] { commands << "in"; };
        plot.OnZoomOut = [&] { commands << "out"; };
        QTest::mouseClick(plot.PaintBox1(), Qt::LeftButton);
        QTest::mouseClick(plot.PaintBox1(), Qt::RightButton);
        QTest::mouseClick(plot.PaintBox1(), Qt::MiddleButton);
        QCOMPARE(commands, (QStringList{"in", "out"}));
    }

    void followsTheMainWindowOnlyWhenItIsInFront()
    {
        QWidget mainWindow;
        mainWindow.setGeometry(100, 80, 480, 320);
        TPlotFrm plot;
        plot.setMainWindow(&mainWindow);
        bool inFront = false;
        plot.MainWindowIsForeground = [&] { return inFront; };
        const QPoint before = plot.pos();
        plot.FollowMainWindow();
        QCOMPARE(plot.pos(), before);

        inFront = true;
        plot.FollowMainWindow();
        const QRect main = mainWindow.frameGeometry();
        QCOMPARE(plot.pos(), QPoint(main.left(), main.top() + main.height() + 1));
        QCOMPARE(plot.width(), main.width());
        QCOMPARE(plot.PlotingWave()->width(), main.width() - 2);
        QCOMPARE(plot.PaintBox1()->width(), main.width() - 6);

        plot.show();
        QVERIFY(plot.Timer1()->isActive());
        QCOMPARE(plot.Timer1()->interval(), 500);
        plot.hide();
        QVERIFY(!plot.Timer1()->isActive());
    }
};

QTEST_MAIN(TPlotFrmTest)
#include "TPlotFrmTest.moc"
