// The main window's kind of controls persisted through the settings component:
// a window is saved, destroyed, and a new one gets the values back.

#include "settings/MainFormProperties.h"
#include "settings/PropertyRegistry.h"
#include "settings/TINIPropSav.h"
#include "ui/WidgetProperties.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace larkspur;

namespace {

// The persisted part of a main window, with its defaults.
class OptionsWindow : public QWidget {
public:
    QCheckBox* autoClick = new QCheckBox(this);
    QMenu* view = new QMenu(this);
    QAction* plotting = view->addAction("Plotting");
    QSlider* accuracy = new QSlider(this);
    QLabel* lastTable = new QLabel(this);
    QStringList handled;
    PropertyRegistry registry;
    TINIPropSav settings{registry};

    OptionsWindow()
    {
        plotting->setCheckable(true);
        accuracy->setRange(0, 100);
        accuracy->setValue(50);
        registry.addHandler("MainFrm", "AutoClickClick",
                            [this] { handled << QString("AutoClickClick:%1").arg(autoClick->isChecked()); });
        registry.addHandler("MainFrm", "PlottingClick", [this] { handled << "PlottingClick"; });
        registry.addHandler("MainFrm", "AccuracyScBrChange",
                            [this] { handled << QString("AccuracyScBrChange:%1").arg(accuracy->value()); });
        registerCheckBox(registry, "AutoClick", autoClick);
        registerCheckableAction(registry, "Plotting", plotting);
        registerSlider(registry, "AccuracyScBr", accuracy);
        registerLabel(registry, "LastTable", lastTable);
        registry.assignHandler("AutoClick", "OnClick", "MainFrm.AutoClickClick");
        registry.assignHandler("Plotting", "OnClick", "MainFrm.PlottingClick");
        registry.assignHandler("AccuracyScBr", "OnChange", "MainFrm.AccuracyScBrChange");
        configureMainFormSettings(settings);
        settings.runFormCreate();
    }
    ~OptionsWindow() override { settings.runFormDestroy(); }
};

} // namespace

class WidgetSettingsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_root.path());
    }

    void optionsSurviveARestartAndHandlersApplyThem()
    {
        {
            OptionsWindow first;
            QVERIFY(first.handled.isEmpty());
            first.autoClick->setChecked(true);
            first.plotting->setChecked(true);
            first.accuracy->setValue(64);
            first.lastTable->setText("/home/u/work.EAR");
        }
        {
            QSettings stored("Halcyon Works", "Larkspur QTX 98");
            QCOMPARE(stored.value("AutoClick/Checked").toString(), QString("True"));
            QCOMPARE(stored.value("AccuracyScBr/Position").toString(), QString("64"));
            QCOMPARE(stored.value("AccuracyScBr/OnChange").toString(), QString("MainFrm.AccuracyScBrChange"));
            QCOMPARE(stored.value("LastTable/Caption").toString(), QString("/home/u/work.EAR"));
        }
        OptionsWindow second;
        QVERIFY(second.autoClick->isChecked());
        QVERIFY(second.plotting->isChecked());
        QCOMPARE(second.accuracy->value(), 64);
        QCOMPARE(second.lastTable->text(), QString("/home/u/work.EAR"));
        // Restored check boxes and sliders tell their handlers; menu items do not.
        QCOMPARE(second.handled, (QStringList{"AutoClickClick:1", "AccuracyScBrChange:64"}));
        second.plotting->trigger();
        QCOMPARE(second.handled.last(), QString("PlottingClick"));
    }

    void controlDestroyedBeforeSavingIsReportedNotFatal()
    {
        auto window = std::make_unique<OptionsWindow>();
        window->accuracy->setValue(12);
        delete window->lastTable;
        QStringList errors;
        window->settings.OnSavePropertyError = [&](TINIPropSav&, const QString& c, const QString&, const QString&) {
            errors << c;
        };
        window.reset();
        QCOMPARE(errors, QStringList{"LastTable"});
        QCOMPARE(QSettings("Halcyon Works", "Larkspur QTX 98").value("AccuracyScBr/Position").toInt(), 12);
    }
};

QTEST_MAIN(WidgetSettingsTest)
#include "WidgetSettingsTest.moc"
