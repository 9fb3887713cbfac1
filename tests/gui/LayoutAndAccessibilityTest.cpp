// The main window as a screen reader and a user with large text meet it:
// every interactive control has a name (and its hint as description), each
// edit has its caption as buddy, and at the usual, 1.5x and 2x text sizes no
// caption, label or button text is cut off. The walk covers every window and
// every control there is, so controls added later are checked as well.

#include "ShellRig.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

using namespace larkspur;
using namespace larkspur::test;

namespace {

const char* const kPanels[] = {"CreatePanel", "TrainPanel", "EditPanel", "MicrophonePanel",
                               "MousePanel", "PlayBackPanel", "AccuracyPanel"};

bool isInteractive(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::Table:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::Dial:
    case QAccessible::PageTab:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::MenuItem:
        return true;
    default:
        return false;
    }
}

QString describeWidget(QAccessibleInterface* node)
{
    QObject* object = node->object();
    return QStringLiteral("%1 '%2' (role %3)")
        .arg(object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("item"),
             object ? object->objectName() : QString())
        .arg(int(node->role()));
}

// Every shown, enabled interactive node under node that has no name, and
// every widget whose hint is not its description.
void walk(QAccessibleInterface* node, QStringList& unnamed, QStringList& undescribed, int depth = 0)
{
    if (!node || !node->isValid() || depth > 40)
        return;
    const QAccessible::State state = node->state();
    if (state.invisible)
        return;
    if (isInteractive(node->role()) && !state.disabled && node->text(QAccessible::Name).trimmed().isEmpty())
        unnamed << describeWidget(node);
    if (auto* widget = qobject_cast<QWidget*>(node->object())) {
        if (isInteractive(node->role()) && !widget->toolTip().isEmpty() &&
            node->text(QAccessible::Description) != widget->toolTip())
            undescribed << describeWidget(node);
    }
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), unnamed, undescribed, depth + 1);
}

// What a text needs and what it gets, for every label and button shown in root.
QStringList cutTexts(QWidget* root)
{
    QStringList cut;
    auto report = [&cut](QWidget* w, const QString& text, QSize needed) {
        cut << QStringLiteral("%1 '%2' needs %3x%4, has %5x%6")
                   .arg(w->objectName(), text.left(40))
                   .arg(needed.width())
                   .arg(needed.height())
                   .arg(w->width())
                   .arg(w->height());
    };
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(root) || label->text().isEmpty())
            continue;
        const QSize needed = label->wordWrap()
                                 ? QSize(label->minimumSizeHint().width(), label->heightForWidth(label->width()))
                                 : label->sizeHint();
        if (needed.width() > label->width() || needed.height() > label->height())
            report(label, label->text(), needed);
    }
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(root) || button->text().isEmpty())
            continue;
        const QSize needed = button->sizeHint();
        if (needed.width() > button->width() || needed.height() > button->height())
            report(button, button->text(), needed);
    }
    // Nothing may stick out of the widget that holds it either.
    for (QWidget* w : root->findChildren<QWidget*>()) {
        QWidget* parent = w->parentWidget();
        if (!w->isVisibleTo(root) || w->isWindow() || !parent || parent == root->window())
            continue;
        if (!parent->rect().contains(w->geometry()))
            cut << QStringLiteral("%1 sticks out of %2").arg(w->objectName(), parent->objectName());
    }
    return cut;
}

void showEveryPanel(TMainFrm& window)
{
    for (const char* name : kPanels)
        window.ShowPanel(window.findChild<QFrame*>(QString::fromLatin1(name)));
}

} // namespace

class LayoutAndAccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QAccessible::setActive(true); }

    void everyInteractiveControlIsNamedAndDescribed()
    {
        ShellRig rig;
        auto window = rig.create();
        rig.start(*window);
        showEveryPanel(*window);
        QStringList unnamed;
        QStringList undescribed;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible())
                walk(QAccessible::queryAccessibleInterface(top), unnamed, undescribed);
        QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("without a name: ") + unnamed.join(QStringLiteral(", "))));
        QVERIFY2(undescribed.isEmpty(),
                 qPrintable(QStringLiteral("hint is not the description: ") + undescribed.join(QStringLiteral(", "))));
    }

    void everyEditHasItsCaptionAsBuddy()
    {
        ShellRig rig;
        auto window = rig.create();
        showEveryPanel(*window);
        const QList<QLabel*> labels = window->findChildren<QLabel*>();
        int edits = 0;
        for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
            if (!edit->isVisibleTo(window.get()))
                continue;
            ++edits;
            const auto buddy = std::find_if(labels.begin(), labels.end(), [edit](QLabel* l) { return l->buddy() == edit; });
            QVERIFY2(buddy != labels.end(), qPrintable(edit->objectName()));
            QCOMPARE(edit->accessibleName(), (*buddy)->text());
        }
        QVERIFY(edits >= 5);
    }

    void keyboardFocusMovesThroughAPanelInReadingOrder()
    {
        ShellRig rig;
        auto window = rig.create();
        rig.start(*window);
        window->findChild<QWidget*>(QStringLiteral("VoiceCommandsBtn"))->setFocus();
        window->ShowPanel(window->findChild<QFrame*>(QStringLiteral("CreatePanel")));
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("BuildListBox"));
        QStringList order;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList{"BuiltVCText", "BuiltVCAct", "AcceptBtn", "ClearBtn", "FindAppBtn"}));
    }

    void noTextIsCut_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("usual size") << 1.0;
        QTest::newRow("1.5x") << 1.5;
        QTest::newRow("2x") << 2.0;
    }
    void noTextIsCut()
    {
        QFETCH(double, scale);
        ShellRig rig;
        auto window = rig.create();
        QFont larger = window->font();
        larger.setPointSizeF(larger.pointSizeF() * scale);
        window->setFont(larger);
        rig.start(*window);
        QCOMPARE(window->size(), window->windowSizeRule());
        for (const char* name : kPanels) {
            auto* panel = window->findChild<QFrame*>(QString::fromLatin1(name));
            window->ShowPanel(panel);
            QApplication::processEvents();
            const QStringList cut = cutTexts(panel);
            QVERIFY2(cut.isEmpty(), qPrintable(QString::fromLatin1(name) + QStringLiteral(": ") +
                                               cut.join(QStringLiteral("; "))));
            // The panel lies inside the tab control's frame, under the tabs.
            const QRect tabs = window->findChild<QWidget*>(QStringLiteral("TabControl1"))->geometry();
            QVERIFY(tabs.contains(panel->geometry()));
        }
        const QStringList cut = cutTexts(window->findChild<QWidget*>(QStringLiteral("RightSideWindow")));
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
        // The whole client area fits in the window.
        const QStringList outside = cutTexts(window->centralWidget());
        QVERIFY2(outside.isEmpty(), qPrintable(outside.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(LayoutAndAccessibilityTest)
#include "LayoutAndAccessibilityTest.moc"
