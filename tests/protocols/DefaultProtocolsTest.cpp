#include "protocols/DecimalNumber.h"
#include "protocols/DefaultProtocols.h"

#include "tests/fakes/FakeMessageBox.h"
#include "tests/protocols/DefaultSetListing.h"

#include <gtest/gtest.h>

#include <set>

using namespace korvane;

namespace {

QString s(const char16_t* t) { return QString::fromUtf16(t); }

std::unique_ptr<TProtocolSet> defaultSet(test::FakeMessageBox& box)
{
    int err = -1;
    auto set = BuildDefaultProtocolSet(err, box);
    EXPECT_EQ(err, 0);
    return set;
}

} // namespace

TEST(DefaultProtocolSet, BuildsWithoutAnyMessage)
{
    test::FakeMessageBox box;
    auto set = defaultSet(box);
    EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join("\n").toStdString();
    ASSERT_NE(set->Registry, nullptr);
}

TEST(DefaultProtocolSet, HasOneProtocolPerKindWithItsSteps)
{
    test::FakeMessageBox box;
    auto set = defaultSet(box);
    struct Kind {
        const char16_t* name;
        size_t steps;
        const char16_t* first;
        const char16_t* last;
    };
    const Kind kinds[4] = {
        {u"Стандарт A", 42, u"Отбой приема", u"Авария"},
        {u"Стандарт B", 39, u"Отбой приема", u"Авария"},
        {u"Физическая линия", 22, u"Отбой приема", u"Авария"},
        {u"Ж/Д-ЭВМ АСОУП", 36, u"Отбой приема", u"Авария"},
    };
    for (int k = 0; k < 4; ++k) {
        ASSERT_EQ(set->Protocols[size_t(k)].size(), 1u) << k;
        const TProtocolRec& p = set->Protocols[size_t(k)].front();
        EXPECT_EQ(p.Name, s(kinds[k].name));
        EXPECT_EQ(p.Flag, 0);
        ASSERT_EQ(p.Elements.size(), kinds[k].steps) << k;
        EXPECT_EQ(p.Elements.front().Name, s(kinds[k].first));
        EXPECT_EQ(p.Elements.back().Name, s(kinds[k].last));
    }
    EXPECT_TRUE(DefaultProtocolsOfKind(5, *set->Registry, box).empty());
    EXPECT_TRUE(DefaultProtocolsOfKind(0, *set->Registry, box).empty());
}

// Walks every step of every default protocol: the values stand in the
// order of their class's definitions, one each; numeric values lie in
// their ranges; table values are in their tables; jump targets exist;
// no step name repeats within a protocol.
TEST(DefaultProtocolSet, EveryStepIsConsistentWithTheRegistry)
{
    test::FakeMessageBox box;
    auto set = defaultSet(box);
    int steps = 0;
    for (const auto& list : set->Protocols) {
        for (const TProtocolRec& p : list) {
            std::set<QString> names;
            for (const TElementRec& e : p.Elements) {
                ++steps;
                SCOPED_TRACE((p.Name + " / " + e.Name).toStdString());
                EXPECT_TRUE(names.insert(e.Name).second) << "repeated step name";
                ASSERT_NE(e.ClassDef, nullptr);
                EXPECT_EQ(set->Registry->find(e.ClassDef->Name), e.ClassDef);
                ASSERT_EQ(e.Params.size(), e.ClassDef->Params.size());
                for (size_t i = 0; i < e.Params.size(); ++i) {
                    const TParamValue& v = e.Params[i];
                    const TParamDef& d = e.ClassDef->Params[i];
                    EXPECT_EQ(v.Def, &d) << "value " << i << " out of definition order";
                    EXPECT_EQ(v.Value, v.Value2);
                    EXPECT_EQ(v.Value, v.Value3);
                    switch (d.kind()) {
                    case ParamKind::Numeric: {
                        const std::optional<double> n = parseDecimal(v.Value);
                        ASSERT_TRUE(n.has_value()) << v.Value.toStdString();
                        EXPECT_GE(*n, v.Min);
                        EXPECT_LE(*n, v.Max);
                        EXPECT_LE(v.Min, v.Max);
                        break;
                    }
                    case ParamKind::Table:
                        EXPECT_GE(d.valueIndex(v.Value), 0) << v.Value.toStdString();
                        EXPECT_EQ(v.Min, 0);
                        EXPECT_EQ(v.Max, 0);
                        break;
                    case ParamKind::Jump:
                        EXPECT_NE(p.findStep(v.Value), nullptr) << "jump to " << v.Value.toStdString();
                        EXPECT_EQ(v.Min, 0);
                        EXPECT_EQ(v.Max, 0);
                        break;
                    case ParamKind::Text:
                        EXPECT_EQ(v.Min, 0);
                        EXPECT_GT(v.Max, 0);
                        EXPECT_LE(v.Value.size(), v.Max);
                        break;
                    }
                }
            }
        }
    }
    EXPECT_EQ(steps, 42 + 39 + 22 + 36);
}

