// The seven work panels with their controls, fixed texts, hints and help
// context numbers. What the controls do lives with their handlers.

#include "app/HelpContext.h"
#include "app/TMainFrm.h"
#include "app/TTrackBar.h"

#include <QCheckBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

namespace larkspur {

namespace {

constexpr int kLeft = 4;
constexpr int kFullWidth = 384;
constexpr int kRightColumn = 200;
constexpr int kColumnWidth = 188;
constexpr int kEditHeight = 22;
constexpr int kButtonHeight = 25;
// Panel introductions take up to three lines.
constexpr int kIntroHeight = 44;
constexpr int kBelowIntro = 48;

QLabel* addLabel(QFrame* panel, const char* text, const QRect& place, bool wrap = false)
{
    auto* label = new QLabel(QString::fromUtf8(text), panel);
    label->setGeometry(place);
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

template <typename Widget>
Widget* named(Widget* widget, const char* name, const char* hint, int helpContext)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (hint)
        widget->setToolTip(QString::fromUtf8(hint));
    if (helpContext)
        setHelpContext(widget, helpContext);
    return widget;
}

QLineEdit* addEdit(QFrame* panel, const char* name, const char* hint, int helpContext, const QRect& place)
{
    auto* edit = named(new QLineEdit(panel), name, hint, helpContext);
    edit->setGeometry(place);
    edit->setMaxLength(255);
    return edit;
}

QPushButton* addButton(QFrame* panel, const char* name, const char* caption, const char* hint, int helpContext,
                       const QRect& place)
{
    auto* button = named(new QPushButton(QString::fromUtf8(caption), panel), name, hint, helpContext);
    button->setGeometry(place);
    return button;
}

QListWidget* addSortedList(QFrame* panel, const char* name, const char* hint, int helpContext, const QRect& place)
{
    auto* list = named(new QListWidget(panel), name, hint, helpContext);
    list->setGeometry(place);
    list->setSortingEnabled(true);
    return list;
}

// Marks a panel's cancel button. Escape is not bound to it: the panels share
// one window, and two Clear buttons on one key would cancel each other out.
void makeCancel(QPushButton* button)
{
    button->setProperty("Cancel", true);
}

} // namespace

void TMainFrm::buildCreatePanel(QFrame* panel)
{
    constexpr int kHelp = 510;
    setHelpContext(panel, kHelp);
    addLabel(panel,
             "To create a Voice Command double-click one of the items in this scrollable list. To fill in the "
             "Found Applications & URL items click Find App's & URL's.",
             QRect(kLeft, 2, kFullWidth, kIntroHeight), true);

    m_buildListBox = named(new QTreeWidget(panel), "BuildListBox", "Double-Click to select item", kHelp);
    m_buildListBox->setGeometry(kLeft, kBelowIntro, 190, 235 - kBelowIntro);
    m_buildListBox->header()->hide();

    addLabel(panel, "Voice Command Name:", QRect(kRightColumn, kBelowIntro, kColumnWidth, 16));
    m_builtVCText = addEdit(panel, "BuiltVCText", "What are you going to say!", kHelp,
                            QRect(kRightColumn, kBelowIntro + 16, kColumnWidth, kEditHeight));
    addLabel(panel, "Voice Command Action:", QRect(kRightColumn, kBelowIntro + 44, kColumnWidth, 16));
    m_builtVCAct = addEdit(panel, "BuiltVCAct", "What keyboard codes are needed to do the action", kHelp,
                           QRect(kRightColumn, kBelowIntro + 60, kColumnWidth, kEditHeight));
    auto* accept = addButton(panel, "AcceptBtn", "Accept", "Create your voice command", kHelp,
                             QRect(kRightColumn, kBelowIntro + 94, 90, kButtonHeight));
    accept->setDefault(true);
    makeCancel(addButton(panel, "ClearBtn", "Clear", "Clear input boxes", kHelp,
                         QRect(kRightColumn + 98, kBelowIntro + 94, 90, kButtonHeight)));
    addButton(panel, "FindAppBtn", "Find App's && URL's", "Find all Window based applications (c:..z:)", kHelp,
              QRect(kRightColumn, kBelowIntro + 128, kColumnWidth, kButtonHeight));
}

void TMainFrm::buildTrainPanel(QFrame* panel)
{
    constexpr int kHelp = 511;
    addLabel(panel,
             "Created Voice Commands lists commands you have accepted.  Active Voice Commands lists commands you "
             "have trained.",
             QRect(kLeft, 2, kFullWidth, 30), true);
    addLabel(panel, "Created Voice Commands", QRect(kLeft, 34, kColumnWidth, 16));
    m_createdList = addSortedList(panel, "CreatedList", "Double-click to select voice command to train", kHelp,
                                  QRect(kLeft, 50, kColumnWidth, 130));
    addLabel(panel, "Active Voice Commands", QRect(kRightColumn, kBelowIntro, kColumnWidth, 16));
    m_trainedList = addSortedList(panel, "TrainedList",
                                  "Double-click to select a voice command to re-train, or right mouse click for "
                                  "playback of voice command",
                                  kHelp, QRect(kRightColumn, 50, kColumnWidth, 130));
    m_trainedList->setContextMenuPolicy(Qt::CustomContextMenu);

    addLabel(panel, "Selected Voice Command", QRect(kLeft, 186, 250, 16));
    m_trnVCTxt = addEdit(panel, "TrnVCTxt", "Shows the selected voice command", kHelp,
                         QRect(kLeft, 202, 250, kEditHeight));
    m_trnVCTxt->setReadOnly(true);
    m_train = addButton(panel, "Train", "Train Voice Command", "Train selected voice command", kHelp,
                        QRect(262, 200, 126, 26));
    m_train->setDefault(true);
}

void TMainFrm::buildEditPanel(QFrame* panel)
{
    constexpr int kHelp = 512;
    addLabel(panel,
             "To edit a voice command double-click one of the voice commands in this scrollable list.  The selected "
             "voice command will fill in the name and action fields.",
             QRect(kLeft, 2, kFullWidth, kIntroHeight), true);
    m_editList = addSortedList(panel, "EditList", "Double-click to edit a voice command", kHelp,
                               QRect(kLeft, kBelowIntro, 190, 235 - kBelowIntro));

    addLabel(panel, "Voice Command Name:", QRect(kRightColumn, kBelowIntro, kColumnWidth, 16));
    m_edVCTxt = addEdit(panel, "EdVCTxt", "What are you going to say!", kHelp,
                        QRect(kRightColumn, kBelowIntro + 16, kColumnWidth, kEditHeight));
    addLabel(panel, "Voice Command Action:", QRect(kRightColumn, kBelowIntro + 44, kColumnWidth, 16));
    m_edVCAct = addEdit(panel, "EdVCAct", "What keyboard codes are needed to do the action", kHelp,
                        QRect(kRightColumn, kBelowIntro + 60, kColumnWidth, kEditHeight));
    // Writable only once a command has been picked.
    m_edVCTxt->setReadOnly(true);
    m_edVCAct->setReadOnly(true);
    m_edUpdateBtn = addButton(panel, "EdUpdateBtn", "Update", "Update your voice command", kHelp,
                             QRect(kRightColumn, kBelowIntro + 94, 90, kButtonHeight));
    m_edUpdateBtn->setDefault(true);
    makeCancel(addButton(panel, "EdCleatBtn", "Clear", "Clear input boxes", kHelp,
                         QRect(kRightColumn + 98, kBelowIntro + 94, 90, kButtonHeight)));
    m_edDeleteBtn = addButton(panel, "EdDeleteBtn", "Delete", "Delete selected voice command", kHelp,
                              QRect(kRightColumn, kBelowIntro + 128, 90, kButtonHeight));
}

void TMainFrm::buildMicrophonePanel(QFrame* panel)
{
    setHelpContext(panel, 514);
    // The panel takes the focus itself when it is opened.
    panel->setFocusPolicy(Qt::StrongFocus);
    addLabel(panel,
             "It maybe advisable to 'Re-Calibrate' the microphone settings, and or 'Run Mic Wizard', in the event "
             "you encounter one or more of the following situations.",
             QRect(kLeft, 2, kFullWidth, kIntroHeight), true);
    const char* const situations[] = {
        "1)  Microphone feedback",
        "2)  No playback of recorded voice commands heard",
        "3)  The recorded playback is so weak or low it's difficult to hear",
        "4)  If the playback of the voice command is intermittent",
        "5)  Playback of voice commands is not clear",
        "6)  During initial startup too much noise was present",
    };
    int top = kBelowIntro;
    for (const char* situation : situations) {
        addLabel(panel, situation, QRect(kLeft + 8, top, kFullWidth - 8, 15));
        top += 15;
    }
    addLabel(panel,
             "Please Note: Microphone calibration settings are automatically set during the initial startup of "
             "Larkspur QTX 98.",
             QRect(kLeft, top + 2, kFullWidth, 30), true);

    m_setupMicBtn = addButton(panel, "SetupMicBtn", "Re-Calibrate", "Select this to setup microphone values", 514,
                              QRect(kLeft, 176, 110, kButtonHeight));
    m_setupMicBtn->setDefault(true);
    m_setMixer = addButton(panel, "SetMixer", "Run Mic Wizard", nullptr, 0, QRect(kLeft + 118, 176, 110, kButtonHeight));
    m_autoGain = named(new QCheckBox(QStringLiteral("Auto Gain (Please Press F1 For Details)"), panel), "AutoGain",
                       "Check this to turn on Microphone Auto Gain, Then Re-Calibrate.", 520);
    m_autoGain->setGeometry(kLeft, 208, kFullWidth, 22);
}

void TMainFrm::buildMousePanel(QFrame* panel)
{
    addLabel(panel,
             "Auto Mouse Click eliminates the need to click the system buttons: Voice Commands, System Settings, "
             "and User Settings.",
             QRect(kLeft, 4, kFullWidth, 30), true);
    addLabel(panel,
             "When auto mouse click is on, you activate system buttons by moving the mouse pointer over them.  If "
             "you place a check mark in the auto mouse click box below, auto mouse click is turned on.  Removing "
             "the check mark turns off auto mouse click.",
             QRect(kLeft, 42, kFullWidth, 60), true);
    m_autoClick = named(new QCheckBox(QStringLiteral("Auto Mouse Click"), panel), "AutoClick",
                        "Select this to enable auto mouse click", 515);
    m_autoClick->setGeometry(kLeft, 112, 200, 22);
}

void TMainFrm::buildPlayBackPanel(QFrame* panel)
{
    addLabel(panel,
             "This check box allows you to turn playback on or off.  When playback is turned on Larkspur QTX 98 "
             "will repeat the sound it hears. If you place a check mark in the playback box below, playback is "
             "turned on.  Removing the check mark turns off playback.",
             QRect(kLeft, 4, kFullWidth, 75), true);
    m_playBack1 = named(new QCheckBox(QStringLiteral("PlayBack"), panel), "PlayBack1",
                        "Select this to enable playback", 517);
    m_playBack1->setGeometry(kLeft, 90, 200, 22);
    m_playBack1->setChecked(true);
}

void TMainFrm::buildAccuracyPanel(QFrame* panel)
{
    addLabel(panel,
             "If you find the system has difficulties recognizing a voice command go to Voice Commands Train tab "
             "and re-train the voice command.  If the system still does not recognize the voice command, please "
             "decrease the fine tune pointer one notch at a time until results are acceptable.",
             QRect(kLeft, 2, kFullWidth, 62), true);
    addLabel(panel,
             "If you find the system has improperly matched one or more re-trained voice commands, please increase "
             "the fine tune pointer one notch at a time until results are acceptable.",
             QRect(kLeft, 64, kFullWidth, 44), true);

    addLabel(panel, "Fine Tune Pointer", QRect(kLeft, 108, 200, 15));
    addLabel(panel, "Decrease", QRect(kLeft, 132, 54, 15));
    m_accuracyScBr = named(new TTrackBar(panel), "AccuracyScBr", "Fine tunes the voice recognition engine", 518);
    m_accuracyScBr->setGeometry(60, 122, 270, 30);
    m_accuracyScBr->setRange(0, 12);
    m_accuracyScBr->setValue(6);
    m_accuracyScBr->setPageStep(1);
    m_accuracyScBr->setTickInterval(1);
    m_accuracyScBr->setSelection(6, 12);
    addLabel(panel, "Increase", QRect(336, 132, 54, 15));

    addLabel(panel, "Select percent of confidence needed to invoke voice command.", QRect(kLeft, 160, kFullWidth, 15));
    addLabel(panel, "Confidence Pointer", QRect(kLeft, 178, 200, 15));
    addLabel(panel, "75%", QRect(kLeft, 202, 54, 15));
    m_confidence = named(new TTrackBar(panel), "Confidence", "The shaded area ", 0);
    m_confidence->setGeometry(60, 192, 270, 30);
    m_confidence->setRange(75, 100);
    m_confidence->setValue(75);
    m_confidence->setTickInterval(5);
    m_confidence->setSelection(85, 100);
    addLabel(panel, "100%", QRect(336, 202, 54, 15));

    m_enhancedMatching = named(new QCheckBox(QStringLiteral("Enhanced Matching"), panel), "EnhancedMatching",
                               "Check this to recognize with the enhanced matcher (Press F1 For Details)", 521);
    m_enhancedMatching->setGeometry(kLeft, 220, 200, 18);
}

} // namespace larkspur
