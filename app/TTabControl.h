#pragma once
// A row of tabs over a framed area, without pages of its own: the main window
// places its work panels over the frame and raises the one a tab chooses.

#include <QStringList>
#include <QWidget>

class QTabBar;

namespace larkspur {

class TTabControl : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTabHeight = 25;
    static constexpr int kTabWidth = 120;

    explicit TTabControl(QWidget* parent = nullptr);

    // Replaces every tab; the first one becomes current without raising OnChange.
    void setTabs(const QStringList& captions);
    QStringList Tabs() const;
    int TabIndex() const;  // -1: no tab selected
    void setTabIndex(int index);
    int TabHeight() const { return kTabHeight; }
    QTabBar* tabBar() const { return m_bar; }

signals:
    // The user chose another tab.
    void OnChange();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTabBar* m_bar;
    bool m_replacing = false;
};

} // namespace larkspur