// Every protocol, step and value of the default set, with the class code of
// each step and the Min..Max of each value, compared with the listing.
TEST(DefaultProtocolSet, EveryStepMatchesItsListing)
{
    test::FakeMessageBox box;
    auto set = defaultSet(box);
    const auto number = [](double v) { return QString::number(v, 'g', 10); };
    QStringList lines;
    for (int kind = 1; kind <= 4; ++kind) {
        for (const TProtocolRec& p : set->Protocols[size_t(kind - 1)]) {
            lines << QStringLiteral("K|%1|%2|%3").arg(kind).arg(p.Name).arg(p.Elements.size());
            int step = 0;
            for (const TElementRec& e : p.Elements) {
                QStringList values;
                for (const TParamValue& v : e.Params)
                    values << (v.Def ? v.Def->Name : QStringLiteral("?")) + u'=' + v.Value + u'(' + number(v.Min)
                                  + QStringLiteral("..") + number(v.Max) + u')';
                lines << QStringLiteral("S|%1|%2|%3|%4|%5")
                             .arg(kind)
                             .arg(++step)
                             .arg(e.Name)
                             .arg(e.ClassDef ? e.ClassDef->Code : 0)
                             .arg(values.join(u';'));
            }
        }
    }
    test::expectSameListing(lines, test::kBuiltInProtocolsListing);
}

TEST(DefaultProtocolSet, SampleValuesAreTranscribedExactly)
{
    test::FakeMessageBox box;
    auto set = defaultSet(box);
    struct Case {
        int kind;
        const char16_t* step;
        const char16_t* param;
        const char16_t* value;
        double min;
        double max;
    };
    const Case cases[] = {
        {1, u"Отбой приема", u"Длительность-Д", u"350", 50, 3500},
        {1, u"Ожид. приглашения к набору номера", u"Ожидание", u"20", 0, 20},
        {1, u"Ожид. приглашения к набору номера", u"Длительность 1", u"17.5", 10, 45},
        {1, u"Набор номера (B)", u"Размыкание", u"60", 60, 60},
        {1, u"Вызов центральной", u"Код центральной", u"411111", 0, 23},
        {1, u"Передача преамбулы", u"Строка", u"<_ DO NOT INTERRUPT - KORVANE IS WORKING <_", 0, 69},
        {1, u"Передача автоответа 1", u"*Составная телеграмма", u"Задержка 2", 0, 0},
        {2, u"Выход на ЦКС", u"Код ЦКС", u"143911", 0, 23},
        {2, u"Конец сообщения для ЦКС", u"Строка", u"<_НННН {{время}<_", 0, 69},
        {2, u"Ожидание сообщения станции", u"Пауза", u"2", 0.5, 5},
        {3, u"Ожидание подтверждения отбоя", u"*Неудача", u"Подключение", 0, 0},
        {3, u"Отбой приема", u"Длительность-Д", u"350", 350, 3500},
        {4, u"Встpечная pабота", u"Строка", u"<_+ {время} ПРОДОЛЖЕНИЕ +<_", 0, 69},
        {4, u"Конец сообщения", u"Строка", u"<_//", 0, 69},
        {4, u"Предзаголовок", u"Передача", u"Выключена", 0, 0},
        {4, u"Задержка 5", u"Длительность", u"2000", 0, 5000},
    };
    for (const Case& c : cases) {
        const TProtocolRec& p = set->Protocols[size_t(c.kind - 1)].front();
        const TElementRec* e = p.findStep(s(c.step));
        ASSERT_NE(e, nullptr) << QString::fromUtf16(c.step).toStdString();
        const TParamValue* v = e->param(s(c.param));
        ASSERT_NE(v, nullptr) << QString::fromUtf16(c.param).toStdString();
        EXPECT_EQ(v->Value, s(c.value));
        EXPECT_EQ(v->Min, c.min);
        EXPECT_EQ(v->Max, c.max);
    }
}

