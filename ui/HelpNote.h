#pragma once

// Help on this system: there is no help viewer for the program's help file,
// so a help request (a Help button, F1) is written to the log and answered
// with a short note in a box.

#include <QString>

#include <functional>

namespace korvane {

class MessageBox;

// "Справка (раздел %d) недоступна: ...": the note of a help request.
QString HelpNoteText(int topic);

// Where the line "Запрошена справка, раздел %d" goes; empty: the daily log.
using HelpLogWriter = std::function<void(const QString&)>;

// Logs the request for Topic and shows its note in Box.
void ShowHelpNote(MessageBox& box, int topic, const HelpLogWriter& log = {});

} // namespace korvane
