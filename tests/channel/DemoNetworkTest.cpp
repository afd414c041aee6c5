// The demonstration's network (demo/demo.scenario) on virtual time: station
// 3456 calls in with a telegram and the terminal calls station 2345 with the
// telegram waiting in its outgoing folder, in either order.
#include "tests/channel/ChannelRig.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kTelegram = QStringLiteral("|      #2345(2345 XYZ)\r\nTEST TELEGRAM\r\n");

// The demonstration's scenario, the call-in moved to CallInMs.
QString DemoScenario(int callInMs)
{
    QString t = QString::fromUtf8(ChannelRig::Read(QStringLiteral(KORVANE_DEMO_SCENARIO)));
    EXPECT_TRUE(t.contains(QStringLiteral("call-in 2000")));
    return t.replace(QStringLiteral("call-in 2000"), QStringLiteral("call-in %1").arg(callInMs));
}

// The network's own entries (no characters, no polarities), with times.
std::vector<TranscriptLine> Events(ChannelRig& c)
{
    std::vector<TranscriptLine> out;
    for (const auto& l : ReadableTranscript(c.Transcript(), {"out", "in "}))
        out.push_back(l);
    return out;
}

std::string Text(const std::vector<TranscriptLine>& events)
{
    QStringList out;
    for (const auto& l : events)
        out << QStringLiteral("%1 %2").arg(l.ms).arg(l.what);
    return out.join(QStringLiteral(" | ")).toStdString();
}

struct Order {
    const char* name;
    int callInMs;
};

class DemoNetwork : public testing::TestWithParam<Order> {};

// The incoming call (the demonstration's order: the telegram is chosen
// before the call comes, and keeps its expected answerback through the
// call's clear-down), or the outgoing call first (the call coming in while
// the line is busy is put through only after the terminal's clearing has
// been confirmed and the line has rested free).
TEST_P(DemoNetwork, BothCallsSucceedAndEveryClearingIsConfirmed)
{
    ChannelRig c;
    c.AddChannel(1, DemoScenario(GetParam().callInMs));
    c.PutTelegram(1, "TEL00001.TLG", kTelegram);
    c.Start();
    const bool done = c.RunUntil([&] { return c.TxJournal().size() == 1 && c.RxJournal().size() == 1; }, 180000, 50);
    ASSERT_TRUE(done) << Text(Events(c));
    ASSERT_TRUE(c.RunUntil([&] { return c.StepName() == ChannelRig::kIdle; }, 30000)) << Text(Events(c));

    EXPECT_TRUE(c.TxJournal()[0].contains(QStringLiteral("Успешно"))) << c.TxJournal()[0].toStdString();
    EXPECT_EQ(c.LogWith(QStringLiteral("=== Проверка автоответа ['2345 XYZ' in '<2345 XYZ', 2")).size(), 2);
    EXPECT_EQ(ChannelRig::Files(c.OutDir()), (QStringList{"TEL00001.PTC", "TEL00001.TRS"}));
    EXPECT_EQ(ChannelRig::Files(c.InDir()), QStringList{"TLG00001.REC"});
    EXPECT_TRUE(c.InFile(1, "TLG00001.REC").contains(QStringLiteral("TEST TELEGRAM FROM 3456")));
    EXPECT_TRUE(c.LogWith(QStringLiteral("Авария")).isEmpty())
        << c.LogWith(QStringLiteral("Авария")).join(u'\n').toStdString();

    // No call reaches the terminal within 2 s of a clearing.
    const auto events = Events(c);
    std::int64_t clearedMs = -1;
    for (const auto& e : events) {
        if (e.what == u"clear")
            clearedMs = e.ms;
        if (e.what.startsWith(QStringLiteral("call ")) && clearedMs >= 0) {
            EXPECT_GE(e.ms - clearedMs, 2000) << Text(events);
        }
    }
}

// The stations wait for the terminal's answerback before they go on, so
// the two directions never carry characters at once and the channel window
// shows each text whole.
TEST(DemoNetworkTiming, NoCharacterComesInWhileTheTerminalSends)
{
    ChannelRig c;
    c.AddChannel(1, DemoScenario(2000));
    c.PutTelegram(1, "TEL00001.TLG", kTelegram);
    c.Start();
    ASSERT_TRUE(c.RunUntil([&] { return c.TxJournal().size() == 1 && c.RxJournal().size() == 1; }, 180000, 50));

    // A run of the terminal's characters: codes at most 300 ms apart.
    constexpr std::int64_t kRunGapUs = 300000;
    std::int64_t runStart = -1, runEnd = -1;
    std::vector<std::int64_t> incoming;
    int overlaps = 0;
    QStringList where;
    const auto closeRun = [&] {
        for (std::int64_t t : incoming)
            if (t > runStart && t < runEnd) {
                ++overlaps;
                where << QStringLiteral("%1 ms").arg(t / 1000);
            }
    };
    const auto entries = c.Transcript().entries();
    for (const auto& e : entries)
        if (e.what.startsWith(QStringLiteral("in ")) && e.what != u"in +" && e.what != u"in -")
            incoming.push_back(e.us);
    for (const auto& e : entries) {
        if (!e.what.startsWith(QStringLiteral("out ")) || e.what == u"out +" || e.what == u"out -")
            continue;
        if (runStart >= 0 && e.us - runEnd > kRunGapUs) {
            closeRun();
            runStart = -1;
        }
        if (runStart < 0)
            runStart = e.us;
        runEnd = e.us;
    }
    if (runStart >= 0)
        closeRun();
    EXPECT_EQ(overlaps, 0) << where.join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Orders, DemoNetwork,
                         testing::Values(Order{"IncomingFirst", 2000}, Order{"OutgoingFirst", 8000}),
                         [](const testing::TestParamInfo<Order>& info) { return std::string(info.param.name); });

} // namespace
