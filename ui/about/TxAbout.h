#pragma once

// "О программе...": the product name and version, a short description,
// the program's picture and its JPEG picture, and the project's ownership
// and contact lines. The main window shows it modally; a click anywhere on
// it closes it; F1 asks for its help topic.

#include <QDialog>

class QFrame;
class QKeyEvent;
class QLabel;
class QPlainTextEdit;

namespace korvane {

class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    static constexpr int HelpContext = 10;
    static constexpr char Version[] = "2.1";

    explicit TfrmAbout(QWidget* parent = nullptr);
    ~TfrmAbout() override;

    QFrame* Panel1() const { return panel1_; }
    QFrame* Panel2() const { return panel2_; }
    QFrame* Panel3() const { return panel3_; }
    QLabel* ProgramIcon() const { return programIcon_; }
    QLabel* Label2() const { return label2_; }
    QLabel* ProductName() const { return productName_; }
    QPlainTextEdit* Memo1() const { return memo1_; }
    QLabel* Image1() const { return image1_; }
    // The ownership notice, the mail line and the web line.
    QLabel* Copyright() const { return copyright_; }
    QLabel* Mail() const { return mail_; }
    QLabel* Web() const { return web_; }

    // A click on the form or any part of it: the form closes.
    void Panel1Click();

signals:
    // F1: the help of the box's topic, as the program answers it elsewhere.
    void HelpRequested(int topic);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QFrame* panel1_ = nullptr;
    QFrame* panel2_ = nullptr;
    QFrame* panel3_ = nullptr;
    QLabel* programIcon_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* productName_ = nullptr;
    QPlainTextEdit* memo1_ = nullptr;
    QLabel* image1_ = nullptr;
    QLabel* copyright_ = nullptr;
    QLabel* mail_ = nullptr;
    QLabel* web_ = nullptr;
};

} // namespace korvane
