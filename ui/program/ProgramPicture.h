#pragma once

// The program's own picture: a roll of telegraph tape with a lightning
// flash, on a transparent ground. The About box shows it; as an icon it is
// the program's window icon, in the title bar of every window.

#include <QIcon>
#include <QPixmap>

namespace korvane {

// 60 x 62 pixels.
QPixmap ProgramPicture();
// The picture on a square ground.
QIcon ProgramIcon();

} // namespace korvane
