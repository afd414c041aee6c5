#include "ui/settings/ProtocolCheck.h"

#include "tests/ui/ProtocolSetFixture.h"

#include <gtest/gtest.h>

#include <functional>

using namespace korvane;
using korvane::test::FakeMessageBox;
using korvane::test::StepNamed;
using korvane::test::TestSet;
using korvane::test::ValueNamed;

namespace {

struct DamageCase {
    const char* name;
    int kind; // 1..4: the kind whose first protocol is damaged
    std::function<void(TProtocolRec&)> damage;
    QString message; // empty: the check passes
};

class CheckProtocolsTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(CheckProtocolsTest, ShowsTheExactMessageAndRefusesOnlyADamagedSet)
{
    const DamageCase& c = GetParam();
    std::unique_ptr<TProtocolSet> set = TestSet();
    c.damage(set->Protocols[std::size_t(c.kind - 1)].front());
    FakeMessageBox box;
    const bool ok = CheckProtocols(*set, box);
    if (c.message.isEmpty()) {
        EXPECT_TRUE(ok);
        EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join(u'\n').toStdString();
        return;
    }
    EXPECT_FALSE(ok);
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_EQ(box.shown[0].text, c.message);
    EXPECT_EQ(box.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(box.shown[0].icon, MessageIcon::Error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckProtocolsTest,
    ::testing::Values(
        DamageCase{"Clean", 1, [](TProtocolRec&) {}, {}},
        DamageCase{"DecimalComma", 1,
                   [](TProtocolRec& p) {
                       ValueNamed(StepNamed(p, QStringLiteral("Пауза1")), QStringLiteral("Длительность")).Value =
                           QStringLiteral("1,5");
                   },
                   QStringLiteral("В протоколе \"Тест\" у элемента \"Пауза\" неверное значение параметра "
                                  "\"Пауза1: Длительность\"")},
        DamageCase{"OutOfRangeIsNoError", 1,
                   [](TProtocolRec& p) {
                       ValueNamed(StepNamed(p, QStringLiteral("Пауза1")), QStringLiteral("Длительность")).Value =
                           QStringLiteral("5000");
                   },
                   {}},
        DamageCase{"MissingJumpTarget", 1,
                   [](TProtocolRec& p) {
                       ValueNamed(StepNamed(p, QStringLiteral("Переход1")), QStringLiteral("*Элемент")).Value =
                           QStringLiteral("Нет такого");
                   },
                   QStringLiteral("В протоколе \"Тест\" у элемента \"Переход\" отсутствует параметр "
                                  "\"Переход1: *Элемент\"")},
        DamageCase{"JumpTargetComparedExactly", 1,
                   [](TProtocolRec& p) {
                       ValueNamed(StepNamed(p, QStringLiteral("Переход1")), QStringLiteral("*Элемент")).Value =
                           QStringLiteral("пауза1");
                   },
                   QStringLiteral("В протоколе \"Тест\" у элемента \"Переход\" отсутствует параметр "
                                  "\"Переход1: *Элемент\"")},
        DamageCase{"TableValueNotInTable", 1,
                   [](TProtocolRec& p) {
                       ValueNamed(StepNamed(p, QStringLiteral("Режим1")), QStringLiteral("Скорость")).Value =
                           QStringLiteral("9600");
                   },
                   QStringLiteral("В протоколе \"Тест\" у элемента \"Режим приема/передачи\" неверное значение "
                                  "параметра \"Режим1: Скорость\"")},
        DamageCase{"TextIsNotChecked", 1,
                   [](TProtocolRec& p) {
                       ValueNamed(StepNamed(p, QStringLiteral("Строка1")), QStringLiteral("Строка")).Value =
                           QStringLiteral("anything at all, 1,5");
                   },
                   {}}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return std::string(info.param.name); });

TEST(CheckProtocols, ChecksEveryKindAndEachFailingKindSpeaksOnce)
{
    std::unique_ptr<TProtocolSet> set = TestSet();
    ValueNamed(StepNamed(set->Protocols[0].front(), QStringLiteral("Пауза1")), QStringLiteral("Длительность")).Value =
        QStringLiteral("1,5");
    // A second fault in kind 1 is not reported: the first ends the list.
    ValueNamed(StepNamed(set->Protocols[0].front(), QStringLiteral("Переход1")), QStringLiteral("*Элемент")).Value =
        QStringLiteral("nowhere");
    TProtocolRec& last = set->Protocols[3].front();
    TParamValue* numeric = nullptr;
    const TElementRec* owner = nullptr;
    for (TElementRec& e : last.Elements)
        for (TParamValue& v : e.Params)
            if (!numeric && v.Def && v.Def->kind() == ParamKind::Numeric) {
                numeric = &v;
                owner = &e;
            }
    ASSERT_NE(numeric, nullptr);
    numeric->Value = QStringLiteral("x");

    FakeMessageBox box;
    EXPECT_FALSE(CheckProtocols(*set, box));
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_EQ(box.shown[0].text, QStringLiteral("В протоколе \"Тест\" у элемента \"Пауза\" неверное значение "
                                                 "параметра \"Пауза1: Длительность\""));
    EXPECT_EQ(box.shown[1].text, QStringLiteral("В протоколе \"") + last.Name + QStringLiteral("\" у элемента \"")
                                     + owner->ClassDef->Name + QStringLiteral("\" неверное значение параметра \"")
                                     + owner->Name + QStringLiteral(": ") + numeric->Def->Name + QStringLiteral("\""));
}

TEST(CheckProtocols, BuiltInSetPasses)
{
    FakeMessageBox box;
    int err = 0;
    std::unique_ptr<TProtocolSet> set = BuildDefaultProtocolSet(err, box);
    EXPECT_TRUE(CheckProtocols(*set, box));
    EXPECT_TRUE(box.shown.isEmpty());
}

} // namespace
