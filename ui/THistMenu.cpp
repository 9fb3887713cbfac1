#include "ui/THistMenu.h"

#include <QAction>
#include <QMenu>

namespace larkspur {

namespace {

// Paths may contain "&", which a menu would take for a mnemonic.
QString menuText(const QString& caption)
{
    QString text = caption;
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

THistMenu::THistMenu(const QString& name, QObject* parent)
    : QObject(parent)
{
    setObjectName(name);
}

THistMenu::~THistMenu()
{
    clearEntries();
}

void THistMenu::setMenuItem(QMenu* menu)
{
    if (menu == m_menu)
        return;
    clearEntries();
    m_menu = menu;
    m_ownItems = menu ? static_cast<int>(menu->actions().size()) : 0;
}

void THistMenu::setMaxHistory(int count)
{
    if (count >= 2)
        m_maxHistory = count;
}

void THistMenu::setAddSeparator(bool on)
{
    m_addSeparator = on;
    if (m_entries.empty())
        return;
    if (on)
        insertSeparator();
    else
        removeSeparator();
}

void THistMenu::AddItem(const QString& caption, int tag)
{
    if (!m_menu)
        return;
    if (m_entries.empty() && m_addSeparator)
        insertSeparator();
    // "while", not "if": after MaxHistory was lowered the list shrinks to it again.
    while (ItemCount() >= m_maxHistory)
        removeOldest();
    auto* action = new QAction(menuText(caption), this);
    action->setData(tag);
    connect(action, &QAction::triggered, this, [this, caption, tag] {
        if (OnClick)
            OnClick(*this, caption, tag);
    });
    m_menu->addAction(action);
    m_entries.push_back({{caption, tag}, action});
}

bool THistMenu::contains(const QString& caption) const
{
    for (const Entry& e : m_entries) {
        if (e.data.caption == caption)
            return true;
    }
    return false;
}

QString THistMenu::storageKey() const
{
    return m_baseKey + QLatin1Char('\\') + Name();
}

void THistMenu::SaveHistory() const
{
    if (m_baseKey.isEmpty())
        return;
    std::vector<HistoryEntry> entries;
    for (const Entry& e : m_entries)
        entries.push_back(e.data);
    saveHistory(storageKey(), entries);
}

void THistMenu::LoadHistory()
{
    if (m_baseKey.isEmpty())
        return;
    for (const HistoryEntry& e : loadHistory(storageKey()))
        AddItem(e.caption, e.tag);
}

void THistMenu::removeOldest()
{
    if (m_entries.empty())
        return;
    if (m_menu)
        m_menu->removeAction(m_entries.front().action);
    delete m_entries.front().action;
    m_entries.erase(m_entries.begin());
}

void THistMenu::clearEntries()
{
    while (!m_entries.empty())
        removeOldest();
    removeSeparator();
}

void THistMenu::insertSeparator()
{
    if (m_separator || !m_menu)
        return;
    m_separator = new QAction(this);
    m_separator->setSeparator(true);
    const QList<QAction*> actions = m_menu->actions();
    QAction* before = m_ownItems < actions.size() ? actions.at(m_ownItems) : nullptr;
    m_menu->insertAction(before, m_separator);
}

void THistMenu::removeSeparator()
{
    if (!m_separator)
        return;
    if (m_menu)
        m_menu->removeAction(m_separator);
    delete m_separator;
    m_separator = nullptr;
}

} // namespace larkspur
