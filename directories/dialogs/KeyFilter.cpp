#include "directories/dialogs/KeyFilter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace korvane {

KeyFilter::KeyFilter(QLineEdit* edit, KeyRule rule) : QObject(edit), edit_(edit), rule_(std::move(rule))
{
    edit->installEventFilter(this);
}

KeyFilter* KeyFilter::Install(QLineEdit* edit, KeyRule rule)
{
    return new KeyFilter(edit, std::move(rule));
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != edit_ || event->type() != QEvent::KeyPress || !rule_)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        break;
    }
    const QString text = key->text();
    if (text.size() != 1)
        return false; // no character typed (or an input method's composition)
    const std::optional<QChar> c = rule_(text[0], edit_->text().size());
    if (!c)
        return true;
    if (*c == text[0])
        return false;
    edit_->insert(QString(*c));
    return true;
}

namespace keyrules {

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QChar LatinCapital(QChar c)
{
    return c >= u'a' && c <= u'z' ? QChar(c.unicode() - (u'a' - u'A')) : c;
}

KeyRule NumberChars(qsizetype limit)
{
    return [limit](QChar c, qsizetype length) -> std::optional<QChar> {
        if ((IsDigit(c) || c == u'+' || c == u'-' || c == u'.') && length < limit)
            return c;
        return std::nullopt;
    };
}

KeyRule AnyCapitalized(qsizetype limit)
{
    return [limit](QChar c, qsizetype length) -> std::optional<QChar> {
        if (length < limit)
            return LatinCapital(c);
        return std::nullopt;
    };
}

KeyRule Any(qsizetype limit)
{
    return [limit](QChar c, qsizetype length) -> std::optional<QChar> {
        if (length < limit)
            return c;
        return std::nullopt;
    };
}

KeyRule Digits(qsizetype limit)
{
    return [limit](QChar c, qsizetype length) -> std::optional<QChar> {
        if (IsDigit(c) && length < limit)
            return c;
        return std::nullopt;
    };
}

} // namespace keyrules

} // namespace korvane
