#include "MessageLoop.h"
#include "SingleInstanceChannel.h"

#include <gtest/gtest.h>

namespace
{
TEST (SingleInstanceChannel, RunningInstanceHearsEveryLaterStart)
{
    const auto folder = juce::File::createTempFile ("instance");
    SingleInstanceChannel running (folder);
    int starts = 0;
    running.onAnotherInstance = [&starts] { ++starts; };
    ASSERT_TRUE (running.claim());

    SingleInstanceChannel later (folder);
    EXPECT_TRUE (later.signalRunningInstance());
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == 1; }));

    SingleInstanceChannel third (folder);
    EXPECT_TRUE (third.signalRunningInstance());
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == 2; }));

    folder.deleteRecursively();
}

TEST (SingleInstanceChannel, SignalWithoutARunningInstanceFailsWithinItsTimeOut)
{
    const auto folder = juce::File::createTempFile ("instance");
    SingleInstanceChannel lonely (folder);
    const auto start = juce::Time::getMillisecondCounter();
    EXPECT_FALSE (lonely.signalRunningInstance (300));
    EXPECT_LT (juce::Time::getMillisecondCounter() - start, 5000u);
}
} // namespace
