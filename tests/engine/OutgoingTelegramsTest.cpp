// Outgoing telegrams on a whole channel: the scan picks destinations from
// the telegram files, a successful call marks its line done, and each file
// ends with the extension of its outcome, byte for byte. The requests that
// the protocol's elements would raise (the scan, the call that succeeded)
// are raised here directly.

#include "tests/engine/FileWorkRig.h"

#include "engine/CallFailurePolicy.h"
#include "engine/OutgoingTelegrams.h"
#include "engine/ServiceSignals.h"
#include "support/NumberLists.h"
#include "support/OemText.h"

#include "engine/FolderWatch.h"
#include "engine/KnownTelegrams.h"
#include "engine/OutgoingListing.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

TEST(OutgoingNumbers, TheNumberIsTheRunOfDialCharactersAfterTheMark)
{
    struct Case {
        const char* line;
        int h;
        const char* number;
    };
    const Case cases[] = {
        {"|#51234 ABC", 2, "51234"},   {"|#+7-495.1(X)", 2, "+7-495.1"}, {"|#A123", 2, ""},
        {"|#", 2, ""},                 {"|*123/#456", 7, "456"},         {"|#1234567890123456789012345678", 2, "123456789012345678901234"},
        {"|#51234", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OutgoingTelegrams::ExtractNumber(QString::fromUtf8(c.line), c.h), QString::fromUtf8(c.number))
            << c.line;
}

TEST(OutgoingNumbers, TheAnswerbackIsDerivedFromTheNumber)
{
    const std::pair<const char*, const char*> cases[] = {
        {"007495123456", "123456"}, {"51234", "51234"}, {"123456-", "123456"},
        {"1234567", "234567"},      {"", ""},          {"123456", "123456"},
    };
    for (const auto& [number, answerBack] : cases)
        EXPECT_EQ(OutgoingTelegrams::AnswerBackFromNumber(number), answerBack) << number;
}

class OutgoingTelegramsTest : public ::testing::Test {
protected:
    explicit OutgoingTelegramsTest(std::uint32_t modes = 0)
        : f([modes](TChannelOptions& r) { r.Modes |= modes; })
    {
        d().SetWindow(&window);
        f.rig.modes.Set([](TDriverModes& m) { m.ScanPeriod = 30; });
    }
    TTxChannelDriver& d() { return f.Driver(); }
    void Put(const QString& name, const QString& text)
    {
        FileWorkRig::Write(f.Out(name), AnsiToOem(text));
    }
    QString Get(const QString& name) { return OemToAnsi(FileWorkRig::Read(f.Out(name))); }
    bool Exists(const QString& name) { return QFile::exists(f.Out(name)); }
    void Scan()
    {
        d().Events.clear(DriverEvent::DestinationChosen);
        d().Events.raise(DriverEvent::ScanOutgoing);
        f.Tick();
        EXPECT_FALSE(d().Events.has(DriverEvent::ScanOutgoing));
    }
    void Succeed()
    {
        d().Events.clear(DriverEvent::DestinationChosen);
        d().Events.raise(DriverEvent::CallSucceeded);
        f.Tick();
    }
    bool Chosen() { return d().Events.has(DriverEvent::DestinationChosen); }
    // A failed call that waits Wait seconds before the next attempt.
    static void Waits(const QString& number, std::int16_t wait)
    {
        auto retry = std::make_unique<TUnsucNumObject>();
        retry->Wait = wait;
        UnsuccNumbers->Add(number, std::move(retry));
    }
    static void GivenUp(const QString& number, FailureCode reason)
    {
        auto bad = std::make_unique<TBadNumObject>();
        bad->Reason = reason;
        BadNumbers->Add(number, std::move(bad));
    }

    FakeChannelWindow window;
    FileWorkRig f;
};

TEST_F(OutgoingTelegramsTest, EachLineIsCalledInTurnAndTheDoneTelegramBecomesTrs)
{
    Put("TEL00001.TLG", "|#51234 ИВАНОВ\r\n|#51235\r\nТЕКСТ  ТЕЛЕГРАММЫ\r\n");
    Scan();
    ASSERT_TRUE(Chosen());
    EXPECT_EQ(d().Number, "51234");
    EXPECT_EQ(d().ExpectedAnswerBack, "51234");
    EXPECT_EQ(d().TlgFileName, "TEL00001.TLG");
    EXPECT_EQ(d().TlgPath, f.Out("TEL00001.TLG"));
    EXPECT_EQ(d().CountWords(), "2");
    EXPECT_TRUE(window.Calls().contains("SetCallInfo(TEL00001.TLG, 51234, , AB=51234)"));
    f.Tick();
    EXPECT_EQ(f.LogWith("===+ Ожидаемый автоответ ['51234']").size(), 1);

    Succeed();
    EXPECT_EQ(Get("TEL00001.TLG"), "|*51234 ИВАНОВ\r\n|#51235\r\nТЕКСТ  ТЕЛЕГРАММЫ\r\n");
    ASSERT_TRUE(Chosen());
    EXPECT_EQ(d().Number, "51235");

    Succeed();
    EXPECT_FALSE(Chosen());
    EXPECT_FALSE(Exists("TEL00001.TLG"));
    EXPECT_EQ(Get("TEL00001.TRS"), "|*51234 ИВАНОВ\r\n|*51235\r\nТЕКСТ  ТЕЛЕГРАММЫ\r\n");
    EXPECT_TRUE(d().TlgPath.isEmpty());
    const QString tlg = f.Out("TEL00001.TLG");
    EXPECT_EQ(f.LogWith(QStringLiteral("Файл \"%1\" обработан полностью").arg(tlg)).size(), 1);
    EXPECT_EQ(f.LogWith(QStringLiteral("Файл \"%1\" переименован в \"%2\"").arg(tlg, f.Out("TEL00001.TRS"))).size(), 1);
    EXPECT_TRUE(f.refreshed.contains(f.rig.dir.filePath("out1")));
    EXPECT_EQ(QDir(f.rig.dir.filePath("out1")).entryList(QDir::Files), QStringList({"TEL00001.TRS"})); // no leftovers
}

TEST_F(OutgoingTelegramsTest, ADoneTelegramIsAppendedToAnExistingTrs)
{
    Put("TEL00002.TRS", "|*1\r\nПРЕЖНЯЯ\r\n");
    Put("TEL00002.TLG", "|*51234\r\nНОВАЯ\r\n");
    Scan();
    EXPECT_FALSE(Chosen());
    EXPECT_FALSE(Exists("TEL00002.TLG"));
    EXPECT_EQ(Get("TEL00002.TRS"), "|*1\r\nПРЕЖНЯЯ\r\n|*51234\r\nНОВАЯ\r\n");
    EXPECT_EQ(d().ScanDelay, 30);
}

class AutoDeleting : public OutgoingTelegramsTest {
protected:
    AutoDeleting() : OutgoingTelegramsTest(ChannelMode::AutoDelTrs) {}
};

TEST_F(AutoDeleting, ADoneTelegramIsDeleted)
{
    Put("TEL00003.TLG", "|*51234\r\nТЕКСТ\r\n");
    Scan();
    EXPECT_FALSE(Exists("TEL00003.TLG"));
    EXPECT_FALSE(Exists("TEL00003.TRS"));
    EXPECT_EQ(f.LogWith(QStringLiteral("Файл \"%1\" удален").arg(f.Out("TEL00003.TLG"))).size(), 1);
}

TEST_F(OutgoingTelegramsTest, EachOutcomeGivesTheFileItsExtension)
{
    struct Case {
        const char* text;
        const char* extension;
        const char* log;
    };
    GivenUp("70001", FailureCodes::Nc);
    const Case cases[] = {
        {"ТЕКСТ БЕЗ АДРЕСА\r\n", ".ERR", "содержит некорректный заголовок"},
        {"|51234 БЕЗ ОТМЕТКИ\r\nТЕКСТ\r\n", ".ERR", "содержит некорректный заголовок"},
        {"|~51234\r\n|~51235\r\nТЕКСТ\r\n", ".LER", "содержит только \"неэффективные\" номера"},
        {"|#ABC\r\nТЕКСТ\r\n", ".LER", "содержит только \"неэффективные\" номера"},
        {"|*51234\r\n|#70001\r\nТЕКСТ\r\n", ".NC", "содержит только \"неэффективные\" номера"},
        {"|#70001\r\n|#\r\nТЕКСТ\r\n", ".LER", "содержит только \"неэффективные\" номера"},
    };
    int n = 10;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("TEL%1.TLG").arg(++n, 5, 10, QLatin1Char('0'));
        Put(name, QString::fromUtf8(c.text));
        Scan();
        EXPECT_FALSE(Chosen());
        const QString renamed = ChangeFileExt(name, QString::fromUtf8(c.extension));
        EXPECT_TRUE(Exists(renamed)) << c.text;
        EXPECT_FALSE(Exists(name)) << c.text;
        EXPECT_EQ(f.LogWith(QStringLiteral("Файл \"%1\" %2").arg(f.Out(name), QString::fromUtf8(c.log))).size(), 1)
            << c.text;
    }
    // A blocked number is marked '~' in the file before it is renamed.
    EXPECT_EQ(Get("TEL00014.LER"), "|~ABC\r\nТЕКСТ\r\n");
    EXPECT_EQ(Get("TEL00015.NC"), "|*51234\r\n|~70001\r\nТЕКСТ\r\n");
}

