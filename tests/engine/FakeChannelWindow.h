#pragma once

#include "engine/ChannelWindow.h"

#include <QStringList>

#include <mutex>

namespace korvane::test {

// A channel window for driver tests: the real shared fields (command byte,
// key ring, number, progress) and a record of every operation the driver
// called, in order, one line each, e.g. "SetChannelState(8)" or
// "SetCallInfo(TEL00001.TLG, 123, MOSKVA, ABC)". Safe to call from the
// driver's timer thread.
class FakeChannelWindow final : public ChannelWindow {
public:
    // The state the window shows (as its timer would have set it).
    void ShowState(std::uint8_t state) { SetShownChannelState(state); }

    QStringList Calls() const
    {
        const std::lock_guard lock(mutex_);
        return calls_;
    }
    // The recorded calls of operation Name, with their arguments.
    QStringList Calls(const QString& name) const
    {
        QStringList out;
        for (const QString& c : Calls())
            if (c.startsWith(name + u'('))
                out << c;
        return out;
    }
    void Forget()
    {
        const std::lock_guard lock(mutex_);
        calls_.clear();
    }

    void SetDialogMode(bool dialog) override { Record("SetDialogMode", {Bool(dialog)}); }
    void SetChannelState(std::uint8_t state) override { Record("SetChannelState", {Num(state)}); }
    void SetAuxState(std::uint8_t state) override { Record("SetAuxState", {Num(state)}); }
    void PostMessageCode(std::uint8_t code) override { Record("PostMessageCode", {Num(code)}); }
    void SetElementName(const QString& name) override { Record("SetElementName", {name}); }
    void SetTxCount(int count) override { Record("SetTxCount", {Num(count)}); }
    void SetRxCount(int count) override { Record("SetRxCount", {Num(count)}); }
    void SetCallInfo(const QString& tlgFile, const QString& number, const QString& address,
                     const QString& answerBackInfo) override
    {
        Record("SetCallInfo", {tlgFile, number, address, answerBackInfo});
    }
    void SetTelegramFile(const QString& name) override { Record("SetTelegramFile", {name}); }
    void SetAnswerBackAndProtocol(const QString& answerBack, const QString& protocol) override
    {
        Record("SetAnswerBackAndProtocol", {answerBack, protocol});
    }
    void SetConnectionTime(const QTime& time) override
    {
        Record("SetConnectionTime", {time.toString(QStringLiteral("HH:mm:ss"))});
    }
    void SetProgressActive(bool active) override { Record("SetProgressActive", {Bool(active)}); }
    void SetAlarmColor(bool alarm) override { Record("SetAlarmColor", {Bool(alarm)}); }
    void ShowAdapterInfo(const AdapterStatus& s) override
    {
        Record("ShowAdapterInfo", {Num(s.VersionMajor), Num(s.VersionMinor), Num(s.MemorySize),
                                   Bool(s.ProgramPresent)});
    }
    void ShowAdapterChannelState(const AdapterStatus& s) override
    {
        Record("ShowAdapterChannelState", {Num(s.LineState), Num(s.FreeMemory), Num(s.StoredCount)});
    }
    void ShowStoredTelegram(const StoredTelegramHeader& h) override
    {
        Record("ShowStoredTelegram", {Num(h.Number), Num(h.TextLength())});
    }
    void AddText(const QString& line) override { Record("AddText", {line}); }
    void ClearText() override { Record("ClearText", {}); }
    void SendMemoChar(QChar c) override { Record("SendMemoChar", {QString(c)}); }
    void SetAdapterTimeout() override { Record("SetAdapterTimeout", {}); }
    void SetAdapterLoadError() override { Record("SetAdapterLoadError", {}); }
    void SetAdapterProgramError(const QString& text) override { Record("SetAdapterProgramError", {text}); }
    void SetLedLight(ChannelLed led, bool light) override
    {
        Record("SetLedLight", {Led(led), Bool(light)});
    }
    void SetLedAutoBlink(ChannelLed led, bool autoBlink) override
    {
        Record("SetLedAutoBlink", {Led(led), Bool(autoBlink)});
    }

private:
    static QString Bool(bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); }
    template <typename N>
    static QString Num(N n) { return QString::number(n); }
    static QString Led(ChannelLed led) { return led == ChannelLed::Tx ? QStringLiteral("Tx") : QStringLiteral("Rx"); }

    void Record(const char* name, const QStringList& args)
    {
        const std::lock_guard lock(mutex_);
        calls_ << QString::fromLatin1(name) + u'(' + args.join(QStringLiteral(", ")) + u')';
    }

    mutable std::mutex mutex_;
    QStringList calls_;
};

} // namespace korvane::test
