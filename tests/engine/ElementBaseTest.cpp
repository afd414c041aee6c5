// The shared operations of the protocol elements.

#include "tests/engine/EngineRig.h"

#include "engine/EngineError.h"
#include "engine/TelegramNumbering.h"
#include "platform/IniFile.h"
#include "protocols/TxProtoc.h"

#include <gtest/gtest.h>

#include <optional>

using namespace korvane;
using namespace korvane::test;

namespace {

class ElementBase : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.catalog = MakeCatalog({{QStringLiteral("Пауза"), "TTxPause", nullptr, nullptr}});
        rig.set = MakeSet({{"Первый", QStringLiteral("Пауза"), {"1.5"}},
                           {"Дубль", QStringLiteral("Пауза"), {"300"}},
                           {"Дубль", QStringLiteral("Пауза"), {"2"}}});
        rig.AddLine(1);
        rig.EnableChannel(1);
        TTlgCounters& counters = rig.Channel(1).Counters;
        counters.Day = 15; // the rig's clock starts on 15 January
        counters.Month = 1;
        counters.FullNumber = 7;
        counters.setFNumberMode(u'М');
        counters.setCKSNumberMode(u'Д');
        rig.Start();
        rig.Advance(50);
        element = rig.Driver().CurrentElement;
        ASSERT_NE(element, nullptr);
    }
    // A value of a definition with the given unit and table.
    std::int32_t Value(const QString& text, const QString& units, const QStringList& table = {})
    {
        defs.push_back(NewParamDef("Параметр", units, table));
        TParamValue v{text, &defs.back()};
        return element->ParamValue(&v);
    }

    EngineRig rig;
    TTxElementPro* element = nullptr;
    std::deque<TParamDef> defs;
};

TEST_F(ElementBase, ParameterValuesByUnit)
{
    struct Case {
        QString text, units;
        std::int32_t expected;
    };
    const Case cases[] = {{"1.5", "с", 1500}, {"2", "мин", 120000}, {"300", "мс", 300},
                          {"2.5", "символов", 2},  {"3.5", "попыток", 4}, {"-1.00", "мс", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(Value(c.text, c.units), c.expected) << c.text.toStdString() << " " << c.units.toStdString();
    EXPECT_EQ(Value("Включен", "", {"Выключен", "Включен"}), 1);
    EXPECT_EQ(Value("любой текст", ""), 0);
    EXPECT_EQ(element->ParamValue(nullptr), 0);
    EXPECT_EQ(element->ParamValue(5), 0) << "a step with fewer values than asked for";
}

TEST_F(ElementBase, BadParameterValuesFailWithTheirMessages)
{
    try {
        Value("12x", "мс");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.message(), "The value 12x is not a valid number");
    }
    EXPECT_THROW(Value("Авто", "", {"Выключен", "Включен"}), EngineError);
}

TEST_F(ElementBase, ANumberThatDoesNotFitIsAnInvalidValueNeverAWrappedOne)
{
    struct Case {
        QString text, units;
        std::optional<std::int32_t> expected; // none: the invalid-value error
    };
    const Case cases[] = {
        {"2147483647", "мс", 2147483647},   {"-2147483648", "мс", -2147483648LL},
        {"2147483.647", "с", 2147483647},   {"35791.394", "мин", 2147483640},
        {"2147483648", "мс", std::nullopt}, {"-2147483649", "мс", std::nullopt},
        {"9999999999", "с", std::nullopt},  {"1e10", "с", std::nullopt},
        {"2147483.648", "с", std::nullopt}, {"35791.3942", "мин", std::nullopt},
        {"1e400", "мс", std::nullopt},      {"-1e10", "попыток", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " " + c.units.toStdString());
        if (c.expected) {
            EXPECT_EQ(Value(c.text, c.units), *c.expected);
            continue;
        }
        try {
            Value(c.text, c.units);
            ADD_FAILURE() << "no error";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.message(), "The value " + c.text + " is not a valid number");
        }
    }
}

TEST_F(ElementBase, JumpsFindTheFirstStepOfTheName)
{
    element->JumpTo("Дубль");
    EXPECT_TRUE(element->Done);
    EXPECT_EQ(element->Step, &rig.set->Protocols[0][0].Elements[1]);
    element->Start(); // each run names its next step once
    element->GoNext();
    EXPECT_EQ(element->Step, &rig.set->Protocols[0][0].Elements[2]);
    element->Start();
    element->GoNext();
    EXPECT_EQ(element->Step, nullptr);
    element->Start();
    try {
        element->JumpTo("Нет");
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_EQ(e.message(), "The element Нет doesn't present in the ElementList");
    }
}

