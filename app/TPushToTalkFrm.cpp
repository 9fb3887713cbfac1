#include "app/TPushToTalkFrm.h"

#include "actions/PushToTalkKey.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace larkspur {

void TKeyCaptureEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        QLineEdit::keyPressEvent(event);
        return;
    default:
        break;
    }
    const QString text = event->text();
    const bool typesText = !text.isEmpty() && text.at(0).isPrint();
    const std::string name = typesText ? std::string() : pushToTalkKeyNameOf(event->nativeVirtualKey());
    if (name.empty()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    setText(QString::fromStdString(name));
    event->accept();
}

TPushToTalkFrm::TPushToTalkFrm(const QString& keyName, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PushToTalkFrm"));
    setWindowTitle(QStringLiteral("Push-to-talk Key"));
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("While listening, hear only what is said while this key is held.\n"
                                              "Press the key in the field, or type its name (F9, Pause, Control_R).\n"
                                              "No key: listening hears everything, as before."),
                               this);
    layout->addWidget(caption);
    m_edit = new TKeyCaptureEdit(keyName, this);
    m_edit->setObjectName(QStringLiteral("PushToTalkKeyEdit"));
    m_edit->setAccessibleName(QStringLiteral("Push-to-talk key"));
    m_edit->setPlaceholderText(QStringLiteral("No key"));
    caption->setBuddy(m_edit);
    layout->addWidget(m_edit);
    m_hint = new QLabel(this);
    m_hint->setObjectName(QStringLiteral("PushToTalkHint"));
    layout->addWidget(m_hint);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_noKey = buttons->addButton(QStringLiteral("No Key"), QDialogButtonBox::ResetRole);
    m_noKey->setObjectName(QStringLiteral("NoKeyBtn"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_noKey, &QPushButton::clicked, m_edit, &QLineEdit::clear);
    connect(m_edit, &QLineEdit::textChanged, this, &TPushToTalkFrm::checkName);
    checkName();
}

QString TPushToTalkFrm::keyName() const
{
    return m_edit->text().trimmed();
}

void TPushToTalkFrm::checkName()
{
    const QString name = keyName();
    const bool ok = name.isEmpty() || isPushToTalkKeyName(name.toStdString());
    m_ok->setEnabled(ok);
    m_hint->setText(ok ? (name.isEmpty() ? QStringLiteral("Listening hears every utterance.")
                                         : QStringLiteral("Hold %1 to talk.").arg(name))
                       : QStringLiteral("\"%1\" is not a key name.").arg(name));
}

} // namespace larkspur
