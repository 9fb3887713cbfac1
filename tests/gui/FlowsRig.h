#pragma once
// A main window for the table commands and the editing flows: the file
// dialogs answer from a script, and the controls are reached by their names
// and used as a user would.

#include "ShellRig.h"

#include "actions/ProcessLauncher.h"
#include "app/TMainFrm.h"
#include "engine/TVREngine32.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <deque>
#include <optional>
#include <string>

namespace larkspur::test {

// File dialogs answering from queues; an empty queue cancels.
class ScriptedDialogs : public TableFileDialogs {
public:
    std::optional<std::string> askOpenFileName(const std::string&) override { return next(openAnswers, openRequests); }
    std::optional<std::string> askSaveFileName(const std::string&) override { return next(saveAnswers, saveRequests); }

    std::deque<std::string> openAnswers;
    std::deque<std::string> saveAnswers;
    int openRequests = 0;
    int saveRequests = 0;

private:
    static std::optional<std::string> next(std::deque<std::string>& answers, int& requests)
    {
        ++requests;
        if (answers.empty())
            return std::nullopt;
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

struct FlowsRig {
    explicit FlowsRig(std::vector<uint8_t> line = quietLine()) : rig(std::move(line)) {}

    std::unique_ptr<TMainFrm> create()
    {
        ShellPlatform platform = rig.platform();
        platform.engine.dialogs = &dialogs;
        if (ownModes)
            platform.modes = nullptr;
        platform.recordingDesktop = true;
        platform.actionSound = &rig.sound;
        platform.launcher = launcher;
        auto window = std::make_unique<TMainFrm>(std::move(platform));
        rig.created = window->FormCreate();
        // Start-up makes the sample store; without it tables are saved
        // without their recordings.
        window->engine().CreateSampleStore();
        w = window.get();
        return window;
    }

    template <typename T = QWidget>
    T* child(const char* name)
    {
        return w->findChild<T*>(QString::fromLatin1(name));
    }
    QAction* action(const char* name) { return child<QAction>(name); }
    void click(const char* button) { child<QAbstractButton>(button)->click(); }
    void trigger(const char* menuItem) { action(menuItem)->trigger(); }

    // Creates a voice command through the Create panel's fields and Accept.
    void accept(const QString& phrase, const QString& action)
    {
        child<QLineEdit>("BuiltVCText")->setText(phrase);
        child<QLineEdit>("BuiltVCAct")->setText(action);
        click("AcceptBtn");
    }

    // Selects the entry with this text and double-clicks it, as a user picks.
    bool pick(const char* listName, const QString& text)
    {
        auto* list = child<QListWidget>(listName);
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
        if (found.isEmpty())
            return false;
        list->setCurrentItem(found.front());
        emit list->itemDoubleClicked(found.front());
        return true;
    }

    QStringList entries(const char* listName)
    {
        QStringList texts;
        auto* list = child<QListWidget>(listName);
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    std::string phraseIn(int slot)
    {
        const VoiceCommandRecord* record = w->engine().table().record(slot);
        return record ? record->phrase : std::string();
    }

    // Makes slot's record count as trained without recording it.
    void markTrained(int slot)
    {
        w->engine().setVCRecord(slot);
        w->engine().SetSampleTrained(1, 1);
    }

    // Saves the table in memory to path through Save As.
    void saveAs(const QString& path)
    {
        dialogs.saveAnswers.push_back(path.toStdString());
        trigger("SaveAsTable1");
    }

    ShellRig rig;
    ScriptedDialogs dialogs;
    // The window's own tray and listening handlers run instead of being recorded.
    bool ownModes = false;
    // Null: the real launcher (the session tests give one that starts nothing).
    ProcessLauncher* launcher = nullptr;
    TMainFrm* w = nullptr;
};

} // namespace larkspur::test
