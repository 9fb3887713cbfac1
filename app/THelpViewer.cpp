#include "app/THelpViewer.h"

#include "app/HelpTopics.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace larkspur {

THelpViewer::THelpViewer(const QString& helpDir, QWidget* parent) : QWidget(parent, Qt::Window), m_helpDir(helpDir)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Larkspur QTX 98 Help"));
    resize(640, 520);

    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    contents->setObjectName(QStringLiteral("HelpContents"));
    auto* index = new QPushButton(QStringLiteral("&Index"), this);
    index->setObjectName(QStringLiteral("HelpIndex"));
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    back->setObjectName(QStringLiteral("HelpBack"));
    auto* forward = new QPushButton(QStringLiteral("&Forward"), this);
    forward->setObjectName(QStringLiteral("HelpForward"));

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setSearchPaths({m_helpDir});
    // Addresses on the web go to the desktop's browser; pages stay here.
    m_browser->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {contents, index, back, forward})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);

    connect(contents, &QPushButton::clicked, this, &THelpViewer::showContents);
    connect(index, &QPushButton::clicked, this, &THelpViewer::showIndex);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
}

void THelpViewer::showPage(const QString& page)
{
    const int hash = page.indexOf(QLatin1Char('#'));
    QUrl url = QUrl::fromLocalFile(m_helpDir + QLatin1Char('/') + (hash < 0 ? page : page.left(hash)));
    if (hash >= 0)
        url.setFragment(page.mid(hash + 1));
    m_browser->setSource(url);
    present();
}

void THelpViewer::showContents()
{
    showPage(QString::fromLatin1(kHelpContentsPage));
}

void THelpViewer::showIndex()
{
    showPage(QString::fromLatin1(kHelpKeywordsPage));
}

bool THelpViewer::showTopic(int context)
{
    const QString page = helpPageForContext(context);
    if (page.isEmpty()) {
        showContents();
        return false;
    }
    showPage(page);
    return true;
}

QString THelpViewer::currentPage() const
{
    const QUrl source = m_browser->source();
    QString page = source.fileName();
    if (source.hasFragment())
        page += QLatin1Char('#') + source.fragment();
    return page;
}

void THelpViewer::present()
{
    show();
    raise();
    activateWindow();
}

} // namespace larkspur
