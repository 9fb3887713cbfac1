#include "app/TCreditsFrm.h"

#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace larkspur {

TCreditsFrm::TCreditsFrm(const QString& helpDir, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("CreditsFrm"));
    setWindowTitle(QStringLiteral("Special Thanks To"));
    resize(520, 460);

    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("CreditsText"));
    m_text->setOpenExternalLinks(true);
    m_text->setSearchPaths({helpDir});
    m_text->setSource(QUrl::fromLocalFile(helpDir + QStringLiteral("/credits.html")));

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("CreditsClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(close, 0, Qt::AlignRight);
}

} // namespace larkspur
