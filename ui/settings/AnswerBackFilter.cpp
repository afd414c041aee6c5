// The key filter of the texts a channel sends as its own: upper case, telegraph characters only.
#include "ui/settings/AnswerBackFilter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QObject>

#include <memory>

namespace korvane {

bool AnswerBackCharAllowed(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return true;
    if (u >= u'A' && u <= u'Z')
        return true;
    if (u >= u'А' && u <= u'Я') // the Cyrillic capitals; Ё lies outside this range
        return true;
    return QStringView(u" $'()*+,-./:<=?^_").contains(c);
}

QChar FilterAnswerBackChar(QChar typed)
{
    const QString upper = QLocale::system().toUpper(QString(typed));
    if (upper.size() != 1 || !AnswerBackCharAllowed(upper[0]))
        return {};
    return upper[0];
}

QString FilterAnswerBackText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const QChar kept = FilterAnswerBackChar(c);
        if (!kept.isNull())
            out += kept;
    }
    return out;
}

namespace {

class AnswerBackKeyFilter final : public QObject {
public:
    explicit AnswerBackKeyFilter(QLineEdit& edit) : QObject(&edit), edit_(edit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &edit_)
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
            return KeyPress(*static_cast<QKeyEvent*>(event));
        case QEvent::ContextMenu:
            ContextMenu(*static_cast<QContextMenuEvent*>(event));
            return true;
        case QEvent::DragEnter:
        case QEvent::Drop:
            // A dropped text would pass unfiltered.
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    bool KeyPress(const QKeyEvent& key)
    {
        if (key.matches(QKeySequence::Paste)) {
            PasteFiltered();
            return true;
        }
        if (key.key() == Qt::Key_Backspace)
            return false;
        const QString text = key.text();
        // Keys without a printable character (moving, deleting, the
        // copy and select-all keys) keep their editing meaning.
        if (text.isEmpty() || !text[0].isPrint())
            return false;
        const QString kept = FilterAnswerBackText(text);
        if (!kept.isEmpty() && !edit_.isReadOnly())
            edit_.insert(kept); // insert keeps to the edit's length limit
        return true;
    }

    void ContextMenu(const QContextMenuEvent& event)
    {
        std::unique_ptr<QMenu> menu(edit_.createStandardContextMenu());
        if (auto* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
            paste->disconnect();
            connect(paste, &QAction::triggered, this, &AnswerBackKeyFilter::PasteFiltered);
        }
        menu->exec(event.globalPos());
    }

    void PasteFiltered()
    {
        if (edit_.isReadOnly())
            return;
        const QString kept = FilterAnswerBackText(QApplication::clipboard()->text());
        if (!kept.isEmpty())
            edit_.insert(kept);
    }

    QLineEdit& edit_;
};

} // namespace

void InstallAnswerBackFilter(QLineEdit& edit)
{
    edit.installEventFilter(new AnswerBackKeyFilter(edit));
}

} // namespace korvane
