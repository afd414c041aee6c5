// The number pad of a channel window in dialog mode, "Набор номера".
#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;

namespace korvane {

class ChannelWindow;
class IniFile;

// "Набор номера": the number pad of a channel window in Dialog mode. The
// number is typed, or put together with the on-screen keys, in an editable
// list that offers the numbers dialled before on any channel (section
// "NUMBERS" of KORVANE2.INI, keys "Number-1", "Number-2", ...). OK hands the
// number to the channel's driver as Number with command 2 (Dial).
class TPasswordDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int MaxLength = 30;
    static constexpr char Section[] = "NUMBERS";

    explicit TPasswordDlg(QWidget* parent = nullptr);
    ~TPasswordDlg() override;

    // Runs the pad for Window: the history of Ini, the modal pad, and on OK
    // the history and the dial request (the channel window's DialNumber).
    static void DialNumber(ChannelWindow& window, IniFile& ini, QWidget* parent = nullptr);

    // The history of Ini into the drop-down list, in file order.
    void LoadHistory(const IniFile& ini);
    // After OK: a new, not empty number joins the end of the history, which
    // is written back whole; Window gets the number (its first 24
    // characters) and command 2, also for an empty number.
    void TakeNumber(IniFile& ini, ChannelWindow& window);

    // The typing filter: "+", "-", ".", the digits, "?", "Ц" and Backspace.
    static bool ComboBox1KeyPress(QChar key);

    QString Number() const;
    QStringList History() const;

    QComboBox* ComboBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* ButtonClear = nullptr;
    QPushButton* ButtonBackSp = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    // The character keys "1".."9", "0", ".", "-", "+", "Ц", in that order.
    QList<QPushButton*> CharacterKeys;

private:
    void Button1Click(QPushButton* key);
    void ButtonClearClick();
    void ButtonBackSpClick();
    void SendChar(QChar c, int key);
};

} // namespace korvane
