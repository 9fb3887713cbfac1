#include "app/TTrainFrm.h"

#include <QCloseEvent>
#include <QFont>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace larkspur {

namespace {

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TTrainFrm::TTrainFrm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TrainFrm"));
    setWindowTitle(QString::fromLatin1(kCaption));
    setModal(false);

    m_pleaseTxt = named(new QLabel(QStringLiteral("Please Say ->"), this), "PleaseTxt");
    m_displayTxt = named(new QLineEdit(this), "DisplayTxt");
    m_displayTxt->setReadOnly(true);
    m_displayTxt->setFocusPolicy(Qt::NoFocus);
    m_displayTxt->setMinimumWidth(260);
    QFont bold = m_displayTxt->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 4);
    m_displayTxt->setFont(bold);
    // Yellow on grey, so the phrase to say stands out from everything else.
    m_displayTxt->setStyleSheet(QStringLiteral("QLineEdit { color: yellow; background-color: grey; }"));
    m_status = named(new QLabel(QStringLiteral("Training Pass ->"), this), "Status");
    m_trainingPass = named(new QLabel(QStringLiteral("1 of 3"), this), "TrainingPass");
    m_cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "TrnCancelBtn");
    m_cancel->setAutoDefault(false);

    for (QWidget* w : std::initializer_list<QWidget*>{m_pleaseTxt, m_displayTxt, m_status, m_trainingPass, m_cancel})
        w->setAccessibleName(w == m_displayTxt ? QStringLiteral("Please Say") : w->property("text").toString());
    m_displayTxt->setAccessibleDescription(QStringLiteral("The voice command to say"));
    m_pleaseTxt->setBuddy(m_displayTxt);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    grid->addWidget(m_pleaseTxt, 0, 0);
    grid->addWidget(m_displayTxt, 0, 1, 1, 2);
    grid->addWidget(m_status, 1, 0);
    grid->addWidget(m_trainingPass, 1, 1);
    grid->addWidget(m_cancel, 1, 2, Qt::AlignRight);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    // Hidden until a training starts.
    m_pleaseTxt->setVisible(false);
    m_displayTxt->setVisible(false);
    // Keep the cells the hidden controls use, so the window does not jump.
    for (QWidget* w : {static_cast<QWidget*>(m_pleaseTxt), static_cast<QWidget*>(m_displayTxt)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }

    connect(m_cancel, &QPushButton::clicked, this, &TTrainFrm::TrnCancelBtnClick);
}

void TTrainFrm::FormShow()
{
    m_trainingPass->setText(QStringLiteral("1 of 3"));
}

void TTrainFrm::TrnCancelBtnClick()
{
    if (OnCancel)
        OnCancel();
}

void TTrainFrm::showEvent(QShowEvent* event)
{
    FormShow();
    adjustSize();
    QDialog::showEvent(event);
    // Centred with its frame, once the frame is known.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TTrainFrm::reject()
{
    TrnCancelBtnClick();
}

void TTrainFrm::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

} // namespace larkspur
