// The Create panel's catalogue of ready-made voice commands (BuildListBox) and
// "Find App's && URL's", which fills its found-programs groups.

#include "app/TMainFrm.h"

#include "actions/ApplicationFinder.h"
#include "actions/DefaultApplications.h"
#include "actions/ProgramSearchPath.h"
#include "actions/TGoToWeb.h"
#include "app/MainDispatch.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>

#include <functional>
#include <set>

namespace larkspur {

namespace {

// Where a tree item keeps its node's item code.
constexpr int kCodeRole = Qt::UserRole;

// Enter in the tree picks the item and goes no further: the panel's default
// button must not see it.
class EnterKeyFilter : public QObject {
public:
    EnterKeyFilter(QObject* parent, std::function<void()> onEnter) : QObject(parent), m_onEnter(std::move(onEnter))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                m_onEnter();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onEnter;
};

// The groups shown in bold: the top-level nodes that hold ready-made items.
const std::set<int>& boldGroups()
{
    static const std::set<int> groups = [] {
        std::set<int> codes;
        for (const CatalogueItem& item : catalogueItems())
            codes.insert(item.group);
        return codes;
    }();
    return groups;
}

QTreeWidgetItem* makeItem(const CatalogueNode& node)
{
    auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(node.text)});
    item->setData(0, kCodeRole, node.code);
    for (const CatalogueNode& child : node.children)
        item->addChild(makeItem(child));
    return item;
}

} // namespace

void TMainFrm::buildCatalogue()
{
    const ProgramLookup lookup = pathLookup(environmentSearchPath());
    m_catalogue = std::make_unique<ActionCatalogue>(
        defaultApplicationActions(lookup, [this] { return m_dispatch->goToWeb().BrowserPath(); }));

    // Read-only; the model keeps it sorted by text.
    m_buildListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_buildListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    m_buildListBox->setSortingEnabled(false);
    // Long group names and found paths scroll sideways instead of being cut.
    m_buildListBox->setTextElideMode(Qt::ElideNone);
    m_buildListBox->header()->setStretchLastSection(false);
    m_buildListBox->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_buildListBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(m_buildListBox, &QTreeWidget::itemDoubleClicked, this, [this] { BuildListBoxDblClick(); });
    m_buildListBox->installEventFilter(new EnterKeyFilter(m_buildListBox, [this] { BuildListBoxKeyPress('\r'); }));

    if (auto* findApp = findChild<QPushButton*>(QStringLiteral("FindAppBtn")))
        connect(findApp, &QPushButton::clicked, this, &TMainFrm::FindAppBtnClick);

    RefreshCatalogueTree();
}

void TMainFrm::RefreshCatalogueTree()
{
    QSet<QString> open;
    for (int i = 0; i < m_buildListBox->topLevelItemCount(); ++i)
        if (m_buildListBox->topLevelItem(i)->isExpanded())
            open.insert(m_buildListBox->topLevelItem(i)->text(0));

    m_buildListBox->clear();
    for (const CatalogueNode& node : m_catalogue->nodes()) {
        QTreeWidgetItem* item = makeItem(node);
        if (boldGroups().count(node.code)) {
            QFont bold = m_buildListBox->font();
            bold.setBold(true);
            item->setFont(0, bold);
        }
        m_buildListBox->addTopLevelItem(item);
        item->setExpanded(open.contains(item->text(0)));
    }
}

void TMainFrm::BuildListBoxDblClick()
{
    const QTreeWidgetItem* item = m_buildListBox->currentItem();
    if (!item || !item->isSelected())
        return;
    const CatalogueNode node{item->text(0).toStdString(), item->data(0, kCodeRole).toInt(), {}};
    const CatalogueInsert insert = m_catalogue->BuildListBoxDblClick(node);
    if (insert.quickStartStep2)
        m_state.setQuickStartStep(2);
    if (insert.quickStartStep3)
        m_state.setQuickStartStep(3);
    if (!insert.changesFields)
        return;
    m_builtVCText->setText(QString::fromStdString(insert.phrase));
    m_builtVCAct->setText(QString::fromStdString(insert.action));
}

void TMainFrm::BuildListBoxKeyPress(char key)
{
    if (key == '\r')
        BuildListBoxDblClick();
}

void TMainFrm::FindAppBtnClick()
{
    m_dispatch->finder().FindAppBtnClick(*m_catalogue);
    RefreshCatalogueTree();
}

} // namespace larkspur
