#include "engine/CallFailurePolicy.h"

#include "protocols/DriverModes.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace korvane;

namespace {

using Column = std::array<std::int32_t, TDriverModes::kBadCallsValues>;

// The bad-calls table the program ships with, categories 1 to 9.
TDriverModes shippedModes(std::uint32_t modeDriver)
{
    TDriverModes m;
    m.ModeDriver = modeDriver;
    m.BadCallsPolicy = {{
        {4, 300, 10, 600, 3600},
        {4, 180, 10, 600, 3600},
        {2, 180, 1, 1, 7200},
        {1, 20, 1, 1, 3600},
        {3, 20, 1, 1, 3600},
        {3, 300, 2, 900, 3600},
        {2, 120, 2, 900, 1080},
        {2, 120, 2, 900, 1080},
        {2, 120, 2, 900, 1080},
    }};
    return m;
}

struct RetryState {
    int attempts, reason, left, series, wait;
    friend bool operator==(const RetryState&, const RetryState&) = default;
};

std::ostream& operator<<(std::ostream& os, const RetryState& s)
{
    return os << "{attempts " << s.attempts << ", reason " << s.reason << ", left " << s.left << ", series "
              << s.series << ", wait " << s.wait << "}";
}

class CallFailurePolicyTest : public testing::Test {
protected:
    const TUnsucNumObject* retry(const QString& number) const
    {
        const int i = UnsuccNumbers->IndexOf(number);
        return i < 0 ? nullptr : UnsuccNumbers->ObjectAs<TUnsucNumObject>(i);
    }

    std::optional<RetryState> state(const QString& number) const
    {
        const TUnsucNumObject* o = retry(number);
        if (!o)
            return std::nullopt;
        return RetryState{o->Attempts, o->Reason, o->Left, o->Series, o->Wait};
    }

    std::optional<int> badReason(const QString& number) const
    {
        const int i = BadNumbers->IndexOf(number);
        if (i < 0)
            return std::nullopt;
        return BadNumbers->ObjectAs<TBadNumObject>(i)->Reason;
    }

    ScopedNumberLists lists;
    const QString number = QStringLiteral("734512");
};

} // namespace

TEST_F(CallFailurePolicyTest, EachReasonIsRetriedUnderItsCategorysValues)
{
    // Category c waits 100 * c seconds, so the wait shows the column used.
    TDriverModes modes;
    for (int c = 1; c <= 9; ++c)
        modes.BadCallsPolicy[std::size_t(c - 1)] = Column{3, 100 * c, 2, 1000, 5000};

    const int expectedCategory[FailureCodes::Count] = {0, 1, 2, 3, 3, 3, 3, 3, 3, 3, 5, 4, 6, 7, 8, 9};
    for (int code = 0; code < FailureCodes::Count; ++code) {
        const QString n = QStringLiteral("N%1").arg(code);
        RegisterCallFailure(modes, n, FailureCode(code));
        if (expectedCategory[code] == 0) {
            EXPECT_EQ(UnsuccNumbers->IndexOf(n), -1) << "code " << code;
            continue;
        }
        ASSERT_TRUE(state(n)) << "code " << code;
        EXPECT_EQ(*state(n), (RetryState{1, code, 2, 2, 100 * expectedCategory[code]})) << "code " << code;
    }
    RegisterCallFailure(modes, number, FailureCode(16));
    RegisterCallFailure(modes, number, FailureCode(255));
    EXPECT_EQ(UnsuccNumbers->IndexOf(number), -1) << "codes beyond the table are not retried";
    EXPECT_TRUE(BadNumbers->IsEmpty());
}

