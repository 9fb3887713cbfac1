#include "app/QtTableFileDialogs.h"

#include "app/DialogOwner.h"

#include <QFileDialog>
#include <QStringList>

namespace larkspur {

QtTableFileDialogs::QtTableFileDialogs(QWidget* parent)
    : m_parent(parent)
{
}

QString QtTableFileDialogs::toQtFilter(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts.at(i);
        QString patterns = parts.at(i + 1);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.contains(QLatin1Char('(') + patterns + QLatin1Char(')')))
            filters << description;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<std::string> QtTableFileDialogs::askOpenFileName(const std::string& filter)
{
    return run(false, filter);
}

std::optional<std::string> QtTableFileDialogs::askSaveFileName(const std::string& filter)
{
    return run(true, filter);
}

std::optional<std::string> QtTableFileDialogs::run(bool save, const std::string& filter)
{
    QWidget* owner = dialogOwner(m_parent);
    QFileDialog dialog(owner);
    keepAboveOwner(&dialog, owner);
    dialog.setNameFilter(toQtFilter(filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

} // namespace larkspur
