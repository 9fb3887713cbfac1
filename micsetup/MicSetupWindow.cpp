#include "micsetup/MicSetupWindow.h"

#include "engine/WavFile.h"
#include "micsetup/MicrophoneCheck.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace larkspur {

namespace {
QPushButton* button(const QString& text, const QString& accessible, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setAccessibleName(accessible);
    return b;
}
} // namespace

MicSetupWindow::MicSetupWindow(MicSetupPlatform platform, QWidget* parent)
    : QWidget(parent), m_platform(std::move(platform))
{
    setWindowTitle(QStringLiteral("Larkspur QTX 98 Microphone Set-up"));
    setAccessibleName(windowTitle());

    auto* heading = new QLabel(QStringLiteral("Choose the microphone Larkspur QTX 98 listens to. "
                                              "The one in use is marked."), this);
    heading->setWordWrap(true);
    m_list = new QListWidget(this);
    m_list->setAccessibleName(QStringLiteral("Capture devices"));
    heading->setBuddy(m_list);
    m_none = new QLabel(QStringLiteral("No capture device was found. Plug in a microphone or headset and press "
                                       "Refresh. Until then Larkspur QTX 98 listens to its demo recording."),
                        this);
    m_none->setWordWrap(true);
    m_none->setAccessibleName(QStringLiteral("No capture device"));
    auto* meterLabel = new QLabel(QStringLiteral("Input level:"), this);
    m_meter = new QProgressBar(this);
    m_meter->setRange(0, 128);
    m_meter->setTextVisible(false);
    m_meter->setAccessibleName(QStringLiteral("Input level"));
    meterLabel->setBuddy(m_meter);

    m_record = button(QStringLiteral("&Test Recording"), QStringLiteral("Record 3 seconds and play them back"), this);
    m_noise = button(QStringLiteral("&Noise Check"), QStringLiteral("Check the noise of the quiet line"), this);
    m_use = button(QStringLiteral("&Use This Microphone"), QStringLiteral("Use this microphone"), this);
    m_refresh = button(QStringLiteral("&Refresh"), QStringLiteral("Look for devices again"), this);
    m_close = button(QStringLiteral("&Close"), QStringLiteral("Close"), this);
    m_advice = new QLabel(this);
    m_advice->setWordWrap(true);
    m_advice->setMinimumHeight(48);
    m_advice->setAccessibleName(QStringLiteral("Advice"));

    auto* meterRow = new QHBoxLayout;
    meterRow->addWidget(meterLabel);
    meterRow->addWidget(m_meter, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_record);
    buttons->addWidget(m_noise);
    buttons->addWidget(m_use);
    buttons->addStretch(1);
    buttons->addWidget(m_refresh);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_none);
    layout->addLayout(meterRow);
    layout->addWidget(m_advice);
    layout->addLayout(buttons);
    resize(560, 380);

    connect(m_list, &QListWidget::currentRowChanged, this, [this] { selectionChanged(); });
    connect(m_record, &QPushButton::clicked, this, [this] { startTestRecording(); });
    connect(m_noise, &QPushButton::clicked, this, [this] { startNoiseCheck(); });
    connect(m_use, &QPushButton::clicked, this, [this] { useSelected(); });
    connect(m_refresh, &QPushButton::clicked, this, [this] { refresh(); });
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, [this] { pollDevice(); });
    refresh();
}

MicSetupWindow::~MicSetupWindow()
{
    m_tap.reset();
}

void MicSetupWindow::refresh()
{
    m_choices = recognisableCaptureDevices(m_platform.hints ? m_platform.hints() : std::vector<PcmHint>{},
                                           m_platform.inUse);
    const QSignalBlocker block(m_list);
    m_list->clear();
    int current = -1;
    for (const CaptureChoice& choice : m_choices) {
        QString text = QString::fromStdString(choice.label);
        if (choice.inUse) {
            text += QStringLiteral("   [in use]");
            current = m_list->count();
        }
        m_list->addItem(text);
    }
    m_none->setVisible(m_choices.empty() || (m_choices.size() == 1 && !m_choices.front().present));
    if (current < 0 && !m_choices.empty())
        current = 0;
    m_list->setCurrentRow(current);
    if (m_choices.empty())
        setAdvice(QStringLiteral("There is no capture device on this machine."));
    selectionChanged();
}

