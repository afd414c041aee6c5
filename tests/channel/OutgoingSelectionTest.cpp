// The destination the outgoing scan hands to the line side, on a whole
// channel against the simulated network: one selection at a time, and it
// stays what its call sends and marks until that call has ended, however
// the scan of a long outgoing folder and the writing of done marks meet.

#include "tests/channel/ChannelRig.h"
#include "tests/channel/OutgoingCalls.h"

#include "engine/OutgoingListing.h"
#include "engine/OutgoingTelegrams.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kStations = QStringLiteral("station 2345 <_2345 XYZ\n"
                                         "do answerback\n"
                                         "station 2346 <_2346 ABC\n"
                                         "do answerback\n"
                                         "station 2347 <_2347 DEF\n"
                                         "do answerback\n");
const QString kTelegramA = QStringLiteral("|#8-2345(2345 XYZ)\r\n|#8-2346(2346 ABC)\r\nTELEGRAM A\r\n");
const QString kOther = QStringLiteral("|#8-2347(2347 DEF)\r\nOTHER TELEGRAM\r\n");

TEST(OutgoingSelection, ADoneMarkWrittenDuringALongScanHandsOverOneDestinationThatStaysWithItsCall)
{
    ChannelRig c;
    c.AddChannel(1, kStations);
    c.rig.modes.Set([](TDriverModes& m) { m.ScanPeriod = 1; });
    // Many telegrams to 8-2347, and the folder's first one to 8-2345 and 8-2346.
    constexpr int kOthers = 200;
    for (int i = 1; i <= kOthers; ++i)
        c.PutTelegram(1, QStringLiteral("TEL%1.TLG").arg(i, 5, 10, QLatin1Char('0')), kOther);
    const QString a = ListOutgoingTelegrams(c.OutDir()).front();
    const QString pathA = c.OutDir() + u'/' + a;
    c.PutTelegram(1, a, kTelegramA);
    // The journal line of a call's success, and with it its done mark, waits while refused.
    bool journalRefused = true;
    c.rig.configure = [&](ScannerEnvironment& env) {
        env.DiskStep = [&](const char*, const QString& path) { return !(journalRefused && path.endsWith("tx1.jrn")); };
    };
    c.Start();
    TTxChannelDriver& d = c.Driver();
    OutgoingTelegrams& out = d.Outgoing();
    out.SliceNs = 0; // one listed file a file tick
    out.SliceMinFiles = 1;
    for (const char* number : {"8-2345", "8-2346", "8-2347"})
        SetWait(QString::fromLatin1(number), 600);
    auto scanDelay = [&] {
        EngineLock lock(d.Mutex());
        return d.ScanDelay;
    };

    // A first listing reads every telegram; none can be called.
    ASSERT_TRUE(c.RunUntil([&] { return scanDelay() > 0; }, 60000));
    SetWait("8-2345", 0);
    ASSERT_TRUE(c.RunCall()); // telegram A to 8-2345
    EXPECT_TRUE(TextSentTo(c, "2345").contains("TELEGRAM A"));
    // Its journal line waits, and the channel shows the file error; the
    // operator restarts the channel while the disk still refuses.
    auto alarm = [&] {
        EngineLock lock(d.Mutex());
        return d.Alarm;
    };
    ASSERT_EQ(alarm(), 1);
    d.RestartProtocol();

    // The next scan continues A (8-2346 still waits) and goes on through
    // the listing, passing over the telegrams it knows to wait, with A
    // current. Then A's done mark is written and 8-2346's wait runs out.
    ASSERT_TRUE(c.RunUntil(
        [&] {
            return out.TlgPath == pathA && d.Events.has(DriverEvent::ScanOutgoing) && out.TlgSearchNext > 2
                   && out.TlgSearchNext + 150 < out.TlgSearch.size();
        },
        60000))
        << "A current amid a long scan";
    journalRefused = false;
    SetWait("8-2346", 0);
    d.RestartProtocol(); // out of the alarm of the last refusal
    ASSERT_TRUE(c.RunUntil(
        [&] {
            if (c.StepName() == ChannelRig::kIdle)
                return false;
            EngineLock lock(d.Mutex());
            return d.ConnectionKind == 2;
        },
        60000))
        << "the call to 8-2346";
    EXPECT_EQ(ChannelRig::Lines(pathA).value(0), "|*8-2345(2345 XYZ)");
    // Every other telegram could be called now; the call under way keeps its own.
    SetWait("8-2347", 0);
    ASSERT_TRUE(c.RunUntil([&] { return c.StepName() == ChannelRig::kIdle; }, 300000));

    const QString sent = TextSentTo(c, "2346");
    EXPECT_TRUE(sent.contains("TELEGRAM A")) << sent.toStdString();
    EXPECT_FALSE(sent.contains("OTHER")) << sent.toStdString();
    EXPECT_TRUE(TextSentTo(c, "2347").isEmpty());
    const QStringList journal = c.TxJournal();
    ASSERT_EQ(journal.size(), 2);
    EXPECT_TRUE(journal[1].contains(QStringLiteral("#8-2346"))) << journal[1].toStdString();
    EXPECT_TRUE(journal[1].contains(a)) << journal[1].toStdString();
    // A is done on both lines; no other telegram is marked.
    const QString trsA = ChangeFileExt(a, QStringLiteral(".TRS"));
    ASSERT_TRUE(c.RunUntil([&] { return ChannelRig::Files(c.OutDir()).contains(trsA); }, 5000));
    EXPECT_EQ(c.OutFile(1, trsA), "|*8-2345(2345 XYZ)\r\n|*8-2346(2346 ABC)\r\nTELEGRAM A\r\n");
    for (const QString& name : ChannelRig::Files(c.OutDir())) {
        if (name != trsA && name.endsWith(".TLG")) {
            EXPECT_EQ(c.OutFile(1, name), kOther) << name.toStdString();
        }
    }
}

} // namespace
