#pragma once

#include "engine/ChannelWindowView.h"

#include <QStringList>
#include <QThread>

#include <deque>
#include <functional>
#include <utility>

namespace korvane::test {

// A channel window's controls that record what they were told, one line per
// call, and the thread each call came on. Boxes answer from a queue (Ok, or
// Yes for a question, when it is empty); OnBox runs inside a box, as the
// nested event loop of a modal box would.
class RecordingChannelWindowView final : public ChannelWindowView {
public:
    struct Box {
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
    };

    void ShowCaption(const QString& caption) override { Record("caption " + caption); }
    void SetStatusText(ChannelStatusBar bar, int panel, const QString& text) override
    {
        Record(QStringLiteral("status%1.%2 %3")
                   .arg(bar == ChannelStatusBar::First ? 1 : 2)
                   .arg(panel)
                   .arg(text));
    }
    void InsertMemoChar(QChar c) override
    {
        memo.append(c);
        Record(QStringLiteral("char ") + c);
    }
    void AppendMemoLine(const QString& line) override { Record("line " + line); }
    void ClearMemo() override { Record("clear"); }
    void SetMemoAlarmColor(bool alarm) override { Record(alarm ? "memo red" : "memo normal"); }
    void SetMemoTextCursor(bool iBeam) override { Record(iBeam ? "cursor ibeam" : "cursor arrow"); }
    void SetLedLight(ChannelLed led, bool light) override
    {
        Record(QStringLiteral("%1 light %2").arg(LedName(led)).arg(light));
    }
    void SetLedAutoBlink(ChannelLed led, bool autoBlink) override
    {
        Record(QStringLiteral("%1 blink %2").arg(LedName(led)).arg(autoBlink));
    }
    void ShowProgress(int maximum) override { Record(QStringLiteral("progress show %1").arg(maximum)); }
    void SetProgressPosition(int position) override
    {
        Record(QStringLiteral("progress at %1").arg(position));
    }
    void HideProgress() override { Record("progress hide"); }
    MessageResult ShowChannelMessage(const QString& text, MessageIcon icon,
                                     MessageButtons buttons) override
    {
        boxes.push_back({text, icon, buttons});
        Record("box " + text);
        if (OnBox) {
            auto inside = std::exchange(OnBox, nullptr);
            inside();
        }
        if (!answers.empty()) {
            const MessageResult r = answers.front();
            answers.pop_front();
            return r;
        }
        return buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
    }
    void DialNumber() override { Record("dial"); }
    void ActionsChanged() override { ++actionsChanged; }
    bool ShuttingDown() const override { return shuttingDown; }

    // Recorded lines that start with Prefix.
    QStringList With(const QString& prefix) const
    {
        QStringList out;
        for (const QString& c : calls)
            if (c.startsWith(prefix))
                out << c;
        return out;
    }
    QStringList BoxTexts() const
    {
        QStringList out;
        for (const Box& b : boxes)
            out << b.text;
        return out;
    }
    void Forget()
    {
        calls.clear();
        threads.clear();
        boxes.clear();
    }

    QStringList calls;
    QList<QThread*> threads;
    QList<Box> boxes;
    QString memo;
    std::deque<MessageResult> answers;
    std::function<void()> OnBox;
    int actionsChanged = 0;
    bool shuttingDown = false;

private:
    static QString LedName(ChannelLed led) { return led == ChannelLed::Tx ? "tx" : "rx"; }
    void Record(const QString& line)
    {
        calls << line;
        threads << QThread::currentThread();
    }
};

} // namespace korvane::test
