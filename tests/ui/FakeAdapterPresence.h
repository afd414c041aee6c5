#pragma once

#include "ui/settings/AdapterPresence.h"

#include <vector>

namespace korvane::test {

// Answers every presence test with Result and records the calls.
class FakeAdapterPresence final : public AdapterPresenceTest {
public:
    struct Call {
        int channel;
        bool inverted;
    };
    AdapterPresence Check(int channel, bool inverted) override
    {
        calls.push_back({channel, inverted});
        return result;
    }
    AdapterPresence result = AdapterPresence::Present;
    std::vector<Call> calls;
};

} // namespace korvane::test