TEST(DefaultChannelOptions, FieldsOfTheRecord)
{
    const TChannelOptions& o = DefaultChannelOptions();
    EXPECT_EQ(o.AdapterType, 0u);
    EXPECT_EQ(o.StationType, 0u);
    EXPECT_EQ(o.LineType, 0u);
    EXPECT_EQ(o.AnswerBack.length(), 19u);
    EXPECT_TRUE(o.AnswerBack.text().startsWith("^<_"));
    EXPECT_EQ(o.TlgHeader.length(), 67u);
    EXPECT_TRUE(o.TlgHeader.text().endsWith(s(u"/{НОМЕР-М0}{НОМЕРЦКС-д0} {СЛОВ} {ДАТА0/0} {ВРЕМЯ}=<_<_")));
    EXPECT_EQ(o.PortAddr, 0x2F8);
    EXPECT_EQ(o.Modes, 0x813u);
    EXPECT_EQ(o.CtxModes, 1u);
    EXPECT_EQ(o.TransmDir.text(), "C:\\MAIL2\\OUTGO1");
    EXPECT_EQ(o.Counters, TTlgCounters{});
    // Nothing beyond the lengths.
    const QByteArray bytes = o.toBytes();
    for (int i = 12 + 1 + 19; i < 33; ++i)
        EXPECT_EQ(bytes[i], 0) << i;

    struct Sound {
        const char* melody;
        const char* wavFile;
    };
    const Sound expected[10] = {
        {">asdfghj", "Birds_begin.wav"}, {">jhgfdsa", "Birds_end.wav"}, {"asdfjhg", "CASHREG.wav"},
        {">2d2f2g2f2d2s4a", "RINGIN.wav"}, {"2j2h2g2f2d2s2a", "ring.wav"}, {">asd<dsa", "boing.wav"},
        {">jhg<ghj", "LASER.wav"},         {"", "tick.wav"},              {"", "WHOOSH.wav"},
        {"", "whistle.wav"},
    };
    const auto& sounds = DefaultSoundEntry();
    for (int k = 0; k < 10; ++k) {
        const TSoundEntry& e = sounds[size_t(k)];
        EXPECT_EQ(e.Melody.text(), expected[k].melody) << k;
        EXPECT_EQ(e.WavFile.text(), expected[k].wavFile) << k;
        EXPECT_EQ(e.Enabled, 1) << k;
        EXPECT_EQ(e.Loop, k == 9 ? 1 : 0) << k;
        EXPECT_EQ(o.Sounds[size_t(k)], e) << k;
        // nothing beyond the lengths
        ShortString<255> melody, wavFile;
        melody.setText(QString::fromLatin1(expected[k].melody));
        wavFile.setText(QString::fromLatin1(expected[k].wavFile));
        EXPECT_EQ(e.Melody.bytes, melody.bytes) << k;
        EXPECT_EQ(e.WavFile.bytes, wavFile.bytes) << k;
    }
    EXPECT_EQ(SoundEventNames()[5], s(u"Переход в \"Диалог\""));
    EXPECT_EQ(SoundEventNames()[6], s(u"Переход в \"Контроль\""));
}

TEST(DefaultProtocolSet, EveryChannelIsOffWithItsDigitInThePaths)
{
    test::FakeMessageBox box;
    auto set = defaultSet(box);
    for (int c = 1; c <= 8; ++c) {
        const TChannelOptions& o = set->Channels[size_t(c - 1)];
        const QString d = QString::number(c);
        EXPECT_EQ(o.AdapterType, 0u);
        EXPECT_EQ(o.ReceiveCommonFile.text(), "C:\\MAIL2\\IN_PRT" + d + ".PTC");
        EXPECT_EQ(o.TransmCommonFile.text(), "C:\\MAIL2\\OUT_PRT" + d + ".PTC");
        EXPECT_EQ(o.ReceiveJrnFile.text(), "C:\\MAIL2\\IN_JRN" + d + ".PTC");
        EXPECT_EQ(o.TransmJrnFile.text(), "C:\\MAIL2\\OUT_JRN" + d + ".PTC");
        EXPECT_EQ(o.ReceiveDir.text(), "C:\\MAIL2\\INCOME" + d);
        EXPECT_EQ(o.TransmDir.text(), "C:\\MAIL2\\OUTGO" + d);
        EXPECT_EQ(set->PortTables[size_t(c - 1)], TPortTable{});
    }
}

TEST(SetChannelDigit, ReplacesOnlyTheFirstOne)
{
    struct Case {
        const char* in;
        int channel;
        const char* out;
    };
    const Case cases[] = {
        {"C:\\MAIL2\\IN_1_1", 5, "C:\\MAIL2\\IN_5_1"},
        {"C:\\MAIL2\\NOONE", 3, "C:\\MAIL2\\NOONE"},
        {"1", 8, "8"},
        {"", 2, ""},
    };
    for (const Case& c : cases) {
        ShortString<79> p;
        p.setText(c.in);
        SetChannelDigit(c.channel, p);
        EXPECT_EQ(p.text(), c.out) << c.in;
    }
    // A '1' in the slack beyond the length is not part of the path.
    ShortString<79> p;
    p.setText("A1");
    p.setText("B");
    SetChannelDigit(4, p);
    EXPECT_EQ(p.text(), "B");
    EXPECT_EQ(p.bytes[2], '1');
}

