#include "platform/CodePages.h"
#include "protocols/ElementClassRegistry.h"

#include "tests/protocols/DefaultSetListing.h"

#include <gtest/gtest.h>

#include <set>

using namespace korvane;

namespace {

std::unique_ptr<const ElementClassRegistry> registry()
{
    int err = -1;
    auto r = BuildClassRegistry(err);
    EXPECT_EQ(err, 0);
    return r;
}

QString s(const char16_t* t) { return QString::fromUtf16(t); }

} // namespace

TEST(ElementClassRegistry, HoldsTheFortyFiveEntriesInListOrder)
{
    const auto r = registry();
    const std::vector<int> codes = {64, 27, 12, 7,  34, 28, 29, 43, 42, 1,  2,  16, 26, 19, 25,
                                    18, 11, 30, 17, 31, 23, 24, 22, 10, 35, 20, 15, 21, 48, 47,
                                    33, 32, 39, 40, 41, 38, 36, 37, 65, 66, 67, 68, 69, 70, 32};
    ASSERT_EQ(r->size(), 45);
    for (size_t i = 0; i < codes.size(); ++i)
        EXPECT_EQ(r->entries()[i].Code, codes[i]) << "position " << i + 1;

    struct Entry {
        int position;
        const char16_t* name;
        size_t params;
    };
    const Entry samples[] = {
        {1, u"Отбой приема", 2},
        {2, u"Отбой", 0},
        {10, u"Установить полярность \"+\"", 0},
        {11, u"Установить полярность \"-\"", 0},
        {13, u"Ожид. приглашения к набору номера", 6},
        {18, u"Ожидание служебных сигналов", 9},
        {38, u"Ож. приглашения к набору номера AB", 7},
        {42, u"Режим приема/передачи", 6},
        {45, u"Передача предзаголовка", 3},
    };
    for (const Entry& e : samples) {
        const TElementClassDef& d = r->entries()[size_t(e.position - 1)];
        EXPECT_EQ(d.Name, s(e.name)) << e.position;
        EXPECT_EQ(d.Params.size(), e.params) << e.position;
    }
}

// Every entry in list order with its code, display name and parameter
// definitions (names, units, value tables), compared with the listing.
TEST(ElementClassRegistry, EveryEntryMatchesItsListing)
{
    const auto r = registry();
    QStringList lines;
    int position = 0;
    for (const TElementClassDef& e : r->entries()) {
        QStringList params;
        for (const TParamDef& p : e.Params) {
            QString item = p.Name;
            if (p.Units)
                item += u'[' + *p.Units + u']';
            if (!p.Values.isEmpty())
                item += u'{' + p.Values.join(u',') + u'}';
            params << item;
        }
        lines << QStringLiteral("R|%1|%2|%3|%4").arg(++position).arg(e.Code).arg(e.Name, params.join(u';'));
    }
    test::expectSameListing(lines, test::kRegistryListing);
}

TEST(ElementClassRegistry, LatinLettersSitWhereTheyBelong)
{
    const auto r = registry();
    // CP1251 bytes: Latin 'p' is 0x70, Cyrillic 'р' is 0xF0; Latin 'A' 0x41,
    // Cyrillic 'А' 0xC0.
    EXPECT_EQ(codepage::toCp1251(r->findByCode(66)->Name), QByteArray("\xCE\xE1\x70\xFB\xE2 \xEB\xE8\xED\xE8\xE8"));
    EXPECT_EQ(codepage::toCp1251(r->findByCode(67)->Name).count('\x70'), 2);
    EXPECT_FALSE(codepage::toCp1251(r->findByCode(67)->Name).contains('\xF0'));
    EXPECT_TRUE(codepage::toCp1251(r->findByCode(18)->Name).endsWith("(A)"));
    EXPECT_TRUE(codepage::toCp1251(r->findByCode(19)->Name).endsWith("(B)"));
    EXPECT_TRUE(codepage::toCp1251(r->findByCode(36)->Name).endsWith(" AB"));
    EXPECT_EQ(codepage::toCp1251(r->findByCode(30)->Params[2].Name), QByteArray("\xC0\xED\xE0\xEB\xE8\xE7 GA"));
    // "АО" of code 18 is Cyrillic.
    EXPECT_TRUE(codepage::toCp1251(r->findByCode(18)->Params[3].Name).endsWith("\xC0\xCE"));
}

