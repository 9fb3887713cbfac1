// The Microphone panel's buttons, the Help and Updates menus, the credits
// window, F1 on the panels' controls and the help pages themselves.

#include "ShellRig.h"

#include "actions/ProcessLauncher.h"
#include "app/AppOptions.h"
#include "app/AudioSetup.h"
#include "app/HelpContext.h"
#include "app/HelpTopics.h"
#include "app/ProjectAddresses.h"
#include "app/TCreditsFrm.h"
#include "app/THelpViewer.h"
#include "engine/TVREngine32.h"
#include "micsetup/SavedMicrophone.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QTimer>

#include <cerrno>

using namespace larkspur;
using namespace larkspur::test;

namespace {

// Records what would be started and where; answers with a scripted error.
class RecordingLauncher : public ProcessLauncher {
public:
    SpawnResult spawn(const std::vector<std::string>& argv) override
    {
        spawned.push_back(argv);
        folders.push_back(QDir::currentPath());
        if (error != 0)
            return {0, error};
        return {static_cast<pid_t>(50000 + spawned.size()), 0};
    }
    std::optional<int> waitExit(pid_t, std::optional<std::chrono::milliseconds> timeout) override
    {
        waits.push_back(timeout.has_value());
        return exitCode;
    }
    std::optional<std::string> captureOutput(const std::vector<std::string>&) override { return std::nullopt; }

    std::vector<std::vector<std::string>> spawned;
    QStringList folders;
    std::vector<bool> waits;
    int error = 0;
    std::optional<int> exitCode = 0;
};

std::vector<uint8_t> longQuietLine()
{
    return std::vector<uint8_t>(16 * kCalibrationLength, 128);
}

// The microphones Re-Calibrate can switch to: each name makes a file device
// whose quiet line sits at its own zero level, so the calibration tells which
// device it measured; an unplugged one does not open.
class MicrophoneShelf {
public:
    class Microphone : public FileCaptureDevice {
    public:
        Microphone(uint8_t zero, bool unplugged)
            : FileCaptureDevice(std::vector<uint8_t>(8 * kCalibrationLength, zero)), m_unplugged(unplugged)
        {
        }
        int open() override { return m_unplugged ? kNoSuchDevice : FileCaptureDevice::open(); }
        std::string errorText(int code) override
        {
            return code == kNoSuchDevice ? "No such device" : FileCaptureDevice::errorText(code);
        }

    private:
        static constexpr int kNoSuchDevice = 19;
        bool m_unplugged;
    };

    std::unique_ptr<CaptureDevice> make(const std::string& name)
    {
        made.push_back(name);
        auto device = std::make_unique<Microphone>(name == "hw:CARD=Webcam,DEV=0" ? 126 : 130,
                                                   name == "hw:CARD=Gone,DEV=0");
        last = device.get();
        return device;
    }

    std::vector<std::string> made;
    Microphone* last = nullptr;
};

std::vector<std::string> opened(const char* address)
{
    return {"xdg-open", address};
}

} // namespace

class SettingsHelpTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ShellRig> m_rig;
    RecordingLauncher m_launcher;
    std::unique_ptr<TMainFrm> m_window;
    MicrophoneShelf m_shelf;

    void createWindow()
    {
        ShellPlatform p = m_rig->platform();
        p.launcher = &m_launcher;
        // As the program wires it for a microphone: the set-up program's
        // choice, read at every Re-Calibrate.
        p.microphoneInUse = "default";
        p.chosenMicrophone = [] { return AudioSetup::chosenMicrophone(AppOptions{}); };
        p.makeMicrophone = [this](const std::string& name) { return m_shelf.make(name); };
        m_window = std::make_unique<TMainFrm>(p);
        QVERIFY(m_window->FormCreate());
    }

    void trigger(const char* item)
    {
        QAction* action = m_window->findChild<QAction*>(QString::fromLatin1(item));
        QVERIFY2(action, item);
        action->trigger();
    }

    template <typename T>
    T* child(const char* name)
    {
        return m_window->findChild<T*>(QString::fromLatin1(name));
    }

    void placeMicSetup()
    {
        QFile file(m_rig->programDir.path() + QStringLiteral("/larkspur-micsetup"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<ShellRig>(longQuietLine());
        m_launcher = RecordingLauncher();
        m_shelf = MicrophoneShelf();
        // The guide would ask its question during these tests.
        ShellRig::storeOption(QStringLiteral("QuickStart/Checked"), QStringLiteral("False"));
    }

    void cleanup()
    {
        m_window.reset();
        m_rig.reset();
    }

    void reCalibrate_measuresTheLineAgain()
    {
        createWindow();
        m_rig->start(*m_window);
        QVERIFY(m_window->engine().Ready());
        const int64_t afterStart = m_rig->device.position();
        child<QPushButton>("SetupMicBtn")->click();
        QVERIFY(m_rig->device.position() > afterStart);
        QVERIFY(m_window->engine().Ready());
    }

    void reCalibrate_switchesToTheMicrophoneChosenMeanwhile()
    {
        createWindow();
        m_rig->start(*m_window);
        TVREngine32& engine = m_window->engine();
        QCOMPARE(engine.calibration().zeroLevel, uint8_t(128));

        // Chosen in the set-up program while the program runs.
        QVERIFY(saveMicrophone("hw:CARD=Webcam,DEV=0"));
        const int64_t oldPosition = m_rig->device.position();
        child<QPushButton>("SetupMicBtn")->click();
        QCOMPARE(m_shelf.made, std::vector<std::string>{"hw:CARD=Webcam,DEV=0"});
        QVERIFY(engine.Ready());
        QCOMPARE(engine.captureDevice(), static_cast<CaptureDevice*>(m_shelf.last));
        QCOMPARE(engine.calibration().zeroLevel, uint8_t(126));
        QCOMPARE(m_rig->device.position(), oldPosition);
        QVERIFY(m_rig->boxes.shown.isEmpty());

        // The same choice again: the new microphone is measured once more, not made anew.
        const int64_t webcamPosition = m_shelf.last->position();
        child<QPushButton>("SetupMicBtn")->click();
        QCOMPARE(m_shelf.made.size(), std::size_t(1));
        QVERIFY(m_shelf.last->position() > webcamPosition);

        // Back to the system default: a device of that name is made as well.
        QVERIFY(saveMicrophone(""));
        child<QPushButton>("SetupMicBtn")->click();
        QCOMPARE(m_shelf.made, std::vector<std::string>({"hw:CARD=Webcam,DEV=0", "default"}));
        QCOMPARE(engine.calibration().zeroLevel, uint8_t(130));
    }

    void reCalibrate_keepsTheWorkingMicrophoneWhenTheChosenOneDoesNotOpen()
    {
        createWindow();
        m_rig->start(*m_window);
        TVREngine32& engine = m_window->engine();
        QVERIFY(saveMicrophone("hw:CARD=Gone,DEV=0"));
        child<QPushButton>("SetupMicBtn")->click();
        QCOMPARE(m_rig->boxes.texts(), QStringList({QStringLiteral("VREngine wiOpenAndStartThr:  No such device")}));
        QVERIFY(engine.Ready());
        QCOMPARE(engine.captureDevice(), static_cast<CaptureDevice*>(&m_rig->device));
        QCOMPARE(engine.calibration().zeroLevel, uint8_t(128));

        // The old microphone is still the one measured.
        const int64_t before = m_rig->device.position();
        QVERIFY(engine.Initialize());
        QVERIFY(m_rig->device.position() > before);

        // Tried again at the next Re-Calibrate; after the chosen one is
        // plugged in again (here: another choice) it is taken up.
        child<QPushButton>("SetupMicBtn")->click();
        QCOMPARE(m_shelf.made.size(), std::size_t(2));
        QVERIFY(saveMicrophone("hw:CARD=Webcam,DEV=0"));
        child<QPushButton>("SetupMicBtn")->click();
        QCOMPARE(engine.calibration().zeroLevel, uint8_t(126));
    }

    void reCalibrate_ignoresASecondClickWhileMeasuring()
    {
        createWindow();
        m_rig->start(*m_window);
        const int64_t before = m_rig->device.position();
        // The calibration dialog does not block the window: the button can be
        // clicked again while the line is measured.
        int clicks = 0;
        QTimer::singleShot(0, m_window.get(), [&] {
            ++clicks;
            child<QPushButton>("SetupMicBtn")->click();
        });
        child<QPushButton>("SetupMicBtn")->click();
        QCOMPARE(clicks, 1);
        QCOMPARE(m_rig->device.position() - before, int64_t(kCalibrationLength));
        QVERIFY(m_window->engine().Ready());
        QVERIFY(m_rig->boxes.shown.isEmpty());
    }

    void reCalibrate_keepsAFileOrTheDemo()
    {
        ShellPlatform p = m_rig->platform();
        p.launcher = &m_launcher;
        m_window = std::make_unique<TMainFrm>(p);
        QVERIFY(m_window->FormCreate());
        m_rig->start(*m_window);
        QVERIFY(saveMicrophone("hw:CARD=Webcam,DEV=0"));
        child<QPushButton>("SetupMicBtn")->click();
        QCOMPARE(m_window->engine().captureDevice(), static_cast<CaptureDevice*>(&m_rig->device));
        QVERIFY(m_window->engine().Ready());
    }

    void autoGain_followsEveryClickAndStartsOff()
    {
        m_rig->autoGainWorks = true;
        createWindow();
        auto* box = child<QCheckBox>("AutoGain");
        QVERIFY(box->isEnabled());
        QCOMPARE(m_rig->autoGainRequests, std::vector<bool>({false}));
        box->click();
        box->click();
        QCOMPARE(m_rig->autoGainRequests, std::vector<bool>({false, true, false}));
    }

    void micWizard_enabledOnlyWhenInstalledBeside()
    {
        createWindow();
        QVERIFY(!child<QPushButton>("SetMixer")->isEnabled());
        m_window.reset();
        placeMicSetup();
        createWindow();
        QVERIFY(child<QPushButton>("SetMixer")->isEnabled());
    }

    void micWizard_startsFromTheProgramDirectoryWithoutWaiting()
    {
        placeMicSetup();
        createWindow();
        const QString before = QDir::currentPath();
        child<QPushButton>("SetMixer")->click();
        QCOMPARE(m_launcher.spawned.size(), std::size_t(1));
        QCOMPARE(m_launcher.spawned[0], std::vector<std::string>({"./larkspur-micsetup"}));
        QCOMPARE(QFileInfo(m_launcher.folders[0]).canonicalFilePath(),
                 QFileInfo(m_rig->programDir.path()).canonicalFilePath());
        QVERIFY(m_launcher.waits.empty());
        QCOMPARE(QDir::currentPath(), before);
        QVERIFY(m_rig->boxes.shown.isEmpty());
    }

    void micWizard_reportsTheLaunchersError()
    {
        placeMicSetup();
        createWindow();
        m_launcher.error = ENOENT;
        child<QPushButton>("SetMixer")->click();
        QCOMPARE(m_rig->boxes.texts(), QStringList({QStringLiteral("File was not found")}));
    }

    void webAndMailItems_openTheProjectsAddresses()
    {
        createWindow();
        trigger("WebSite1");
        trigger("EMailSupport1");
        trigger("EMailBugReport1");
        trigger("WebSiteUpdateArea1");
        const std::vector<std::vector<std::string>> expected = {
            opened("https://larkspur-qtx.example.org/"),
            opened("mailto:support@larkspur-qtx.example.org"),
            opened("mailto:bugs@larkspur-qtx.example.org"),
            opened("https://larkspur-qtx.example.org/updates.html"),
        };
        QCOMPARE(m_launcher.spawned, expected);
        QVERIFY(m_rig->boxes.shown.isEmpty());
    }

    void webItem_saysSoWhenNothingOpenedTheAddress()
    {
        createWindow();
        m_launcher.exitCode = 3;
        trigger("WebSite1");
        QCOMPARE(m_rig->boxes.shown.size(), 1);
        QVERIFY(m_rig->boxes.shown[0].text.contains(QStringLiteral("https://larkspur-qtx.example.org/")));
    }

    void specialThanks_showsTheCreditsWithoutBlocking()
    {
        createWindow();
        m_window->show();
        trigger("AboutDevelopmentTeam1");
        TCreditsFrm& credits = m_window->creditsWindow();
        QVERIFY(credits.isVisible());
        QVERIFY(!credits.isModal());
        const QString text = credits.text()->toPlainText();
        for (const char* needed : {"Qt 6", "LGPL-3.0", "alsa-lib", "LGPL-2.1", "libX11", "MIT", "GoogleTest",
                                   "BSD-3-Clause", "Google Benchmark", "Apache-2.0", "espeak-ng", "GPL-3.0",
                                   "Free Spoken Digit Dataset", "Zohar Jackson", "CC BY-SA 4.0"})
            QVERIFY2(text.contains(QString::fromLatin1(needed)), needed);
        // The main window keeps working while the credits are up.
        QVERIFY(m_window->isEnabled());
    }

    void helpMenu_opensContentsIndexAndContact()
    {
        createWindow();
        trigger("Topics1");
        QVERIFY(m_window->helpViewer().isVisible());
        QCOMPARE(m_window->helpViewer().currentPage(), QStringLiteral("index.html"));
        trigger("Index1");
        QCOMPARE(m_window->helpViewer().currentPage(), QStringLiteral("keywords.html"));
        trigger("ContactInformation1");
        QCOMPARE(m_window->helpViewer().currentPage(), QStringLiteral("contact.html"));
        QVERIFY(m_window->helpViewer().browser()->toPlainText().contains(QStringLiteral("bugs@larkspur-qtx")));
    }

    void contactTopic_namesTheAddressesTheMenusOpen()
    {
        QFile file(QDir(helpDirectory()).filePath(QStringLiteral("contact.html")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        for (const char* web : {kWebSiteAddress, kUpdatesAddress, kIssuesAddress})
            QVERIFY2(html.contains(QStringLiteral("href=\"https://%1\"").arg(QLatin1String(web))), web);
        for (const char* mail : {kSupportMailAddress, kBugReportMailAddress})
            QVERIFY2(html.contains(QStringLiteral("href=\"mailto:%1\"").arg(QLatin1String(mail))), mail);
    }

    void f1_onEveryControlWithAContextOpensItsTopic()
    {
        createWindow();
        m_window->show();
        QSet<int> reached;
        for (QWidget* widget : m_window->findChildren<QWidget*>()) {
            const int context = HelpContext(widget);
            if (context == 0)
                continue;
            QTest::keyClick(widget, Qt::Key_F1);
            QCOMPARE(m_window->helpViewer().currentPage(), helpPageForContext(context));
            reached.insert(context);
        }
        QCOMPARE(reached, QSet<int>({510, 511, 512, 514, 515, 517, 518, 520, 521}));
        QVERIFY(!m_window->helpViewer().browser()->toPlainText().isEmpty());
    }

    void f1_onAControlWithoutAContextUsesItsPanels()
    {
        createWindow();
        m_window->show();
        // The Re-Calibrate button's panel carries 514; a label on it has none.
        QWidget* panel = child<QWidget>("MicrophonePanel");
        QWidget* plain = nullptr;
        for (QWidget* w : panel->findChildren<QWidget*>())
            if (HelpContext(w) == 0) {
                plain = w;
                break;
            }
        QVERIFY(plain);
        QTest::keyClick(plain, Qt::Key_F1);
        QCOMPARE(m_window->helpViewer().currentPage(), QStringLiteral("microphone.html"));
    }

    void closingTheProgram_closesTheHelpAndCredits()
    {
        createWindow();
        m_window->show();
        trigger("Topics1");
        trigger("AboutDevelopmentTeam1");
        m_window->close();
        QVERIFY(!m_window->helpViewer().isVisible());
        QVERIFY(!m_window->creditsWindow().isVisible());
    }

    void helpPages_everyLinkResolves()
    {
        const QDir dir(helpDirectory());
        const QStringList pages = dir.entryList({QStringLiteral("*.html")}, QDir::Files);
        QVERIFY(pages.size() >= 10);
        const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
        int links = 0;
        for (const QString& page : pages) {
            QFile file(dir.filePath(page));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            for (auto it = href.globalMatch(html); it.hasNext();) {
                const QString target = it.next().captured(1);
                if (target.startsWith(QLatin1String("https://")) || target.startsWith(QLatin1String("mailto:")))
                    continue;
                ++links;
                const QString fileName = target.section(QLatin1Char('#'), 0, 0);
                const QString anchor = target.section(QLatin1Char('#'), 1);
                const QString where = fileName.isEmpty() ? page : fileName;
                QVERIFY2(QFileInfo::exists(dir.filePath(where)), qPrintable(page + QStringLiteral(" -> ") + target));
                if (!anchor.isEmpty()) {
                    QFile linked(dir.filePath(where));
                    QVERIFY(linked.open(QIODevice::ReadOnly));
                    QVERIFY2(QString::fromUtf8(linked.readAll()).contains(QStringLiteral("id=\"%1\"").arg(anchor)),
                             qPrintable(page + QStringLiteral(" -> ") + target));
                }
            }
        }
        QVERIFY(links > 50);
        // Every topic a control or menu item asks for is there, anchors included.
        int count = 0;
        const int* contexts = helpContexts(count);
        for (int i = 0; i < count; ++i) {
            const QString page = helpPageForContext(contexts[i]);
            QVERIFY(QFileInfo::exists(dir.filePath(page.section(QLatin1Char('#'), 0, 0))));
        }
    }
};

QTEST_MAIN(SettingsHelpTest)
#include "SettingsHelpTest.moc"
