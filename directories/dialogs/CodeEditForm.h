#pragma once

// The country record form: letter code, dial code and name of one country,
// typed under key filters; modal, created for each Edit or Add, centred
// over the country dialog.

#include "directories/dialogs/KeyFilter.h"
#include "platform/MessageBox.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

class TCodeEditForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 120;
    static constexpr int LettLength = 3;
    static constexpr int CodeLength = 5;
    static constexpr int NameLength = 40;

    // Box shows the help note.
    TCodeEditForm(MessageBox& box, QWidget* parent = nullptr);

    void SetCountryLabels();
    void HelpBitBtnClick();

    QLabel* TitleLabel() const { return title_; }
    QLabel* CodeLabel() const { return codeLabel_; }
    QLabel* NameLabel() const { return nameLabel_; }
    QLabel* LettLabel() const { return lettLabel_; }
    QLineEdit* CodeEdit() const { return code_; }
    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* LettEdit() const { return lett_; }
    QPushButton* OKBtn() const { return ok_; }
    QPushButton* CancelBtn() const { return cancel_; }
    QPushButton* HelpBitBtn() const { return help_; }

private:
    MessageBox& box_;
    QLabel* title_ = nullptr;
    QLabel* codeLabel_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLabel* lettLabel_ = nullptr;
    QLineEdit* code_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* lett_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* help_ = nullptr;
};

// The rules of its fields.
namespace keyrules {

// Latin lower case as capitals; then, while fewer than 3 characters, the
// digits and the characters from 'A' to 'z'.
KeyRule CountryLetters();
// The digits, up to the field's 5 characters.
KeyRule CountryCode();
// While fewer than 40 characters: a blank, '-', the digits, 'A' to 'z' and
// the Cyrillic letters 'А' to 'я'.
KeyRule CountryName();

} // namespace keyrules

} // namespace korvane
