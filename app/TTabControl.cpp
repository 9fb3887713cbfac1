#include "app/TTabControl.h"

#include <QPainter>
#include <QStyleOptionFrame>
#include <QTabBar>

namespace larkspur {

TTabControl::TTabControl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this))
{
    m_bar->setObjectName(QStringLiteral("TabControl1Tabs"));
    m_bar->setExpanding(false);
    m_bar->setDrawBase(false);
    m_bar->setStyleSheet(QStringLiteral("QTabBar::tab { width: %1px; height: %2px; }")
                             .arg(kTabWidth - 8)
                             .arg(kTabHeight - 6));
    QFont tabFont(QStringLiteral("Arial"));
    tabFont.setPixelSize(12);
    m_bar->setFont(tabFont);
    m_bar->setMouseTracking(true);  // hot tracking
    m_bar->setGeometry(0, 0, width(), kTabHeight);
    connect(m_bar, &QTabBar::currentChanged, this, [this] {
        if (!m_replacing)
            emit OnChange();
    });
}

void TTabControl::setTabs(const QStringList& captions)
{
    m_replacing = true;
    while (m_bar->count() > 0)
        m_bar->removeTab(0);
    for (const QString& caption : captions)
        m_bar->addTab(caption);
    m_bar->setCurrentIndex(captions.isEmpty() ? -1 : 0);
    m_bar->setGeometry(0, 0, width(), kTabHeight);
    m_replacing = false;
}

QStringList TTabControl::Tabs() const
{
    QStringList captions;
    for (int i = 0; i < m_bar->count(); ++i)
        captions << m_bar->tabText(i);
    return captions;
}

int TTabControl::TabIndex() const
{
    return m_bar->currentIndex();
}

void TTabControl::setTabIndex(int index)
{
    // Only the user's choice raises OnChange.
    m_replacing = true;
    m_bar->setCurrentIndex(index);
    m_replacing = false;
}

void TTabControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, kTabHeight - 1, 0, 0);
    frame.lineWidth = 1;
    frame.frameShape = QFrame::Panel;
    frame.state |= QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

} // namespace larkspur
