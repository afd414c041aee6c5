#pragma once

// What a directory dialog needs from outside: the message boxes, and the
// points where tests stand in for the operator at a modal window.

#include "platform/MessageBox.h"

#include <QString>

#include <functional>

class QDialog;

namespace korvane {

class TelegramDesk;

struct DirectoryDialogEnvironment {
    MessageBox* Box = nullptr; // required: questions, warnings, errors, the help note
    // Shows a record form modally and answers its result (QDialog::Accepted
    // or Rejected). Empty: QDialog::exec.
    std::function<int(QDialog& form)> ExecForm;
    // The subscriber directory's "Телеграмма": the main window's editors
    // and channels. Null: the command stays disabled.
    TelegramDesk* Desk = nullptr;
    // The import's file choice: the chosen path, empty when cancelled.
    // Empty: the dialog's OpenImportDlg.
    std::function<QString()> ChooseImportFile;
};

} // namespace korvane
