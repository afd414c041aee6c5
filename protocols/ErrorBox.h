#pragma once

#include "platform/MessageBox.h"

#include <QString>

namespace korvane {

// The settings store's error boxes: an error icon and the single button OK.
inline void showErrorBox(MessageBox& box, const QString& text)
{
    box.show(text, QStringLiteral("Ошибка"), MessageIcon::Error, MessageButtons::Ok);
}

} // namespace korvane
