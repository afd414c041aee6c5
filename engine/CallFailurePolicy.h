#pragma once

#include "support/FailureCodes.h"
#include "support/NumberLists.h"

#include <QString>

#include <array>
#include <cstdint>

namespace korvane {

struct TDriverModes;

// The retry state of one number in UnsuccNumbers. The five policy values
// come from one column of the bad-calls table of the driver modes.
class TUnsucNumObject : public NumberListObject {
public:
    std::int16_t Attempts = 0;       // failed calls since the number entered the list
    std::int16_t Reason = 0;         // FailureCode of the last failure
    std::int16_t PerSeries = 0;      // attempts per series
    std::int16_t Interval = 0;       // seconds between attempts within a series
    std::int16_t Series = 0;         // series still allowed
    std::int16_t SeriesInterval = 0; // seconds between series
    std::int16_t BlockInterval = 0;  // seconds held back once the series are spent
    std::int16_t Left = 0;           // attempts left in the current series
    std::int16_t Wait = 0;           // seconds to the next attempt; callable at 0 or less
};

// Why a number was given up, attached to its entry in BadNumbers.
class TBadNumObject : public NumberListObject {
public:
    std::uint8_t Reason = 0; // FailureCode of the failure that gave it up
};

// The bad-calls category (1..9) of each FailureCode; 0: never retried.
inline constexpr std::array<std::uint16_t, FailureCodes::Count> FailureCategory = {
    0, 1, 2, 3, 3, 3, 3, 3, 3, 3, 5, 4, 6, 7, 8, 9,
};

// The category of Reason; 0 for a code outside the table.
std::uint16_t FailureCategoryOf(FailureCode reason);

// A policy value (seconds or counts, 32 bits in the driver modes) as kept in
// the 16-bit retry state: values beyond the 16-bit range saturate at 32767
// (or -32768), so a long wait never turns into a short or negative one.
std::int16_t RetryValue(std::int32_t policyValue);

// The number lists' rules for failed automatic calls. All of them work on
// the global lists UnsuccNumbers and BadNumbers under ListsBusy, and do
// nothing while the lists do not exist. Modes is the bad-calls table and
// mode bits in force (normally GlobalModes).

// Counts a failed automatic call to Number (looked up ignoring letter case):
// - a reason whose category is 0: nothing;
// - a number new to UnsuccNumbers: enters it with Attempts 1, the category's
//   policy values, Left one less than the attempts per series and Wait the
//   interval between attempts;
// - the same reason as last time: one attempt of the series is used; while
//   attempts are left Wait is the interval, else a series is used and the
//   next starts after the series interval with a full Left; with no series
//   left the number is given up;
// - a new reason: a fresh series under the new category's values with a
//   full Left and Wait the interval;
// - from the twelfth failure on, every failure gives the number up.
void RegisterCallFailure(const TDriverModes& modes, const QString& number, FailureCode reason);

// Gives up the number at Index of UnsuccNumbers (whose retry state must be a
// TUnsucNumObject) after a failure with Reason. The caller holds ListsBusy.
// - DriverMode::BlockSpentNumbers set: the number moves to BadNumbers with
//   Reason and leaves UnsuccNumbers. (Should BadNumbers be full, the number
//   is held back as below instead, never made callable.)
// - Clear: it stays, held back for its block interval: Left := PerSeries,
//   Wait := BlockInterval, Series := the series count of Reason's category.
//   Attempts keeps counting.
void GiveUpNumber(const TDriverModes& modes, int index, FailureCode reason);

// Takes Number off UnsuccNumbers after a successful call; BadNumbers stays.
void RemoveUnsuccessfulNumber(const QString& number);

// The once-a-second countdown: every Wait above 0 in UnsuccNumbers goes
// down by 1.
void CountDownRetryWaits();

} // namespace korvane
