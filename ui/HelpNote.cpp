#include "ui/HelpNote.h"

#include "support/LogFile.h"
#include "ui/MessageCaptions.h"

namespace korvane {

QString HelpNoteText(int topic)
{
    return QStringLiteral("Справка (раздел %1) недоступна: в этой системе нет программы просмотра "
                          "файла справки KORVANE2.HLP. Описание работы - в README программы.")
        .arg(topic);
}

void ShowHelpNote(MessageBox& box, int topic, const HelpLogWriter& log)
{
    const QString line = QStringLiteral("Запрошена справка, раздел %1").arg(topic);
    if (log)
        log(line);
    else if (LogFile)
        LogFile->Write(line);
    ShowMessage(box, HelpNoteText(topic), MessageIcon::Information);
}

} // namespace korvane
