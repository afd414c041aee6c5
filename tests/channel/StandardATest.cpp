// "Стандарт A" against the simulated exchange and its stations on virtual
// time: an outgoing call from the telegram to the journal, the retries of a
// refused call, incoming calls, and the ways a call fails.
#include "tests/channel/ChannelRig.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kTelegram = QStringLiteral("|      #8-2345(2345 XYZ)\r\nTEST TELEGRAM\r\nSECOND LINE\r\n");
const QString kNumber = QStringLiteral("8-2345");
const QStringList kNoPolarity = {"out +", "out -", "in +", "in -"};

// The transcript from the first entry of the call, times relative to it.
QStringList CallTranscript(ChannelRig& c)
{
    const auto lines = ReadableTranscript(c.Transcript(), kNoPolarity);
    return lines.empty() ? QStringList() : TimedLines(lines, lines.front().ms);
}

TEST(StandardA, AnOutgoingCallSendsTheTelegramAndIsJournaledAsDone)
{
    ChannelRig c;
    c.AddChannel(1, QStringLiteral("answer"));
    c.PutTelegram(1, "TEL00001.TLG", kTelegram);
    c.Start();
    ASSERT_TRUE(c.RunCall());

    // Seize, the invitation, 8 by eight pulses of 60 ms, keyboard selection
    // of 2345, the station's answerback, the terminal's own answerback, the
    // pre-header, the header, the text, WRU, the station's answerback, the
    // own answerback, and the clearing the exchange confirms.
    EXPECT_EQ(CallTranscript(c), (QStringList{
                                     "0 seize",
                                     "150 invite 40",
                                     "210 pulse 60",
                                     "310 pulse 60",
                                     "410 pulse 60",
                                     "510 pulse 60",
                                     "610 pulse 60",
                                     "710 pulse 60",
                                     "810 pulse 60",
                                     "910 pulse 60",
                                     "1220 digit 8",
                                     "1420 proceed",
                                     "6001 out \"^2345+\"",
                                     "6751 select 2345",
                                     "6951 connect 2345",
                                     "7101 in \"<_^2345 $XYZ\"",
                                     "10901 out \"^<_12345$ KORV<_ DO NOT INTERRUPT ^- $KORVANE IS WORKING <_"
                                     "*GORODOK ^65432/0 4 15/01 1200=<_<_<_$TEST TELEGRAM<_SECOND LINE<_^@\"",
                                     "30401 in \"<_^2345 $XYZ\"",
                                     "34601 out \"^<_12345$ KORV\"",
                                     "37050 clear",
                                     "37050 confirm",
                                 }))
;

    EXPECT_EQ(ChannelRig::Files(c.OutDir()), (QStringList{"TEL00001.PTC", "TEL00001.TRS"}));
    EXPECT_EQ(c.OutFile(1, "TEL00001.TRS"), QStringLiteral("|      *8-2345(2345 XYZ)\r\nTEST TELEGRAM\r\nSECOND LINE\r\n"));
    const QString record = c.OutFile(1, "TEL00001.PTC");
    EXPECT_TRUE(record.contains("TEST TELEGRAM")) << record.toStdString();
    const QStringList journal = c.TxJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal[0].contains(QStringLiteral("#8-2345"))) << journal[0].toStdString();
    EXPECT_TRUE(journal[0].contains(QStringLiteral("TEL00001.TLG [TEL00001.PTC]"))) << journal[0].toStdString();
    EXPECT_TRUE(journal[0].contains(QStringLiteral("Успешно"))) << journal[0].toStdString();
    EXPECT_FALSE(ChannelRig::RetryOf(kNumber)) << "the number is gone from the lists";
    EXPECT_EQ(c.LogWith(QStringLiteral("[8-2345 - TEL00001.PTC = Успешно]")).size(), 1);
}

TEST(StandardA, OccIsRetriedAfterItsWaitAndALaterRetrySucceeds)
{
    ChannelRig c;
    c.AddChannel(1, QStringLiteral("station 2345 <_2345 XYZ\nreply OCC 1\ndo answerback\n"));
    c.PutTelegram(1, "TEL00001.TLG", kTelegram);
    c.Start();
    ASSERT_TRUE(c.RunCall());
    const std::int64_t firstEnd = c.NowMs();

    EXPECT_TRUE(Whats(ReadableTranscript(c.Transcript())).contains(QStringLiteral("service OCC")));
    EXPECT_EQ(ReadableTranscript(c.Transcript(), kNoPolarity).back().what, QStringLiteral("clear"));
    const auto retry = ChannelRig::RetryOf(kNumber);
    ASSERT_TRUE(retry);
    EXPECT_EQ(retry->reason, FailureCodes::Occ);
    EXPECT_GT(retry->wait, 20);
    EXPECT_LE(retry->wait, 30);
    EXPECT_FALSE(retry->blocked);
    EXPECT_TRUE(ChannelRig::Files(c.OutDir()).contains("TEL00001.TLG"));
    EXPECT_TRUE(ChannelRig::Files(c.OutDir()).contains("TEL00001.PT")) << ChannelRig::Files(c.OutDir()).join(',').toStdString();
    ASSERT_EQ(c.TxJournal().size(), 1);
    EXPECT_TRUE(c.TxJournal()[0].contains(QStringLiteral("[TEL00001.PT ]"))) << c.TxJournal()[0].toStdString();
    EXPECT_TRUE(c.TxJournal()[0].contains(QStringLiteral("Абонент занят"))) << c.TxJournal()[0].toStdString();

    // No new call while the wait runs; then the retry gets through.
    ASSERT_TRUE(c.RunCall());
    const auto seizes = ReadableTranscript(c.Transcript(), kNoPolarity);
    std::int64_t secondSeize = -1;
    for (const auto& l : seizes)
        if (l.what == QLatin1String("seize"))
            secondSeize = l.ms;
    EXPECT_GE(secondSeize - firstEnd, 20000) << "the retry waits for its turn";
    EXPECT_TRUE(ChannelRig::Files(c.OutDir()).contains("TEL00001.TRS")) << ChannelRig::Files(c.OutDir()).join(',').toStdString();
    EXPECT_FALSE(ChannelRig::Files(c.OutDir()).contains("TEL00001.TLG"));
    ASSERT_EQ(c.TxJournal().size(), 2);
    EXPECT_TRUE(c.TxJournal()[1].contains(QStringLiteral("Успешно"))) << c.TxJournal()[1].toStdString();
    EXPECT_FALSE(ChannelRig::RetryOf(kNumber));
}

} // namespace
