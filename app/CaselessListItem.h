#pragma once
// An entry of the voice command lists: the lists sort without regard to
// letter case ("apple, banana, Mango, Zebra"); phrases that differ only in
// case keep one fixed order among themselves.

#include <QListWidget>
#include <QListWidgetItem>

namespace larkspur {

class CaselessListItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;

    bool operator<(const QListWidgetItem& other) const override
    {
        const QString a = text();
        const QString b = other.text();
        const int caseless = a.compare(b, Qt::CaseInsensitive);
        return caseless != 0 ? caseless < 0 : a < b;
    }
};

// Adds text to a sorted list in its caseless place.
inline void addCaseless(QListWidget* list, const QString& text)
{
    list->addItem(new CaselessListItem(text));
}

} // namespace larkspur
