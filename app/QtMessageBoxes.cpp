#include "app/QtMessageBoxes.h"

#include "app/DialogOwner.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace larkspur {

namespace {

QString messageTitle()
{
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Larkspur QTX 98") : name;
}

const QString kConfirmTitle = QStringLiteral("Confirm");

} // namespace

QtMessageBoxes::QtMessageBoxes(QWidget* parent)
    : m_parent(parent)
{
}

void QtMessageBoxes::information(const QString& text)
{
    QWidget* owner = dialogOwner(m_parent);
    QMessageBox box(QMessageBox::NoIcon, messageTitle(), text, QMessageBox::Ok, owner);
    keepAboveOwner(&box, owner);
    box.exec();
}

bool QtMessageBoxes::askYesNo(const QString& text)
{
    QWidget* owner = dialogOwner(m_parent);
    QMessageBox box(QMessageBox::Question, kConfirmTitle, text, QMessageBox::Yes | QMessageBox::No, owner);
    keepAboveOwner(&box, owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

MessageAnswer QtMessageBoxes::askYesNoCancel(const QString& text)
{
    QWidget* owner = dialogOwner(m_parent);
    QMessageBox box(QMessageBox::Question, kConfirmTitle, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner);
    keepAboveOwner(&box, owner);
    box.setDefaultButton(QMessageBox::Yes);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Cancel;
    }
}

} // namespace larkspur
