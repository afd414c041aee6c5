#include "engine/TelegramNumbering.h"

#include "platform/IniFile.h"
#include "protocols/ChannelOptions.h"
#include "support/FileError.h"
#include "tests/fakes/FakeClock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

using namespace korvane;

namespace {

constexpr QChar kDay = CounterResetMode::EveryDay;
constexpr QChar kMonth = CounterResetMode::EveryMonth;
constexpr QChar kQuarter = CounterResetMode::EveryQuarter;
constexpr QChar kYear = CounterResetMode::EveryYear;

} // namespace

TEST(CounterResetRules, EachRuleRestartsFromItsOwnChangeOn)
{
    struct Case {
        QChar mode;
        std::vector<bool> dueForChange; // changes 0..4
    };
    const Case cases[] = {
        {kDay, {false, true, true, true, true}},
        {kMonth, {false, false, true, true, true}},
        {kQuarter, {false, false, false, true, true}},
        {kYear, {false, false, false, false, true}},
        {u'д', {false, false, false, false, false}}, // lower case is another character
        {u'D', {false, false, false, false, false}},
        {u'M', {false, false, false, false, false}}, // Latin look-alike
        {QChar(), {false, false, false, false, false}},
    };
    for (const Case& c : cases) {
        for (std::uint8_t change = 0; change <= 4; ++change)
            EXPECT_EQ(TelegramNumbering::CounterResetDue(c.mode, change), c.dueForChange[change])
                << "mode U+" << std::hex << int(c.mode.unicode()) << std::dec << " change " << int(change);
    }
}

TEST(CounterResetRules, DateChangeSinceTheLastDraw)
{
    struct Case {
        int lastDay;
        int lastMonth;
        QDate today;
        std::uint8_t change;
    };
    const Case cases[] = {
        {15, 3, QDate(2026, 3, 15), DateChange::None},
        {15, 3, QDate(2026, 3, 16), DateChange::Day},
        {31, 1, QDate(2026, 2, 1), DateChange::Month},
        {1, 2, QDate(2026, 2, 2), DateChange::Day},
        {10, 1, QDate(2026, 3, 1), DateChange::Month},
        {31, 3, QDate(2026, 4, 1), DateChange::Quarter},
        {30, 6, QDate(2026, 7, 1), DateChange::Quarter},
        {1, 4, QDate(2026, 5, 20), DateChange::Month},
        {1, 7, QDate(2026, 9, 30), DateChange::Month},
        {31, 12, QDate(2026, 1, 1), DateChange::Year},
        // A quarter whose first month had no draw still changes quarter.
        {10, 2, QDate(2026, 5, 10), DateChange::Quarter},
        {1, 1, QDate(2026, 12, 31), DateChange::Quarter},
        // A year whose January had no draw still changes year.
        {20, 11, QDate(2026, 2, 3), DateChange::Year},
        {1, 6, QDate(2026, 5, 31), DateChange::Year},
        // Same month, an earlier day: that month lies a year back.
        {20, 3, QDate(2026, 3, 5), DateChange::Year},
        {29, 2, QDate(2027, 2, 28), DateChange::Year},
        // Nothing known of the last draw.
        {1, 0, QDate(2026, 1, 1), DateChange::Year},
        {1, 13, QDate(2026, 12, 1), DateChange::Year},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TelegramNumbering::DateChangeSince(std::uint8_t(c.lastDay), std::uint8_t(c.lastMonth), c.today),
                  c.change)
            << c.lastDay << "." << c.lastMonth << " -> " << c.today.toString(Qt::ISODate).toStdString();
}

class TelegramNumberingTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString iniName() const { return dir.filePath(QStringLiteral("KORVANE2.INI")); }

    void setToday(int year, int month, int day) { clock.set(QDateTime(QDate(year, month, day), QTime(10, 0))); }

    TelegramNumbering numbering(int channel, int lastDay, int lastMonth, int full, QChar fullMode, int cks,
                                QChar cksMode)
    {
        TelegramNumbering n(channel, iniName(), clock);
        n.TlgCntDay = std::uint8_t(lastDay);
        n.TlgCntMonth = std::uint8_t(lastMonth);
        n.TlgCntFullNumber = std::uint16_t(full);
        n.FNumberMode = fullMode;
        n.TlgCntCKSNumber = std::uint16_t(cks);
        n.CKSNumberMode = cksMode;
        return n;
    }

    static QString draw(TelegramNumbering& n, std::uint8_t kind)
    {
        QString s = QStringLiteral("junk");
        n.NextCounter(kind, s);
        return s;
    }

    QTemporaryDir dir;
    test::FakeClock clock;
};

