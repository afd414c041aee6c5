#include "platform/serial/MarkedInputDecoder.h"
#include "platform/serial/SerialTypes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace korvane::serial;

namespace {

struct DecodeCase {
    const char* name;
    std::vector<std::vector<std::uint8_t>> reads;
    std::vector<std::uint8_t> data;
    std::uint32_t events;
    std::uint32_t errors;
};

class MarkedInput : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(MarkedInput, DecodesMarksIntoDataAndEvents)
{
    const DecodeCase& c = GetParam();
    MarkedInputDecoder decoder;
    std::deque<std::uint8_t> data;
    MarkedInputDecoder::Result total;
    for (const auto& read : c.reads) {
        const auto r = decoder.feed(read.data(), read.size(), data);
        total.events |= r.events;
        total.errors |= r.errors;
    }
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin(), data.end()), c.data);
    EXPECT_EQ(total.events, c.events);
    EXPECT_EQ(total.errors, c.errors);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarkedInput,
    ::testing::Values(
        DecodeCase{"Plain", {{1, 2, 0, 31}}, {1, 2, 0, 31}, ev::RxChar, 0},
        DecodeCase{"EscapedFF", {{0377, 0377, 7}}, {0377, 7}, ev::RxChar, 0},
        DecodeCase{"BreakIsNoData", {{0377, 0, 0}}, {}, ev::Break, ce::Break},
        DecodeCase{"BreakBetweenData", {{3, 0377, 0, 0, 4}}, {3, 4}, ev::RxChar | ev::Break, ce::Break},
        DecodeCase{"BreakSplitAcrossReads", {{5, 0377}, {0}, {0, 6}}, {5, 6}, ev::RxChar | ev::Break, ce::Break},
        DecodeCase{"CharacterWithError", {{0377, 0, 'x', 'y'}}, {'y'}, ev::RxChar | ev::Err, ce::Frame},
        DecodeCase{"UnknownMarkKept", {{0377, 9}}, {0377, 9}, ev::RxChar, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
