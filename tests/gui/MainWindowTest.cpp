// Navigation of the main window (side buttons, tabs, panels, splash) and its
// options surviving a restart through the real window.

#include "ShellRig.h"
#include "actions/portal/PortalDesktopSession.h"
#include "app/MainDispatch.h"
#include "app/TRecFrm.h"

#include "app/TPlotFrm.h"
#include "app/TTabControl.h"
#include "app/TTrackBar.h"
#include "engine/TVREngine32.h"
#include "ui/TSoftButt.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QTabBar>

#include <thread>

using namespace larkspur;
using namespace larkspur::test;

namespace {

QStringList tabsOf(TMainFrm& window)
{
    return window.findChild<TTabControl*>(QStringLiteral("TabControl1"))->Tabs();
}

QColor labelColour(TMainFrm& window, const char* name)
{
    return window.findChild<QLabel*>(QString::fromLatin1(name))->palette().color(QPalette::WindowText);
}

void moveOver(QWidget* widget)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(10, 10), widget->mapToGlobal(QPointF(10, 10)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ShellRig> m_rig;
    std::unique_ptr<TMainFrm> m_window;

    TSoftButt* button(const char* name) { return m_window->findChild<TSoftButt*>(QString::fromLatin1(name)); }
    QString currentPanel() { return m_window->currentPanel() ? m_window->currentPanel()->objectName() : QString(); }

private slots:
    void init()
    {
        m_rig = std::make_unique<ShellRig>();
        m_window = m_rig->create();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_rig.reset();
    }

    void sideButtonsChooseSections_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("whiteLabel");
        QTest::addColumn<bool>("stepOne");
        QTest::newRow("voice commands") << "VoiceCommandsBtn" << QStringList{"Create", "Train", "Edit"}
                                        << "CreatePanel" << "VoiceCommands" << true;
        QTest::newRow("system settings") << "SystemSettingsBtn" << QStringList{"Microphone", "Auto Mouse"}
                                         << "MicrophonePanel" << "SystemSettings" << false;
        QTest::newRow("user settings") << "UserSettingsBtn" << QStringList{"PlayBack", "Fine Tune"}
                                       << "PlayBackPanel" << "UserSettings" << false;
    }
    void sideButtonsChooseSections()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, tabs);
        QFETCH(QString, panel);
        QFETCH(QString, whiteLabel);
        QFETCH(bool, stepOne);
        QTest::mouseClick(this->button(button.toLatin1().constData()), Qt::LeftButton);
        QVERIFY(m_window->findChild<QFrame*>(QStringLiteral("SplashPanel"))->isHidden());
        QCOMPARE(tabsOf(*m_window), tabs);
        QCOMPARE(m_window->state().currentTabSet, tabs);
        QCOMPARE(currentPanel(), panel);
        for (const char* label : {"VoiceCommands", "SystemSettings", "UserSettings"})
            QCOMPARE(labelColour(*m_window, label), QColor(whiteLabel == QLatin1String(label) ? Qt::white : Qt::black));
        QCOMPARE(m_window->state().quickStartStep(1), stepOne);
    }

    // The portal's consent token stays where earlier versions kept it, so a
    // user's stored consent survives the update.
    void desktopBackEndsKeepValuesWithTheProgramsOptions()
    {
        const DesktopHost host = MainDispatch::desktopHost(*m_window);
        ShellRig::storeOption(QStringLiteral("Desktop/PortalRestoreToken"), QStringLiteral("token-1"));
        QCOMPARE(host.load(kPortalRestoreTokenKey), std::string("token-1"));
        host.store(kPortalRestoreTokenKey, "token-2");
        const QSettings stored(QStringLiteral("Halcyon Works"), QStringLiteral("Larkspur QTX 98"));
        QCOMPARE(stored.value(QStringLiteral("Desktop/PortalRestoreToken")).toString(), QStringLiteral("token-2"));
        QCOMPARE(host.load("NothingStored"), std::string());

        // Said from the thread that opens the desktop, shown in the status strip.
        std::thread backEnd([&host] { host.showStatus("Waiting for the desktop: allow it."); });
        backEnd.join();
        QTRY_VERIFY(m_window->statusWindow().isVisible());
        QCOMPARE(m_window->statusWindow().Label1()->text().trimmed(), QStringLiteral("Waiting for the desktop: allow it."));
        m_window->statusWindow().hide();
        QVERIFY(host.screenSize && host.screenSize->x > 0 && host.screenSize->y > 0);
    }

    void panelsTakeTheirPlace()
    {
        QTest::mouseClick(button("UserSettingsBtn"), Qt::LeftButton);
        QFrame* panel = m_window->currentPanel();
        // Under the tabs: side window top 27 + tab height 25 + 6; beside it: 73 + 6.
        QCOMPARE(panel->pos(), QPoint(79, 58));
        // At least the usual size, larger where the text needs it; all alike.
        QVERIFY(panel->width() >= 392 && panel->height() >= 239);
        QCOMPARE(m_window->findChild<QFrame*>(QStringLiteral("CreatePanel"))->size(), panel->size());
        QWidget* client = m_window->centralWidget();
        QWidget* atCentre = client->childAt(panel->geometry().center());
        QVERIFY(atCentre == panel || panel->isAncestorOf(atCentre));
    }

    void systemSettingsTwice()
    {
        TSoftButt* settings = button("SystemSettingsBtn");
        QTest::mouseClick(settings, Qt::LeftButton);
        auto* tabs = m_window->findChild<TTabControl*>(QStringLiteral("TabControl1"));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        QCOMPARE(currentPanel(), QStringLiteral("MousePanel"));
        QTest::mouseClick(settings, Qt::LeftButton);
        QCOMPARE(tabsOf(*m_window), (QStringList{"Microphone", "Auto Mouse"}));
        QCOMPARE(tabs->TabIndex(), 0);
        QCOMPARE(currentPanel(), QStringLiteral("MicrophonePanel"));
    }

    void tabsChoosePanels_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("panel");
        QTest::newRow("Train") << "VoiceCommandsBtn" << 1 << "TrainPanel";
        QTest::newRow("Edit") << "VoiceCommandsBtn" << 2 << "EditPanel";
        QTest::newRow("Auto Mouse") << "SystemSettingsBtn" << 1 << "MousePanel";
        QTest::newRow("Fine Tune") << "UserSettingsBtn" << 1 << "AccuracyPanel";
    }
    void tabsChoosePanels()
    {
        QFETCH(QString, button);
        QFETCH(int, tab);
        QFETCH(QString, panel);
        m_window->findChild<TSoftButt*>(button)->click();
        m_window->state().quickStartSteps.fill(false);
        auto* tabs = m_window->findChild<TTabControl*>(QStringLiteral("TabControl1"));
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(tab).center());
        QCOMPARE(currentPanel(), panel);
        // Opening the Train tab is a step of the quick start guide.
        QCOMPARE(m_window->state().quickStartStep(5), panel == QLatin1String("TrainPanel"));
    }

    void autoMouseClickSwitchesOnMovement()
    {
        moveOver(button("SystemSettingsBtn"));
        QVERIFY(tabsOf(*m_window).isEmpty());

        m_window->findChild<QCheckBox*>(QStringLiteral("AutoClick"))->setChecked(true);
        QVERIFY(m_window->state().autoMouseClick);
        const struct {
            const char* button;
            const char* panel;
        } passes[] = {{"VoiceCommandsBtn", "CreatePanel"},
                      {"SystemSettingsBtn", "MicrophonePanel"},
                      {"UserSettingsBtn", "PlayBackPanel"}};
        for (const auto& pass : passes) {
            moveOver(button(pass.button));
            QCOMPARE(currentPanel(), QString::fromLatin1(pass.panel));
        }
        // Passing over the Voice Commands button is no click.
        QVERIFY(!m_window->state().quickStartStep(1));
    }

    void aboutShowsSplashWithoutTabs()
    {
        QTest::mouseClick(button("VoiceCommandsBtn"), Qt::LeftButton);
        m_window->findChild<QAction*>(QStringLiteral("AboutLarkspurQTX981"))->trigger();
        QVERIFY(tabsOf(*m_window).isEmpty());
        QVERIFY(m_window->state().currentTabSet.isEmpty());
        auto* splash = m_window->findChild<QFrame*>(QStringLiteral("SplashPanel"));
        QVERIFY(!splash->isHidden());
        QCOMPARE(splash->pos(), QPoint(77, 27));
        QCOMPARE(labelColour(*m_window, "VoiceCommands"), QColor(Qt::black));
    }

    void zoomStaysWithinItsLimitsAndRedrawsThePlot()
    {
        TPlotFrm plot;
        plot.TakePlotData(std::string(2200, '\x90'), 2200);
        m_window->setPlotWindow(&plot);
        auto* zoomIn = m_window->findChild<QAction*>(QStringLiteral("ZoomIn1"));
        auto* zoomOut = m_window->findChild<QAction*>(QStringLiteral("ZoomOut1"));
        QCOMPARE(m_window->state().plotZoom, 25);

        zoomOut->trigger();
        QCOMPARE(m_window->state().plotZoom, 25);
        QCOMPARE(m_rig->boxes.texts(), QStringList{"A Zoom value of 1 is the lowest Zoom Out Value Allowed."});

        zoomIn->trigger();
        QCOMPARE(m_window->state().plotZoom, 24);
        QCOMPARE(plot.LastZoom(), 24);

        // Clicks in the plot go through the same commands.
        QTest::mouseClick(plot.PaintBox1(), Qt::RightButton);
        QCOMPARE(m_window->state().plotZoom, 25);
        for (int i = 0; i < 24; ++i)
            QTest::mouseClick(plot.PaintBox1(), Qt::LeftButton);
        QCOMPARE(m_window->state().plotZoom, 1);
        QCOMPARE(plot.LastZoom(), 1);
        QTest::mouseClick(plot.PaintBox1(), Qt::LeftButton);
        QCOMPARE(m_window->state().plotZoom, 1);
        QCOMPARE(m_rig->boxes.texts().last(), QStringLiteral("A Zoom value of 25 is the highest Zoom In Value Allowed."));
        m_window->setPlotWindow(nullptr);
    }

    void optionsSurviveRestart()
    {
        // Change the options the way a user would, then close the program.
        m_window->findChild<QCheckBox*>(QStringLiteral("AutoClick"))->click();
        // Position 4 gives 60 - 5 * 4 = 40, far from the start value 15.
        m_window->findChild<TTrackBar*>(QStringLiteral("AccuracyScBr"))->setValue(4);
        QCOMPARE(m_window->engine().Accuracy(), 40);
        m_window->findChild<TTrackBar*>(QStringLiteral("Confidence"))->setValue(90);
        m_window->findChild<QAction*>(QStringLiteral("QuickStart"))->trigger();
        m_window->findChild<QAction*>(QStringLiteral("ViewTips1"))->trigger();
        m_window->findChild<QAction*>(QStringLiteral("AutoListenafterload1"))->trigger();
        m_window->findChild<QLabel*>(QStringLiteral("LastTable"))->setText(QStringLiteral("/tables/office.EAR"));
        m_window.reset();

        m_window = m_rig->create();
        QVERIFY(m_window->findChild<QCheckBox*>(QStringLiteral("AutoClick"))->isChecked());
        // The stored check runs the box's handler, so the flag follows it.
        QVERIFY(m_window->state().autoMouseClick);
        QCOMPARE(m_window->findChild<TTrackBar*>(QStringLiteral("AccuracyScBr"))->Position(), 4);
        // A restored slider position does not reach the engine.
        QCOMPARE(m_window->engine().Accuracy(), TMainFrm::kInitialAccuracy);
        QCOMPARE(m_window->findChild<TTrackBar*>(QStringLiteral("Confidence"))->Position(), 90);
        QVERIFY(!m_window->findChild<QAction*>(QStringLiteral("QuickStart"))->isChecked());
        // The stored mark wins over the one the creation steps set.
        QVERIFY(!m_window->findChild<QAction*>(QStringLiteral("ViewTips1"))->isChecked());
        QVERIFY(m_window->findChild<QAction*>(QStringLiteral("AutoListenafterload1"))->isChecked());
        QVERIFY(m_window->findChild<QAction*>(QStringLiteral("Plotting"))->isChecked());
        QCOMPARE(m_window->findChild<QLabel*>(QStringLiteral("LastTable"))->text(),
                 QStringLiteral("/tables/office.EAR"));
    }

    void enhancedMatchingIsAnOptionOfTheEngine()
    {
        auto* box = m_window->findChild<QCheckBox*>(QStringLiteral("EnhancedMatching"));
        QVERIFY(box);
        QVERIFY(!box->isChecked());
        QVERIFY(m_window->engine().Matcher() == MatcherKind::Specified);
        box->click();
        QVERIFY(m_window->engine().Matcher() == MatcherKind::Enhanced);
        m_window.reset();

        // Restored with the other options, and the engine follows the box.
        m_window = m_rig->create();
        box = m_window->findChild<QCheckBox*>(QStringLiteral("EnhancedMatching"));
        QVERIFY(box->isChecked());
        QVERIFY(m_window->engine().Matcher() == MatcherKind::Enhanced);
        box->click();
        QVERIFY(m_window->engine().Matcher() == MatcherKind::Specified);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