void MicSetupWindow::selectionChanged()
{
    m_quietLine.reset();
    openSelected();
    updateButtons();
}

void MicSetupWindow::openSelected()
{
    m_timer.stop();
    m_tap.reset();
    m_device.reset();
    m_meter->setValue(0);
    m_task = Task::Meter;
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_choices.size()) || !m_platform.openDevice)
        return;
    m_device = m_platform.openDevice(m_choices[row].name);
    if (!m_device)
        return;
    m_tap = std::make_unique<MicrophoneTap>(*m_device);
    std::string error;
    if (!m_tap->start(error)) {
        setAdvice(QStringLiteral("This device cannot record: %1.").arg(QString::fromStdString(error)));
        m_tap.reset();
        return;
    }
    setAdvice(QStringLiteral("Speak: the meter shows the level. Then try the noise check and a test recording."));
    m_timer.start();
}

void MicSetupWindow::updateButtons()
{
    const bool listening = m_tap && m_tap->running();
    const bool idle = m_task == Task::Meter;
    m_record->setEnabled(listening && idle);
    m_noise->setEnabled(listening && idle);
    const int row = m_list->currentRow();
    m_use->setEnabled(idle && row >= 0 && row < static_cast<int>(m_choices.size()) && m_choices[row].present);
    m_list->setEnabled(idle);
}

void MicSetupWindow::startTestRecording()
{
    if (!m_tap || m_task != Task::Meter)
        return;
    m_tap->poll();
    m_taken.clear();
    m_task = Task::Recording;
    setAdvice(QStringLiteral("Recording for 3 seconds: say a few words as you would say a command."));
    updateButtons();
}

void MicSetupWindow::startNoiseCheck()
{
    if (!m_tap || m_task != Task::Meter)
        return;
    m_tap->poll();
    m_taken.clear();
    m_task = Task::Quiet;
    setAdvice(QStringLiteral("Checking the noise for 2 seconds: please be quiet."));
    updateButtons();
}

void MicSetupWindow::pollDevice()
{
    if (!m_tap)
        return;
    const std::vector<uint8_t> samples = m_tap->poll();
    if (!samples.empty())
        m_meter->setValue(peakLevel(samples));
    if (m_task == Task::Meter)
        return;
    m_taken.insert(m_taken.end(), samples.begin(), samples.end());
    const size_t wanted = m_task == Task::Recording ? kTestRecordingSamples : kQuietSamples;
    if (m_taken.size() >= wanted) {
        m_taken.resize(wanted);
        finishTask();
    }
}

void MicSetupWindow::finishTask()
{
    const Task task = m_task;
    m_task = Task::Meter;
    if (task == Task::Quiet) {
        m_quietLine = m_taken;
        setAdvice(QString::fromStdString(adviceFor(checkMicrophone(m_taken, {}))));
    } else {
        QString text;
        if (m_quietLine)
            text = QString::fromStdString(adviceFor(checkMicrophone(*m_quietLine, m_taken)));
        else
            text = QStringLiteral("Run the noise check too, so the level of your voice can be judged.");
        setAdvice(QStringLiteral("Playing the recording back. ") + text);
        // Playing blocks for the 3 seconds; the tap's buffers overflow meanwhile,
        // so the meter starts afresh afterwards.
        if (m_platform.sound && !m_platform.sound->playWave(makeWaveImage(m_taken)))
            text = QStringLiteral("The recording could not be played back. ") + text;
        setAdvice(text);
        openSelected();
        setAdvice(text);
    }
    updateButtons();
}

void MicSetupWindow::useSelected()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= static_cast<int>(m_choices.size()) || !m_platform.save)
        return;
    const std::string name = m_choices[row].name;
    if (!m_platform.save(name)) {
        setAdvice(QStringLiteral("The choice could not be saved: the options file is not writable."));
        return;
    }
    m_platform.inUse = name;
    const int keep = row;
    refresh();
    m_list->setCurrentRow(keep);
    setAdvice(QStringLiteral("Saved. Larkspur QTX 98 records from this device at its next start, "
                             "or at once when you choose Re-Calibrate."));
}

void MicSetupWindow::setAdvice(const QString& text)
{
    m_advice->setText(text);
}

QString MicSetupWindow::advice() const
{
    return m_advice->text();
}

} // namespace larkspur
