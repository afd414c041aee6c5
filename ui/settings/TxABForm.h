#pragma once

// "Автоответы": the own answerbacks of the eight channels in one form.
// The main window fills it with the answerbacks of the channel records,
// shows it modally and, on OK, takes the eight texts back into the records.
// Typing passes the answerback key filter; the texts set and got are copied
// as they are (a record cuts a longer text to its 20 characters).

#include "support/HelpNote.h"

#include <QDialog>
#include <QString>

#include <array>

class QLineEdit;
class QPushButton;

namespace korvane {

class MessageBox;

class TABForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int ChannelCount = 8;
    static constexpr int MaxTyped = 20; // the AnswerBack field of a channel record
    static constexpr int HelpContext = 0;
    using AnswerBacks = std::array<QString, ChannelCount>;

    // Box answers the help requests (Help, F1); Log takes their log line
    // (empty: the daily log).
    explicit TABForm(MessageBox& box, QWidget* parent = nullptr, HelpLogWriter log = {});
    ~TABForm() override;

    // Edit n := answerback n (channel 1 first).
    void SetAnswerBacks(const AnswerBacks& answerBacks);
    // Answerback n := the text of edit n.
    void GetAnswerBacks(AnswerBacks& answerBacks) const;

    // Edit 1..8.
    QLineEdit* AnswerBack(int channel) const { return edits_.at(channel - 1); }
    QPushButton* OKBtn() const { return ok_; }
    QPushButton* CancelBtn() const { return cancel_; }
    QPushButton* HelpBtn() const { return help_; }

    void HelpBtnClick();

protected:
    // F1 anywhere in the form: the help request.
    void keyPressEvent(QKeyEvent* event) override;

private:
    MessageBox& box_;
    HelpLogWriter log_;
    std::array<QLineEdit*, ChannelCount> edits_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
};

} // namespace korvane
