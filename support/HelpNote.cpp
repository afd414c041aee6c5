#include "support/HelpNote.h"

#include "platform/MessageCaptions.h"
#include "support/FileError.h"
#include "support/LogFile.h"

namespace korvane {

QString HelpNoteText(int topic)
{
    return QStringLiteral("Справка (раздел %1) в этой версии программы не показывается: "
                          "справочного файла KORVANE2.HLP для Linux нет.")
        .arg(topic);
}

void ShowHelpNote(MessageBox& box, int topic, const HelpLogWriter& log)
{
    const QString line = QStringLiteral("Запрошена справка, раздел %1").arg(topic);
    if (log) {
        log(line);
    } else if (LogFile) {
        try {
            LogFile->Write(line);
        } catch (const FileError&) {
            // The note below still answers the operator.
        }
    }
    ShowMessage(box, HelpNoteText(topic), MessageIcon::Information);
}

} // namespace korvane
