#pragma once

// What the directory dialogs' tests stand in for: the main window's
// telegram editors and channels, the operator at a record form, and the
// daily log that help requests go to.

#include "directories/dialogs/TelegramDesk.h"
#include "platform/CodePages.h"
#include "support/LogFile.h"
#include "tests/fakes/TestFiles.h"

#include <QApplication>
#include <QDate>
#include <QKeyEvent>
#include <QDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace korvane::test {

class FakeEditor final : public TelegramAddressee {
public:
    explicit FakeEditor(QString file, int channel) : File(std::move(file)), Channel(channel) {}
    void InsertNumberLine(const QString& number) override { Lines.prepend(QStringLiteral("|      #") + number); }
    void ShowInFront() override { ++Shown; }

    QString File;
    int Channel;
    QStringList Lines;
    int Shown = 0;
};

// The main window's side of "Телеграмма": channels with and without a
// driver, the open editors in the order of the main window's children.
class FakeDesk final : public TelegramDesk {
public:
    int CurrentChannel() const override { return Channel; }
    bool ChannelHasDriver(int channel) const override { return Drivers.count(channel) > 0; }
    TelegramAddressee* FirstEditor() override { return Editors.empty() ? nullptr : Editors.front().get(); }
    TelegramAddressee* NewTelegram(int channel) override
    {
        if (!ChannelHasDriver(channel))
            return nullptr;
        const QString file = QStringLiteral("OUT%1/TEL%2.TLG").arg(channel).arg(NextTelNo++, 5, 10, QLatin1Char('0'));
        Editors.push_back(std::make_unique<FakeEditor>(file, channel));
        return Editors.back().get();
    }
    FakeEditor& Editor(size_t i) { return *Editors.at(i); }

    int Channel = 1;
    std::set<int> Drivers{1};
    int NextTelNo = 7;
    std::vector<std::unique_ptr<FakeEditor>> Editors;
};

// The operator at a record form: types into its fields (through their key
// filters) and answers OK or Cancel.
struct FormOperator {
    std::function<void(QDialog&)> Fill;
    int Answer = QDialog::Accepted;
    int Shown = 0;
    QString Caption;

    std::function<int(QDialog&)> Exec()
    {
        return [this](QDialog& form) {
            ++Shown;
            Caption = form.windowTitle();
            if (Fill)
                Fill(form);
            return Answer;
        };
    }
};

// Types Text into Widget key by key, each key with its character (Cyrillic
// ones too, which QTest::keyClicks does not type).
inline void TypeKeys(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        const auto key = static_cast<Qt::Key>(c.toUpper().unicode());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// Types Text into Edit, after emptying it.
inline void Retype(QLineEdit* edit, const QString& text)
{
    edit->clear();
    TypeKeys(edit, text);
}

// A daily log in a folder of its own, the program's log while it lives.
class ScopedLog {
public:
    ScopedLog() : log_(dir_.path()) { LogFile = &log_; }
    ~ScopedLog() { LogFile = nullptr; }
    QString Text() const
    {
        return codepage::fromCp1251(ReadFileBytes(log_.FileNameFor(QDate::currentDate())));
    }

private:
    QTemporaryDir dir_;
    TLogFile log_;
};

} // namespace korvane::test
