#pragma once

// The key filters of the directory dialogs' text fields: a rule sees each
// typed character and the field's current length and answers the character
// to insert (a Latin lower-case letter may come back as its capital) or
// nothing to refuse the key. Backspace always passes; keys that type no
// character (arrows, Delete, Home, Enter, Escape, Tab) are no business of
// the rules.

#include <QChar>
#include <QObject>

#include <functional>
#include <optional>

class QLineEdit;

namespace korvane {

using KeyRule = std::function<std::optional<QChar>(QChar key, qsizetype length)>;

class KeyFilter : public QObject {
public:
    // Filters the keys typed into Edit; the filter belongs to Edit.
    static KeyFilter* Install(QLineEdit* edit, KeyRule rule);
    void SetRule(KeyRule rule) { rule_ = std::move(rule); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyFilter(QLineEdit* edit, KeyRule rule);

    QLineEdit* edit_;
    KeyRule rule_;
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
