#pragma once

// The screen's picture of a top-level window, frame included, saved as a
// PNG file; the documentation tools say on the standard error whether it
// was written.

#include <QPixmap>
#include <QRect>
#include <QScreen>
#include <QString>
#include <QTextStream>
#include <QWidget>

namespace korvane {

inline bool SaveWindowPicture(QWidget& window, const QString& path)
{
    const QRect frame = window.frameGeometry();
    const QPixmap shot = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    const bool saved = shot.save(path, "PNG");
    QTextStream(stderr) << path << (saved ? " written\n" : " NOT written\n");
    return saved;
}

} // namespace korvane
