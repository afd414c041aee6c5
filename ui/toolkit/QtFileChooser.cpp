// The folder browser and file-open dialog through QFileDialog.
#include "ui/toolkit/QtFileChooser.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <QStringList>

namespace korvane {

QStringList QtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        const QString own = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (description.endsWith(own, Qt::CaseInsensitive))
            out << description;
        else
            out << description + QLatin1Char(' ') + own;
    }
    return out;
}

QString QtFileChooser::ChooseFolder(QWidget* parent, const QString& caption)
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    QString dir = QFileDialog::getExistingDirectory(parent, caption, desktop);
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return QDir::toNativeSeparators(dir);
}

QString QtFileChooser::OpenFile(QWidget* parent, const QString& startDir, const QString& filter,
                                const QString& defaultExt)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDirectory(startDir);
    dialog.setNameFilters(QtNameFilters(filter));
    dialog.setDefaultSuffix(defaultExt);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace korvane
