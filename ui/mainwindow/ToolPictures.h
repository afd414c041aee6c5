#pragma once

// The pictures of the main window's tool buttons: a coloured tile with a
// white sign for each command (the button's hint names it), drawn here so
// that no picture file is needed. The tool bars show the pictures alone,
// so that both rows fit the window.

class QToolBar;

namespace korvane {

struct TMainActions;

// Gives every action of the two tool bars its picture.
void GiveToolPictures(const TMainActions& actions);

// Pictures only, sized by the bar's font.
void ShowPicturesOnly(QToolBar& bar);

} // namespace korvane
