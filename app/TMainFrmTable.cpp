// The table commands New, Open, Save and Save As, and the recent tables under
// "Last Opened Tables". Reading and writing the files, their dialogs and
// their messages are the engine's; this is the wiring around them.

#include "app/TMainFrm.h"

#include "engine/FileError.h"
#include "engine/TVREngine32.h"
#include "ui/THistMenu.h"

#include <QAction>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>

namespace larkspur {

namespace {

const char* const kLoseChanges =
    "You have created voice commands. You will lose the voice commands if you do not save them. Do you wish to "
    "continue?";
// Paths shorter than this are no file names worth remembering (an untitled
// table has none at all).
constexpr std::size_t kShortestRecentPath = 4;
constexpr int kRecentTag = 1;

} // namespace

void TMainFrm::wireTableCommands()
{
    auto action = [this](const char* name) { return findChild<QAction*>(QString::fromLatin1(name)); };
    connect(action("NewTable"), &QAction::triggered, this, &TMainFrm::NewTableClick);
    connect(action("OpenTable1"), &QAction::triggered, this, &TMainFrm::OpenTable1Click);
    connect(action("SaveAsTable1"), &QAction::triggered, this, &TMainFrm::SaveAsTable1Click);
    connect(m_newBtn, &QToolButton::clicked, this, &TMainFrm::NewTableClick);
    connect(m_openBtn, &QToolButton::clicked, this, &TMainFrm::OpenTable1Click);
    m_fileHistory->OnClick = [this](THistMenu&, const QString& caption, int tag) { FileHistoryClick(caption, tag); };
}

// True when the command may go on: there is nothing unsaved, or the user
// agreed to lose it.
bool TMainFrm::mayLoseChanges()
{
    return !m_state.unsavedChanges || askYesNo(kLoseChanges);
}

void TMainFrm::updateRecentList()
{
    const QString path = QString::fromStdString(m_engine->FileName());
    if (static_cast<std::size_t>(path.size()) >= kShortestRecentPath && !m_fileHistory->contains(path))
        m_fileHistory->AddItem(path, kRecentTag);
    m_fileHistory->SaveHistory();
}

// After the table in memory was replaced (or an attempt was made): the lists
// show the table as it is, nothing stays picked from the table before, and no
// program the old voice commands started is remembered.
void TMainFrm::resetTableViews()
{
    RefreshTrainedList();
    RefreshCreatedList();
    RefreshEditList();
    m_buildListBox->collapseAll();
    ForgetLaunchedPrograms();
    // A slot picked in the old table names another voice command, or none,
    // in the new one; Update or Train must not write into it.
    m_state.selectedVoiceCommand = 0;
    m_trnVCTxt->clear();
    m_edVCTxt->clear();
    m_edVCAct->clear();
    m_edVCTxt->setReadOnly(true);
    m_edVCAct->setReadOnly(true);
}

void TMainFrm::NewTableClick()
{
    if (!mayLoseChanges())
        return;
    m_engine->NewTable();
    resetTableViews();
    m_state.unsavedChanges = false;
}

void TMainFrm::OpenTable1Click()
{
    if (!mayLoseChanges()) {
        // The recent entry that led here is not opened; a later Open must
        // not open it without asking for a file.
        m_state.pendingRecentTable = false;
        m_state.pendingRecentPath.clear();
        return;
    }
    if (m_state.pendingRecentTable) {
        openTableWithoutDialog(m_state.pendingRecentPath);
    } else {
        try {
            m_engine->OpenTable();
        } catch (const EInOutError& error) {
            showMessage(error.what());
        }
    }
    // Also after a cancelled dialog or a damaged file.
    updateRecentList();
    m_state.pendingRecentTable = false;
    m_state.pendingRecentPath.clear();
    resetTableViews();
    m_state.unsavedChanges = false;
    if (m_autoIconTray1->isChecked())
        requestTray();
    if (m_autoListenafterload1->isChecked())
        requestListening();
}

// A save that failed on the disk, or that the user turned down because the
// file changed on disk meanwhile, keeps the changes marked as unsaved, so
// closing still offers to save them, and names no file in the recent list.
void TMainFrm::SaveTable1Click()
{
    saveTableWith(&TVREngine32::SaveTable);
}

void TMainFrm::SaveAsTable1Click()
{
    saveTableWith(&TVREngine32::SaveTableAs);
}

void TMainFrm::saveTableWith(void (TVREngine32::*save)())
{
    try {
        ((*m_engine).*save)();
    } catch (const EInOutError& error) {
        showMessage(error.what());
        return;
    }
    if (m_engine->SaveDeclined())
        return;
    updateRecentList();
    m_state.unsavedChanges = false;
}

void TMainFrm::FileHistoryClick(const QString& caption, int)
{
    const std::string path = caption.toStdString();
    if (!TVREngine32::FileExists(path))
        return;
    m_state.pendingRecentTable = true;
    m_state.pendingRecentPath = path;
    OpenTable1Click();
}

} // namespace larkspur
