// The folder browser and file-open dialog through QFileDialog.
#pragma once

#include "ui/toolkit/FileChooser.h"

#include <QStringList>

namespace korvane {

// QFileDialog, resizable, with Qt's own dialogs (they show the Russian
// captions as given).
class QtFileChooser final : public FileChooser {
public:
    QString ChooseFolder(QWidget* parent, const QString& caption) override;
    QString OpenFile(QWidget* parent, const QString& startDir, const QString& filter,
                     const QString& defaultExt) override;
};

// The same as Qt's name filters: "Description|pattern" pairs become
// "Description (pattern)" entries, and a description that already ends in
// its own pattern (letter case aside) stays as it is.
QStringList QtNameFilters(const QString& filter);

} // namespace korvane
