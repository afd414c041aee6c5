#pragma once

#include <QString>

namespace korvane {

// The kinds of message box the program shows. The engine and the stores
// never show a window themselves: they report through a MessageBox that
// ui/ implements with real dialogs and tests replace with a recording fake.
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MessageResult { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

class MessageBox {
public:
    virtual ~MessageBox() = default;

    // Shows Text under Caption and waits for the operator's answer.
    virtual MessageResult show(const QString& text, const QString& caption,
                               MessageIcon icon = MessageIcon::Error,
                               MessageButtons buttons = MessageButtons::Ok) = 0;
};

} // namespace korvane
