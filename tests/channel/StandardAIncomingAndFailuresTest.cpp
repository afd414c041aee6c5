// "Стандарт A": incoming calls, and the ways an outgoing call fails, each
// ending in its failure code, its files and journal line, and the channel
// back in its idle step.
#include "tests/channel/ChannelRig.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kTelegram = QStringLiteral("|      #8-2345(2345 XYZ)\r\nTEST TELEGRAM\r\nSECOND LINE\r\n");
const QStringList kNoPolarity = {"out +", "out -", "in +", "in -"};

TEST(StandardAIncoming, WruIsAnsweredAfterTheHoldAndTheTelegramIsRecorded)
{
    ChannelRig c;
    c.AddChannel(1, QStringLiteral("callin"));
    c.Start();
    ASSERT_TRUE(c.RunCall());

    const auto lines = ReadableTranscript(c.Transcript(), kNoPolarity);
    EXPECT_EQ(TimedLines(lines, lines.front().ms),
              (QStringList{"0 call 2345", "99 connect 2345", "750 in \"^@\"", "1350 out \"^<_12345$ KORV\"",
                           "5050 in \"<_<_$ZCZC ^2345 $XYZ<_TEST TELEGRAM FROM ^2345<_$NNNN<_^@\"",
                           "13900 out \"^<_12345$ KORV\"", "17450 release", "17999 clear"}));
    // Code times are the ends of their stop elements: the WRU's last code
    // ends at 900, the answerback's first starts 150 before 1350.
    EXPECT_EQ(1350 - 150 - (750 + 150), 300) << "the answerback follows the WRU after the 300 ms hold";

    EXPECT_EQ(ChannelRig::Files(c.InDir()), QStringList{"TLG00001.REC"});
    const QString record = c.InFile(1, "TLG00001.REC");
    EXPECT_TRUE(record.startsWith(QStringLiteral("\r\n\r\n****\r\n\r\n"))) << record.toStdString();
    EXPECT_TRUE(record.contains(QStringLiteral("Входящий номер №00001"))) << record.toStdString();
    EXPECT_TRUE(record.contains(QStringLiteral("TEST TELEGRAM FROM 2345"))) << record.toStdString();
    const QStringList journal = c.RxJournal();
    ASSERT_EQ(journal.size(), 1);
    EXPECT_TRUE(journal[0].contains(QStringLiteral("[TLG00001.REC]"))) << journal[0].toStdString();
    EXPECT_TRUE(journal[0].contains(QStringLiteral("<   ZCZC 2345 XYZ>"))) << journal[0].toStdString();
    EXPECT_EQ(c.LogWith(QStringLiteral("+++++ Завершение приема [ZCZC 2345 XYZ = TLG00001.REC, AAB: 2]")).size(), 1);
}

TEST(StandardAIncoming, AShortReceptionGivesItsNumberBack)
{
    ChannelRig c;
    c.AddChannel(1, QStringLiteral("station 1111 <_1111 AAA\ncall-in 2000\ndo wait 1000\ndo send AB\ndo clear\n"
                                   "station 2345 <_2345 XYZ\ncall-in 20000\ndo wait 500\ndo send <_TELEGRAM TEXT<_\n"
                                   "do wru\ndo wait 3000\ndo clear\n"));
    c.Start();
    ASSERT_TRUE(c.RunCall());
    EXPECT_TRUE(ChannelRig::Files(c.InDir()).isEmpty()) << ChannelRig::Files(c.InDir()).join(',').toStdString();
    EXPECT_TRUE(c.RxJournal().isEmpty());
    ASSERT_TRUE(c.RunCall());
    EXPECT_EQ(ChannelRig::Files(c.InDir()), QStringList{"TLG00001.RE"}) << "the same number, .RE with one WRU";
    ASSERT_EQ(c.RxJournal().size(), 1);
    EXPECT_TRUE(c.RxJournal()[0].contains(QStringLiteral("[TLG00001.RE ]"))) << c.RxJournal()[0].toStdString();
}

struct FailureCase {
    const char* scenario;
    FailureCode code;
    bool recordWritten; // the call got far enough to leave a .PT
};

TEST(StandardAFailures, EachEndsInItsCodeFilesJournalAndTheIdleStep)
{
    const FailureCase cases[] = {
        {"busy", FailureCodes::OccPulse, false},
        {"no-invitation", FailureCodes::Num, false},
        {"wrong-answerback", FailureCodes::Bab, true},
        {"break", FailureCodes::Dis, true},
        // The station's wait sets no code of its own: a call that ends
        // without its telegram sent and without a code counts as unknown.
        {"silent", FailureCodes::Unk, true},
    };
    for (const FailureCase& f : cases) {
        SCOPED_TRACE(f.scenario);
        ChannelRig c;
        c.AddChannel(1, QString::fromLatin1(f.scenario));
        c.PutTelegram(1, "TEL00001.TLG", kTelegram);
        c.Start();
        ASSERT_TRUE(c.RunCall());
        EXPECT_EQ(c.StepName(), ChannelRig::kIdle);

        const auto retry = ChannelRig::RetryOf(QStringLiteral("8-2345"));
        ASSERT_TRUE(retry);
        EXPECT_EQ(retry->reason, f.code);
        const QStringList journal = c.TxJournal();
        ASSERT_EQ(journal.size(), 1);
        EXPECT_TRUE(journal[0].contains(FailureCodeTexts[f.code].toString())) << journal[0].toStdString();
        EXPECT_TRUE(journal[0].contains(QStringLiteral("[TEL00001.PT ]"))) << journal[0].toStdString();
        const QStringList files = ChannelRig::Files(c.OutDir());
        EXPECT_TRUE(files.contains("TEL00001.TLG")) << files.join(',').toStdString();
        EXPECT_EQ(files.contains("TEL00001.PT"), f.recordWritten) << files.join(',').toStdString();
        const auto lines = ReadableTranscript(c.Transcript(), kNoPolarity);
        EXPECT_TRUE(lines.back().what == QLatin1String("confirm") || lines.back().what == QLatin1String("clear")
                    || lines.back().what.startsWith(QLatin1String("fault")))
            << TimedLines(lines).join('\n').toStdString();
        EXPECT_TRUE(c.Network().exchange().isFree());
    }
}

TEST(StandardAFailures, ANumberWhoseRetriesAreSpentGivesTheTelegramItsFailureExtension)
{
    ChannelRig c;
    c.AddChannel(1, QStringLiteral("busy"));
    c.PutTelegram(1, "TEL00001.TLG", kTelegram);
    c.Start();
    ASSERT_TRUE(c.RunUntil([&] { return ChannelRig::Files(c.OutDir()).contains("TEL00001.OCC"); }, 600000, 100))
        << ChannelRig::Files(c.OutDir()).join(',').toStdString();
    // Two series of two attempts.
    EXPECT_EQ(c.TxJournal().size(), 4);
    const auto retry = ChannelRig::RetryOf(QStringLiteral("8-2345"));
    ASSERT_TRUE(retry);
    EXPECT_TRUE(retry->blocked);
}

} // namespace
