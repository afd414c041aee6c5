#pragma once

#include "platform/MessageBox.h"

#include <QString>

namespace korvane {

// The caption of a standard box of the given kind, as the operator's
// windows show it.
inline QString MessageCaption(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return QStringLiteral("Ошибка");
    case MessageIcon::Warning:
        return QStringLiteral("Предупреждение");
    case MessageIcon::Question:
        return QStringLiteral("Подтверждение");
    case MessageIcon::Information:
        return QStringLiteral("Информация");
    case MessageIcon::None:
        break;
    }
    return QStringLiteral("Korvane 2");
}

// Shows Text in a box of the given kind under its standard caption.
inline MessageResult ShowMessage(MessageBox& box, const QString& text, MessageIcon icon,
                                 MessageButtons buttons = MessageButtons::Ok)
{
    return box.show(text, MessageCaption(icon), icon, buttons);
}

} // namespace korvane