TEST_F(OutgoingTelegramsTest, OnlyTheMarkBeforeANumberCountsAsDoneNotAShiftElsewhereInTheLine)
{
    // '*' is also the Russian-letters shift, in an expected answerback or
    // anywhere else in an address line: a line is done only where a '*'
    // stands before a number.
    struct Case {
        const char* text;
        const char* extension;
        const char* after;
    };
    GivenUp("352", FailureCodes::Nc);
    GivenUp("2345", FailureCodes::Occ);
    const Case cases[] = {
        {"|#|*#352\r\nТЕКСТ\r\n", ".NC", "|~|*~352\r\nТЕКСТ\r\n"},
        {"|      #2345(2345 *ТЕЛЕКС)\r\nТЕКСТ\r\n", ".OCC", "|      ~2345(2345 *ТЕЛЕКС)\r\nТЕКСТ\r\n"},
        {"|~51234(51234 *АБ)\r\n|*51235\r\nТЕКСТ\r\n", ".LER", "|~51234(51234 *АБ)\r\n|*51235\r\nТЕКСТ\r\n"},
        {"|*51234(51234 *АБ)\r\nТЕКСТ\r\n", ".TRS", "|*51234(51234 *АБ)\r\nТЕКСТ\r\n"},
    };
    int n = 120;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("TEL%1.TLG").arg(++n, 5, 10, QLatin1Char('0'));
        Put(name, QString::fromUtf8(c.text));
        // A pass blocks at most one number a line; a later scan lists the folder again.
        for (int i = 0; i < 6 && Exists(name); ++i) {
            Scan();
            EXPECT_FALSE(Chosen()) << c.text;
        }
        const QString renamed = ChangeFileExt(name, QString::fromUtf8(c.extension));
        ASSERT_TRUE(Exists(renamed)) << c.text;
        EXPECT_EQ(Get(renamed), QString::fromUtf8(c.after));
    }
}

