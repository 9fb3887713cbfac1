// The settings component over plain values: what a window's controls would
// hold, registered under the names the main window uses.

#include "settings/EINIPropSav.h"
#include "settings/MainFormProperties.h"
#include "settings/PropertyAccessors.h"
#include "settings/PropertyListEntry.h"
#include "settings/PropertyRegistry.h"
#include "settings/TINIPropSav.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace larkspur;

namespace {

// A stand-in for the main window: a few controls' values and two handlers.
struct FakeForm {
    bool autoClick = false;
    int32_t accuracy = 20;
    QString lastTable;
    std::shared_ptr<HandlerSlot> autoClickOnClick = std::make_shared<HandlerSlot>();
    QStringList calls;
    PropertyRegistry registry;
    TINIPropSav settings{registry};

    FakeForm()
    {
        registry.addHandler("MainFrm", "AutoClickClick", [this] { calls << "AutoClickClick"; });
        registry.addHandler("MainFrm", "OtherClick", [this] { calls << "OtherClick"; });
        registry.addProperty("AutoClick", "Checked",
                             makeBooleanProperty([this] { return autoClick; }, [this](bool v) { autoClick = v; }));
        registry.addProperty("AutoClick", "OnClick", std::make_unique<MethodProperty>(autoClickOnClick));
        registry.addProperty("AccuracyScBr", "Position",
                             std::make_unique<IntegerProperty>([this] { return accuracy; },
                                                               [this](int32_t v) { accuracy = v; }));
        registry.addProperty("LastTable", "Caption",
                             std::make_unique<StringProperty>([this] { return lastTable; },
                                                              [this](const QString& v) { lastTable = v; }));
        registry.assignHandler("AutoClick", "OnClick", "MainFrm.AutoClickClick");
        configureMainFormSettings(settings);
    }
};

QString mainConfPath(const QString& root)
{
    return root + "/Halcyon Works/Larkspur QTX 98.conf";
}

} // namespace

class TINIPropSavTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_confPath;

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_root.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_root.path());
        m_confPath = mainConfPath(m_root.path());
    }

    void init() { QFile::remove(m_confPath); }

    void firstStartKeepsValuesAndCreatesNothingUntilSaved()
    {
        FakeForm form;
        form.accuracy = 33;
        form.settings.runFormCreate();
        QCOMPARE(form.accuracy, 33);
        QCOMPARE(form.autoClick, false);
        QVERIFY(!QFile::exists(m_confPath));

        form.settings.runFormDestroy();
        QVERIFY(QFile::exists(m_confPath));
        QSettings stored("Halcyon Works", "Larkspur QTX 98");
        QCOMPARE(stored.value("AccuracyScBr/Position").toString(), QString("33"));
        QCOMPARE(stored.value("AutoClick/Checked").toString(), QString("False"));
        QCOMPARE(stored.value("AutoClick/OnClick").toString(), QString("MainFrm.AutoClickClick"));
    }

    void savedValuesComeBackInANewWindow()
    {
        {
            FakeForm first;
            first.autoClick = true;
            first.accuracy = 7;
            first.lastTable = "/home/user/My Tables/office.EAR";
            first.registry.assignHandler("AutoClick", "OnClick", "MainFrm.OtherClick");
            first.settings.runFormDestroy();
        }
        FakeForm second;
        second.settings.runFormCreate();
        QCOMPARE(second.autoClick, true);
        QCOMPARE(second.accuracy, 7);
        QCOMPARE(second.lastTable, QString("/home/user/My Tables/office.EAR"));
        // The handler is found again by its name and really is the one called.
        QCOMPARE(second.autoClickOnClick->reference(), QString("MainFrm.OtherClick"));
        (*second.autoClickOnClick)();
        QCOMPARE(second.calls, QStringList{"OtherClick"});
    }

    void emptyHandlerValueClearsTheEvent()
    {
        {
            FakeForm first;
            first.autoClickOnClick->clear();
            first.settings.SaveProperties();
        }
        FakeForm second;
        second.settings.LoadProperties();
        QVERIFY(!second.autoClickOnClick->assigned());
    }

    void deletedValueLeavesTheControlsValue()
    {
        {
            FakeForm first;
            first.accuracy = 5;
            first.autoClick = true;
            first.settings.SaveProperties();
        }
        QSettings("Halcyon Works", "Larkspur QTX 98").remove("AccuracyScBr/Position");
        FakeForm second;
        second.accuracy = 42;
        second.settings.LoadProperties();
        QCOMPARE(second.accuracy, 42);
        QCOMPARE(second.autoClick, true);
    }

    void failingPropertyIsReportedAndTheOthersStillLoad()
    {
        {
            FakeForm first;
            first.autoClick = true;
            first.lastTable = "t.EAR";
            first.settings.SaveProperties();
        }
        {
            QSettings stored("Halcyon Works", "Larkspur QTX 98");
            stored.setValue("AccuracyScBr/Position", "not a number");
            stored.setValue("AutoClick/OnClick", "MainFrm.NoSuchHandler");
        }
        FakeForm second;
        second.accuracy = 9;
        QStringList errors;
        second.settings.OnLoadPropertyError = [&](TINIPropSav&, const QString& c, const QString& p, const QString&) {
            errors << c + "+" + p;
        };
        second.settings.LoadProperties();
        QCOMPARE(errors, (QStringList{"AccuracyScBr+Position", "AutoClick+OnClick"}));
        QCOMPARE(second.accuracy, 9);
        QCOMPARE(second.autoClick, true);
        QCOMPARE(second.lastTable, QString("t.EAR"));
        QCOMPARE(second.autoClickOnClick->reference(), QString("MainFrm.AutoClickClick"));
    }

    void failingSaveOfOnePropertyStillSavesTheOthers()
    {
        FakeForm form;
        form.lastTable = "kept.EAR";
        form.registry.addProperty("AccuracyScBr", "Position",
                                  std::make_unique<IntegerProperty>(
                                      []() -> int32_t { throw EINIPropSav(QStringLiteral("gone")); },
                                      [](int32_t) {}));
        QStringList errors;
        form.settings.OnSavePropertyError = [&](TINIPropSav&, const QString& c, const QString& p,
                                                const QString& e) { errors << c + "+" + p + ":" + e; };
        form.settings.SaveProperties();
        QCOMPARE(errors, QStringList{"AccuracyScBr+Position:gone"});
        QSettings stored("Halcyon Works", "Larkspur QTX 98");
        QVERIFY(!stored.contains("AccuracyScBr/Position"));
        QCOMPARE(stored.value("LastTable/Caption").toString(), QString("kept.EAR"));
    }

    void flagsAndMissingComponentsAreHonoured()
    {
        FakeForm form;
        form.registry.removeComponent("LastTable");
        form.lastTable = "never saved";
        form.accuracy = 3;
        QStringList sections = form.settings.Sections();
        const qsizetype position = form.settings.Properties().indexOf("AccuracyScBr+Position");
        sections[position] = "AccuracyScBr+Position=.0#1";
        form.settings.setSections(sections);
        form.settings.SaveProperties();
        QSettings stored("Halcyon Works", "Larkspur QTX 98");
        QVERIFY(!stored.contains("AccuracyScBr/Position"));
        QVERIFY(!stored.contains("LastTable/Caption"));
        QVERIFY(stored.contains("AutoClick/Checked"));
    }

    void hooksLoadAndSaveAroundTheFormsHandler()
    {
        {
            FakeForm first;
            first.accuracy = 11;
            first.settings.SaveProperties();
        }
        FakeForm form;
        QList<int32_t> seenByHandler;
        auto handler = [&] { seenByHandler << form.accuracy; };

        form.settings.runFormCreate(handler);  // default: after the creation handler
        QCOMPARE(seenByHandler, QList<int32_t>{20});
        QCOMPARE(form.accuracy, 11);

        form.accuracy = 20;
        form.settings.setAutoLoadProperties(TAutoLoad::aldBeforeOnShowForm);
        form.settings.runFormCreate(handler);
        QCOMPARE(form.accuracy, 20);
        form.settings.runFormShow(handler);
        QCOMPARE(seenByHandler, (QList<int32_t>{20, 20, 11}));

        // Default save: before the destroy handler, which still runs when saving fails.
        form.settings.setUseRegistry(false);
        form.settings.setUseAppDir(false);
        form.settings.setFileName(m_confPath + "/not-a-directory/x.ini");
        bool handlerRan = false;
        QVERIFY_THROWS_EXCEPTION(EINIPropSav, form.settings.runFormDestroy([&] { handlerRan = true; }));
        QVERIFY(handlerRan);
    }

    void unusableStoreEndsTheOperationWithItsMessage()
    {
        FakeForm form;
        form.settings.SaveProperties();  // a file to block the path with
        form.settings.setUseRegistry(false);
        form.settings.setUseAppDir(false);
        form.settings.setFileName(m_confPath + "/below-a-file.ini");
        int ends = 0;
        form.settings.OnEndSavingProperties = [&](TINIPropSav&) { ++ends; };
        try {
            form.settings.SaveProperties();
            QFAIL("saving into a path below a file must fail");
        } catch (const EINIPropSav& e) {
            QCOMPARE(e.text(), QString("There are problems with the INI/Registry file"));
        }
        QCOMPARE(ends, 1);
    }

    void iniFileHoldsDisplayTexts()
    {
        const QString path = m_root.filePath("options.ini");
        FakeForm form;
        form.settings.setUseRegistry(false);
        form.settings.setUseAppDir(false);
        form.settings.setFileName(path);
        form.autoClick = true;
        form.accuracy = -4;
        form.settings.SaveProperties();

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains("[AutoClick]\nChecked=True\nOnClick=MainFrm.AutoClickClick\n"), qPrintable(text));
        QVERIFY2(text.contains("[AccuracyScBr]\nPosition=-4\n"), qPrintable(text));
        QVERIFY(!QFile::exists(m_confPath));

        form.autoClick = false;
        form.settings.SaveProperties();
        QFile rewritten(path);  // the store replaces the file, so read it afresh
        QVERIFY(rewritten.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(rewritten.readAll()).contains("Checked=False\n"));
    }

    void rawAndScrambledValuesRoundTrip()
    {
        double level = 0.25;
        {
            FakeForm first;
            first.registry.addProperty("Form", "Level",
                                       std::make_unique<FloatProperty>([&] { return level; },
                                                                       [&](double v) { level = v; }));
            first.settings.setProperties(QStringList(first.settings.Properties()) << "Form+Level");
            first.settings.setStoreAsRawData(npFloat | npEnumeration);
            first.settings.setEncrypted(true);
            first.lastTable = "secret.EAR";
            first.autoClick = true;
            first.settings.SaveProperties();
        }
        QFile file(m_confPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(!text.contains("secret.EAR"));
        QVERIFY(text.contains("Level=@ByteArray("));

        level = 0;
        FakeForm second;
        second.registry.addProperty("Form", "Level",
                                    std::make_unique<FloatProperty>([&] { return level; },
                                                                    [&](double v) { level = v; }));
        second.settings.setProperties(QStringList(second.settings.Properties()) << "Form+Level");
        second.settings.setStoreAsRawData(npFloat | npEnumeration);
        second.settings.setEncrypted(true);
        second.settings.LoadProperties();
        QCOMPARE(level, 0.25);
        QCOMPARE(second.lastTable, QString("secret.EAR"));
        QCOMPARE(second.autoClick, true);
    }

    void encryptionNeedsTheRegistry()
    {
        PropertyRegistry registry;
        TINIPropSav settings(registry);
        settings.setEncrypted(true);
        QVERIFY(!settings.Encrypted());
        settings.setUseRegistry(true);
        settings.setEncrypted(true);
        QVERIFY(settings.Encrypted());
        settings.setUseRegistry(false);
        QVERIFY(!settings.Encrypted());
    }

    void storeLocationFollowsTheNames()
    {
        PropertyRegistry registry;
        TINIPropSav settings(registry);
        settings.setUseRegistry(true);
        settings.setFileName("/opt/larkspur/larkspur98.ini");
        QCOMPARE(settings.storeLocation(), QString("\\Software\\larkspur98\\larkspur98"));
        settings.setCompanyName("Halcyon Works");
        QCOMPARE(settings.storeLocation(), QString("\\Software\\larkspur98\\larkspur98"));
        settings.setProductName("Larkspur QTX 98");
        QCOMPARE(settings.storeLocation(), QString("\\Software\\Halcyon Works\\Larkspur QTX 98"));
        settings.setUseSoftwareKey(false);
        QCOMPARE(settings.storeLocation(), QString("/opt/larkspur/larkspur98.ini"));
        settings.setUseRegistry(false);
        settings.setFileName("larkspur98.ini");
        QCOMPARE(settings.storeLocation(), QCoreApplication::applicationDirPath() + "/larkspur98.ini");
    }

    void mainWindowListNamesEveryPropertySavedAndLoaded()
    {
        const QStringList properties = mainFormProperties();
        const QStringList sections = mainFormSections();
        QCOMPARE(properties.size(), 21);
        QCOMPARE(sections.size(), properties.size());
        QCOMPARE(properties.at(4), QString("ViewTips1+OnClick"));
        QCOMPARE(sections.at(17), QString("LastTable+Caption=.1#1"));
        QSet<QString> components;
        for (const QString& p : properties)
            components.insert(p.section('+', 0, 0));
        QCOMPARE(properties.last(), QString("PushToTalkKey1+Caption"));
        QCOMPARE(components.size(), 16);
    }

    void sectionsEntriesParse()
    {
        const auto entry = PropertyListEntry::fromSections("Form+Caption=my.section.0#1");
        QVERIFY(entry);
        QCOMPARE(entry->component, QString("Form"));
        QCOMPARE(entry->property, QString("Caption"));
        QCOMPARE(entry->section, QString("my.section"));
        QCOMPARE(entry->save, false);
        QCOMPARE(entry->load, true);
        QCOMPARE(entry->sectionsText(), QString("Form+Caption=my.section.0#1"));
        QVERIFY(!PropertyListEntry::fromSections("Form+Caption"));
        QVERIFY(!PropertyListEntry::fromSections("Form+Caption=.x#1"));
    }
};

QTEST_GUILESS_MAIN(TINIPropSavTest)
#include "TINIPropSavTest.moc"