TEST_F(CallFailurePolicyTest, RepeatedBusyNumberRunsItsSeriesAndIsGivenUpAtTheTwelfthFailure)
{
    for (const bool blockSpent : {false, true}) {
        UnsuccNumbers->Clear();
        BadNumbers->Clear();
        const TDriverModes modes = shippedModes(blockSpent ? DriverMode::BlockSpentNumbers : 0);
        // Waits after the 1st to 11th failure: three attempts of the first
        // series left, then the series pause, and so on.
        const std::vector<RetryState> expected = {
            {1, 1, 3, 10, 300}, {2, 1, 2, 10, 300}, {3, 1, 1, 10, 300}, {4, 1, 4, 9, 600},
            {5, 1, 3, 9, 300},  {6, 1, 2, 9, 300},  {7, 1, 1, 9, 300},  {8, 1, 4, 8, 600},
            {9, 1, 3, 8, 300},  {10, 1, 2, 8, 300}, {11, 1, 1, 8, 300},
        };
        for (std::size_t i = 0; i < expected.size(); ++i) {
            RegisterCallFailure(modes, number, FailureCodes::Occ);
            ASSERT_TRUE(state(number)) << "failure " << i + 1;
            EXPECT_EQ(*state(number), expected[i]) << "failure " << i + 1;
        }

        RegisterCallFailure(modes, number, FailureCodes::Occ);
        if (blockSpent) {
            EXPECT_FALSE(state(number)) << "blocked numbers leave the retry list";
            EXPECT_EQ(badReason(number), FailureCodes::Occ);
        } else {
            EXPECT_EQ(*state(number), (RetryState{12, 1, 4, 10, 3600})) << "held back for the block interval";
            EXPECT_FALSE(badReason(number));
            RegisterCallFailure(modes, number, FailureCodes::Occ);
            EXPECT_EQ(*state(number), (RetryState{13, 1, 4, 10, 3600})) << "from now on once per block interval";
        }
    }
}

TEST_F(CallFailurePolicyTest, SpentSeriesGiveTheNumberUpBeforeTheTwelfthFailure)
{
    // Category 3 ("~"): two attempts, one series, 7200 s block interval.
    const TDriverModes holding = shippedModes(0);
    RegisterCallFailure(holding, number, FailureCodes::Der);
    EXPECT_EQ(*state(number), (RetryState{1, 3, 1, 1, 180}));
    RegisterCallFailure(holding, number, FailureCodes::Der);
    EXPECT_EQ(*state(number), (RetryState{2, 3, 2, 1, 7200}));
    RegisterCallFailure(holding, number, FailureCodes::Der);
    EXPECT_EQ(*state(number), (RetryState{3, 3, 1, 1, 180})) << "a fresh series after the block";
    RegisterCallFailure(holding, number, FailureCodes::Der);
    EXPECT_EQ(*state(number), (RetryState{4, 3, 2, 1, 7200}));

    const TDriverModes blocking = shippedModes(DriverMode::BlockSpentNumbers);
    const QString other = QStringLiteral("TLX-9");
    RegisterCallFailure(blocking, other, FailureCodes::Ci);
    RegisterCallFailure(blocking, other, FailureCodes::Ci);
    EXPECT_FALSE(state(other));
    EXPECT_EQ(badReason(other), FailureCodes::Ci);
    EXPECT_TRUE(state(number)) << "other numbers stay";
}

TEST_F(CallFailurePolicyTest, ANewReasonStartsAFullSeriesUnderItsOwnColumn)
{
    const TDriverModes modes = shippedModes(0);
    RegisterCallFailure(modes, number, FailureCodes::Occ);
    RegisterCallFailure(modes, number, FailureCodes::Occ);
    RegisterCallFailure(modes, number, FailureCodes::Nc);
    EXPECT_EQ(*state(number), (RetryState{3, 2, 4, 10, 180}));
    const TUnsucNumObject* o = retry(number);
    EXPECT_EQ(o->PerSeries, 4);
    EXPECT_EQ(o->Interval, 180);
    EXPECT_EQ(o->SeriesInterval, 600);
    EXPECT_EQ(o->BlockInterval, 3600);

    RegisterCallFailure(modes, number, FailureCodes::Nc);
    EXPECT_EQ(*state(number), (RetryState{4, 2, 3, 10, 180}));

    RegisterCallFailure(modes, number, FailureCodes::Success);
    EXPECT_EQ(*state(number), (RetryState{4, 2, 3, 10, 180})) << "a success code is no failure";
}