TEST_F(OutgoingTelegramsTest, ARenameNeverReplacesAFile)
{
    Put("TEL00020.ERR", "СТАРЫЙ\r\n");
    Put("TEL00020.TLG", "НЕТ АДРЕСА\r\n");
    Scan();
    EXPECT_EQ(Get("TEL00020.ERR"), "СТАРЫЙ\r\n");
    EXPECT_EQ(Get("TEL00020.TLG"), "НЕТ АДРЕСА\r\n");
    EXPECT_EQ(f.LogWith(QStringLiteral("Не могу переименовать файл \"%1\" в \"%2\"")
                            .arg(f.Out("TEL00020.TLG"), f.Out("TEL00020.ERR")))
                  .size(),
              1);
}

TEST_F(OutgoingTelegramsTest, TheAnswerbackComesFromTheFileTheNumberOrTheDirectory)
{
    f.directory.subscribers["22222"] = {QStringLiteral("Рога и копыта"), QStringLiteral("RK 777")};
    f.directory.subscribers["33333"] = {QStringLiteral("Без автоответа"), QString()};
    struct Case {
        const char* line;
        const char* answerBack;
        const char* address;
    };
    const Case cases[] = {
        {"|#51234(МОЙ АБ) ИВАНОВ", "МОЙ АБ", ""},
        {"|#51234 (МОЙ АБ)", "51234", ""},
        {"|#007495123456", "123456", ""},
        {"|#123456-", "123456", ""},
        {"|#22222(СТАРЫЙ АБ)", "RK 777", "Рога и копыта"},
        // An empty answerback in the directory (an imported subscriber)
        // leaves the one of the address line or the number.
        {"|#33333(СТАРЫЙ АБ)", "СТАРЫЙ АБ", "Без автоответа"},
        {"|#33333", "33333", "Без автоответа"},
    };
    int n = 30;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("TEL%1.TLG").arg(++n, 5, 10, QLatin1Char('0'));
        Put(name, QString::fromUtf8(c.line) + "\r\nТЕКСТ\r\n");
        d().Outgoing().TlgPath.clear(); // each telegram on its own
        Scan();
        ASSERT_TRUE(Chosen()) << c.line;
        EXPECT_EQ(d().ExpectedAnswerBack, QString::fromUtf8(c.answerBack)) << c.line;
        EXPECT_EQ(d().Address, QString::fromUtf8(c.address)) << c.line;
        QFile::remove(f.Out(name));
    }
    EXPECT_TRUE(window.Calls().contains("SetCallInfo(TEL00035.TLG, 22222, Рога и копыта, AB=RK 777)"));
}

