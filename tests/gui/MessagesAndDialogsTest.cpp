// Message boxes, questions and table file dialogs: the real Qt ones answered by
// a timer the way a user would, and the scripted stand-in tests use elsewhere.

#include "app/QtMessageBoxes.h"
#include "app/QtMessageSink.h"
#include "app/QtTableFileDialogs.h"
#include "app/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace larkspur;

namespace {

// Runs act on the modal dialog as soon as it is open.
template <typename Dialog>
void whenModal(std::function<void(Dialog&)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        }
    });
    poll->start();
}

void press(QMessageBox& box, QMessageBox::StandardButton button)
{
    box.button(button)->click();
}

} // namespace

class MessagesAndDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void engineMessagesBecomeInformationBoxes()
    {
        ScriptedMessageBoxes boxes;
        QtMessageSink sink(boxes);
        sink.showMessage("To much microphone line noise! Can not run voice recognition engine!");
        sink.showMessage("/home/j\xc3\xbcrgen/t.EAR");  // a UTF-8 path
        sink.showMessage("caf\xe9");                      // a single-byte phrase
        QCOMPARE(boxes.texts(), (QStringList{"To much microphone line noise! Can not run voice recognition engine!",
                                             QString::fromUtf8("/home/j\xc3\xbcrgen/t.EAR"),
                                             QString::fromLatin1("caf\xe9")}));
        QVERIFY(boxes.shown.at(0).kind == ScriptedMessageBoxes::Kind::Information);
    }

    void scriptedQuestionsAnswerInOrderAndCountSurprises()
    {
        ScriptedMessageBoxes boxes;
        boxes.answer(MessageAnswer::Yes);
        boxes.answer(MessageAnswer::Cancel);
        QVERIFY(boxes.askYesNo("first?"));
        QCOMPARE(boxes.askYesNoCancel("second?"), MessageAnswer::Cancel);
        QCOMPARE(boxes.unscriptedQuestions, 0);
        QVERIFY(!boxes.askYesNo("unexpected?"));
        QCOMPARE(boxes.unscriptedQuestions, 1);
        QCOMPARE(boxes.shown.size(), 3);
    }

    void boxesAndDialogsStayAboveTheWindowThatOpenedThem()
    {
        // A main window with "Always on top" checked.
        QWidget main;
        main.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        main.show();
        QtMessageBoxes boxes;
        boxes.setParentWindow(&main);

        QWidget* boxOwner = nullptr;
        bool boxOnTop = false;
        bool nestedOwnedByBox = false;
        bool nestedOnTop = false;
        // A question asked while the box is open belongs to the box.
        whenModal<QMessageBox>([&](QMessageBox& box) {
            boxOwner = box.parentWidget();
            boxOnTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            QMessageBox* openBox = &box;
            QTimer::singleShot(0, &box, [&, openBox] {
                whenModal<QMessageBox>([&, openBox](QMessageBox& inner) {
                    nestedOwnedByBox = inner.parentWidget() == openBox;
                    nestedOnTop = inner.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                    press(inner, QMessageBox::Ok);
                });
                // The second box runs inside the first one's loop.
                QtMessageBoxes inner(openBox->parentWidget());
                inner.information(QStringLiteral("Please wait"));
                press(*openBox, QMessageBox::Ok);
            });
        });
        boxes.information(QStringLiteral("The table is not trained! Please train voice commands!"));
        QCOMPARE(boxOwner, &main);
        QVERIFY(boxOnTop);
        QVERIFY(nestedOwnedByBox);
        QVERIFY(nestedOnTop);

        // Without "Always on top" the box belongs to the window but is not forced on top.
        main.setWindowFlag(Qt::WindowStaysOnTopHint, false);
        main.show();
        whenModal<QMessageBox>([&](QMessageBox& box) {
            boxOwner = box.parentWidget();
            boxOnTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            press(box, QMessageBox::No);
        });
        QVERIFY(!boxes.askYesNo(QStringLiteral("Save?")));
        QCOMPARE(boxOwner, &main);
        QVERIFY(!boxOnTop);
    }

    void realBoxesReturnTheButtonPressed()
    {
        QtMessageBoxes boxes;
        QString seen;
        whenModal<QMessageBox>([&](QMessageBox& box) {
            seen = box.text();
            press(box, QMessageBox::No);
        });
        QVERIFY(!boxes.askYesNo("Do you wish to continue?"));
        QCOMPARE(seen, QString("Do you wish to continue?"));

        whenModal<QMessageBox>([](QMessageBox& box) { press(box, QMessageBox::Yes); });
        QVERIFY(boxes.askYesNo("again?"));

        whenModal<QMessageBox>([](QMessageBox& box) { press(box, QMessageBox::Cancel); });
        QCOMPARE(boxes.askYesNoCancel("save?"), MessageAnswer::Cancel);

        whenModal<QMessageBox>([](QMessageBox& box) { press(box, QMessageBox::No); });
        QCOMPARE(boxes.askYesNoCancel("save?"), MessageAnswer::No);

        whenModal<QMessageBox>([&](QMessageBox& box) {
            seen = box.text();
            press(box, QMessageBox::Ok);
        });
        boxes.information("Nothing to save!");
        QCOMPARE(seen, QString("Nothing to save!"));
    }

    void tableFilterShowsTheExtension()
    {
        QCOMPARE(QtTableFileDialogs::toQtFilter("Voice Command Tables (*.EAR)|*.EAR"),
                 QString("Voice Command Tables (*.EAR)"));
        QCOMPARE(QtTableFileDialogs::toQtFilter("Tables|*.EAR;*.LK+|All files|*"),
                 QString("Tables (*.EAR *.LK+);;All files (*)"));
    }

    void openDialogOffersTablesAndReturnsTheChoice()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString table = dir.filePath("office.EAR");
        QFile file(table);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        QtTableFileDialogs dialogs;
        QStringList filters;
        whenModal<QFileDialog>([&](QFileDialog& dialog) {
            filters = dialog.nameFilters();
            dialog.selectFile(table);
            static_cast<QDialog&>(dialog).accept();
        });
        const auto chosen = dialogs.askOpenFileName("Voice Command Tables (*.EAR)|*.EAR");
        QCOMPARE(filters, QStringList{"Voice Command Tables (*.EAR)"});
        QVERIFY(chosen);
        QCOMPARE(QString::fromStdString(*chosen), table);

        whenModal<QFileDialog>([](QFileDialog& dialog) { static_cast<QDialog&>(dialog).reject(); });
        QVERIFY(!dialogs.askSaveFileName("Voice Command Tables (*.EAR)|*.EAR"));
    }
};

QTEST_MAIN(MessagesAndDialogsTest)
#include "MessagesAndDialogsTest.moc"
