// "Активировать номер": the blocked numbers of a .LER telegram marked for
// sending again, released from the failure lists, and the file made a .TLG
// - or, when that cannot be done, the operator told and the old file kept.
#include "tests/ui/FileViewFixture.h"

#include "platform/SafeFileWriter.h"
#include "support/NumberLists.h"
#include "ui/telegrams/BlockedNumbers.h"

#include <QPlainTextEdit>

using namespace korvane;
using namespace korvane::test;

namespace {

struct Activation {
    QStringList lines;
    QStringList activated;
    QStringList released;
};

class BlockedNumbersTable : public ::testing::TestWithParam<Activation> {};

TEST_P(BlockedNumbersTable, TheFirstMarkOfEachAddressLineIsActivated)
{
    const ActivatedTelegram a = ActivateBlockedNumbers(GetParam().lines);
    EXPECT_EQ(a.Lines, GetParam().activated);
    EXPECT_EQ(a.ReleasedNumbers, GetParam().released);
    EXPECT_EQ(a.Changed, GetParam().lines != GetParam().activated);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BlockedNumbersTable,
    ::testing::Values(
        // Two address lines: the first "~" of each, a further one stays.
        Activation{{"|      ~8-2345(2345 XYZ)/~777", "|      *111/~222", "TEXT"},
                   {"|      #8-2345(2345 XYZ)/~777", "|      *111/#222", "TEXT"},
                   {"8-2345", "222"}},
        // A "~" outside an address line is text.
        Activation{{"|      #123", "SEE ~456"}, {"|      #123", "SEE ~456"}, {}},
        // "+", "-" and "." belong to the number; "(" ends it.
        Activation{{"|~+7.495-123.45.67(ANS)"}, {"|#+7.495-123.45.67(ANS)"}, {"+7.495-123.45.67"}},
        // A mark with no number after it is changed all the same.
        Activation{{"|      ~(X)"}, {"|      #(X)"}, {}},
        Activation{{" |~123"}, {" |~123"}, {}}));

struct ActivateTelegram : FileViewFixture {
    ScopedNumberLists lists;

    void Block(const QString& number)
    {
        UnsuccNumbers->Add(number, nullptr);
        BadNumbers->Add(number, nullptr);
    }
    void Open(const QString& name)
    {
        form->SelectFolder(out);
        Click(name);
    }
};

TEST_F(ActivateTelegram, TheTelegramBecomesATlgWithItsNumbersMarkedAndReleased)
{
    Block("8-2345");
    Block("222");
    Block("999");
    Put(out, "TEL00001.LER", QStringLiteral("|      ~8-2345(2345 XYZ)\r\n|      ~222\r\nТЕКСТ ~1\r\n"));
    Put(out, "TEL00002.TRS", "|      *5\r\n");
    Open("TEL00001.LER");
    ASSERT_TRUE(form->ActivateTLGAction->isEnabled());
    form->ActivateTLGAction->trigger();

    EXPECT_TRUE(box.shown.isEmpty());
    EXPECT_EQ(QDir(out).entryList(QDir::Files), (QStringList{"TEL00001.TLG", "TEL00002.TRS"}));
    EXPECT_EQ(ReadFileBytes(out + "/TEL00001.TLG"),
              AnsiToOem(QStringLiteral("|      #8-2345(2345 XYZ)\r\n|      #222\r\nТЕКСТ ~1\r\n")));
    EXPECT_EQ(UnsuccNumbers->IndexOf("8-2345"), -1);
    EXPECT_EQ(BadNumbers->IndexOf("8-2345"), -1);
    EXPECT_EQ(UnsuccNumbers->IndexOf("222"), -1);
    EXPECT_EQ(BadNumbers->IndexOf("222"), -1);
    EXPECT_GE(BadNumbers->IndexOf("999"), 0) << "only the numbers of the telegram";
    EXPECT_EQ(Focused(), QStringLiteral("TEL00001.TLG"));
    EXPECT_EQ(Selected(), QStringList{"TEL00001.TLG"});
    EXPECT_FALSE(form->ActivateTLGAction->isEnabled()) << "a .TLG is not activated";
}

TEST_F(ActivateTelegram, ATelegramWithoutABlockedAddressIsLeftAlone)
{
    Block("456");
    Put(out, "TEL00001.LER", "|      *123\r\nSEE ~456\r\n");
    Open("TEL00001.LER");
    form->ActivateTLGAction->trigger();
    EXPECT_EQ(QDir(out).entryList(QDir::Files), QStringList{"TEL00001.LER"});
    EXPECT_EQ(ReadFileBytes(out + "/TEL00001.LER"), "|      *123\r\nSEE ~456\r\n");
    EXPECT_GE(BadNumbers->IndexOf("456"), 0);
    EXPECT_TRUE(box.shown.isEmpty());
}

TEST_F(ActivateTelegram, ATlgAlreadyUnderTheNewNameIsKeptAndTheRenameReported)
{
    Put(out, "TEL00001.LER", "|      ~123\r\n");
    Put(out, "TEL00001.TLG", "|      #OTHER\r\n");
    Open("TEL00001.LER");
    form->ActivateTLGAction->trigger();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(box.shown[0].text, QStringLiteral("Не могу переименовать файл\r") + out + "/TEL00001.LER");
    EXPECT_EQ(ReadFileBytes(out + "/TEL00001.TLG"), "|      #OTHER\r\n");
    EXPECT_EQ(ReadFileBytes(out + "/TEL00001.LER"), "|      #123\r\n") << "the activated lines under the old name";
}

TEST_F(ActivateTelegram, AFailedWriteKeepsTheOldFileAndTheNumbersBlocked)
{
    Block("123");
    Put(out, "TEL00001.LER", "|      ~123\r\n");
    Open("TEL00001.LER");
    // The safe writer's new file cannot be made: a folder stands in its place.
    QDir().mkpath(out + "/TEL00001.LER" + SafeWriteSuffix + "/x");
    form->ActivateTLGAction->trigger();
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(ReadFileBytes(out + "/TEL00001.LER"), "|      ~123\r\n");
    EXPECT_FALSE(QFile::exists(out + "/TEL00001.TLG"));
    EXPECT_GE(BadNumbers->IndexOf("123"), 0);
}

} // namespace
