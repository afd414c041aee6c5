// The country table that the program folder ships, as the build generates
// it: read by the data module like any COUNTRY.DB.

#include "DirectoryFixture.h"

#include <QRegularExpression>
#include <QSet>

#ifdef KORVANE_COUNTRY_TABLE

namespace korvane::test {
namespace {

class ShippedCountryTableTest : public DirectoryFixture {
protected:
    void SetUp() override
    {
        DirectoryFixture::SetUp();
        ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANE_COUNTRY_TABLE), DbFile(QStringLiteral("COUNTRY.DB"))));
        Start();
        ASSERT_TRUE(box.shown.isEmpty()) << box.texts().join('\n').toStdString();
        ASSERT_TRUE(module->CountryQuery.Active());
    }
    BrowseQuery& q() { return module->CountryQuery; }
};

TEST_F(ShippedCountryTableTest, KnownCountriesHaveTheirRussianNamesDialCodesAndLetters)
{
    struct Known {
        const char* letters;
        const char* name;
        const char* code;
    };
    for (const Known& k : {Known{"RU", "Российская Федерация", "7"}, Known{"KZ", "Казахстан", "7"},
                           Known{"DE", "Германия", "49"}, Known{"UA", "Украина", "380"},
                           Known{"TR", "Турция", "90"}, Known{"FI", "Финляндия", "358"}}) {
        ASSERT_TRUE(q().Locate(u"COUNTRY_LETT", QString::fromUtf8(k.letters))) << k.letters;
        EXPECT_EQ(q().FieldAsText(u"COUNTRY_NAME"), QString::fromUtf8(k.name)) << k.letters;
        EXPECT_EQ(q().FieldAsText(u"COUNTRY_CODE"), QString::fromUtf8(k.code)) << k.letters;
    }
    // The country dialog's quick search by name, letter case ignored.
    ASSERT_TRUE(q().Locate(u"COUNTRY_NAME", QStringLiteral("ФИНЛ"),
                           LocateOption::PartialKey | LocateOption::CaseInsensitive));
    EXPECT_EQ(q().FieldAsText(u"COUNTRY_LETT"), QStringLiteral("FI"));
}

TEST_F(ShippedCountryTableTest, EveryRecordIsWholeAndNumberedInNameOrder)
{
    ASSERT_GT(q().RecordCount(), 200);
    const QRegularExpression cyrillic(QStringLiteral("^[А-ЯЁ][^A-Za-z]*$"));
    const QRegularExpression code(QStringLiteral("^[1-9][0-9]{0,4}$"));
    const QRegularExpression letters(QStringLiteral("^[A-Z]{2}$"));
    QSet<QString> seen;
    for (int row = 0; row < q().RecordCount(); ++row) {
        q().MoveTo(row);
        const QString name = q().FieldAsText(u"COUNTRY_NAME");
        EXPECT_EQ(q().FieldAsText(u"COUNTRY_ID"), QString::number(row + 1));
        EXPECT_TRUE(cyrillic.match(name).hasMatch()) << name.toStdString();
        EXPECT_TRUE(code.match(q().FieldAsText(u"COUNTRY_CODE")).hasMatch()) << name.toStdString();
        const QString lett = q().FieldAsText(u"COUNTRY_LETT");
        EXPECT_TRUE(letters.match(lett).hasMatch()) << name.toStdString();
        EXPECT_FALSE(seen.contains(lett)) << lett.toStdString();
        seen.insert(lett);
    }
    q().First();
    EXPECT_EQ(q().FieldAsText(u"COUNTRY_NAME"), QStringLiteral("Австралия"));
}

} // namespace
} // namespace korvane::test

#endif