TEST(NodeBuilders, ChecksAndTheirMessages)
{
    int err = 0;
    const auto r = BuildClassRegistry(err);
    struct Case {
        const char16_t* cls;
        const char16_t* param;
        const char16_t* value;
        double min, max;
        const char16_t* message; // empty: passes without a message
        bool node;
    };
    const Case cases[] = {
        {u"Пауза", u"Длительность", u"100", 0, 5000, u"", true},
        {u"Пауза", u"Длительность", u"0", 0, 5000, u"", true},       // on Min
        {u"Пауза", u"Длительность", u"5000", 0, 5000, u"", true},    // on Max
        {u"Пауза", u"Длительность", u"17.5", 0, 5000, u"", true},
        {u"Пауза", u"Длительность", u"17,5", 0, 5000,
         u"Ошибка: Шаг Пауза Длительность Задано нечисловое значение стандартного параметра", false},
        {u"Пауза", u"Длительность", u"", 0, 5000,
         u"Ошибка: Шаг Пауза Длительность Задано нечисловое значение стандартного параметра", false},
        {u"Пауза", u"Длительность", u"5000.01", 0, 5000,
         u"Ошибка: Шаг Пауза Длительность Задано значение стандартного параметра за пределами", false},
        {u"Пауза", u"Длительность", u"-1", 0, 5000,
         u"Ошибка: Шаг Пауза Длительность Задано значение стандартного параметра за пределами", false},
        {u"Пауза", u"Длина", u"1", 0, 5000, u"Ошибка: Шаг Пауза Длина Задан отсутствующий параметр элемента", false},
        {u"Пауза!", u"Длительность", u"1", 0, 5000, u"Ошибка: Шаг Пауза! Задан отсутствующий класс элемента", false},
        {u"Отбой", u"Длительность", u"1", 0, 5000, u"", false}, // class without parameters
        {u"Постоянный донабор", u"Набор", u"что угодно", 0, 0, u"", true}, // tables are not checked
        {u"Переход", u"*Элемент", u"нет такого", 0, 0, u"", true},
    };
    for (const Case& c : cases) {
        test::FakeMessageBox box;
        const auto v = NewParamValue(*r, box, "Шаг", s(c.cls), s(c.param), c.min, c.max, s(c.value));
        EXPECT_EQ(v.has_value(), c.node) << QString::fromUtf16(c.value).toStdString();
        if (QString::fromUtf16(c.message).isEmpty()) {
            EXPECT_TRUE(box.shown.isEmpty());
        } else {
            ASSERT_EQ(box.shown.size(), 1);
            EXPECT_EQ(box.shown[0].text, s(c.message));
            EXPECT_EQ(box.shown[0].icon, MessageIcon::Error);
            EXPECT_EQ(box.shown[0].buttons, MessageButtons::Ok);
        }
    }

    test::FakeMessageBox box;
    const QString longValue(80, u'x');
    const auto v = NewParamValue(*r, box, "Шаг", s(u"Передача строки"), s(u"Строка"), 0, 69, longValue);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->Value.size(), 68);
    EXPECT_EQ(v->Value2.size(), 68);
    EXPECT_EQ(v->Value3.size(), 68);

    EXPECT_FALSE(NewElement(*r, box, "Шаг", "Nope", {}).has_value());
    EXPECT_EQ(box.texts().last(), s(u"Ошибка: Шаг Nope Задан отсутствующий класс элемента"));
    const auto e = NewElement(*r, box, QString(70, u'Я'), s(u"Отбой"), {});
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Name.size(), 68);
    EXPECT_EQ(NewProtocol(QString(70, u'Я'), {}).Name.size(), 68);
}

TEST(NodeBuilders, AFailedNodeDropsItselfAndEveryNodeAfterIt)
{
    std::vector<int> calls;
    const std::vector<int> built = BuildChain<int>(6, [&](std::size_t i) -> std::optional<int> {
        calls.push_back(int(i));
        if (i == 2 || i == 4)
            return std::nullopt;
        return int(i) * 10;
    });
    EXPECT_EQ(built, (std::vector<int>{0, 10}));
    EXPECT_EQ(calls, (std::vector<int>{5, 4, 3, 2, 1, 0})); // every node is tried
    EXPECT_EQ(BuildChain<int>(3, [](std::size_t i) { return std::optional<int>(int(i)); }),
              (std::vector<int>{0, 1, 2}));
}