TEST_F(OutgoingTelegramsTest, ASubscriberWithoutAnswerbackIsCheckedAgainstTheAddressLine)
{
    f.directory.subscribers["44444"] = {QStringLiteral("ИМПОРТИРОВАН"), QString()};
    Put("TEL00039.TLG", "|#44444(44444 ABC)\r\nТЕКСТ\r\n");
    Scan();
    ASSERT_TRUE(Chosen());
    EXPECT_EQ(d().Address, "ИМПОРТИРОВАН");
    // With answerback checking on, the partner's answer matches what the
    // address line expects; an empty expectation would refuse it as BAB.
    const QString answer = QStringLiteral("<_44444 ABC");
    EXPECT_TRUE(CheckAnswerBackText(answer, d().ExpectedAnswerBack, true, true).Matched);
    EXPECT_FALSE(CheckAnswerBackText(answer, QString(), true, true).Matched);
}

TEST_F(OutgoingTelegramsTest, AnAlternativeIsTriedAfterAFailedCallAndASuccessCompletesTheLine)
{
    Put("TEL00040.TLG", "|#111/#222 ПЕТРОВ\r\n|#333\r\nТЕКСТ\r\n");
    Scan();
    EXPECT_EQ(d().Number, "111");
    Waits("111", 60); // the call failed; the clear-down registered it
    Scan();
    EXPECT_EQ(d().Number, "222");
    Succeed();
    EXPECT_EQ(Get("TEL00040.TLG"), "|*111/*222 ПЕТРОВ\r\n|#333\r\nТЕКСТ\r\n");
    EXPECT_EQ(d().Number, "333");
}

TEST_F(OutgoingTelegramsTest, ALineWhoseAlternativeSucceededIsDoneWhateverBlockedOnesStandBesideIt)
{
    struct Case {
        const char* text;
        const char* called; // the number whose call succeeds
        const char* extension;
        const char* after;
    };
    const Case cases[] = {
        {"|      ~8-2345/#8-2346(2346)\r\nТЕКСТ\r\n", "8-2346", ".TRS", "|      ~8-2345/*8-2346(2346)\r\nТЕКСТ\r\n"},
        {"|~111/#222\r\n|*333/~444\r\nТЕКСТ\r\n", "222", ".TRS", "|~111/*222\r\n|*333/~444\r\nТЕКСТ\r\n"},
        {"|~111/#222\r\n|~333\r\nТЕКСТ\r\n", "222", ".LER", "|~111/*222\r\n|~333\r\nТЕКСТ\r\n"},
    };
    int n = 80;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("TEL%1.TLG").arg(++n, 5, 10, QLatin1Char('0'));
        Put(name, QString::fromUtf8(c.text));
        Scan();
        ASSERT_TRUE(Chosen()) << c.text;
        EXPECT_EQ(d().Number, c.called);
        Succeed();
        EXPECT_FALSE(Chosen());
        EXPECT_FALSE(Exists(name)) << c.text;
        const QString renamed = ChangeFileExt(name, QString::fromUtf8(c.extension));
        ASSERT_TRUE(Exists(renamed)) << c.text;
        EXPECT_EQ(Get(renamed), QString::fromUtf8(c.after));
    }
}

