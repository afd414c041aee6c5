// "Стандарт B" and "Физическая линия": one outgoing and one incoming call
// each, against scenarios that fit them.
#include "tests/channel/ChannelRig.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QStringList kNoPolarity = {"out +", "out -", "in +", "in -"};

// The transcript without the dial pulses, times relative to its start.
QStringList Calls(ChannelRig& c)
{
    const auto lines = ReadableTranscript(c.Transcript(), kNoPolarity + QStringList{"pulse"});
    return TimedLines(lines, lines.front().ms);
}

TEST(StandardB, AnOutgoingCallDialsEveryDigitByPulsesAndEndsWithTheEndOfMessage)
{
    ChannelRig c;
    c.AddChannel(1, QStringLiteral("selection pulse 9\nstation 2345 <_2345 XYZ\ndo answerback\n"), ChannelRig::StandardB);
    c.PutTelegram(1, "TEL00001.TLG", QStringLiteral("|#2345(2345 XYZ)\r\nTEST B\r\n"));
    c.Start();
    ASSERT_TRUE(c.RunCall());
    EXPECT_EQ(Calls(c), (QStringList{"0 seize", "150 invite 40", "720 digit 2", "1530 digit 3", "2440 digit 4",
                                     "3450 digit 5", "6450 select 2345", "6650 connect 2345",
                                     "6810 in \"<_^2345 $XYZ\"",
                                     "10601 out \"^<_12345$ KORV<_*ZCZC P^02 2345<_<_<_<_+ *NE PRERYWATX ^- *RABOTAET "
                                     "SISTEMA $KORVANE ^+<_*GORODOK ^65432/0 2 15/01 1200=<_<_<_$TEST B<_<_*NNNN  ^1200<_^@\"",
                                     "34101 in \"<_^2345 $XYZ\"", "38301 out \"^<_12345$ KORV\"", "40750 clear",
                                     "40750 confirm"}));
    EXPECT_EQ(c.Transcript().texts({"pulse"}).size(), 2 + 3 + 4 + 5);
    EXPECT_EQ(ChannelRig::Files(c.OutDir()), (QStringList{"TEL00001.PTC", "TEL00001.TRS"}));
    ASSERT_EQ(c.TxJournal().size(), 1);
    EXPECT_TRUE(c.TxJournal()[0].contains(QStringLiteral("Успешно")));
}

// A point-to-point line has no exchange to dial: the nearest the simulated
// network has is an exchange that answers the seize with a steady '+' and
// then waits for keyboard selection, which the protocol never sends, so
// the text goes out to a line with nobody on it.
TEST(PhysicalLine, AnOutgoingCallSendsOnTheSeizedLineWithoutDialling)
{
    ChannelRig c;
    c.AddChannel(1, QStringLiteral("selection keyboard\nstation 2345 <_2345 XYZ\ndo answerback\n"),
                 ChannelRig::PhysicalLine);
    c.PutTelegram(1, "TEL00001.TLG", QStringLiteral("|#2345(2345 XYZ)\r\nTEST P\r\n"));
    c.Start();
    ASSERT_TRUE(c.RunCall());
    EXPECT_EQ(Calls(c), (QStringList{"0 seize", "150 proceed",
                                     "10601 out \"<_*ZCZC P^02 2345<_<_<_*GORODOK ^65432/0 2 15/01 1200=<_<_<_$TEST "
                                     "P<_<_*NNNN  ^1200<_\"",
                                     "23850 clear", "23850 confirm"}));
    EXPECT_EQ(ChannelRig::Files(c.OutDir()), (QStringList{"TEL00001.PTC", "TEL00001.TRS"}));
    ASSERT_EQ(c.TxJournal().size(), 1);
    EXPECT_TRUE(c.TxJournal()[0].contains(QStringLiteral("Успешно")));
}

TEST(OtherProtocols, AnIncomingCallIsAnsweredAndRecorded)
{
    for (ChannelRig::Kind kind : {ChannelRig::StandardB, ChannelRig::PhysicalLine}) {
        SCOPED_TRACE(int(kind));
        ChannelRig c;
        c.AddChannel(1, QStringLiteral("callin"), kind);
        c.Start();
        ASSERT_TRUE(c.RunCall());
        EXPECT_EQ(Calls(c), (QStringList{"0 call 2345", "99 connect 2345", "750 in \"^@\"",
                                         "1350 out \"^<_12345$ KORV\"",
                                         "5050 in \"<_<_$ZCZC ^2345 $XYZ<_TEST TELEGRAM FROM ^2345<_$NNNN<_^@\"",
                                         "13900 out \"^<_12345$ KORV\"", "17450 release", "17999 clear"}));
        EXPECT_EQ(ChannelRig::Files(c.InDir()), QStringList{"TLG00001.REC"});
        ASSERT_EQ(c.RxJournal().size(), 1);
        EXPECT_TRUE(c.RxJournal()[0].contains(QStringLiteral("[TLG00001.REC] <   ZCZC 2345 XYZ>")));
    }
}

} // namespace
