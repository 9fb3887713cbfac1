// The seven work panels with their controls, fixed texts, hints and help
// context numbers. What the controls do lives with their handlers.
//
// Each panel lays its controls out to their content: the arrangement is
// fixed (introduction on top, a list on the left and the fields on the right,
// and so on), the sizes follow the text, so a larger font makes the panels
// larger instead of cutting words off. fitToContent gives all panels the size
// of the largest one.

#include "app/HelpContext.h"
#include "app/TMainFrm.h"
#include "app/TTrackBar.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

namespace larkspur {

namespace {

constexpr int kMargin = 4;
constexpr int kColumnGap = 12;
// Room between one group of controls and the next.
constexpr int kGroupGap = 6;

QLabel* makeLabel(QWidget* panel, const char* text, bool wrap = false)
{
    auto* label = new QLabel(QString::fromUtf8(text), panel);
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// A paragraph over the whole width of the panel.
QLabel* intro(QWidget* panel, QBoxLayout* layout, const char* text)
{
    QLabel* label = makeLabel(panel, text, true);
    layout->addWidget(label);
    return label;
}

// The name a screen reader announces and the hint it reads on request.
void describe(QWidget* widget, const QString& name, const QString& description)
{
    widget->setAccessibleName(name);
    if (!description.isEmpty())
        widget->setAccessibleDescription(description);
}

template <typename Widget>
Widget* named(Widget* widget, const char* name, const char* hint, int helpContext)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (hint) {
        widget->setToolTip(QString::fromUtf8(hint));
        widget->setAccessibleDescription(QString::fromUtf8(hint));
    }
    if (helpContext)
        setHelpContext(widget, helpContext);
    return widget;
}

QPushButton* makeButton(QWidget* panel, const char* name, const char* caption, const char* hint, int helpContext)
{
    auto* button = named(new QPushButton(QString::fromUtf8(caption), panel), name, hint, helpContext);
    // A doubled ampersand shows as one "&"; the name is what is shown.
    button->setAccessibleName(button->text().replace(QStringLiteral("&&"), QStringLiteral("&")));
    return button;
}

QCheckBox* makeCheckBox(QWidget* panel, const char* name, const char* caption, const char* hint, int helpContext)
{
    auto* box = named(new QCheckBox(QString::fromUtf8(caption), panel), name, hint, helpContext);
    box->setAccessibleName(box->text());
    return box;
}

// A caption over a control; the caption names the control for assistive
// technology and Alt-less keyboard users reach it through the buddy.
template <typename Widget>
Widget* captioned(QWidget* panel, QBoxLayout* layout, const char* caption, Widget* widget)
{
    QLabel* label = makeLabel(panel, caption);
    label->setBuddy(widget);
    widget->setAccessibleName(label->text());
    layout->addWidget(label);
    layout->addWidget(widget);
    return widget;
}

QLineEdit* makeEdit(QWidget* panel, const char* name, const char* hint, int helpContext)
{
    auto* edit = named(new QLineEdit(panel), name, hint, helpContext);
    edit->setMaxLength(255);
    return edit;
}

QListWidget* makeSortedList(QWidget* panel, const char* name, const char* hint, int helpContext)
{
    auto* list = named(new QListWidget(panel), name, hint, helpContext);
    list->setSortingEnabled(true);
    return list;
}

QVBoxLayout* panelLayout(QFrame* panel)
{
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(kMargin, 2, kMargin, kMargin);
    layout->setSpacing(2);
    return layout;
}

QHBoxLayout* row(QBoxLayout* parent, int spacing = 8)
{
    auto* layout = new QHBoxLayout;
    layout->setSpacing(spacing);
    parent->addLayout(layout);
    return layout;
}

QVBoxLayout* column(QBoxLayout* parent, int stretch)
{
    auto* layout = new QVBoxLayout;
    layout->setSpacing(2);
    parent->addLayout(layout, stretch);
    return layout;
}

// Marks a panel's cancel button. The panels share one window, so Escape
// reaches it through the panel's own PanelKeys, not through a shortcut.
void makeCancel(QPushButton* button)
{
    button->setProperty("Cancel", true);
}

} // namespace

void TMainFrm::buildCreatePanel(QFrame* panel)
{
    constexpr int kHelp = 510;
    setHelpContext(panel, kHelp);
    QVBoxLayout* layout = panelLayout(panel);
    intro(panel, layout,
          "To create a Voice Command double-click one of the items in this scrollable list. To fill in the "
          "Found Applications & URL items click Find App's & URL's.");
    layout->addSpacing(kGroupGap);

    QHBoxLayout* columns = row(layout, kColumnGap);
    m_buildListBox = named(new QTreeWidget(panel), "BuildListBox", "Double-Click to select item", kHelp);
    describe(m_buildListBox, QStringLiteral("Voice command catalogue"), m_buildListBox->toolTip());
    m_buildListBox->header()->hide();
    columns->addWidget(m_buildListBox, 1);

    QVBoxLayout* right = column(columns, 1);
    m_builtVCText = captioned(panel, right, "Voice Command Name:",
                              makeEdit(panel, "BuiltVCText", "What are you going to say!", kHelp));
    m_builtVCAct = captioned(panel, right, "Voice Command Action:",
                             makeEdit(panel, "BuiltVCAct", "What keyboard codes are needed to do the action", kHelp));
    right->addSpacing(kGroupGap);
    QHBoxLayout* buttons = row(right);
    auto* accept = makeButton(panel, "AcceptBtn", "Accept", "Create your voice command", kHelp);
    accept->setDefault(true);
    buttons->addWidget(accept);
    auto* clear = makeButton(panel, "ClearBtn", "Clear", "Clear input boxes", kHelp);
    makeCancel(clear);
    buttons->addWidget(clear);
    right->addSpacing(kGroupGap);
    right->addWidget(makeButton(panel, "FindAppBtn", "Find App's && URL's",
                                "Find all Window based applications (c:..z:)", kHelp));
    right->addStretch(1);
}

void TMainFrm::buildTrainPanel(QFrame* panel)
{
    constexpr int kHelp = 511;
    QVBoxLayout* layout = panelLayout(panel);
    intro(panel, layout,
          "Created Voice Commands lists commands you have accepted.  Active Voice Commands lists commands you "
          "have trained.");
    layout->addSpacing(kGroupGap);

    QHBoxLayout* columns = row(layout, kColumnGap);
    m_createdList = captioned(panel, column(columns, 1), "Created Voice Commands",
                              makeSortedList(panel, "CreatedList", "Double-click to select voice command to train",
                                             kHelp));
    m_trainedList = captioned(panel, column(columns, 1), "Active Voice Commands",
                              makeSortedList(panel, "TrainedList",
                                             "Double-click to select a voice command to re-train, or right mouse "
                                             "click for playback of voice command",
                                             kHelp));
    m_trainedList->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->setStretchFactor(columns, 1);
    layout->addSpacing(kGroupGap);

    QLabel* selected = makeLabel(panel, "Selected Voice Command");
    layout->addWidget(selected);
    QHBoxLayout* bottom = row(layout);
    m_trnVCTxt = makeEdit(panel, "TrnVCTxt", "Shows the selected voice command", kHelp);
    m_trnVCTxt->setReadOnly(true);
    selected->setBuddy(m_trnVCTxt);
    m_trnVCTxt->setAccessibleName(selected->text());
    bottom->addWidget(m_trnVCTxt, 2);
    m_train = makeButton(panel, "Train", "Train Voice Command", "Train selected voice command", kHelp);
    m_train->setDefault(true);
    bottom->addWidget(m_train, 1);
}

void TMainFrm::buildEditPanel(QFrame* panel)
{
    constexpr int kHelp = 512;
    QVBoxLayout* layout = panelLayout(panel);
    intro(panel, layout,
          "To edit a voice command double-click one of the voice commands in this scrollable list.  The selected "
          "voice command will fill in the name and action fields.");
    layout->addSpacing(kGroupGap);

    QHBoxLayout* columns = row(layout, kColumnGap);
    m_editList = makeSortedList(panel, "EditList", "Double-click to edit a voice command", kHelp);
    describe(m_editList, QStringLiteral("Voice commands"), m_editList->toolTip());
    columns->addWidget(m_editList, 1);

    QVBoxLayout* right = column(columns, 1);
    m_edVCTxt = captioned(panel, right, "Voice Command Name:",
                          makeEdit(panel, "EdVCTxt", "What are you going to say!", kHelp));
    m_edVCAct = captioned(panel, right, "Voice Command Action:",
                          makeEdit(panel, "EdVCAct", "What keyboard codes are needed to do the action", kHelp));
    // Writable only once a command has been picked.
    m_edVCTxt->setReadOnly(true);
    m_edVCAct->setReadOnly(true);
    right->addSpacing(kGroupGap);
    QHBoxLayout* buttons = row(right);
    m_edUpdateBtn = makeButton(panel, "EdUpdateBtn", "Update", "Update your voice command", kHelp);
    m_edUpdateBtn->setDefault(true);
    buttons->addWidget(m_edUpdateBtn);
    auto* clear = makeButton(panel, "EdCleatBtn", "Clear", "Clear input boxes", kHelp);
    makeCancel(clear);
    buttons->addWidget(clear);
    right->addSpacing(kGroupGap);
    QHBoxLayout* deleteRow = row(right);
    m_edDeleteBtn = makeButton(panel, "EdDeleteBtn", "Delete", "Delete selected voice command", kHelp);
    deleteRow->addWidget(m_edDeleteBtn, 1);
    deleteRow->addStretch(1);
    right->addStretch(1);
}

void TMainFrm::buildMicrophonePanel(QFrame* panel)
{
    setHelpContext(panel, 514);
    // The panel takes the focus itself when it is opened.
    panel->setFocusPolicy(Qt::StrongFocus);
    describe(panel, QStringLiteral("Microphone"), QString());
    QVBoxLayout* layout = panelLayout(panel);
    intro(panel, layout,
          "It maybe advisable to 'Re-Calibrate' the microphone settings, and or 'Run Mic Wizard', in the event "
          "you encounter one or more of the following situations.");
    layout->addSpacing(kGroupGap);
    const char* const situations[] = {
        "1)  Microphone feedback",
        "2)  No playback of recorded voice commands heard",
        "3)  The recorded playback is so weak or low it's difficult to hear",
        "4)  If the playback of the voice command is intermittent",
        "5)  Playback of voice commands is not clear",
        "6)  During initial startup too much noise was present",
    };
    for (const char* situation : situations) {
        QLabel* label = makeLabel(panel, situation, true);
        label->setIndent(8);
        layout->addWidget(label);
    }
    layout->addSpacing(kGroupGap);
    intro(panel, layout,
          "Please Note: Microphone calibration settings are automatically set during the initial startup of "
          "Larkspur QTX 98.");
    layout->addSpacing(kGroupGap);

    QHBoxLayout* buttons = row(layout);
    m_setupMicBtn = makeButton(panel, "SetupMicBtn", "Re-Calibrate", "Select this to setup microphone values", 514);
    m_setupMicBtn->setDefault(true);
    buttons->addWidget(m_setupMicBtn);
    m_setMixer = makeButton(panel, "SetMixer", "Run Mic Wizard", nullptr, 0);
    buttons->addWidget(m_setMixer);
    buttons->addStretch(1);
    m_autoGain = makeCheckBox(panel, "AutoGain", "Auto Gain (Please Press F1 For Details)",
                              "Check this to turn on Microphone Auto Gain, Then Re-Calibrate.", 520);
    layout->addWidget(m_autoGain);
    layout->addStretch(1);
}

void TMainFrm::buildMousePanel(QFrame* panel)
{
    QVBoxLayout* layout = panelLayout(panel);
    intro(panel, layout,
          "Auto Mouse Click eliminates the need to click the system buttons: Voice Commands, System Settings, "
          "and User Settings.");
    layout->addSpacing(kGroupGap);
    intro(panel, layout,
          "When auto mouse click is on, you activate system buttons by moving the mouse pointer over them.  If "
          "you place a check mark in the auto mouse click box below, auto mouse click is turned on.  Removing "
          "the check mark turns off auto mouse click.");
    layout->addSpacing(kGroupGap);
    m_autoClick = makeCheckBox(panel, "AutoClick", "Auto Mouse Click", "Select this to enable auto mouse click", 515);
    layout->addWidget(m_autoClick);
    layout->addStretch(1);
}

void TMainFrm::buildPlayBackPanel(QFrame* panel)
{
    QVBoxLayout* layout = panelLayout(panel);
    intro(panel, layout,
          "This check box allows you to turn playback on or off.  When playback is turned on Larkspur QTX 98 "
          "will repeat the sound it hears. If you place a check mark in the playback box below, playback is "
          "turned on.  Removing the check mark turns off playback.");
    layout->addSpacing(kGroupGap);
    m_playBack1 = makeCheckBox(panel, "PlayBack1", "PlayBack", "Select this to enable playback", 517);
    m_playBack1->setChecked(true);
    layout->addWidget(m_playBack1);
    layout->addStretch(1);
}

void TMainFrm::buildAccuracyPanel(QFrame* panel)
{
    QVBoxLayout* layout = panelLayout(panel);
    intro(panel, layout,
          "If you find the system has difficulties recognizing a voice command go to Voice Commands Train tab "
          "and re-train the voice command.  If the system still does not recognize the voice command, please "
          "decrease the fine tune pointer one notch at a time until results are acceptable.");
    layout->addSpacing(kGroupGap);
    intro(panel, layout,
          "If you find the system has improperly matched one or more re-trained voice commands, please increase "
          "the fine tune pointer one notch at a time until results are acceptable.");
    layout->addSpacing(kGroupGap);

    // A slider between its two end captions, under its own caption.
    auto slider = [&](const char* caption, TTrackBar* bar, const char* low, const char* high) {
        QLabel* title = makeLabel(panel, caption);
        title->setBuddy(bar);
        bar->setAccessibleName(title->text());
        layout->addWidget(title);
        QHBoxLayout* line = row(layout);
        line->addWidget(makeLabel(panel, low), 0, Qt::AlignVCenter);
        line->addWidget(bar, 1);
        line->addWidget(makeLabel(panel, high), 0, Qt::AlignVCenter);
        return bar;
    };
    m_accuracyScBr = slider("Fine Tune Pointer",
                            named(new TTrackBar(panel), "AccuracyScBr", "Fine tunes the voice recognition engine", 518),
                            "Decrease", "Increase");
    m_accuracyScBr->setRange(0, 12);
    m_accuracyScBr->setValue(6);
    m_accuracyScBr->setPageStep(1);
    m_accuracyScBr->setTickInterval(1);
    m_accuracyScBr->setSelection(6, 12);
    m_accuracyScBr->setMinimumHeight(30);
    layout->addSpacing(kGroupGap);

    layout->addWidget(makeLabel(panel, "Select percent of confidence needed to invoke voice command.", true));
    m_confidence = slider("Confidence Pointer", named(new TTrackBar(panel), "Confidence", "The shaded area ", 0),
                          "75%", "100%");
    m_confidence->setRange(75, 100);
    m_confidence->setValue(75);
    m_confidence->setTickInterval(5);
    m_confidence->setSelection(85, 100);
    m_confidence->setMinimumHeight(30);
    layout->addSpacing(kGroupGap);
    m_enhancedMatching = named(new QCheckBox(QStringLiteral("Enhanced Matching"), panel), "EnhancedMatching",
                               "Check this to recognize with the enhanced matcher (Press F1 For Details)", 521);
    layout->addWidget(m_enhancedMatching);
    layout->addStretch(1);
}

} // namespace larkspur