TEST_F(OutgoingTelegramsTest, AReloadedTelegramIsMarkedOnlyWhereItsNumberStillWaits)
{
    struct Case {
        const char* edited; // the file as it stands when the call has succeeded
        const char* after;
    };
    const Case cases[] = {
        // The number's line moved down: that line is marked.
        {"|*51230\r\n|#51234\r\nТЕКСТ\r\n", "|*51230\r\n|*51234\r\nТЕКСТ\r\n"},
        // Another number stands where the selected one stood, and the selected one is blocked: nothing.
        {"|#51235\r\n|~51234\r\nТЕКСТ\r\n", "|#51235\r\n|~51234\r\nТЕКСТ\r\n"},
        // The mark is gone altogether: nothing.
        {"|51234\r\nТЕКСТ\r\n", "|51234\r\nТЕКСТ\r\n"},
    };
    int n = 90;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("TEL%1.TLG").arg(++n, 5, 10, QLatin1Char('0'));
        Put(name, "|#51234\r\n|#51235\r\nТЕКСТ\r\n");
        d().Outgoing().TlgPath.clear();
        Scan();
        ASSERT_TRUE(Chosen());
        ASSERT_EQ(d().Number, "51234");
        d().Outgoing().TlgPath.clear(); // no longer the current file: it is read again
        Put(name, QString::fromUtf8(c.edited));
        Succeed();
        EXPECT_EQ(Get(name), QString::fromUtf8(c.after)) << c.edited;
        QFile::remove(f.Out(name));
    }
}

TEST_F(OutgoingTelegramsTest, AWaitingNumberHoldsItsLineUntilItsWaitRunsOut)
{
    Waits("51234", 5);
    Put("TEL00041.TLG", "|#51234/#51235\r\nТЕКСТ\r\n");
    Scan();
    EXPECT_FALSE(Chosen()); // the line's later alternative waits for a later pass
    EXPECT_EQ(d().ScanDelay, 30);
    Scan(); // continues the file, finds the listing at its end, drops the file
    EXPECT_TRUE(d().TlgPath.isEmpty());
    UnsuccNumbers->ObjectAs<TUnsucNumObject>(0)->Wait = 0;
    Scan();
    ASSERT_TRUE(Chosen());
    EXPECT_EQ(d().Number, "51234");
}

TEST_F(OutgoingTelegramsTest, OnlyTheSelectedLineIsMarkedDoneWhateverElseHoldsItsNumber)
{
    Waits("0123", 60);
    Put("TEL00050.TLG", "|*51234\r\n|#0123\r\n|#123\r\nТЕКСТ 123\r\n");
    Scan();
    ASSERT_EQ(d().Number, "123");
    Succeed();
    EXPECT_EQ(Get("TEL00050.TLG"), "|*51234\r\n|#0123\r\n|*123\r\nТЕКСТ 123\r\n");
}

TEST_F(OutgoingTelegramsTest, OnlyTheCallSucceededRequestMarksANumberDone)
{
    Put("TEL00051.TLG", "|#51234\r\nТЕКСТ\r\n");
    Scan();
    {
        EngineLock lock(d().Mutex());
        d().ConnectionKind = 2;
        d().TxDone = 1;
        d().ConnectionFile = f.Out("TEL00051.PTC");
        d().PlaceChunk("+?"); // a last part written at the clear-down
    }
    f.Tick();
    EXPECT_TRUE(QFile::exists(f.Out("TEL00051.PTC")));
    EXPECT_EQ(Get("TEL00051.TLG"), "|#51234\r\nТЕКСТ\r\n");
    Succeed();
    EXPECT_EQ(Get("TEL00051.TRS"), "|*51234\r\nТЕКСТ\r\n");
}

