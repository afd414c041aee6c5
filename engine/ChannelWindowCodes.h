#pragma once

#include <cstdint>

namespace korvane {

// Values of the command byte that the channel window leaves for its driver.
// 0 means no command is pending.
struct ChannelCommands {
    enum : std::uint8_t {
        None = 0,
        Call = 1,          // leave Control mode for Dialog mode
        Dial = 2,          // dial the window's Number
        AskAnswerBack = 3, // ask the partner's answerback (WRU)
        AnswerBack = 4,    // send the own answerback
        Disconnect = 5,    // clear the connection
        ControlMode = 6,   // back to Control mode
        Restart = 7,       // restart the protocol
    };
};

// Message codes the driver posts to its window.
struct ChannelMessageCodes {
    enum : std::uint8_t {
        None = 0,
        DialogFromIdle = 1,   // dialog entered from clear-down or the idle loop: opens the number pad
        DialogFromWork = 2,   // dialog entered while other work ran
        WruQueued = 4,
        AnswerBackQueued = 5,
        Cleared = 6,          // the connection was cleared on the operator's command
        BackToControl = 7,
        PartnerCleared = 8,   // the partner cleared an established connection
        Refused = 9,          // a command the driver could not carry out
    };
};

// States of a channel driver as its window shows them.
struct ChannelStates {
    enum : std::uint8_t {
        Stopped = 0,            // nothing running (protocol restarted)
        Clearing = 1,
        WaitClearConfirm = 2,
        Idle = 3,
        Calling = 4,
        WaitDialInvitation = 5,
        Dialling = 6,
        WaitConnection = 7,
        Connected = 8,
        AlarmNoClearConfirm = 10,
        AlarmLineCurrent = 11,
        AlarmFileError = 12,
        // The protocol's stepping failed: the channel is out of service
        // until the channels restart.
        AlarmProtocolStopped = 13,
    };

    static constexpr bool IsAlarm(std::uint8_t state) { return state >= 10 && state <= 13; }
};

// The two LEDs of a channel window.
enum class ChannelLed : std::uint8_t { Tx, Rx };

} // namespace korvane
