// Message boxes as modal Qt dialogs.
#pragma once

#include "platform/MessageBox.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace korvane {

// Message boxes as modal Qt dialogs over a given window, or else over the
// active one. The text is shown as plain text; a CR or CR LF breaks the line.
// The first button is the default one (Enter answers with it).
class QtMessageBox final : public MessageBox {
public:
    // A box that closes itself: after DelaySeconds() seconds (when that is
    // above 0) Expired runs and the box closes answering Cancel; AfterClose
    // runs after every box, however it was closed.
    struct SelfClosing {
        std::function<int()> DelaySeconds;
        std::function<void()> Expired;
        std::function<void()> AfterClose;
    };

    explicit QtMessageBox(QWidget* parent = nullptr);
    QtMessageBox(QWidget* parent, SelfClosing selfClosing);

    MessageResult show(const QString& text, const QString& caption, MessageIcon icon,
                       MessageButtons buttons) override;

private:
    QPointer<QWidget> m_parent;
    SelfClosing m_selfClosing;
};

} // namespace korvane
