// The side button: highlighted only while the pointer is over it, and it
// reports movement and clicks to its owner.

#include "ui/TSoftButt.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace larkspur;

namespace {

QImage render(TSoftButt& button)
{
    QImage image(button.size(), QImage::Format_RGB32);
    image.fill(Qt::darkGray);
    button.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

class TSoftButtTest : public QObject {
    Q_OBJECT

private slots:
    void hoverHighlightsAndLeavingRestores()
    {
        TSoftButt button;
        QPixmap glyph(16, 16);
        glyph.fill(Qt::red);
        button.setGlyph(glyph);
        button.setHint("Change Microphone or Auto Mouse Settings");
        QCOMPARE(button.size(), QSize(45, 50));
        QCOMPARE(button.toolTip(), QString("Change Microphone or Auto Mouse Settings"));

        const QImage plain = render(button);
        QCOMPARE(plain.pixelColor(2, 2), QColor(Qt::darkGray));
        QCOMPARE(plain.pixelColor(22, 25), QColor(Qt::red));

        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&button, &enter);
        QVERIFY(button.Hot());
        const QImage hot = render(button);
        QVERIFY(hot.pixelColor(2, 2) != plain.pixelColor(2, 2));
        QCOMPARE(hot.pixelColor(22, 25), QColor(Qt::red));

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button, &leave);
        QVERIFY(!button.Hot());
        QCOMPARE(render(button), plain);
    }

    void movementAndClicksReachTheOwner()
    {
        TSoftButt button;
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QList<QPoint> moves;
        int clicks = 0;
        button.OnMouseMove = [&](TSoftButt&, Qt::KeyboardModifiers, int x, int y) { moves << QPoint(x, y); };
        button.OnClick = [&](TSoftButt&) { ++clicks; };
        QTest::mouseMove(&button, QPoint(10, 20));
        QTRY_VERIFY(!moves.isEmpty());
        QCOMPARE(moves.last(), QPoint(10, 20));
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 20));
        QCOMPARE(clicks, 1);
    }
};

QTEST_MAIN(TSoftButtTest)
#include "TSoftButtTest.moc"
