#include "ui/settings/AdapterPresence.h"

#include "platform/serial/SerialDevice.h"
#include "platform/serial/SerialPortMap.h"
#include "platform/serial/SimSerialDevice.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

// COM7 on a simulated device of the test's own port map.
class CommPortPresenceTestTest : public ::testing::Test {
protected:
    CommPortPresenceTestTest()
    {
        saved_ = qgetenv("KORVANE_COM7");
        qputenv("KORVANE_COM7", "sim:presence7");
        map.registerSimulated(QStringLiteral("presence7"), device);
    }
    ~CommPortPresenceTestTest() override
    {
        if (saved_.isNull())
            qunsetenv("KORVANE_COM7");
        else
            qputenv("KORVANE_COM7", saved_);
    }

    QByteArray saved_;
    serial::SerialPortMap map;
    std::shared_ptr<serial::SimSerialDevice> device = serial::SimSerialDevice::create();
    CommPortPresenceTest test{&map};
};

TEST_F(CommPortPresenceTestTest, LoopBackDecidesAndThePortIsClosedAgain)
{
    struct Case {
        bool wired;
        bool wireInverted;
        bool inverted;
        AdapterPresence expected;
    };
    const std::vector<Case> cases = {
        {true, false, false, AdapterPresence::Present},
        {false, false, false, AdapterPresence::Missing},
        {true, true, true, AdapterPresence::Present},
        {true, false, true, AdapterPresence::Missing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.wired << c.wireInverted << c.inverted);
        device->setDcdFollowsDtr(c.wired, c.wireInverted);
        EXPECT_EQ(test.Check(7, c.inverted), c.expected);
        EXPECT_FALSE(device->isOpen());
    }
}

TEST_F(CommPortPresenceTestTest, APortInUseDoesNotOpen)
{
    std::unique_ptr<serial::SerialDevice> held = device->open();
    ASSERT_TRUE(held);
    EXPECT_EQ(test.Check(7, false), AdapterPresence::PortNotOpened);
    held.reset();
    map.unregisterSimulated(QStringLiteral("presence7"));
    EXPECT_EQ(test.Check(7, false), AdapterPresence::PortNotOpened);
}

} // namespace
