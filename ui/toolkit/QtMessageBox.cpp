// Message boxes as modal Qt dialogs, with their Russian buttons.
#include "ui/toolkit/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace korvane {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton first;
    MessageResult dismissed; // the answer when the box is closed without a button
};

ButtonSet qtButtons(MessageButtons buttons)
{
    using B = QMessageBox;
    switch (buttons) {
    case MessageButtons::Ok: return {B::Ok, B::Ok, MessageResult::Ok};
    case MessageButtons::OkCancel: return {B::Ok | B::Cancel, B::Ok, MessageResult::Cancel};
    case MessageButtons::YesNo: return {B::Yes | B::No, B::Yes, MessageResult::No};
    case MessageButtons::YesNoCancel:
        return {B::Yes | B::No | B::Cancel, B::Yes, MessageResult::Cancel};
    case MessageButtons::RetryCancel:
        return {B::Retry | B::Cancel, B::Retry, MessageResult::Cancel};
    case MessageButtons::AbortRetryIgnore:
        return {B::Abort | B::Retry | B::Ignore, B::Abort, MessageResult::Abort};
    }
    return {B::Ok, B::Ok, MessageResult::Ok};
}

MessageResult result(QMessageBox::StandardButton clicked, MessageResult dismissed)
{
    switch (clicked) {
    case QMessageBox::Ok: return MessageResult::Ok;
    case QMessageBox::Cancel: return MessageResult::Cancel;
    case QMessageBox::Yes: return MessageResult::Yes;
    case QMessageBox::No: return MessageResult::No;
    case QMessageBox::Retry: return MessageResult::Retry;
    case QMessageBox::Abort: return MessageResult::Abort;
    case QMessageBox::Ignore: return MessageResult::Ignore;
    default: return dismissed;
    }
}

// The program's texts break lines with CR (or CR LF).
QString plainLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

QtMessageBox::QtMessageBox(QWidget* parent) : m_parent(parent) {}

QtMessageBox::QtMessageBox(QWidget* parent, SelfClosing selfClosing)
    : m_parent(parent)
    , m_selfClosing(std::move(selfClosing))
{
}

MessageResult QtMessageBox::show(const QString& text, const QString& caption, MessageIcon icon,
                                 MessageButtons buttons)
{
    const ButtonSet set = qtButtons(buttons);
    QWidget* parent = m_parent ? m_parent.data() : QApplication::activeWindow();
    QMessageBox box(qtIcon(icon), caption, QString(), set.buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(plainLines(text));
    box.setDefaultButton(set.first);

    const int delay = m_selfClosing.DelaySeconds ? m_selfClosing.DelaySeconds() : 0;
    bool expired = false;
    QTimer closer;
    if (delay > 0) {
        closer.setSingleShot(true);
        closer.setInterval(delay * 1000);
        QObject::connect(&closer, &QTimer::timeout, &box, [&] {
            expired = true;
            if (m_selfClosing.Expired)
                m_selfClosing.Expired();
            box.done(QMessageBox::Cancel);
        });
        closer.start();
    }
    box.exec();
    closer.stop();
    if (m_selfClosing.AfterClose)
        m_selfClosing.AfterClose();
    if (expired)
        return MessageResult::Cancel;
    return result(box.standardButton(box.clickedButton()), set.dismissed);
}

} // namespace korvane