TEST_F(OutgoingTelegramsTest, WhileTheDirectoryIsClosedTheScanIsTriedAgainAtEveryFileTick)
{
    f.directory.subscribers["51234"] = {QStringLiteral("ПЕТРОВ"), QStringLiteral("51234 ПЕТР")};
    f.directory.closed = true; // an import under way, or a table that failed to open
    Put("TEL00060.TLG", "|#51234(АБ 1)\r\n|#51235\r\nТЕКСТ\r\n");
    d().Events.raise(DriverEvent::ScanOutgoing);
    for (int i = 0; i < 3; ++i) {
        f.Tick();
        EXPECT_FALSE(Chosen());
        EXPECT_TRUE(d().Events.has(DriverEvent::ScanOutgoing)) << "the scan is not over";
    }
    EXPECT_EQ(f.directory.lookups, 3);
    EXPECT_EQ(f.LogWith("Справочник абонентов недоступен").size(), 1);
    f.directory.closed = false;
    f.Tick();
    ASSERT_TRUE(Chosen());
    EXPECT_FALSE(d().Events.has(DriverEvent::ScanOutgoing));
    EXPECT_EQ(d().Number, "51234") << "the number looked up is not passed over";
    EXPECT_EQ(d().ExpectedAnswerBack, "51234 ПЕТР");
    EXPECT_EQ(d().Address, "ПЕТРОВ");
    EXPECT_EQ(d().ScanDelay, 0);
    EXPECT_EQ(d().Alarm, 0);

    // The next destination, chosen when the done mark is written: the same.
    f.directory.closed = true;
    Succeed();
    EXPECT_FALSE(Chosen());
    EXPECT_EQ(f.LogWith("Справочник абонентов недоступен").size(), 2);
    f.directory.closed = false;
    Scan();
    ASSERT_TRUE(Chosen());
    EXPECT_EQ(d().Number, "51235");
    EXPECT_EQ(d().ExpectedAnswerBack, "51235");
}

TEST_F(OutgoingTelegramsTest, AFileThatCannotBeReadIsPassedOverAndLoggedOnce)
{
    ASSERT_TRUE(QDir(f.rig.dir.filePath("out1")).mkdir("TEL00070.TLG")); // no file can be read there
    EXPECT_FALSE(d().Outgoing().OpenOutgoingFile("TEL00070.TLG"));
    EXPECT_FALSE(d().Outgoing().OpenOutgoingFile("TEL00070.TLG"));
    EXPECT_TRUE(d().Outgoing().TlgPath.isEmpty());
    EXPECT_EQ(f.LogWith(f.Out("TEL00070.TLG")).size(), 1);
    EXPECT_FALSE(Exists("TEL00070.ERR"));
}

TEST_F(OutgoingTelegramsTest, AFileGoneFromTheListingIsSkipped)
{
    Put("TEL00071.TLG", "|#111\r\nТЕКСТ\r\n");
    Put("TEL00072.TLG", "|#222\r\nТЕКСТ\r\n");
    Put("TEL00073.TLG", "|#333\r\nТЕКСТ\r\n");
    Scan();
    ASSERT_TRUE(Chosen());
    const QString first = d().TlgFileName;
    const QStringList listing = d().Outgoing().TlgSearch;
    ASSERT_EQ(listing.size(), 3);
    QFile::remove(f.Out(listing[1])); // gone before the scan reaches it
    Waits(d().Number, 60);
    Scan();
    ASSERT_TRUE(Chosen());
    EXPECT_EQ(d().TlgFileName, listing[2]);
    EXPECT_NE(d().TlgFileName, first);
    EXPECT_TRUE(f.LogWith(f.Out(listing[1])).isEmpty());
}

// --- a long listing ---

TEST_F(OutgoingTelegramsTest, ALongScanGoesOnOverFileTicksAndChoosesAsOneGoWould)
{
    for (int i = 1; i <= 6; ++i)
        Put(QStringLiteral("TEL%1.TLG").arg(100 + i, 5, 10, QLatin1Char('0')),
            QStringLiteral("|#%1\r\nТЕКСТ\r\n").arg(700 + i));
    for (const int waiting : {701, 702, 703, 705})
        Waits(QString::number(waiting), 600);
    OutgoingTelegrams& out = d().Outgoing();
    out.SliceNs = 0; // one file a tick
    out.SliceMinFiles = 1;
    d().Events.raise(DriverEvent::ScanOutgoing);
    int ticks = 0;
    while (d().Events.has(DriverEvent::ScanOutgoing) && ticks < 20) {
        EXPECT_FALSE(Chosen());
        f.Tick();
        ++ticks;
    }
    ASSERT_TRUE(Chosen());
    // The first file of the listing with a number to call now.
    QString expected;
    for (const QString& name : std::as_const(out.TlgSearch)) {
        if (name == "TEL00104.TLG" || name == "TEL00106.TLG") {
            expected = name;
            break;
        }
    }
    EXPECT_EQ(d().TlgFileName, expected);
    EXPECT_EQ(ticks, out.TlgSearch.indexOf(expected) + 1) << "one file each tick up to the chosen one";
    EXPECT_EQ(d().ScanDelay, 0) << "a scan that selected leaves the delay alone";
}

