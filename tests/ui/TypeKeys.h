#pragma once

// Typing into a widget as the keyboard does, for any character (QTest's
// own key clicks take ASCII only). '\b' types Backspace.

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QTest>
#include <QWidget>

namespace korvane::test {

inline void TypeKeys(QWidget* widget, const QString& keys)
{
    for (QChar c : keys) {
        if (c == QChar(8)) {
            QTest::keyClick(widget, Qt::Key_Backspace);
            continue;
        }
        const int key = c.unicode() < 128 ? QChar(c).toUpper().unicode() : 0;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace korvane::test
