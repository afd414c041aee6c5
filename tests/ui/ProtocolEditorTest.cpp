#include "ui/settings/ProtocolEditorPage.h"

#include "tests/ui/ProtocolSetFixture.h"
#include "tests/ui/TypeKeys.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QTest>

#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::ReadBack;
using korvane::test::StepNamed;
using korvane::test::TestSet;
using korvane::test::ValueNamed;
using korvane::test::WrittenSet;

namespace {

QStringList Items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QStringList Items(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QString Sep()
{
    return QLocale::system().decimalPoint();
}

class ProtocolEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set = TestSet();
        protocol = &set->Protocols[0].front();
        page.Fill(protocol, set->Registry.get(), QStringLiteral("Тест"));
    }

    // Shows element Element and its parameter Param.
    void Select(const QString& element, const QString& param)
    {
        const auto found = page.ElementListBox()->findItems(element, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << element.toStdString();
        page.ElementListBox()->setCurrentItem(found.front());
        page.ElementListBoxClick(); // a click on the item already chosen shows it anew
        if (param.isEmpty())
            return;
        const auto p = page.ParametrListBox()->findItems(param, Qt::MatchExactly);
        ASSERT_FALSE(p.isEmpty()) << param.toStdString();
        page.ParametrListBox()->setCurrentItem(p.front());
        page.ParametrListBoxClick();
    }

    void Leave()
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(page.ValueTblComboBox(), &out);
    }

    TParamValue& V(const QString& element, const QString& param)
    {
        return ValueNamed(StepNamed(*protocol, element), param);
    }

    std::unique_ptr<TProtocolSet> set;
    TProtocolRec* protocol = nullptr;
    TProtocolEditorPage page;
};

TEST_F(ProtocolEditorTest, FillingListsTheStepsTheRegistryAndTheFirstStep)
{
    EXPECT_TRUE(page.FElementsShown);
    EXPECT_EQ(page.ProtocolGroup()->title(), QStringLiteral("Телеграфный протокол: Тест"));
    EXPECT_EQ(Items(page.ElementListBox()),
              QStringList({"Пауза1", "Строка1", "Набор1", "Режим1", "Переход1", "Отбой1"}));
    QStringList classes;
    for (const TElementClassDef& d : set->Registry->entries())
        classes << d.Name;
    EXPECT_EQ(Items(page.ClassListBox()), classes);
    EXPECT_FALSE(page.ClassListBox()->isEnabled());
    EXPECT_EQ(page.ElementListBox()->currentRow(), 0);
    EXPECT_EQ(page.ClassListBox()->currentItem()->text(), QStringLiteral("Пауза"));
    EXPECT_EQ(Items(page.ParametrListBox()), QStringList({"Длительность"}));
    EXPECT_EQ(page.ValueTblComboBox()->currentText(), QStringLiteral("100"));

    page.Clear();
    EXPECT_FALSE(page.FElementsShown);
    EXPECT_EQ(page.ElementListBox()->count(), 0);
    EXPECT_EQ(page.ClassListBox()->count(), 0);
    // The parameter list keeps its content until the page is filled again.
    EXPECT_EQ(Items(page.ParametrListBox()), QStringList({"Длительность"}));
}

struct ShownCase {
    const char* element;
    const char* param;
    bool editable;
    QStringList items; // of a fixed list
    const char* text;
    QString setValue;
    QString min;
    QString max;
};

TEST_F(ProtocolEditorTest, EachParameterKindIsShownWithItsLabels)
{
    const QString s = Sep();
    const std::vector<ShownCase> cases = {
        {"Пауза1", "Длительность", true, {}, "100", "100 мс", "Min: 60" + s + "00", "Max: 130" + s + "00"},
        {"Строка1", "Передача", false, {"Выключена", "Включена"}, "Включена", "Включена", "табличное", "значение"},
        {"Строка1", "*Отбой", true, {}, "Отбой1", "Отбой1", "", ""},
        {"Строка1", "Строка", true, {}, "АБВГД", "АБВГД", "", ""},
        {"Набор1", "Код выхода", true, {}, "3", "3", "", ""},
        {"Режим1", "Скорость", false, {"50", "75", "100", "110", "150", "200", "300", "600", "1200"}, "50",
         "50 Бит/с", "табличное", "значение"},
        {"Режим1", "Пауза между символами", true, {}, "0", "0 мс", "Min: 0" + s + "00", "Max: 1000" + s + "00"},
        {"Отбой1", "", true, {}, "", "Без параметров", "Без параметров", ""},
    };
    for (const ShownCase& c : cases) {
        SCOPED_TRACE(std::string(c.element) + " / " + c.param);
        Select(QString::fromUtf8(c.element), QString::fromUtf8(c.param));
        QComboBox* box = page.ValueTblComboBox();
        EXPECT_EQ(box->isEditable(), c.editable);
        EXPECT_EQ(Items(box), c.items);
        EXPECT_EQ(box->currentText(), QString::fromUtf8(c.text));
        EXPECT_EQ(page.SetValueLabel()->text(), c.setValue);
        EXPECT_EQ(page.MinSetLabel()->text(), c.min);
        EXPECT_EQ(page.MaxSetLabel()->text(), c.max);
    }
}

