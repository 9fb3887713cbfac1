// The microphone set-up window on a file capture device and scripted hints,
// the choice read back by the desktop program's audio set-up, and the real
// program started without any capture device.

#include "app/AppOptions.h"
#include "app/AudioSetup.h"
#include "engine/FileCaptureDevice.h"
#include "micsetup/MicSetupWindow.h"
#include "micsetup/SavedMicrophone.h"

#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace larkspur;

namespace {

class RecordingPlayer : public SoundPlayer {
public:
    bool playWave(std::span<const uint8_t> image) override
    {
        played.emplace_back(image.begin(), image.end());
        return true;
    }
    bool playResource(const std::string&) override { return true; }
    std::vector<std::vector<uint8_t>> played;
};

// 30000 samples of faint hiss, then a loud 200 Hz tone standing in for speech.
std::vector<uint8_t> lineThenVoice()
{
    std::vector<uint8_t> samples;
    for (int i = 0; i < 30000; ++i)
        samples.push_back(static_cast<uint8_t>(128 + (i % 3) - 1));
    for (int i = 0; i < 40000; ++i)
        samples.push_back(static_cast<uint8_t>(128 + std::lround(60 * std::sin(i * 2 * M_PI * 200 / 11025))));
    return samples;
}

template <typename T>
T* byName(QWidget& window, const QString& accessibleName)
{
    for (T* child : window.findChildren<T*>()) {
        if (child->accessibleName() == accessibleName)
            return child;
    }
    return nullptr;
}

} // namespace

class MicSetupTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_root;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_root.path());
    }

    void withoutDeviceExplainsAndOffersNothingToRecord()
    {
        MicSetupPlatform platform;
        platform.hints = [] { return std::vector<PcmHint>{}; };
        platform.openDevice = [](const std::string&) { return std::unique_ptr<CaptureDevice>(); };
        MicSetupWindow window(std::move(platform));
        window.show();
        QVERIFY(window.choices().empty());
        auto* none = byName<QLabel>(window, QStringLiteral("No capture device"));
        QVERIFY(none && none->isVisible());
        QVERIFY(window.advice().contains(QStringLiteral("no capture device")));
        for (QPushButton* b : window.findChildren<QPushButton*>()) {
            QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->text()));
            if (b->text() != QStringLiteral("&Refresh") && b->text() != QStringLiteral("&Close"))
                QVERIFY2(!b->isEnabled(), qPrintable(b->text()));
        }
    }

    void checksRecordsPlaysBackAndSavesTheChosenDevice()
    {
        RecordingPlayer player;
        std::vector<std::string> opened;
        std::vector<std::string> saved;
        MicSetupPlatform platform;
        platform.hints = [] {
            return std::vector<PcmHint>{{"default", "Default ALSA Output", ""},
                                        {"hw:CARD=Webcam,DEV=0", "USB Webcam C270, USB Audio", "Input"}};
        };
        platform.openDevice = [&opened](const std::string& name) -> std::unique_ptr<CaptureDevice> {
            opened.push_back(name);
            return std::make_unique<FileCaptureDevice>(lineThenVoice());
        };
        platform.save = [&saved](const std::string& name) {
            saved.push_back(name);
            return true;
        };
        platform.sound = &player;
        platform.inUse = "default";
        MicSetupWindow window(std::move(platform));
        window.show();
        auto* list = byName<QListWidget>(window, QStringLiteral("Capture devices"));
        QVERIFY(list);
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentRow(), 0);
        QVERIFY(list->item(0)->text().endsWith(QStringLiteral("[in use]")));
        QCOMPARE(opened, std::vector<std::string>{"default"});

        window.pollDevice();
        QVERIFY(byName<QProgressBar>(window, QStringLiteral("Input level"))->value() <= 1);

        window.startNoiseCheck();
        for (int i = 0; i < 20 && !window.advice().startsWith(QStringLiteral("Good")); ++i)
            window.pollDevice();
        QVERIFY2(window.advice().startsWith(QStringLiteral("Good: the line is quiet enough")),
                 qPrintable(window.advice()));

        window.startTestRecording();
        for (int i = 0; i < 30 && player.played.empty(); ++i)
            window.pollDevice();
        QCOMPARE(player.played.size(), size_t(1));
        QCOMPARE(player.played[0].size(), size_t(44 + MicSetupWindow::kTestRecordingSamples));
        QVERIFY2(window.advice().contains(QStringLiteral("your voice is loud enough")), qPrintable(window.advice()));

        list->setCurrentRow(1);
        QCOMPARE(opened.back(), std::string("hw:CARD=Webcam,DEV=0"));
        window.useSelected();
        QCOMPARE(saved, std::vector<std::string>{"hw:CARD=Webcam,DEV=0"});
        QVERIFY(list->item(1)->text().endsWith(QStringLiteral("[in use]")));
        QVERIFY(!list->item(0)->text().endsWith(QStringLiteral("[in use]")));
        QVERIFY(window.advice().startsWith(QStringLiteral("Saved.")));
    }

    void desktopProgramReadsTheSavedChoiceAndDeviceOptionWins()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Halcyon Works"),
                  QStringLiteral("Larkspur QTX 98")).clear();
        QVERIFY(!AudioSetup::microphoneName(AppOptions{}).has_value());
        QCOMPARE(AudioSetup::chosenMicrophone(AppOptions{}), std::string("default"));
        QVERIFY(saveMicrophone("hw:CARD=Webcam,DEV=0"));
        QCOMPARE(AudioSetup::microphoneName(AppOptions{}).value_or(""), std::string("hw:CARD=Webcam,DEV=0"));
        QCOMPARE(AudioSetup::chosenMicrophone(AppOptions{}), std::string("hw:CARD=Webcam,DEV=0"));
        AppOptions device;
        device.device = "plughw:1";
        QCOMPARE(AudioSetup::microphoneName(device).value_or(""), std::string("plughw:1"));
        QCOMPARE(AudioSetup::chosenMicrophone(device), std::string("plughw:1"));
        AppOptions file;
        file.inputFile = "x.wav";
        QVERIFY(!AudioSetup::microphoneName(file).has_value());
        // Written where the desktop program keeps its options.
        const QSettings options(m_root.path() + QStringLiteral("/Halcyon Works/Larkspur QTX 98.conf"),
                                QSettings::IniFormat);
        QCOMPARE(options.value(QStringLiteral("Audio/Device")).toString(), QStringLiteral("hw:CARD=Webcam,DEV=0"));
    }

    void realProgramStartsWithoutAnyCaptureDevice()
    {
        QTemporaryDir dir;
        QFile config(dir.filePath(QStringLiteral("alsa.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.close();
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("ALSA_CONFIG_PATH"), config.fileName());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
        program.setProcessEnvironment(env);
        const QString picture = dir.filePath(QStringLiteral("micsetup.png"));
        program.start(QStringLiteral(LARKSPUR_MICSETUP), {QStringLiteral("--screenshot"), picture});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(QFile::exists(picture));
    }
};

QTEST_MAIN(MicSetupTest)
#include "MicSetupTest.moc"