TEST_F(ElementBase, MacrosAreExpandedInTheirOrder)
{
    TTxChannelDriver& d = rig.Driver();
    d.Number = "2345";
    d.TlgFileName = "C:\\MAIL2\\OUTGO1\\TEL00007.TLG";
    d.TlgLines = QStringList({"|#2345", "ДВА  СЛОВА", " ТРИ"});
    struct Case {
        QString in, out;
    };
    const Case cases[] = {
        {"a{x}b", "A X}B"},
        {"|{DATA 1/1}", "015/01"},
        {"{COUNTCKS-Д5}X", "X"},
        {"{WORDS}{WORDS}", "3 WORDS}"},
        {"{TIME} {#АБОНЕНТА}", "1200 2345"},
        {"{ИМЯФАЙЛА}", "TEL00007.TLG"},
        // The telegraph's capitals: a letter whose capital the code page lacks stays.
        {"ёж µ ÿ ß", "ЁЖ µ ÿ ß"},
    };
    for (const Case& c : cases) {
        QString s = c.in;
        element->ExpandMacros(s);
        EXPECT_EQ(s, c.out) << c.in.toStdString();
    }
}

TEST_F(ElementBase, TheNumberMacroDrawsTheNextFullNumber)
{
    // "{COUNT-" comes first; the text's first '}' lies before it, so only its name goes.
    QString s = "НОМЕР {НОМЕР-М5}/{COUNT-}";
    element->ExpandMacros(s);
    EXPECT_EQ(s, "НОМЕР 8/7}");
    EXPECT_EQ(rig.Driver().Numbering().TlgCntFullNumber, 9);
}

TEST_F(ElementBase, DrawnCountersAreSavedByTheNextFileTickNotWhereTheyAreDrawn)
{
    const QString ini = rig.dir.filePath(QStringLiteral("KORVANE2.INI"));
    auto stored = [&] { return IniFile(ini).ReadInteger(ChannelSectionName(1), "TlgCntFullNumber", -1); };
    QString n;
    element->NextTlgNumber(0, n);
    element->NextTlgNumber(0, n);
    EXPECT_EQ(n, "8");
    EXPECT_EQ(stored(), -1) << "no disk work where a number is drawn (the fast tick, under the engine lock)";
    rig.Advance(50); // the file tick
    EXPECT_EQ(stored(), 9);
    rig.Driver().SaveTlgRecNo(5);
    EXPECT_EQ(IniFile(ini).ReadInteger(ChannelSectionName(1), "TlgRecNo", -1), -1);
    rig.Advance(50);
    EXPECT_EQ(IniFile(ini).ReadInteger(ChannelSectionName(1), "TlgRecNo", -1), 5);
}

TEST_F(ElementBase, CountersDrawnJustBeforeTheChannelsStopAreSavedAsTheyStop)
{
    const QString ini = rig.dir.filePath(QStringLiteral("KORVANE2.INI"));
    QString n;
    element->NextTlgNumber(0, n);
    rig.scanner.reset();
    EXPECT_EQ(IniFile(ini).ReadInteger(ChannelSectionName(1), "TlgCntFullNumber", -1), 8);
}

TEST_F(ElementBase, ClearingIsSeenWhenTheInputStaysMinusForTheClearingTime)
{
    TTxChannelDriver& d = rig.Driver();
    d.ClearingTime = 30;
    d.LineBreakTime = 1000;
    element->Start();
    rig.lines[1]->setRing(false);
    rig.Advance(1);
    EXPECT_FALSE(element->Disconnected());
    EXPECT_FALSE(element->Disconnected());
    rig.lines[1]->setRing(true); // '+' in between restarts the count
    rig.Advance(1);
    EXPECT_FALSE(element->Disconnected());
    rig.lines[1]->setRing(false);
    rig.Advance(1);
    EXPECT_FALSE(element->Disconnected());
    EXPECT_FALSE(element->Disconnected());
    EXPECT_TRUE(element->Disconnected());
}

TEST_F(ElementBase, AHandledExceptionIsLoggedWhateverTheLogModeAndRestartsTheProtocol)
{
    rig.modes.Set([](TDriverModes& m) { m.TlxLogMode = 0; });
    element->HandleException("сбой", "TTxPause.DoIt");
    EXPECT_TRUE(rig.Driver().RestartPending);
    rig.Advance(50);
    EXPECT_TRUE(rig.LogLines().contains("Канал 1: [== Исключение: сбой [TTxPause.DoIt]]"));
}

} // namespace
