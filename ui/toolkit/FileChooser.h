#pragma once

// The system's folder browser and file-open dialog, behind an interface so
// that a test can answer them.

#include <QString>

class QWidget;

namespace korvane {

class FileChooser {
public:
    virtual ~FileChooser() = default;

    // A folder chosen under Caption, rooted at the desktop, none preselected;
    // empty when none was chosen.
    virtual QString ChooseFolder(QWidget* parent, const QString& caption) = 0;

    // One existing file; empty when none was chosen. Filter is written as
    // pairs "Description|pattern|Description|pattern"; DefaultExt has no
    // dot (may be empty); StartDir is the folder the dialog opens in.
    virtual QString OpenFile(QWidget* parent, const QString& startDir, const QString& filter,
                             const QString& defaultExt) = 0;
};

} // namespace korvane
