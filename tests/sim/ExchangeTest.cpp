// The simulated exchange and stations, seen from the terminal's port.
#include "SimRig.h"

#include <gtest/gtest.h>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kAnswer = QStringLiteral("station 2345 <_2345 XYZ\ndo answerback\n");

TEST(SimExchange, ASeizeIsAnsweredWithAnInvitationPulseAndDialPulsesAreCounted)
{
    SimRig rig(kAnswer);
    rig.linePlus(); // seize
    const std::int64_t before = rig.untilInput(true, 1000);
    EXPECT_EQ(before, 150); // the exchange answers after 150 ms
    EXPECT_EQ(rig.untilInput(false, 1000), 40); // with a 40 ms pulse

    rig.advance(50);
    rig.dial(8, 200);
    EXPECT_FALSE(rig.inputPlus()) << "the digit is not complete before its gap";
    rig.advance(300);
    EXPECT_TRUE(rig.inputPlus()) << "after the prefix the exchange takes keyboard selection";
    rig.send(QStringLiteral("2345+"));
    rig.advance(12 * 150 + 200 + 100 + 12 * 150);
    EXPECT_EQ(rig.received(), QStringLiteral("<_2345 XYZ"));
    EXPECT_EQ(rig.exchangeLog(), (QStringList{"seize", "invite 40", "pulse 60", "pulse 60", "pulse 60", "pulse 60",
                                              "pulse 60", "pulse 60", "pulse 60", "pulse 60", "digit 8", "proceed",
                                              "select 2345", "connect 2345"}));
}

TEST(SimExchange, TheTerminalsClearingIsConfirmedAndTheStationLetGo)
{
    SimRig rig(QStringLiteral("selection keyboard\n") + kAnswer);
    rig.linePlus();
    ASSERT_GE(rig.untilInput(true, 1000), 0);
    rig.send(QStringLiteral("2345+"));
    rig.advance(6 * 150 + 200 + 12 * 150);
    ASSERT_NE(rig.network->exchange().connectedStation(), nullptr);
    rig.send(QStringLiteral("HELLO"));
    rig.advance(7 * 150);
    EXPECT_EQ(rig.network->exchange().station(QStringLiteral("2345"))->received(), QStringLiteral("HELLO"));

    rig.lineMinus();
    rig.advance(150); // a '-' shorter than the clearing time is no clearing
    EXPECT_TRUE(rig.inputPlus());
    EXPECT_EQ(rig.untilInput(false, 1000), 50);
    EXPECT_EQ(rig.network->exchange().connectedStation(), nullptr);
    EXPECT_TRUE(rig.network->exchange().isFree());
    const QStringList log = rig.exchangeLog();
    EXPECT_EQ(log.mid(log.size() - 2), (QStringList{"clear", "confirm"}));
}

TEST(SimExchange, RefusalsAndSilence)
{
    struct Case {
        const char* scenario;
        std::int64_t pulseMs; // the exchange's answer to the seize, -1 none
        const char* signal;   // the service signal after selection, or nullptr
    };
    const Case cases[] = {
        {"seize busy\nstation 2345\n", 200, nullptr},
        {"seize none\nstation 2345\n", -1, nullptr},
        {"selection keyboard\nstation 2345\nreply OCC\n", 0, "OCC"},
        {"selection keyboard\nstation 2345\n", 0, nullptr}, // 9999 is no subscriber: NP
    };
    for (const Case& c : cases) {
        SimRig rig(QString::fromLatin1(c.scenario));
        rig.linePlus();
        const std::int64_t answer = rig.untilInput(true, 2000);
        if (c.pulseMs < 0) {
            EXPECT_EQ(answer, -1) << c.scenario;
            continue;
        }
        ASSERT_EQ(answer, 150) << c.scenario;
        if (c.pulseMs > 0) {
            EXPECT_EQ(rig.untilInput(false, 1000), c.pulseMs) << c.scenario;
            rig.lineMinus(); // the terminal gives up
            rig.advance(300);
            EXPECT_TRUE(rig.network->exchange().isFree()) << c.scenario;
            continue;
        }
        rig.send(c.signal ? QStringLiteral("2345+") : QStringLiteral("9999+"));
        rig.advance(6 * 150 + 10 * 150);
        const QString expected = QStringLiteral("<_%1<_").arg(c.signal ? c.signal : "NP");
        EXPECT_EQ(rig.received(), expected) << c.scenario;
        EXPECT_TRUE(rig.inputPlus());
        EXPECT_GE(rig.untilInput(false, 1000), 0) << "the exchange clears after its service signal";
        rig.lineMinus();
        rig.advance(300);
        EXPECT_TRUE(rig.network->exchange().isFree()) << c.scenario;
    }
}

TEST(SimExchange, AReplyForSomeCallsLetsTheLaterOnesThrough)
{
    SimRig rig(QStringLiteral("selection keyboard\nstation 2345 <_2345 XYZ\nreply OCC 2\n"));
    for (int call = 1; call <= 3; ++call) {
        rig.linePlus();
        ASSERT_GE(rig.untilInput(true, 2000), 0) << call;
        rig.txRegister = NoRegister; // a new call knows no register yet
        rig.send(QStringLiteral("2345+"));
        rig.advance(6 * 150 + 10 * 150);
        const QString got = rig.received();
        if (call <= 2)
            EXPECT_EQ(got, QStringLiteral("<_OCC<_")) << call;
        else
            EXPECT_TRUE(rig.network->exchange().connectedStation() != nullptr) << got.toStdString();
        rig.lineMinus();
        rig.advance(500);
        EXPECT_TRUE(rig.network->exchange().isFree()) << call;
    }
}

