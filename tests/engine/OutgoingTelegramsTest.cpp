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

#include <QDir>

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

TEST_F(OutgoingTelegramsTest, AClosedDirectoryCountsAsNotFoundAndIsLoggedOnce)
{
    f.directory.closed = true;
    Put("TEL00060.TLG", "|#51234(АБ 1)\r\n|#51235\r\nТЕКСТ\r\n");
    Scan();
    ASSERT_TRUE(Chosen());
    EXPECT_EQ(d().ExpectedAnswerBack, "АБ 1");
    Succeed();
    ASSERT_TRUE(Chosen());
    EXPECT_EQ(d().Number, "51235");
    EXPECT_EQ(f.directory.lookups, 2);
    EXPECT_EQ(f.LogWith("Справочник абонентов недоступен").size(), 1);
    EXPECT_EQ(d().Alarm, 0);
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

} // namespace