TEST_F(CallFailurePolicyTest, NumbersAreMatchedIgnoringLetterCase)
{
    const TDriverModes modes = shippedModes(0);
    RegisterCallFailure(modes, QStringLiteral("tlx-ab"), FailureCodes::Occ);
    RegisterCallFailure(modes, QStringLiteral("TLX-AB"), FailureCodes::Occ);
    EXPECT_EQ(UnsuccNumbers->Count(), 1);
    EXPECT_EQ(state(QStringLiteral("Tlx-Ab"))->attempts, 2);
}

TEST_F(CallFailurePolicyTest, LongIntervalsSaturateInsteadOfWrapping)
{
    TDriverModes modes;
    modes.BadCallsPolicy[0] = Column{2, 40000, 70000, 100000, 65536};
    modes.BadCallsPolicy[1] = Column{-70000, -40000, 3, 10, 10};
    RegisterCallFailure(modes, number, FailureCodes::Occ);
    const TUnsucNumObject* o = retry(number);
    EXPECT_EQ(o->Wait, 32767) << "a blocked number must not become callable at once";
    EXPECT_EQ(o->Series, 32767);
    EXPECT_EQ(o->SeriesInterval, 32767);
    EXPECT_EQ(o->BlockInterval, 32767);

    CountDownRetryWaits();
    EXPECT_EQ(retry(number)->Wait, 32766);

    RegisterCallFailure(modes, number, FailureCodes::Nc);
    EXPECT_EQ(retry(number)->PerSeries, -32768);
    EXPECT_EQ(retry(number)->Wait, -32768);

    struct Case {
        std::int32_t value;
        std::int16_t kept;
    };
    for (const Case c : {Case{32767, 32767}, Case{32768, 32767}, Case{65536 + 5, 32767}, Case{-32768, -32768},
                         Case{-32769, -32768}, Case{300, 300}, Case{0, 0}})
        EXPECT_EQ(RetryValue(c.value), c.kept) << c.value;
}

TEST_F(CallFailurePolicyTest, WaitsCountDownToZeroAndAHeldBackNumberBecomesCallableAgain)
{
    const TDriverModes modes = shippedModes(0);
    const QString spent = QStringLiteral("555");
    for (int i = 0; i < 12; ++i)
        RegisterCallFailure(modes, spent, FailureCodes::Occ);
    RegisterCallFailure(modes, number, FailureCodes::Num); // wait 20
    ASSERT_EQ(retry(spent)->Wait, 3600);

    for (int s = 0; s < 19; ++s)
        CountDownRetryWaits();
    EXPECT_EQ(retry(number)->Wait, 1);
    for (int s = 0; s < 5; ++s)
        CountDownRetryWaits();
    EXPECT_EQ(retry(number)->Wait, 0) << "stops at zero";

    for (int s = 24; s < 3600; ++s)
        CountDownRetryWaits();
    EXPECT_EQ(*state(spent), (RetryState{12, 1, 4, 10, 0}));
    EXPECT_FALSE(ListsBusy.load());
}

TEST_F(CallFailurePolicyTest, SuccessTakesTheNumberOffTheRetryListOnly)
{
    const TDriverModes modes = shippedModes(0);
    RegisterCallFailure(modes, number, FailureCodes::Occ);
    RegisterCallFailure(modes, QStringLiteral("999"), FailureCodes::Occ);
    BadNumbers->Add(number, std::make_unique<TBadNumObject>());

    RemoveUnsuccessfulNumber(number);
    EXPECT_FALSE(state(number));
    EXPECT_TRUE(state(QStringLiteral("999")));
    EXPECT_EQ(BadNumbers->IndexOf(number), 0);

    RemoveUnsuccessfulNumber(QStringLiteral("not there"));
    EXPECT_EQ(UnsuccNumbers->Count(), 1);
}

TEST(CallFailurePolicyWithoutLists, EveryOperationPassesOver)
{
    ASSERT_EQ(UnsuccNumbers, nullptr);
    const TDriverModes modes = shippedModes(DriverMode::BlockSpentNumbers);
    RegisterCallFailure(modes, QStringLiteral("1"), FailureCodes::Occ);
    RemoveUnsuccessfulNumber(QStringLiteral("1"));
    CountDownRetryWaits();
    EXPECT_FALSE(ListsBusy.load());
}
