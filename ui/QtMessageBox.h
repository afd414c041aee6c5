#pragma once

#include "platform/MessageBox.h"

#include <QPointer>
#include <QWidget>

namespace korvane {

// Message boxes as modal Qt dialogs over a given window, or else over the
// active one. The text is shown as plain text; a CR or CR LF breaks the line.
// The first button is the default one (Enter answers with it).
class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr);

    MessageResult show(const QString& text, const QString& caption, MessageIcon icon,
                       MessageButtons buttons) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace korvane
