#include "support/FailureCodes.h"

#include "platform/CodePages.h"

#include <gtest/gtest.h>

#include <set>

using namespace korvane;

namespace {

TEST(FailureCodeTexts, EveryTextFillsTheJournalColumnExactly)
{
    for (int code = 0; code < FailureCodes::Count; ++code) {
        const QStringView text = FailureCodeTexts[code];
        EXPECT_EQ(text.size(), FailureCodeTextLength) << code;
        // The journal is written byte for byte: the width holds in the file too.
        EXPECT_EQ(codepage::toCp1251(text).size(), FailureCodeTextLength) << code;
        EXPECT_FALSE(codepage::toCp1251(text).contains('?')) << code;
        EXPECT_FALSE(text.trimmed().isEmpty()) << code;
    }
}

TEST(FailureCodeTexts, TextsAreDistinct)
{
    std::set<QString> seen;
    for (const QStringView text : FailureCodeTexts)
        EXPECT_TRUE(seen.insert(text.toString()).second) << text.toString().toStdString();
}

TEST(FailureCodeNames, BusyPulseSharesTheNameOfBusy)
{
    EXPECT_EQ(FailureCodeNames[FailureCodes::OccPulse], FailureCodeNames[FailureCodes::Occ]);
    EXPECT_EQ(FailureCodeNames[FailureCodes::Occ], u"OCC");
    EXPECT_TRUE(FailureCodeNames[FailureCodes::Success].isEmpty());
}

TEST(FailureCodeNames, ServeAsFileExtensions)
{
    std::set<QString> seen;
    for (int code = 1; code < FailureCodes::Count; ++code) {
        const QStringView name = FailureCodeNames[code];
        EXPECT_GE(name.size(), 2) << code;
        EXPECT_LE(name.size(), 3) << code;
        for (const QChar c : name)
            EXPECT_TRUE(c >= u'A' && c <= u'Z') << code;
        if (code != FailureCodes::OccPulse) {
            EXPECT_TRUE(seen.insert(name.toString()).second) << code;
        }
    }
}

TEST(FailureCodes, NamedCodesMatchTheirNames)
{
    const std::pair<FailureCode, const char16_t*> cases[] = {
        {FailureCodes::Nc, u"NC"},   {FailureCodes::Der, u"DER"}, {FailureCodes::Abs, u"ABS"},
        {FailureCodes::Ci, u"CI"},   {FailureCodes::Na, u"NA"},   {FailureCodes::Np, u"NP"},
        {FailureCodes::Unk, u"UNK"}, {FailureCodes::Bp, u"BP"},   {FailureCodes::Sta, u"STA"},
        {FailureCodes::Num, u"NUM"}, {FailureCodes::Aab, u"AAB"}, {FailureCodes::Bab, u"BAB"},
        {FailureCodes::Dis, u"DIS"},
    };
    for (const auto& [code, name] : cases)
        EXPECT_EQ(FailureCodeNames[code], QStringView(name)) << int(code);
    EXPECT_EQ(FailureCodeTexts[FailureCodes::Success], u"         Успешно        ");
    EXPECT_EQ(FailureCodeTexts[FailureCodes::OccPulse], u"    Абонент занят (и)   ");
}

} // namespace
