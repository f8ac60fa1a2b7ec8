#include "platform/notify.h"

#include <gtest/gtest.h>

#include <thread>

// The simulator client thread sleeps on such an event until messages arrive:
// no signal may be lost between its look at the queue and its wait.
TEST(PlatformEvent, ASignalIsKeptUntilOneWaitTakesIt) {
    platform::Event event;
    ASSERT_NE(event.handle(), nullptr);
    EXPECT_FALSE(event.wait(20)) << "not signalled yet";
    event.signal();
    event.signal();  // signals before a wait coalesce
    EXPECT_TRUE(event.wait(0));
    EXPECT_FALSE(event.wait(20)) << "taken by the first wait";

    std::thread other([&event] { event.signal(); });
    EXPECT_TRUE(event.wait());  // for ever, until the other thread signals
    other.join();
}

TEST(PlatformEvent, NullEventsAreSkipped) {
    platform::signalEvent(nullptr);
    EXPECT_FALSE(platform::waitEvent(nullptr, 0));
    platform::closeEvent(nullptr);
}
