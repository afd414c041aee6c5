#pragma once

// The program's help: the windows carry help topic numbers into the help
// file of a platform help viewer that this system does not have. A help
// request (a Help button, F1) is written to the daily log and answered by
// a short note in a box.

#include "platform/MessageBox.h"

#include <QString>

#include <functional>

namespace korvane {

// Where the line "Запрошена справка, раздел %d" goes; empty: the daily log.
using HelpLogWriter = std::function<void(const QString&)>;

// The note's text for Topic.
QString HelpNoteText(int topic);

// Logs the request of Topic ("Запрошена справка, раздел %d") when the log
// exists, then shows the note in Box. A log that cannot be written does
// not keep the note from showing.
void ShowHelpNote(MessageBox& box, int topic, const HelpLogWriter& log = {});

} // namespace korvane
