#pragma once

// The key filters of the directory dialogs' text fields: a rule sees each
// typed character and the field's current length and answers the character
// to insert (a Latin lower-case letter may come back as its capital) or
// nothing to refuse it. Backspace always passes; keys that type no
// character (arrows, Delete, Home, Enter, Escape, Tab) and the editing
// shortcuts (Ctrl+A, Ctrl+C, Ctrl+X, Ctrl+Z) are no business of the rules.
// Text that arrives otherwise (pasted with Ctrl+V, Shift+Insert, the
// field's context menu (its commands in the operator's words) or the
// middle button, dropped, or committed by an input
// method) passes the same rule character by character, as if typed; line
// ends and other control characters in it are dropped. A value the program
// puts into the field (setText) is never cut or filtered.

#include <QChar>
#include <QClipboard>
#include <QObject>

#include <functional>
#include <optional>

class QContextMenuEvent;
class QDropEvent;
class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;
class QMouseEvent;

namespace korvane {

using KeyRule = std::function<std::optional<QChar>(QChar key, qsizetype length)>;

class KeyFilter : public QObject {
public:
    // Filters what is typed or pasted into Edit; the filter belongs to Edit.
    static KeyFilter* Install(QLineEdit* edit, KeyRule rule);
    void SetRule(KeyRule rule) { rule_ = std::move(rule); }

    // Inserts Text at the cursor as if typed, replacing the selection:
    // what the rule refuses is left out.
    void InsertFiltered(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyFilter(QLineEdit* edit, KeyRule rule);

    bool KeyPress(QKeyEvent* key);
    bool ContextMenu(QContextMenuEvent* event);
    bool Drop(QDropEvent* event);
    bool MiddleButtonPaste(QMouseEvent* event);
    bool InputMethod(QInputMethodEvent* event);
    void Paste(QClipboard::Mode mode);
    QString Filtered(const QString& text, qsizetype length) const;

    QLineEdit* edit_;
    KeyRule rule_;
    bool forwarding_ = false;
};

// The rules of the fields.
namespace keyrules {

bool IsDigit(QChar c);
// A Latin lower-case letter as its capital, any other character as it is.
QChar LatinCapital(QChar c);
// '+', '-', '.' and the digits while the field holds fewer than Limit.
KeyRule NumberChars(qsizetype limit);
// Any key while the field holds fewer than Limit, Latin lower case as capitals.
KeyRule AnyCapitalized(qsizetype limit);
// Any key while the field holds fewer than Limit.
KeyRule Any(qsizetype limit);
// The digits while the field holds fewer than Limit.
KeyRule Digits(qsizetype limit);

} // namespace keyrules

} // namespace korvane
