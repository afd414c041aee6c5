#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <deque>

namespace korvane::test {

// Records every box shown and answers from a queue of prepared answers
// (Ok, or Yes for a question, when the queue is empty).
class FakeMessageBox final : public MessageBox {
public:
    struct Shown {
        QString text;
        QString caption;
        MessageIcon icon;
        MessageButtons buttons;
    };

    MessageResult show(const QString& text, const QString& caption, MessageIcon icon,
                       MessageButtons buttons) override
    {
        shown.append({text, caption, icon, buttons});
        if (!answers.empty()) {
            const MessageResult r = answers.front();
            answers.pop_front();
            return r;
        }
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
                   ? MessageResult::Yes
                   : MessageResult::Ok;
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }

    QList<Shown> shown;
    std::deque<MessageResult> answers;
};

} // namespace korvane::test
