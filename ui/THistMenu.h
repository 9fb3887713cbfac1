#pragma once
// The recently used files under a menu: entries oldest first, at most
// MaxHistory of them, each a menu item whose caption is a file's full path.
// The list is kept under BaseKey\<Name> as "C0"/"T0", "C1"/"T1", ...

#include "settings/HistoryStore.h"

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QAction;

namespace larkspur {

class THistMenu : public QObject {
    Q_OBJECT

public:
    explicit THistMenu(const QString& name = QStringLiteral("FileHistory"), QObject* parent = nullptr);
    ~THistMenu() override;

    QString Name() const { return objectName(); }
    // The menu the entries appear in, after the items it already holds.
    QMenu* MenuItem() const { return m_menu; }
    void setMenuItem(QMenu* menu);
    int MaxHistory() const { return m_maxHistory; }
    // Values below 2 are ignored.
    void setMaxHistory(int count);
    bool AddSeparator() const { return m_addSeparator; }
    void setAddSeparator(bool on);
    int ItemCount() const { return static_cast<int>(m_entries.size()); }
    // Key below the current user's settings; empty means the list is not stored.
    const QString& BaseKey() const { return m_baseKey; }
    void setBaseKey(const QString& key) { m_baseKey = key; }

    std::function<void(THistMenu& sender, const QString& caption, int tag)> OnClick;

    // Appends an entry, dropping the oldest ones beyond MaxHistory; nothing without a menu.
    void AddItem(const QString& caption, int tag);
    void SaveHistory() const;
    void LoadHistory();

    bool contains(const QString& caption) const;
    const HistoryEntry& entry(int index) const { return m_entries.at(static_cast<size_t>(index)).data; }
    QAction* entryAction(int index) const { return m_entries.at(static_cast<size_t>(index)).action; }

private:
    struct Entry {
        HistoryEntry data;
        QAction* action = nullptr;
    };
    QString storageKey() const;
    void removeOldest();
    void clearEntries();
    void insertSeparator();
    void removeSeparator();

    QPointer<QMenu> m_menu;
    int m_ownItems = 0;
    int m_maxHistory = 5;
    bool m_addSeparator = false;
    QString m_baseKey;
    std::vector<Entry> m_entries;
    QAction* m_separator = nullptr;
};

} // namespace larkspur
