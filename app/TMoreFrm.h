#pragma once
// The location chooser: the places where a program was found, one of which
// the user picks by double-clicking it or with OK; Cancel (or Escape) picks
// none. It exists for the life of the program and is shown and hidden; the
// choice goes into the main window's FromMoreFrm edit.

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace larkspur {

inline constexpr const char* kNotFound = "NOTFOUND";

class TMoreFrm : public QDialog {
    Q_OBJECT

public:
    // fromMoreFrm receives the chosen location or "NOTFOUND".
    explicit TMoreFrm(QLineEdit& fromMoreFrm, QWidget* parent = nullptr);
    ~TMoreFrm() override;

    void FormShow();
    void BtnOKClick();
    void ListMoreLocationsDblClick();
    void Button1Click();

    QLabel* Label1() const { return m_label; }
    QListWidget* ListMoreLocations() const { return m_list; }
    QPushButton* BtnOK() const { return m_btnOK; }
    QPushButton* Button1() const { return m_button1; }

signals:
    void hidden();

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void takeSelected();

    QLineEdit& m_fromMoreFrm;
    QLabel* m_label = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_btnOK = nullptr;
    QPushButton* m_button1 = nullptr;
};

} // namespace larkspur