struct TypingCase {
    const char* name;
    const char* element;
    const char* param;
    const char* loaded; // the value's text before it is shown
    QString keys;       // typed one by one; '\b' is Backspace
    const char* shown;  // the box after typing
    const char* stored; // the value after the box is left
};

class ValueTypingTest : public ProtocolEditorTest, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(ValueTypingTest, KeyFilterGuardAndStore)
{
    const TypingCase& c = GetParam();
    TParamValue& v = V(QString::fromUtf8(c.element), QString::fromUtf8(c.param));
    v.Value = QString::fromUtf8(c.loaded);
    const QString value3 = v.Value3;
    Select(QString::fromUtf8(c.element), QString::fromUtf8(c.param));
    korvane::test::TypeKeys(page.ValueTblComboBox(), c.keys);
    EXPECT_EQ(page.ValueTblComboBox()->currentText(), QString::fromUtf8(c.shown));
    Leave();
    EXPECT_EQ(v.Value, QString::fromUtf8(c.stored));
    EXPECT_EQ(page.ValueTblComboBox()->currentText(), QString::fromUtf8(c.stored));
    EXPECT_EQ(v.Value3, value3); // only the value's text changes
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueTypingTest,
    ::testing::Values(
        TypingCase{"MinusMakesNoNumber", "Пауза1", "Длительность", "1", "2-", "12", "60.00"},
        TypingCase{"LettersDiscarded", "Пауза1", "Длительность", "100", "abcЯ", "100", "100.00"},
        TypingCase{"CannotBeEmptied", "Пауза1", "Длительность", "1", "\b", "1", "60.00"},
        TypingCase{"RefusedAboveMax", "Пауза1", "Длительность", "2", "00", "20", "60.00"},
        TypingCase{"WithinRange", "Пауза1", "Длительность", "7", "5", "75", "75.00"},
        TypingCase{"BelowMinOnLeaving", "Пауза1", "Длительность", "5", "", "5", "60.00"},
        TypingCase{"LoadedNoNumberBecomesMiddle", "Пауза1", "Длительность", "abc", "", "abc", "95.00"},
        TypingCase{"LoadedAboveMax", "Пауза1", "Длительность", "300", "", "300", "130.00"},
        TypingCase{"TwoDecimals", "Режим1", "Пауза между символами", "2.5", "", "2.5", "2.50"},
        TypingCase{"WholeNumber", "Режим1", "Пауза между символами", "30", "0", "300", "300.00"},
        TypingCase{"TextFullRefusesLetters", "Строка1", "Строка", "АБВГД", "x", "АБВГД", "АБВГД"},
        TypingCase{"TextBackspaceDeletes", "Строка1", "Строка", "АБВГД", "\bЕ", "АБВГЕ", "АБВГЕ"},
        TypingCase{"CodeTakesDigitsOnly", "Набор1", "Код выхода", "3", "a7", "37", "37"},
        TypingCase{"TableNotInTableShowsFirst", "Режим1", "Скорость", "9600", "", "50", "50"},
        TypingCase{"JumpNeverStored", "Строка1", "*Отбой", "Отбой1", "x2", "Отбой1", "Отбой1"}),
    [](const ::testing::TestParamInfo<TypingCase>& info) { return std::string(info.param.name); });

// Delete passes no key through the filter: a numeric box it empties goes
// back to a text of its own parameter, never to one typed into another.
struct DeleteCase {
    const char* name;
    const char* before; // the parameter typed into first ("Режим1" / "Пауза между символами"), or null
    QString beforeKeys;
    const char* element;
    const char* param;
    const char* loaded;
    QString keys;      // typed first, then Home and the Deletes
    int deletes;
    const char* shown;
    const char* stored;
};

class ValueDeleteTest : public ProtocolEditorTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(ValueDeleteTest, EmptiedBoxGoesBackToItsOwnParametersText)
{
    const DeleteCase& c = GetParam();
    if (c.before) {
        V(QStringLiteral("Режим1"), QStringLiteral("Пауза между символами")).Value = QString::fromUtf8(c.before);
        Select(QStringLiteral("Режим1"), QStringLiteral("Пауза между символами"));
        korvane::test::TypeKeys(page.ValueTblComboBox(), c.beforeKeys);
        Leave();
    }
    TParamValue& v = V(QString::fromUtf8(c.element), QString::fromUtf8(c.param));
    v.Value = QString::fromUtf8(c.loaded);
    Select(QString::fromUtf8(c.element), QString::fromUtf8(c.param));
    QComboBox* box = page.ValueTblComboBox();
    korvane::test::TypeKeys(box, c.keys);
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < c.deletes; ++i)
        QTest::keyClick(box, Qt::Key_Delete);
    EXPECT_EQ(box->currentText(), QString::fromUtf8(c.shown));
    Leave();
    EXPECT_EQ(v.Value, QString::fromUtf8(c.stored));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueDeleteTest,
    ::testing::Values(
        // "300" stood last in the other box, above this one's Max 130.
        DeleteCase{"NotTheOtherParametersText", "30", "00", "Пауза1", "Длительность", "7", "", 1, "7", "60.00"},
        DeleteCase{"NotAnEmptyTextFromNowhere", nullptr, "", "Пауза1", "Длительность", "125", "", 3, "5", "60.00"},
        DeleteCase{"TheLastTextThatStood", nullptr, "", "Режим1", "Пауза между символами", "4", "2", 2, "2",
                   "2.00"}),
    [](const ::testing::TestParamInfo<DeleteCase>& info) { return std::string(info.param.name); });

