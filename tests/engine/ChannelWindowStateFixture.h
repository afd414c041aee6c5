#pragma once

#include "RecordingChannelWindowView.h"
#include "engine/ChannelWindowState.h"

#include <gtest/gtest.h>

namespace korvane::test {

// A channel window's state for channel 1 in Control mode, on a recording view.
class ChannelWindowStateTest : public ::testing::Test {
protected:
    ChannelWindowStateTest()
    {
        state.SetChannel(1);
        view.Forget();
    }

    void Tick(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            state.MessagesTimerTimer();
    }
    // The window shows State after its next tick.
    void Show(std::uint8_t shown)
    {
        state.SetChannelState(shown);
        Tick();
    }
    void EnterDialog()
    {
        state.SetDialogMode(true);
        view.Forget();
    }
    QString TakeRing()
    {
        QString out;
        while (const auto key = state.KeyRing().Take())
            out.append(*key);
        return out;
    }

    RecordingChannelWindowView view;
    ChannelWindowState state{view};
};

} // namespace korvane::test
