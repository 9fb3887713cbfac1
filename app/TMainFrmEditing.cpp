// The Create, Train and Edit panels at work: accepting a new voice command,
// picking one to train or edit, the training with its window, playback of a
// recorded command, update and delete, and the spoken confirmations.

#include "app/TMainFrm.h"

#include "app/PanelKeys.h"
#include "app/PumpingDelay.h"
#include "app/TPlotFrm.h"
#include "app/TTrainFrm.h"
#include "engine/TVREngine32.h"
#include "engine/TextEncoding.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace larkspur {

namespace {

const char* const kBeepFirst =
    "Please remember to say the Voice Command after the \"Beep\".  If you do not wait for the beep you will "
    "experience problems!";
const char* const kRetrain = "You changed the Voice Command Text. You must re-train this voice command.";
constexpr int kPendingMessagesBeforeTraining = 3;
constexpr int kBeforeFirstPromptMs = 250;
constexpr int kBeforeNextPromptMs = 200;

// The text of the list's selected entry; empty when nothing is selected.
QString selectedText(const QListWidget* list)
{
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

} // namespace

void TMainFrm::wireEditing()
{
    m_trainFrm = std::make_unique<TTrainFrm>();
    m_trainFrm->OnCancel = [this] { TrnCancelBtnClick(); };
    m_engine->OnTrained = [this](TVREngine32&) { VREngine321Trained(); };

    auto button = [this](const char* name) { return findChild<QPushButton*>(QString::fromLatin1(name)); };
    QPushButton* accept = button("AcceptBtn");
    QPushButton* clear = button("ClearBtn");
    QPushButton* edClear = button("EdCleatBtn");
    connect(accept, &QPushButton::clicked, this, &TMainFrm::AcceptBtnClick);
    connect(clear, &QPushButton::clicked, this, &TMainFrm::ClearBtnClick);
    connect(m_train, &QPushButton::clicked, this, &TMainFrm::TrainClick);
    connect(m_edUpdateBtn, &QPushButton::clicked, this, &TMainFrm::EdUpdateBtnClick);
    connect(edClear, &QPushButton::clicked, this, &TMainFrm::EdCleatBtnClick);
    connect(m_edDeleteBtn, &QPushButton::clicked, this, &TMainFrm::EdDeleteBtnClick);
    connect(m_createdList, &QListWidget::itemDoubleClicked, this, &TMainFrm::CreatedListDblClick);
    connect(m_trainedList, &QListWidget::itemDoubleClicked, this, &TMainFrm::TrainedListDblClick);
    connect(m_editList, &QListWidget::itemDoubleClicked, this, &TMainFrm::EditListDblClick);
    connect(m_activePopMenu->findChild<QAction*>(QStringLiteral("PlayVC")), &QAction::triggered, this,
            &TMainFrm::PlayVCClick);

    new PanelKeys(m_createPanel, accept, clear);
    new PanelKeys(m_trainPanel, m_train, nullptr);
    new PanelKeys(m_editPanel, m_edUpdateBtn, edClear);
}

int TMainFrm::FindVoiceCommand(const std::string& text)
{
    for (int n = 1; n <= m_state.tableCapacity; ++n) {
        m_engine->setVCRecord(n);
        // Tables hold UTF-8 or, when older, Windows-1252: compare what the lists show.
        if (tableTextToUtf8(m_engine->VoiceCommand()) == text)
            return n;
    }
    return 0;
}

// Deleted records keep their slot: only a slot whose phrase is empty was
// never used.
int TMainFrm::FreeVoiceCommandSlot()
{
    return FindVoiceCommand(std::string());
}

void TMainFrm::playConfirmation(const char* sound)
{
    if (m_voiceButtons->isChecked() && m_platform.engine.sound)
        m_platform.engine.sound->playResource(sound);
}

// ---------------------------------------------------------------------------
// Create panel

void TMainFrm::AcceptBtnClick()
{
    m_state.setQuickStartStep(4);
    // A record holds at most 255 bytes of each; a longer text is cut between characters.
    const std::string phrase = cutUtf8(m_builtVCText->text().toStdString());
    const std::string action = cutUtf8(m_builtVCAct->text().toStdString());
    const int slot = FreeVoiceCommandSlot();
    if (slot == 0 || phrase.empty() || action.empty() || FindVoiceCommand(phrase) != 0)
        return;
    m_engine->setVCRecord(slot);
    m_engine->setVoiceCommand(phrase);
    m_engine->setCommandString(action);
    m_engine->setVCTrained(false);
    m_engine->UpdateVCRecord();
    m_builtVCText->clear();
    m_builtVCAct->clear();
    m_state.unsavedChanges = true;
    playConfirmation("ACCEPT");
}

void TMainFrm::ClearBtnClick()
{
    m_builtVCText->clear();
    m_builtVCAct->clear();
}

// ---------------------------------------------------------------------------
// Train panel

void TMainFrm::CreatedListDblClick()
{
    if (m_createdList->selectedItems().isEmpty())
        return;
    m_state.setQuickStartStep(6);
    pickForTraining(m_createdList);
}

void TMainFrm::TrainedListDblClick()
{
    pickForTraining(m_trainedList);
}

// With an entry selected, picks the command it shows and makes it the
// current record; true when a command was found. Without a selection the
// picked command stays as it was.
bool TMainFrm::pickSelectedCommand(QListWidget* list)
{
    const QString text = selectedText(list);
    if (text.isEmpty())
        return false;
    m_state.selectedVoiceCommand = FindVoiceCommand(text.toStdString());
    if (m_state.selectedVoiceCommand == 0)
        return false;
    m_engine->setVCRecord(m_state.selectedVoiceCommand);
    return true;
}

void TMainFrm::pickForTraining(QListWidget* list)
{
    if (pickSelectedCommand(list))
        m_trnVCTxt->setText(QString::fromStdString(tableTextToUtf8(m_engine->VoiceCommand())));
}

void TMainFrm::TrainClick()
{
    if (m_state.selectedVoiceCommand == 0 || !m_state.voiceOperationsEnabled)
        return;
    // Without a calibrated line the engine cannot record: the samples the
    // command has must not be thrown away for a training that cannot run.
    if (!m_engine->Ready())
        return;
    m_state.setQuickStartStep(7);
    Clock& clock = *m_platform.engine.clock;
    EventPump& pump = *m_platform.engine.pump;
    for (int i = 0; i < kPendingMessagesBeforeTraining; ++i)
        pump.processEvents();
    showMessage(kBeepFirst);

    // Training always starts from no samples.
    m_engine->setVCRecord(m_state.selectedVoiceCommand);
    m_engine->setVCTrained(false);
    for (int k = 1; k <= kSamplesPerCommand; ++k)
        m_engine->SetSampleTrained(k, 0);

    // The main window is disabled for exactly as long as the training
    // window is up; only its Cancel button and the training events run.
    setEnabled(false);
    m_trainFrm->PleaseTxt()->setVisible(true);
    m_trainFrm->DisplayTxt()->setText(m_trnVCTxt->text());
    m_trainFrm->DisplayTxt()->setVisible(true);
    m_trainFrm->show();
    pumpingDelay(clock, pump, kBeforeFirstPromptMs);
    playConfirmation("PLEASE");
    m_engine->Train();
    closeTrainWindow();
    m_state.unsavedChanges = true;

    raise();
    activateWindow();
    RefreshTrainedList();
    m_state.selectedVoiceCommand = 0;
    m_trnVCTxt->clear();
}

void TMainFrm::closeTrainWindow()
{
    m_trainFrm->PleaseTxt()->setVisible(false);
    m_trainFrm->DisplayTxt()->clear();
    m_trainFrm->DisplayTxt()->setVisible(false);
    m_trainFrm->hide();
    setEnabled(true);
}

void TMainFrm::VREngine321Trained()
{
    pumpingDelay(*m_platform.engine.clock, *m_platform.engine.pump, kBeforeNextPromptMs);
    playConfirmation("PLEASE");
    const int next = m_engine->LastTrainedSample() + 1;
    m_trainFrm->TrainingPass()->setText(next > kSamplesPerCommand ? QStringLiteral("Test Voice Command")
                                                                   : QStringLiteral("%1 of 3").arg(next));
    if (m_plotting->isChecked() && m_plotWindow) {
        m_plotWindow->TakePlotData(*m_engine);
        m_plotWindow->DrawPlot(m_state.plotZoom);
    }
}

void TMainFrm::TrnCancelBtnClick()
{
    m_engine->StopListening();
}

void TMainFrm::PlayVCClick()
{
    m_state.selectedVoiceCommand = 0;
    const QString text = selectedText(m_trainedList);
    if (m_trainedList->count() > 0 && !text.isEmpty())
        m_state.selectedVoiceCommand = FindVoiceCommand(text.toStdString());
    const int slot = m_state.selectedVoiceCommand;
    if (slot > 0) {
        m_engine->setVCRecord(slot);
        // Without its own recording there is nothing to play: the last
        // utterance heard belongs to another voice command.
        if (m_engine->VCTrained() && m_engine->LoadSample(slot)) {
            m_engine->PlayUtterance();
            if (m_plotWindow) {
                m_plotWindow->TakePlotData(*m_engine);
                m_plotWindow->DrawPlot(m_state.plotZoom);
            }
        }
    }
    m_state.selectedVoiceCommand = 0;
}

// ---------------------------------------------------------------------------
// Edit panel

void TMainFrm::EditListDblClick()
{
    if (!pickSelectedCommand(m_editList))
        return;
    m_edVCTxt->setText(QString::fromStdString(tableTextToUtf8(m_engine->VoiceCommand())));
    m_edVCAct->setText(QString::fromStdString(tableTextToUtf8(m_engine->CommandString())));
    m_edVCTxt->setReadOnly(false);
    m_edVCAct->setReadOnly(false);
}

void TMainFrm::EdCleatBtnClick()
{
    m_state.selectedVoiceCommand = 0;
    m_edVCTxt->clear();
    m_edVCAct->clear();
    m_edVCTxt->setReadOnly(true);
    m_edVCAct->setReadOnly(true);
}

void TMainFrm::EdUpdateBtnClick()
{
    if (m_edVCTxt->text().isEmpty() || m_edVCAct->text().isEmpty() || m_state.selectedVoiceCommand == 0)
        return;
    m_engine->setVCRecord(m_state.selectedVoiceCommand);
    const std::string phrase = cutUtf8(m_edVCTxt->text().toStdString());
    if (tableTextToUtf8(m_engine->VoiceCommand()) != phrase) {
        m_engine->setVoiceCommand(phrase);
        m_engine->setVCTrained(false);
        showMessage(kRetrain);
    }
    const std::string action = cutUtf8(m_edVCAct->text().toStdString());
    if (tableTextToUtf8(m_engine->CommandString()) != action)
        m_engine->setCommandString(action);
    m_engine->UpdateVCRecord();
    finishEdit("UPDATED");
}

void TMainFrm::EdDeleteBtnClick()
{
    if (m_edVCTxt->text().isEmpty() || m_edVCAct->text().isEmpty() || m_state.selectedVoiceCommand == 0)
        return;
    m_engine->setVCRecord(m_state.selectedVoiceCommand);
    m_engine->DeleteVCRecord();
    finishEdit("DELETED");
}

// After Update or Delete: the lists show the change, the edits are emptied
// and read-only again, and the picked command keeps its number.
void TMainFrm::finishEdit(const char* confirmation)
{
    RefreshCreatedList();
    RefreshTrainedList();
    RefreshEditList();
    const int keep = m_state.selectedVoiceCommand;
    EdCleatBtnClick();
    m_state.selectedVoiceCommand = keep;
    m_state.unsavedChanges = true;
    playConfirmation(confirmation);
}

} // namespace larkspur