TEST_F(TelegramNumberingTest, DrawnFullNumbersFollowTheRuleOverMonthQuarterAndYearBoundaries)
{
    struct Draw {
        QDate date;
        const char* number;
    };
    struct Case {
        const char* name;
        QChar mode;
        int lastDay, lastMonth, next;
        std::vector<Draw> draws;
    };
    const Case cases[] = {
        {"month rule over a month end", kMonth, 31, 1, 7,
         {{QDate(2026, 2, 1), "1"}, {QDate(2026, 2, 2), "2"}, {QDate(2026, 2, 28), "3"}}},
        {"month rule keeps counting within a month", kMonth, 3, 5, 41, {{QDate(2026, 5, 4), "41"}}},
        {"day rule, two draws on one day", kDay, 14, 1, 5,
         {{QDate(2026, 1, 14), "5"}, {QDate(2026, 1, 14), "6"}, {QDate(2026, 1, 15), "1"}}},
        {"quarter rule at the quarter's first month", kQuarter, 20, 3, 9,
         {{QDate(2026, 4, 2), "1"}, {QDate(2026, 5, 2), "2"}, {QDate(2026, 6, 30), "3"}}},
        {"quarter rule, quarter begun with a quiet month", kQuarter, 15, 2, 40,
         {{QDate(2026, 5, 10), "1"}, {QDate(2026, 6, 11), "2"}}},
        {"year rule from December to January", kYear, 30, 12, 300,
         {{QDate(2027, 1, 2), "1"}, {QDate(2027, 4, 2), "2"}}},
        {"year rule, year begun with a quiet January", kYear, 20, 11, 300,
         {{QDate(2027, 2, 3), "1"}, {QDate(2027, 12, 10), "2"}}},
        {"another letter never resets", u'X', 31, 12, 77,
         {{QDate(2027, 1, 1), "77"}, {QDate(2027, 4, 1), "78"}, {QDate(2027, 4, 2), "79"}}},
        {"the counter wraps after 65535", kYear, 1, 1, 65535,
         {{QDate(2026, 1, 1), "65535"}, {QDate(2026, 1, 1), "0"}, {QDate(2026, 1, 1), "1"}}},
    };
    for (const Case& c : cases) {
        TelegramNumbering n = numbering(1, c.lastDay, c.lastMonth, c.next, c.mode, 1, u'X');
        for (const Draw& d : c.draws) {
            clock.set(QDateTime(d.date, QTime(9, 0)));
            EXPECT_EQ(draw(n, 0), QString::fromLatin1(d.number))
                << c.name << " on " << d.date.toString(Qt::ISODate).toStdString();
            EXPECT_EQ(n.TlgCntDay, d.date.day()) << c.name;
            EXPECT_EQ(n.TlgCntMonth, d.date.month()) << c.name;
        }
    }
}

TEST_F(TelegramNumberingTest, BothCountersFollowTheirRulesWhicheverIsDrawn)
{
    setToday(2026, 3, 11);
    TelegramNumbering n = numbering(1, 10, 3, 20, kMonth, 8, kDay);

    EXPECT_EQ(draw(n, 0), "20");
    EXPECT_EQ(n.TlgCntCKSNumber, 1) << "a new day restarts the CKS counter under 'Д'";
    EXPECT_EQ(n.TlgCntFullNumber, 21);

    EXPECT_EQ(draw(n, 1), "1");
    EXPECT_EQ(draw(n, 7), "2") << "every kind but 0 draws the CKS number";
    EXPECT_EQ(n.TlgCntFullNumber, 21);

    setToday(2026, 4, 1);
    EXPECT_EQ(draw(n, 1), "1");
    EXPECT_EQ(n.TlgCntFullNumber, 1) << "the month rule restarts the full number on a CKS draw";
}

TEST_F(TelegramNumberingTest, EveryDrawWritesTheFourCounterKeysOfTheChannelSection)
{
    setToday(2026, 8, 9);
    TelegramNumbering n = numbering(3, 1, 8, 12, kMonth, 30, kDay);
    draw(n, 0);

    const IniFile ini(iniName());
    const QString section = QStringLiteral("CHANNEL #3");
    EXPECT_EQ(ini.ReadSections(), QStringList{section});
    EXPECT_EQ(ini.ReadSection(section), (QStringList{QStringLiteral("TlgCntDay"), QStringLiteral("TlgCntMonth"),
                                                     QStringLiteral("TlgCntFullNumber"),
                                                     QStringLiteral("TlgCntCKSNumber")}));
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("TlgCntDay"), -1), 9);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("TlgCntMonth"), -1), 8);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("TlgCntFullNumber"), -1), 13);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("TlgCntCKSNumber"), -1), 1);

    setToday(2026, 8, 9);
    draw(n, 1);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("TlgCntFullNumber"), -1), 13);
    EXPECT_EQ(ini.ReadInteger(section, QStringLiteral("TlgCntCKSNumber"), -1), 2);
}