TEST_F(OutgoingTelegramsTest, AKnownFileIsReadAgainOnceItHasChanged)
{
    // Two telegrams whose numbers wait: the second pass knows them both.
    Put("TEL00111.TLG", "|#811\r\nТЕКСТ\r\n");
    Put("TEL00112.TLG", "|#812\r\nТЕКСТ\r\n");
    Waits("811", 600);
    Waits("812", 600);
    for (int pass = 0; pass < 2; ++pass) {
        d().Outgoing().TlgPath.clear();
        Scan();
        ASSERT_FALSE(Chosen());
    }
    // The operator puts another number into each, in place; both are seen at once.
    Put("TEL00111.TLG", "|#8211\r\nТЕКСТ\r\n");
    Put("TEL00112.TLG", "|#8222\r\nТЕКСТ\r\n");
    d().Outgoing().TlgPath.clear();
    Scan();
    ASSERT_TRUE(Chosen());
    EXPECT_EQ(d().Number, d().TlgFileName == "TEL00111.TLG" ? "8211" : "8222");
    // Written in place with the same size at once: the folder's watch tells all the same.
    const QString other = d().TlgFileName == "TEL00111.TLG" ? "TEL00112.TLG" : "TEL00111.TLG";
    Waits(d().Number, 600);
    d().Outgoing().TlgPath.clear();
    Scan();
    ASSERT_TRUE(Chosen()) << "the other telegram";
    EXPECT_EQ(d().TlgFileName, other);
    Waits(d().Number, 600);
    for (int pass = 0; pass < 2; ++pass) {
        d().Outgoing().TlgPath.clear();
        Scan();
        ASSERT_FALSE(Chosen());
    }
    Put("TEL00111.TLG", "|#8311\r\nТЕКСТ\r\n");
    Put("TEL00112.TLG", "|#8322\r\nТЕКСТ\r\n");
    d().Outgoing().TlgPath.clear();
    Scan();
    ASSERT_TRUE(Chosen());
    EXPECT_TRUE(d().Number == "8311" || d().Number == "8322") << d().Number.toStdString();
    Waits("8311", 600);
    Waits("8322", 600);
    // A known file whose wait has run out is chosen too.
    d().Outgoing().TlgPath.clear();
    QFile::remove(f.Out(d().TlgFileName));
    Put("TEL00113.TLG", "|#811\r\nТЕКСТ\r\n");
    Waits("8211", 600);
    Waits("8222", 600);
    Scan();
    ASSERT_FALSE(Chosen());
    UnsuccNumbers->ObjectAs<TUnsucNumObject>(UnsuccNumbers->IndexOf("811"))->Wait = 0;
    d().Outgoing().TlgPath.clear();
    Scan();
    ASSERT_TRUE(Chosen());
    EXPECT_EQ(d().Number, "811");
}

TEST(OutgoingListing, ListsTheOrdinaryTelegramFilesAsTheFolderListingDoes)
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    for (const char* name : {"TEL00001.TLG", "tel00002.tlg", "TEL00003.TRS", ".TEL00004.TLG", "TLG", "A.TLG.BAK"})
        FileWorkRig::Write(folder.filePath(name), "|#1\r\n");
    ASSERT_TRUE(folder.mkdir("TEL00005.TLG"));
    ASSERT_TRUE(QFile::link(folder.filePath("TEL00001.TLG"), folder.filePath("TEL00006.TLG")));
    ASSERT_TRUE(QFile::link(folder.filePath("GONE"), folder.filePath("TEL00007.TLG")));
    const QStringList expected = folder.entryList({"*.TLG"}, QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    EXPECT_EQ(ListOutgoingTelegrams(dir.path()), expected);
    QStringList sorted = expected;
    sorted.sort();
    EXPECT_EQ(sorted, QStringList({"TEL00001.TLG", "TEL00006.TLG", "tel00002.tlg"}));
    EXPECT_TRUE(ListOutgoingTelegrams(folder.filePath("missing")).isEmpty());
}