TEST(SimStation, CallsInAsksForTheAnswerbackSendsItsTelegramAndClears)
{
    SimRig rig(QStringLiteral("station 2345 <_2345 XYZ\n"
                              "call-in 1000\n"
                              "do wait 500\n"
                              "do wru\n"
                              "do wait 2000\n"
                              "do send <_HELLO<_\n"
                              "do clear\n"));
    EXPECT_GT(rig.untilInput(true, 2000), 900) << "the call arrives at 1 s";
    rig.advance(100);
    rig.linePlus(); // the terminal answers
    rig.advance(500 + 2 * 150 + 10);
    EXPECT_EQ(rig.received(), QStringLiteral("@"));
    rig.send(QStringLiteral("<_12345 TEST"));
    rig.advance(6000);
    EXPECT_EQ(rig.network->exchange().station(QStringLiteral("2345"))->received(), QStringLiteral("<_12345 TEST"));
    EXPECT_EQ(rig.received(), QStringLiteral("<_HELLO<_"));
    EXPECT_FALSE(rig.inputPlus()) << "the station has cleared";
    rig.lineMinus();
    rig.advance(300);
    EXPECT_TRUE(rig.network->exchange().isFree());
    EXPECT_EQ(rig.exchangeLog(), (QStringList{"call 2345", "connect 2345", "release", "clear"}));
}

TEST(SimStation, AnswersEveryWruWithItsAnswerbackUnlessSilent)
{
    for (bool silent : {false, true}) {
        SimRig rig(QStringLiteral("selection keyboard\nstation 2345 <_2345 XYZ\n") +
                   (silent ? QStringLiteral("do silent\n") : QString()));
        rig.linePlus();
        ASSERT_GE(rig.untilInput(true, 1000), 0);
        rig.send(QStringLiteral("2345+"));
        rig.advance(6 * 150 + 300);
        rig.send(QStringLiteral("@"));
        rig.advance(3000);
        rig.send(QStringLiteral("@"));
        rig.advance(3000);
        EXPECT_EQ(rig.received(), silent ? QString() : QStringLiteral("<_2345 XYZ<_2345 XYZ")) << silent;
        EXPECT_EQ(rig.network->exchange().station(QStringLiteral("2345"))->wruReceived(), 2);
    }
}

TEST(SimStation, BreaksTheLineForAWhile)
{
    SimRig rig(QStringLiteral("selection keyboard\nstation 2345\ndo wait 100\ndo break 2000\n"));
    rig.linePlus();
    ASSERT_GE(rig.untilInput(true, 1000), 0);
    rig.send(QStringLiteral("2345+"));
    rig.advance(6 * 150 + 200 + 100 + 5);
    EXPECT_TRUE(rig.lineFault());
    rig.advance(1990);
    EXPECT_TRUE(rig.lineFault());
    rig.advance(10);
    EXPECT_FALSE(rig.lineFault());
}

TEST(SimTranscript, NotesPolarityCodesAndTheirTimes)
{
    SimRig rig(QStringLiteral("selection keyboard\nstation 2 <_2345 XYZ\ndo answerback\n"));
    rig.linePlus();
    ASSERT_GE(rig.untilInput(true, 1000), 0);
    rig.send(QStringLiteral("2+"));
    rig.advance(3 * 150 + 200 + 12 * 150);
    const QString text = rig.network->transcript().text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("0.010 out +\n0.010 seize\n0.160 in +\n0.160 proceed\n"))) << text.toStdString();
    // Figures shift, 2, + from the terminal; the station's answerback to it.
    EXPECT_EQ(rig.network->transcript().codes(true), QByteArray("\x1b\x13\x11", 3));
    QByteArray ab;
    TelegraphRegister reg = NoRegister;
    EncodeTelegraph(QStringLiteral("<_2345 XYZ"), ab, reg);
    EXPECT_EQ(rig.network->transcript().codes(false), ab);
}

} // namespace

namespace {

// The terminal's side of an outgoing call as the built-in protocol makes it:
// seize, wait for the invitation, dial 8 by pulses, wait for '+', select
// 2345 by keyboard, read the answerback, send a little text, clear.
QString outgoingCall(SimRig& rig)
{
    rig.linePlus();
    EXPECT_GE(rig.untilInput(true, 1000), 0);
    EXPECT_GE(rig.untilInput(false, 1000), 0);
    rig.advance(50);
    rig.dial(8);
    EXPECT_TRUE(rig.inputPlus());
    rig.advance(300);
    rig.send(QStringLiteral("2345+"));
    rig.advance(6 * 150 + 200 + 13 * 150);
    rig.send(QStringLiteral("<_ZCZC<_TEXT<_@"));
    rig.advance(16 * 150 + 150 + 13 * 150);
    rig.lineMinus();
    rig.advance(600);
    rig.received();
    return rig.network->transcript().text();
}

TEST(SimTranscript, TheSameCallGivesTheSameTranscript)
{
    SimRig first(sim::Scenario::builtInText(QStringLiteral("answer")));
    SimRig second(sim::Scenario::builtInText(QStringLiteral("answer")));
    const QString a = outgoingCall(first);
    EXPECT_EQ(a, outgoingCall(second));
    EXPECT_EQ(first.all, QStringLiteral("<_2345 XYZ<_2345 XYZ")); // on connection, and on the WRU
    EXPECT_EQ(first.network->exchange().station(QStringLiteral("2345"))->received(), QStringLiteral("<_ZCZC<_TEXT<_@"));
    EXPECT_TRUE(first.network->exchange().isFree());
    EXPECT_EQ(first.exchangeLog().mid(10), (QStringList{"digit 8", "proceed", "select 2345", "connect 2345", "clear",
                                                        "confirm"}));
}

} // namespace