TEST(ElementClassRegistry, LookUpByNameIsExactAndFirstMatchWins)
{
    const auto r = registry();
    const TElementClassDef* pre = r->find(s(u"Передача предзаголовка"));
    ASSERT_NE(pre, nullptr);
    EXPECT_EQ(pre, &r->entries()[31]);

    const TElementClassDef* incoming = r->find(s(u"Входящий вызов"));
    ASSERT_NE(incoming, nullptr);
    EXPECT_EQ(incoming->Code, 43);
    EXPECT_NE(r->findByCode(30)->findParam(s(u"Входящий вызов")), nullptr);

    const char16_t* misses[] = {
        u"ПАУЗА", u"Пауза ", u"пауза", u"Обрыв линии" /* Cyrillic р */, u"", u"Набор номера (А)" /* Cyrillic А */,
    };
    for (const char16_t* m : misses)
        EXPECT_EQ(r->find(s(m)), nullptr) << QString::fromUtf16(m).toStdString();
    EXPECT_EQ(r->findByCode(12)->findParam(s(u"длительность")), nullptr);
}

TEST(ElementClassRegistry, ParameterKindsFollowFromTheDefinition)
{
    const auto r = registry();
    struct Case {
        int code;
        const char16_t* param;
        ParamKind kind;
    };
    const Case cases[] = {
        {24, u"Число попыток", ParamKind::Numeric}, // unit is one blank
        {34, u"Код выхода", ParamKind::Text},
        {34, u"Набор", ParamKind::Table},
        {28, u"*Успех", ParamKind::Jump},
        {68, u"Скорость", ParamKind::Table}, // table with a unit
        {68, u"Пауза между символами", ParamKind::Numeric},
        {48, u"Отключение", ParamKind::Numeric},
        {69, u"Признак конца сообщения A", ParamKind::Text},
    };
    for (const Case& c : cases) {
        const TParamDef* d = r->findByCode(quint8(c.code))->findParam(s(c.param));
        ASSERT_NE(d, nullptr) << c.code;
        EXPECT_EQ(d->kind(), c.kind) << c.code << " " << QString::fromUtf16(c.param).toStdString();
    }
    EXPECT_EQ(r->findByCode(24)->findParam(s(u"Число попыток"))->Units, QString(u' '));
    const TParamDef* stop = r->findByCode(68)->findParam(s(u"Число стоп-бит"));
    EXPECT_EQ(stop->Values, QStringList({"1", "1.5", "2"}));
    EXPECT_EQ(stop->valueIndex("1.5"), 1);
    EXPECT_EQ(stop->valueIndex("3"), -1);
}

TEST(ElementClassRegistry, EveryJumpParameterIsUnitlessAndNamesAreUniquePerClass)
{
    const auto r = registry();
    for (const TElementClassDef& c : r->entries()) {
        std::set<QString> names;
        for (const TParamDef& p : c.Params) {
            EXPECT_TRUE(names.insert(p.Name).second) << c.Code;
            if (p.Name.startsWith(u'*')) {
                EXPECT_EQ(p.kind(), ParamKind::Jump) << c.Code;
            }
        }
    }
    // Both entries of code 32 are alike.
    const TElementClassDef& a = r->entries()[31];
    const TElementClassDef& b = r->entries()[44];
    ASSERT_EQ(a.Params.size(), b.Params.size());
    for (size_t i = 0; i < a.Params.size(); ++i) {
        EXPECT_EQ(a.Params[i].Name, b.Params[i].Name);
        EXPECT_EQ(a.Params[i].Values, b.Params[i].Values);
    }
}

TEST(ElementClassRegistry, ConstructorsCutNamesAndTextsTo68Characters)
{
    const QString longText(100, u'Ж');
    EXPECT_EQ(NewValue(longText), QString(68, u'Ж'));
    EXPECT_EQ(NewValue("short"), "short");
    const TParamDef d = NewParamDef(longText, longText, {longText});
    EXPECT_EQ(d.Name.size(), 68);
    EXPECT_EQ(d.Units, longText); // units are not cut
    EXPECT_EQ(d.Values.front().size(), 68);
    EXPECT_FALSE(NewParamDef("x", "").Units.has_value());
    EXPECT_EQ(NewClassDef(9, longText).Name.size(), 68);
}