TEST_F(ProtocolEditorTest, JumpTextPutIntoTheBoxIsNotStored)
{
    Select(QStringLiteral("Переход1"), QStringLiteral("*Элемент"));
    page.ValueTblComboBox()->setEditText(QStringLiteral("Отбой1"));
    Leave();
    EXPECT_EQ(V(QStringLiteral("Переход1"), QStringLiteral("*Элемент")).Value, QStringLiteral("Пауза1"));
}

TEST_F(ProtocolEditorTest, TableChoiceIsStoredOnLeaving)
{
    Select(QStringLiteral("Строка1"), QStringLiteral("Передача"));
    page.ValueTblComboBox()->setCurrentIndex(0);
    EXPECT_EQ(V(QStringLiteral("Строка1"), QStringLiteral("Передача")).Value, QStringLiteral("Включена"));
    Leave();
    EXPECT_EQ(V(QStringLiteral("Строка1"), QStringLiteral("Передача")).Value, QStringLiteral("Выключена"));
}

TEST_F(ProtocolEditorTest, EditedValuesSurviveTheProtocolFile)
{
    Select(QStringLiteral("Пауза1"), QStringLiteral("Длительность"));
    QTest::keyClick(page.ValueTblComboBox(), Qt::Key_Backspace); // "10"
    QTest::keyClicks(page.ValueTblComboBox(), QStringLiteral("5")); // "105"
    Leave();
    Select(QStringLiteral("Режим1"), QStringLiteral("Скорость"));
    page.ValueTblComboBox()->setCurrentIndex(page.ValueTblComboBox()->findText(QStringLiteral("1200")));
    Leave();
    Select(QStringLiteral("Переход1"), QStringLiteral("*Элемент"));
    QTest::keyClicks(page.ValueTblComboBox(), QStringLiteral("1"));
    Leave();

    const std::unique_ptr<TProtocolSet> back = ReadBack(WrittenSet(*set));
    ASSERT_TRUE(back);
    // Every value of every protocol reads back as the editor left it.
    for (int k = 0; k < kProtocolKindCount; ++k) {
        const auto& before = set->Protocols[std::size_t(k)];
        const auto& after = back->Protocols[std::size_t(k)];
        ASSERT_EQ(before.size(), after.size());
        for (std::size_t i = 0; i < before.size(); ++i) {
            ASSERT_EQ(before[i].Elements.size(), after[i].Elements.size());
            for (std::size_t j = 0; j < before[i].Elements.size(); ++j) {
                const TElementRec& a = before[i].Elements[j];
                const TElementRec& b = after[i].Elements[j];
                EXPECT_EQ(a.Name, b.Name);
                ASSERT_EQ(a.Params.size(), b.Params.size());
                for (std::size_t q = 0; q < a.Params.size(); ++q)
                    EXPECT_EQ(a.Params[q].Value, b.Params[q].Value) << a.Name.toStdString();
            }
        }
    }
    TProtocolRec& p = back->Protocols[0].front();
    EXPECT_EQ(ValueNamed(StepNamed(p, QStringLiteral("Пауза1")), QStringLiteral("Длительность")).Value,
              QStringLiteral("105.00"));
    EXPECT_EQ(ValueNamed(StepNamed(p, QStringLiteral("Режим1")), QStringLiteral("Скорость")).Value,
              QStringLiteral("1200"));
    EXPECT_EQ(ValueNamed(StepNamed(p, QStringLiteral("Переход1")), QStringLiteral("*Элемент")).Value,
              QStringLiteral("Пауза1"));
    // Loaded again, the new value is the one shown after "Установлено:".
    EXPECT_EQ(ValueNamed(StepNamed(p, QStringLiteral("Пауза1")), QStringLiteral("Длительность")).Value3,
              QStringLiteral("105.00"));
}

TEST_F(ProtocolEditorTest, ProtocolWithoutStepsShowsNothingToEdit)
{
    TProtocolRec empty = NewProtocol(QStringLiteral("Пустой"), {});
    page.Fill(&empty, set->Registry.get(), QStringLiteral("Пустой"));
    EXPECT_EQ(page.ElementListBox()->count(), 0);
    EXPECT_EQ(page.ParametrListBox()->count(), 0);
    EXPECT_EQ(page.SetValueLabel()->text(), QStringLiteral("Без параметров"));
    EXPECT_EQ(page.CurrentValue(), nullptr);
    Leave(); // nothing to store, nothing to break
}

} // namespace
