#pragma once

// The subscriber record form: number, answerback and name (address) of one
// subscriber, typed under key filters; modal, created for each Edit or Add.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvane {

class TAbonentEditForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int NumberLength = 20;
    static constexpr int AnswerBackLength = 20;
    static constexpr int NameLength = 60;

    explicit TAbonentEditForm(QWidget* parent = nullptr);

    // The labels of the three fields.
    void SetAbonentLabels();

    QLabel* TitleLabel() const { return title_; }
    QLabel* AbNoLabel() const { return noLabel_; }
    QLabel* AbAnsBkLabel() const { return ansBkLabel_; }
    QLabel* AbNameLabel() const { return nameLabel_; }
    QLineEdit* AbNoEdit() const { return no_; }
    QLineEdit* AbAnsBkEdit() const { return ansBk_; }
    QLineEdit* AbNameEdit() const { return name_; }
    QPushButton* OKBtn() const { return ok_; }
    QPushButton* CancelBtn() const { return cancel_; }

private:
    QLabel* title_ = nullptr;
    QLabel* noLabel_ = nullptr;
    QLabel* ansBkLabel_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLineEdit* no_ = nullptr;
    QLineEdit* ansBk_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace korvane
