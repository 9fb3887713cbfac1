#include "app/TMoreFrm.h"

#include "app/TInfoFrm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace larkspur {

namespace {
const char* const kMoreCaption = "Larkspur QTX 98";
const char* const kChooseText =
    "Have found one or more file locations for the voice command.  Please select one of the file locations for "
    "the voice command by double-clicking on it, or highlight and click on 'OK'.";
constexpr int kListWidth = 420;
constexpr int kListHeight = 140;
} // namespace

TMoreFrm::TMoreFrm(QLineEdit& fromMoreFrm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      m_fromMoreFrm(fromMoreFrm)
{
    setObjectName(QStringLiteral("MoreFrm"));
    setWindowTitle(QString::fromLatin1(kMoreCaption));
    setModal(false);
    // Closing it must never end the program, even while the main window is in the tray.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAccessibleName(QString::fromLatin1(kMoreCaption));
    setAccessibleDescription(QStringLiteral("Lets you choose where the voice command's program is"));

    m_label = new QLabel(QString::fromLatin1(kChooseText), this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setWordWrap(true);
    m_label->setAccessibleName(m_label->text());
    m_label->setAccessibleDescription(QStringLiteral("How to choose a file location"));

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ListMoreLocations"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(kListWidth, kListHeight);
    m_list->setAccessibleName(QStringLiteral("File locations"));
    m_list->setAccessibleDescription(QStringLiteral("Double-click a file location to choose it"));
    m_label->setBuddy(m_list);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { ListMoreLocationsDblClick(); });
    // OK only with a location highlighted, also after the list is refilled.
    const auto followSelection = [this] { m_btnOK->setEnabled(!m_list->selectedItems().isEmpty()); };
    connect(m_list, &QListWidget::itemSelectionChanged, this, followSelection);
    connect(m_list->model(), &QAbstractItemModel::rowsRemoved, this, followSelection);
    connect(m_list->model(), &QAbstractItemModel::modelReset, this, followSelection);

    m_btnOK = new QPushButton(QStringLiteral("OK"), this);
    m_btnOK->setObjectName(QStringLiteral("BtnOK"));
    m_btnOK->setDefault(true);
    m_btnOK->setEnabled(false);
    m_btnOK->setAccessibleName(QStringLiteral("OK"));
    m_btnOK->setAccessibleDescription(QStringLiteral("Uses the highlighted file location"));
    connect(m_btnOK, &QPushButton::clicked, this, &TMoreFrm::BtnOKClick);

    m_button1 = new QPushButton(QStringLiteral("Cancel"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button1->setAutoDefault(false);
    m_button1->setAccessibleName(QStringLiteral("Cancel"));
    m_button1->setAccessibleDescription(QStringLiteral("Uses none of the file locations"));
    connect(m_button1, &QPushButton::clicked, this, &TMoreFrm::Button1Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_btnOK);
    buttons->addWidget(m_button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    setTabOrder(m_list, m_btnOK);
    setTabOrder(m_btnOK, m_button1);
}

// The list empties itself as it goes away, after this object's own part is
// gone: it must not call back into it then.
TMoreFrm::~TMoreFrm()
{
    m_list->model()->disconnect(this);
    m_list->disconnect(this);
}

void TMoreFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // After the dialog's own placement, which would centre it over the main window.
    centreOnScreen(*this);
    if (!event->spontaneous())
        FormShow();
}

void TMoreFrm::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        emit hidden();
}

void TMoreFrm::FormShow()
{
    if (m_list->count() > 0) {
        m_list->setCurrentRow(0);
        m_btnOK->setEnabled(true);
    }
    m_list->setFocus();
}

void TMoreFrm::takeSelected()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    m_fromMoreFrm.setText(selected.front()->text());
    hide();
}

void TMoreFrm::BtnOKClick()
{
    takeSelected();
}

void TMoreFrm::ListMoreLocationsDblClick()
{
    takeSelected();
}

void TMoreFrm::Button1Click()
{
    m_fromMoreFrm.setText(QString::fromLatin1(kNotFound));
    hide();
}

void TMoreFrm::reject()
{
    Button1Click();
}

} // namespace larkspur
