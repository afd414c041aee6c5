#pragma once

// The settings commands of the main window: each dialog edits its own copy
// of the settings; after OK the settings files are written first, and only
// then are all channels restarted from them, so a running channel never
// sees a half-edited setting. Cancel changes nothing.

#include <QObject>

#include <functional>
#include <memory>

class QDialog;

namespace korvane {

class TDriverModeDlg;
class TMainForm;

class SettingsCommands : public QObject {
    Q_OBJECT

public:
    explicit SettingsCommands(TMainForm& form);

    // "&Драйвер..." of "&Режимы": the driver modes dialog; after OK the
    // scanner goes, the dialog's modes become current, and the channels
    // restart.
    void DriverMenuClick();

    // How the modal dialogs are run: exec() by default; a test answers them.
    void SetDialogRunner(std::function<int(QDialog&)> run) { run_ = std::move(run); }

private:
    TMainForm& form_;
    std::function<int(QDialog&)> run_;
};

} // namespace korvane
