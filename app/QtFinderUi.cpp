#include "app/QtFinderUi.h"

#include "app/MessageBoxes.h"
#include "app/TInfoFrm.h"
#include "app/TMoreFrm.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>

namespace larkspur {

QtFinderUi::QtFinderUi(QWidget& mainWindow, MessageBoxes& boxes, QCheckBox& stopFlag, QLineEdit& fromMoreFrm)
    : m_mainWindow(mainWindow), m_boxes(boxes), m_stopFlag(stopFlag), m_fromMoreFrm(fromMoreFrm),
      m_infoFrm(std::make_unique<TInfoFrm>()), m_moreFrm(std::make_unique<TMoreFrm>(fromMoreFrm))
{
    m_infoFrm->OnCancel = [this] {
        m_stopFlag.setChecked(true);
        if (OnCancel)
            OnCancel();
    };
}

QtFinderUi::~QtFinderUi() = default;

void QtFinderUi::showProgress(const std::string& text)
{
    m_mainWindow.setEnabled(false);
    m_stopFlag.setChecked(false);
    m_infoFrm->showProgress(QString::fromStdString(text));
}

void QtFinderUi::hideProgress()
{
    m_infoFrm->hide();
    m_mainWindow.setEnabled(true);
    m_stopFlag.setChecked(false);
}

bool QtFinderUi::askYesNo(const std::string& question)
{
    return m_boxes.askYesNo(QString::fromStdString(question));
}

void QtFinderUi::showMessage(const std::string& text)
{
    m_boxes.information(QString::fromStdString(text));
}

std::optional<std::string> QtFinderUi::chooseLocation(const std::vector<std::string>& locations)
{
    m_fromMoreFrm.clear();
    QListWidget* list = m_moreFrm->ListMoreLocations();
    list->clear();
    for (const std::string& location : locations)
        list->addItem(QString::fromStdString(location));

    // The chooser runs inside a recognition: nothing else in the main window
    // may start (or close it) until a location is chosen.
    m_mainWindow.setEnabled(false);
    QEventLoop loop;
    QObject::connect(m_moreFrm.get(), &TMoreFrm::hidden, &loop, &QEventLoop::quit);
    m_moreFrm->show();
    m_moreFrm->raise();
    m_moreFrm->activateWindow();
    if (m_moreFrm->isVisible())
        loop.exec();
    // Leaving early (the program is ending) answers as Cancel does.
    if (m_moreFrm->isVisible())
        m_moreFrm->Button1Click();
    m_mainWindow.setEnabled(true);

    const QString chosen = m_fromMoreFrm.text();
    if (chosen.isEmpty() || chosen == QLatin1String(kNotFound))
        return std::nullopt;
    return chosen.toStdString();
}

void QtFinderUi::processEvents()
{
    QCoreApplication::processEvents();
}

} // namespace larkspur
