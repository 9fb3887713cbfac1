#include "app/TInfoFrm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace larkspur {

namespace {
const char* const kInfoCaption = "Larkspur QTX 98";
constexpr int kTextWidth = 260;
} // namespace

void centreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window.adjustSize();
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->geometry().center());
    window.move(frame.topLeft());
}

TInfoFrm::TInfoFrm(QWidget* parent)
    // A caption without border icons, above every other window.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("InfoFrm"));
    setWindowTitle(QString::fromLatin1(kInfoCaption));
    setModal(false);
    // Closing it must never end the program, even while the main window is in the tray.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAccessibleName(QString::fromLatin1(kInfoCaption));
    setAccessibleDescription(QStringLiteral("Shows the progress of a search of the disks"));

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setMinimumWidth(kTextWidth);
    m_label->setAccessibleName(QStringLiteral("Search progress"));
    m_label->setAccessibleDescription(QStringLiteral("What the search is doing"));

    m_cancelFind = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelFind->setObjectName(QStringLiteral("CancelFind"));
    m_cancelFind->setAccessibleName(QStringLiteral("Cancel"));
    m_cancelFind->setAccessibleDescription(QStringLiteral("Stops the search after the current folder"));
    m_cancelFind->setAutoDefault(false);
    connect(m_cancelFind, &QPushButton::clicked, this, &TInfoFrm::CancelFindClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_cancelFind, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TInfoFrm::showProgress(const QString& text)
{
    m_label->setText(text);
    m_label->setAccessibleName(text);
    show();
    raise();
    // Escape reaches Cancel only in the active window.
    activateWindow();
    repaint();
}

void TInfoFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // After the dialog's own placement, which would centre it over the main window.
    centreOnScreen(*this);
}

void TInfoFrm::CancelFindClick()
{
    if (OnCancel)
        OnCancel();
}

void TInfoFrm::reject()
{
    CancelFindClick();
}

} // namespace larkspur
