// The journal view: one channel's transmit or receive journal.
#pragma once

#include "support/JournalTail.h"

#include <QString>
#include <QWidget>

#include <cstdint>

class QPlainTextEdit;

namespace korvane {

class StatusPanels;

// One channel's transmit or receive journal as read-only text, with the
// file's path, size and date in the status bar: an MDI child (put it into a
// QMdiSubWindow). The main window keeps at most one per channel and kind and
// passes it the engine's journal-changed notices (RefreshJournal).
class TViewJrnForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int HelpContext = 100;
    // Kind: the journal shown.
    static constexpr std::uint8_t TransmitKind = 0;
    static constexpr std::uint8_t ReceiveKind = 1;

    explicit TViewJrnForm(QWidget* parent = nullptr);
    ~TViewJrnForm() override;

    // Set by the main window after creating the form, before showing a journal.
    void SetChannel(int channel) { Channel_ = static_cast<std::uint8_t>(channel); }
    int Channel() const { return Channel_; }
    int Kind() const { return Kind_; }
    QString JournalPath() const { return JournalPath_; }

    // "Журнал приема, %d канал" / "Журнал передачи, %d канал", and the file.
    void ShowReceiveJournal(const QString& path);
    void ShowTransmitJournal(const QString& path);
    // A journal has changed: reloaded only when Channel and Kind are this form's.
    void RefreshJournal(int channel, int kind);
    // Shows the file (OEM text) when it exists; otherwise the text stays.
    // The journal shown before gets only its new lines added.
    void LoadJournal(const QString& path);

    QPlainTextEdit* RichEdit1() const { return text_; }
    StatusPanels* StatusBar1() const { return status_; }

private:
    QPlainTextEdit* text_ = nullptr;
    StatusPanels* status_ = nullptr;
    std::uint8_t Channel_ = 0;
    std::uint8_t Kind_ = TransmitKind;
    QString JournalPath_;
    JournalTail tail_;
    // The last line shown has no line end yet: the next read gives it whole.
    bool fragmentShown_ = false;
    // Lines shown, the unfinished one included.
    qsizetype linesShown_ = 0;
};

} // namespace korvane
