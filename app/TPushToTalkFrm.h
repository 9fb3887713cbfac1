#pragma once
// The "Push-to-talk Key" dialog: the key is pressed in its field (or its name
// typed there); an empty field means listening hears every utterance.

#include <QDialog>
#include <QLineEdit>

class QLabel;
class QPushButton;

namespace larkspur {

// Takes the name of a pressed key that types no text (F9, Pause, Control_R);
// text keys and the editing keys edit as usual.
class TKeyCaptureEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class TPushToTalkFrm : public QDialog {
    Q_OBJECT
public:
    explicit TPushToTalkFrm(const QString& keyName, QWidget* parent = nullptr);

    QString keyName() const;
    TKeyCaptureEdit* KeyEdit() const { return m_edit; }
    QLabel* Hint() const { return m_hint; }
    QPushButton* OkBtn() const { return m_ok; }
    QPushButton* NoKeyBtn() const { return m_noKey; }

private:
    void checkName();

    TKeyCaptureEdit* m_edit = nullptr;
    QLabel* m_hint = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_noKey = nullptr;
};

} // namespace larkspur