TEST_F(TelegramNumberingTest, ReceivedFileNumberIsStoredPerChannel)
{
    TelegramNumbering two(2, iniName(), clock);
    TelegramNumbering five(5, iniName(), clock);
    EXPECT_EQ(two.LoadTlgRecNo(), 1) << "missing key";

    two.SaveTlgRecNo(42);
    five.SaveTlgRecNo(7);
    EXPECT_EQ(two.LoadTlgRecNo(), 42);
    EXPECT_EQ(five.LoadTlgRecNo(), 7);
    EXPECT_EQ(IniFile(iniName()).ReadInteger(QStringLiteral("CHANNEL #2"), QStringLiteral("TlgRecNo"), -1), 42);
}

TEST_F(TelegramNumberingTest, AnUnwritableIniFileFailsTheDrawWithAFileError)
{
    const QString blocked = dir.filePath(QStringLiteral("NOFOLDER/KORVANE2.INI"));
    TelegramNumbering n(1, blocked, clock);
    n.FNumberMode = u'X';
    n.TlgCntFullNumber = 5;
    QString s;
    try {
        n.NextCounter(0, s);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), FileError::Kind::Write);
        EXPECT_TRUE(e.message().contains(blocked));
    }
    EXPECT_EQ(s, "5");
    EXPECT_EQ(n.TlgCntFullNumber, 6) << "the number stays drawn";
    EXPECT_THROW(n.SaveTlgRecNo(3), FileError);
}

TEST_F(TelegramNumberingTest, SetCountersCopiesTheChannelRecord)
{
    TTlgCounters c;
    c.Day = 28;
    c.Month = 2;
    c.FullNumber = 512;
    c.CKSNumber = 77;
    c.setFNumberMode(kQuarter);
    c.setCKSNumberMode(kYear);
    TelegramNumbering n(1, iniName(), clock);
    n.SetCounters(c);
    EXPECT_EQ(n.TlgCntDay, 28);
    EXPECT_EQ(n.TlgCntMonth, 2);
    EXPECT_EQ(n.TlgCntFullNumber, 512);
    EXPECT_EQ(n.TlgCntCKSNumber, 77);
    EXPECT_EQ(n.FNumberMode, kQuarter);
    EXPECT_EQ(n.CKSNumberMode, kYear);
}

TEST_F(TelegramNumberingTest, InitNumbersFindsTheFileNumbersInTheFolders)
{
    struct Case {
        const char* name;
        int storedRecNo; // 0: key missing
        std::vector<const char*> received;
        std::vector<const char*> outgoing;
        int recNo, telNo, dlgNo;
    };
    const Case cases[] = {
        {"empty folders", 0, {}, {}, 1, 1, 1},
        {"received and cut-short receptions", 0, {"TLG00007.REC", "TLG00012.RE"}, {}, 13, 1, 1},
        {"printed receptions count too", 0, {"TLG00007.REC", "TLG00015.PRT", "TLG00003.RE"}, {}, 16, 1, 1},
        {"a stored 1 looks at the folder", 1, {"tlg00020.prt"}, {}, 21, 1, 1},
        {"a stored number wins", 5, {"TLG00007.REC", "TLG00012.RE"}, {}, 5, 1, 1},
        {"outgoing files in every state", 0, {},
         {"TEL00004.TRS", "TEL00009.LER", "DLG00003.PTC", "DLG00008.PT", "DLG00020.TXT", "TLG00030.REC"}, 1, 10, 9},
        {"other files are passed over", 0, {"TEL00050.TLG", "README.TXT"}, {"XTEL0090.TLG"}, 1, 1, 1},
    };
    int channel = 0;
    for (const Case& c : cases) {
        ++channel;
        const QString name = QStringLiteral("case%1").arg(channel);
        const QString in = dir.filePath(name + QStringLiteral("/in"));
        const QString out = dir.filePath(name + QStringLiteral("/out"));
        ASSERT_TRUE(QDir().mkpath(in) && QDir().mkpath(out));
        for (const char* f : c.received)
            ASSERT_TRUE(QFile(in + u'/' + QLatin1String(f)).open(QIODevice::WriteOnly));
        for (const char* f : c.outgoing)
            ASSERT_TRUE(QFile(out + u'/' + QLatin1String(f)).open(QIODevice::WriteOnly));

        TelegramNumbering n(channel, iniName(), clock);
        if (c.storedRecNo != 0)
            n.SaveTlgRecNo(c.storedRecNo);
        n.InitNumbers(out, in);
        EXPECT_EQ(n.TlgRecNo, c.recNo) << c.name;
        EXPECT_EQ(n.NextTelNo, c.telNo) << c.name;
        EXPECT_EQ(n.NextDlgNo, c.dlgNo) << c.name;
    }
}
