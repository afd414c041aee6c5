#include "directories/dialogs/KeyFilter.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

namespace korvane {

namespace {

// Characters no key types into a one-line field: line ends, tabs, the
// codes Ctrl+letter and Delete produce.
bool IsControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

} // namespace

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
    if (watched != edit_ || !rule_ || forwarding_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        return KeyPress(static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu:
        return ContextMenu(static_cast<QContextMenuEvent*>(event));
    case QEvent::Drop:
        return Drop(static_cast<QDropEvent*>(event));
    case QEvent::MouseButtonRelease:
        return MiddleButtonPaste(static_cast<QMouseEvent*>(event));
    case QEvent::InputMethod:
        return InputMethod(static_cast<QInputMethodEvent*>(event));
    default:
        return false;
    }
}

bool KeyFilter::KeyPress(QKeyEvent* key)
{
    if (key->matches(QKeySequence::Paste)) {
        Paste(QClipboard::Clipboard);
        return true;
    }
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
    // Shortcuts (Ctrl+A, Ctrl+C, Ctrl+X, Ctrl+Z) type nothing.
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return false;
    const QString text = key->text();
    if (text.size() != 1 || IsControl(text[0]))
        return false; // no character typed (Delete, arrows), or an input method's composition
    const std::optional<QChar> c = rule_(text[0], edit_->text().size());
    if (!c)
        return true;
    if (*c == text[0])
        return false;
    edit_->insert(QString(*c));
    return true;
}

QString KeyFilter::Filtered(const QString& text, qsizetype length) const
{
    QString accepted;
    for (const QChar c : text) {
        if (IsControl(c))
            continue;
        if (const std::optional<QChar> out = rule_(c, length + accepted.size()))
            accepted += *out;
    }
    return accepted;
}

void KeyFilter::InsertFiltered(const QString& text)
{
    if (edit_->isReadOnly() || !rule_)
        return;
    // The selection gives way to what is inserted.
    const QString accepted = Filtered(text, edit_->text().size() - edit_->selectedText().size());
    if (!accepted.isEmpty())
        edit_->insert(accepted);
}

void KeyFilter::Paste(QClipboard::Mode mode)
{
    InsertFiltered(QApplication::clipboard()->text(mode));
}

bool KeyFilter::ContextMenu(QContextMenuEvent* event)
{
    // The field's menu in the operator's words; its "Вклеить" goes through
    // the rule.
    auto* menu = new QMenu(edit_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool writable = !edit_->isReadOnly();
    const bool selected = edit_->hasSelectedText();
    const auto add = [&](const QString& text, bool enabled, auto slot) {
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    add(QStringLiteral("Отменить"), writable && edit_->isUndoAvailable(), [this] { edit_->undo(); });
    add(QStringLiteral("Повторить"), writable && edit_->isRedoAvailable(), [this] { edit_->redo(); });
    menu->addSeparator();
    add(QStringLiteral("Вырезать"), writable && selected, [this] { edit_->cut(); });
    add(QStringLiteral("Скопировать"), selected, [this] { edit_->copy(); });
    add(QStringLiteral("Вклеить"), writable && !QApplication::clipboard()->text().isEmpty(),
        [this] { Paste(QClipboard::Clipboard); });
    add(QStringLiteral("Удалить"), writable && selected, [this] { edit_->del(); });
    menu->addSeparator();
    add(QStringLiteral("Выделить все"), !edit_->text().isEmpty() && edit_->selectedText() != edit_->text(),
        [this] { edit_->selectAll(); });
    menu->popup(event->globalPos());
    event->accept();
    return true;
}

bool KeyFilter::Drop(QDropEvent* event)
{
    // Text moved within the field adds nothing to it.
    if (event->source() == edit_ || edit_->isReadOnly() || !event->mimeData()->hasText())
        return false;
    edit_->deselect();
    edit_->setCursorPosition(edit_->cursorPositionAt(event->position().toPoint()));
    InsertFiltered(event->mimeData()->text());
    event->acceptProposedAction();
    return true;
}

bool KeyFilter::MiddleButtonPaste(QMouseEvent* event)
{
    if (event->button() != Qt::MiddleButton || !QApplication::clipboard()->supportsSelection() ||
        edit_->isReadOnly())
        return false;
    edit_->deselect();
    Paste(QClipboard::Selection);
    return true;
}

bool KeyFilter::InputMethod(QInputMethodEvent* event)
{
    if (event->commitString().isEmpty())
        return false;
    // The committed text as if typed; the composition goes on as it is.
    const QString accepted =
        Filtered(event->commitString(), edit_->text().size() - edit_->selectedText().size());
    if (accepted == event->commitString())
        return false;
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(accepted, event->replacementStart(), event->replacementLength());
    forwarding_ = true;
    QApplication::sendEvent(edit_, &filtered);
    forwarding_ = false;
    event->accept();
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
