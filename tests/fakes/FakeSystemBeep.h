#pragma once

#include "platform/SystemBeep.h"

namespace korvane::test {

// Counts the beeps asked for.
class FakeSystemBeep final : public SystemBeep {
public:
    void beep() override { ++beeps; }

    int beeps = 0;
};

} // namespace korvane::test