TEST(FolderWatchTest, NamesTheFilesChangedSinceItWasAskedLast)
{
    QTemporaryDir dir;
    const QDir folder(dir.path());
    FileWorkRig::Write(folder.filePath("TEL00001.TLG"), "|#1\r\n");
    FolderWatch watch(dir.path());
    ASSERT_TRUE(watch.Watching());
    QStringList seen;
    const auto note = [&seen](const QString& name) {
        if (!seen.contains(name))
            seen << name;
    };
    EXPECT_TRUE(watch.Collect(note));
    EXPECT_TRUE(seen.isEmpty());
    FileWorkRig::Write(folder.filePath("TEL00001.TLG"), "|#2\r\n"); // in place, the same size
    ASSERT_TRUE(QFile::rename(folder.filePath("TEL00001.TLG"), folder.filePath("TEL00001.TRS")));
    EXPECT_TRUE(watch.Collect(note));
    EXPECT_EQ(seen, QStringList({"TEL00001.TLG", "TEL00001.TRS"}));
    seen.clear();
    EXPECT_TRUE(watch.Collect(note));
    EXPECT_TRUE(seen.isEmpty());
    // The folder itself goes: nothing can be told any more.
    QFile::remove(folder.filePath("TEL00001.TRS"));
    ASSERT_TRUE(QDir().rmdir(dir.path()));
    EXPECT_FALSE(watch.Collect(note));
    EXPECT_FALSE(watch.Watching());
    EXPECT_FALSE(FolderWatch(folder.filePath("missing")).Watching());
}

TEST(KnownTelegramsTest, AFileWrittenAnewIsUnknownAndWhatTheListingMissedIsDropped)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("TEL00001.TLG");
    FileWorkRig::Write(path, "|#1\r\nТЕКСТ\r\n");
    FileStamp before;
    ASSERT_TRUE(StampOfFile(path, before));
    KnownTelegrams known;
    known.BeginListing();
    known.Remember("TEL00001.TLG", before, {"|#1", "|#2", "ТЕКСТ", "|#3"});
    known.Remember("TEL00002.TLG", before, {"|#9"});
    const QStringList* lines = known.AddressLines("TEL00001.TLG", before);
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(*lines, QStringList({"|#1", "|#2"})) << "the address lines only";

    // The same text, written anew as the program writes: a new file renamed over the old.
    FileWorkRig::Write(path + ".new", "|#1\r\nТЕКСТ\r\n");
    ASSERT_EQ(::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData()), 0);
    FileStamp after;
    ASSERT_TRUE(StampOfFile(path, after));
    EXPECT_FALSE(after == before);
    EXPECT_EQ(known.AddressLines("TEL00001.TLG", after), nullptr);
    EXPECT_FALSE(StampOfFile(dir.path(), after)) << "a folder is no telegram";

    // Trusted entries are used without a stamp until distrusted.
    known.Remember("TEL00001.TLG", after, {"|#1"}, true);
    EXPECT_NE(known.TrustedLines("TEL00001.TLG"), nullptr);
    known.Distrust("TEL00001.TLG");
    EXPECT_EQ(known.TrustedLines("TEL00001.TLG"), nullptr);
    EXPECT_NE(known.AddressLines("TEL00001.TLG", after, true), nullptr) << "its stamp is unchanged";
    EXPECT_NE(known.TrustedLines("TEL00001.TLG"), nullptr);
    known.DistrustAll();
    EXPECT_EQ(known.TrustedLines("TEL00001.TLG"), nullptr);

    known.BeginListing();
    known.Remember("TEL00003.TLG", before, {"|#3"});
    known.Prune();
    EXPECT_EQ(known.Count(), 1) << "only what the last listing reached";
    EXPECT_NE(known.AddressLines("TEL00003.TLG", before), nullptr);
}

} // namespace
