#pragma once

#include "ui/channel/TxChWind.h"

#include "engine/ChannelWindowCodes.h"
#include "protocols/DriverModes.h"
#include "tests/fakes/FakeMessageBox.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace korvane::test {

// A channel window on channel 3 without a driver, its boxes recorded.
class ChannelWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedModes = GlobalModes;
        GlobalModes.ModeDriver = 0;
        GlobalModes.MsgDelay = 0;
        window = std::make_unique<TTxChannelWindow>(Environment());
        window->MessagesTimer()->stop(); // the tests tick it themselves
        window->SetChannel(3);
    }

    void TearDown() override
    {
        window.reset();
        GlobalModes = savedModes;
    }

    ChannelWindowEnvironment Environment()
    {
        ChannelWindowEnvironment env;
        env.Box = &box;
        env.ChannelBox = &channelBox;
        env.Closing = &closing;
        env.DriverOf = [](int) { return nullptr; };
        env.SoundOff = [this] { ++soundOffs; };
        env.PlayChime = [this] { ++chimes; };
        env.DialNumber = [this](ChannelWindow&) { ++pads; };
        return env;
    }

    // The driver's news, as it gives them, and the window's timer.
    void Engine(bool dialog, std::uint8_t state)
    {
        window->Window().SetDialogMode(dialog);
        window->Window().SetChannelState(state);
        Tick();
    }
    void Tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            window->MessagesTimerTimer();
    }
    QString Ring()
    {
        QString keys;
        while (auto key = window->Window().KeyRing().Take())
            keys += *key;
        return keys;
    }

    TDriverModes savedModes;
    FakeMessageBox box;
    FakeMessageBox channelBox;
    std::atomic<bool> closing{false};
    int soundOffs = 0;
    int chimes = 0;
    int pads = 0;
    std::unique_ptr<TTxChannelWindow> window;
};

} // namespace korvane::test
