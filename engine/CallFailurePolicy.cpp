#include "engine/CallFailurePolicy.h"

#include "protocols/DriverModes.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace korvane {

namespace {

// From this many failures on, every further failure gives the number up.
constexpr std::int16_t kGiveUpAttempts = 12;

using PolicyColumn = std::array<std::int32_t, TDriverModes::kBadCallsValues>;

const PolicyColumn& policyColumn(const TDriverModes& modes, std::uint16_t category)
{
    return modes.BadCallsPolicy[std::size_t(category - 1)];
}

std::int16_t saturated(int value)
{
    return std::int16_t(std::clamp(value, int(std::numeric_limits<std::int16_t>::min()),
                                   int(std::numeric_limits<std::int16_t>::max())));
}

void loadPolicy(TUnsucNumObject& o, const PolicyColumn& column)
{
    o.PerSeries = RetryValue(column[0]);
    o.Interval = RetryValue(column[1]);
    o.Series = RetryValue(column[2]);
    o.SeriesInterval = RetryValue(column[3]);
    o.BlockInterval = RetryValue(column[4]);
}

void holdBack(TUnsucNumObject& o, const PolicyColumn& column)
{
    o.Left = o.PerSeries;
    o.Wait = o.BlockInterval;
    o.Series = RetryValue(column[2]);
}

void enterNumber(const PolicyColumn& column, const QString& number, FailureCode reason)
{
    auto o = std::make_unique<TUnsucNumObject>();
    o->Attempts = 1;
    o->Reason = reason;
    loadPolicy(*o, column);
    o->Left = saturated(o->PerSeries - 1);
    o->Wait = o->Interval;
    UnsuccNumbers->Add(number, std::move(o));
}

} // namespace

std::uint16_t FailureCategoryOf(FailureCode reason)
{
    return reason < FailureCategory.size() ? FailureCategory[reason] : 0;
}

std::int16_t RetryValue(std::int32_t policyValue)
{
    return saturated(policyValue);
}

void RegisterCallFailure(const TDriverModes& modes, const QString& number, FailureCode reason)
{
    const ListsBusyLock lock;
    if (!UnsuccNumbers)
        return;
    const std::uint16_t category = FailureCategoryOf(reason);
    if (category == 0)
        return;
    const PolicyColumn& column = policyColumn(modes, category);

    const int index = UnsuccNumbers->IndexOf(number);
    TUnsucNumObject* o = index < 0 ? nullptr : UnsuccNumbers->ObjectAs<TUnsucNumObject>(index);
    if (!o) {
        // An entry without a retry state cannot be counted on: start afresh.
        if (index >= 0)
            UnsuccNumbers->Delete(index);
        enterNumber(column, number, reason);
        return;
    }

    o->Attempts = saturated(o->Attempts + 1);
    if (o->Attempts >= kGiveUpAttempts) {
        GiveUpNumber(modes, index, reason);
    } else if (o->Reason == reason) {
        o->Left = saturated(o->Left - 1);
        if (o->Left > 0) {
            o->Wait = o->Interval;
        } else {
            o->Series = saturated(o->Series - 1);
            if (o->Series > 0) {
                o->Left = o->PerSeries;
                o->Wait = o->SeriesInterval;
            } else {
                GiveUpNumber(modes, index, reason);
            }
        }
    } else {
        o->Reason = reason;
        loadPolicy(*o, column);
        o->Left = o->PerSeries;
        o->Wait = o->Interval;
    }
}

void GiveUpNumber(const TDriverModes& modes, int index, FailureCode reason)
{
    TUnsucNumObject* o = UnsuccNumbers->ObjectAs<TUnsucNumObject>(index);
    if (!o)
        return;
    if (modes.ModeDriver & DriverMode::BlockSpentNumbers) {
        auto bad = std::make_unique<TBadNumObject>();
        bad->Reason = reason;
        if (BadNumbers && BadNumbers->Add(UnsuccNumbers->Number(index), std::move(bad)) >= 0) {
            UnsuccNumbers->Delete(index);
            return;
        }
    }
    const std::uint16_t category = FailureCategoryOf(reason);
    if (category == 0) {
        // Not a retried failure: hold the number back under its own values.
        o->Left = o->PerSeries;
        o->Wait = o->BlockInterval;
        return;
    }
    holdBack(*o, policyColumn(modes, category));
}

void RemoveUnsuccessfulNumber(const QString& number)
{
    const ListsBusyLock lock;
    if (!UnsuccNumbers)
        return;
    const int index = UnsuccNumbers->IndexOf(number);
    if (index >= 0)
        UnsuccNumbers->Delete(index);
}

void CountDownRetryWaits()
{
    const ListsBusyLock lock;
    if (!UnsuccNumbers)
        return;
    for (int i = 0; i < UnsuccNumbers->Count(); ++i) {
        if (auto* o = UnsuccNumbers->ObjectAs<TUnsucNumObject>(i); o && o->Wait > 0)
            --o->Wait;
    }
}

} // namespace korvane
