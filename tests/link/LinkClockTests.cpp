#include "ManualLinkClock.h"
#include "ModelValues.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

TEST (LinkClock, ManualClocksNestAndRestoreTheRealCounter)
{
    EXPECT_EQ (LinkClock::getInstalled(), nullptr);

    {
        ManualLinkClock outer (100);
        EXPECT_EQ (LinkClock::now(), 100u);

        {
            ManualLinkClock inner (7);
            EXPECT_EQ (LinkClock::now(), 7u);
        }

        EXPECT_EQ (LinkClock::now(), 100u);
        outer.advance (0xFFFFFFFFu);
        EXPECT_EQ (LinkClock::now(), 99u) << "the counter wraps at 2^32";
    }

    EXPECT_EQ (LinkClock::getInstalled(), nullptr);
    const auto real = juce::Time::getMillisecondCounter();
    EXPECT_LE (millisecondsBetween (LinkClock::now(), real), 1000u);
}

TEST (LinkClock, AClockCanGoWhileAnotherThreadKeepsAskingForTheTime)
{
    // The link worker reads the time all along; a test's clock is destroyed whenever the test
    // ends. Once a clock is replaced, no reader may still be inside it (ThreadSanitizer and
    // AddressSanitizer see it when one is).
    std::atomic<bool> stop { false };
    std::atomic<int> reads { 0 };
    std::thread reader ([&]
    {
        while (! stop)
        {
            LinkClock::now();
            ++reads;
        }
    });

    while (reads.load() == 0)
        std::this_thread::yield();

    for (int i = 0; i < 2000; ++i)
    {
        auto clock = std::make_unique<ManualLinkClock> ((juce::uint32) i);
        clock.reset();
    }

    stop = true;
    reader.join();
    EXPECT_EQ (LinkClock::getInstalled(), nullptr);
}

TEST (LinkClock, DistanceIsSymmetricAndCorrectAcrossTheWrap)
{
    EXPECT_EQ (millisecondsBetween (5000, 2000), 3000u);
    EXPECT_EQ (millisecondsBetween (2000, 5000), 3000u);
    EXPECT_EQ (millisecondsBetween (100, 0xFFFFFF9Cu), 200u);
    EXPECT_EQ (millisecondsBetween (0xFFFFFF9Cu, 100), 200u);
    EXPECT_EQ (millisecondsBetween (0x80000000u, 0), 0x80000000u);
    EXPECT_EQ (millisecondsBetween (7, 7), 0u);
}

TEST (ModelValues, ReplySizeIsTheMessageCountOfOnePresetDump)
{
    for (juce::uint8 model : { 3, 5, 10 })
        EXPECT_EQ (replySizeForModel (model), 34);

    for (juce::uint8 model : { 6, 7, 8 })
        EXPECT_EQ (replySizeForModel (model), 66);

    EXPECT_EQ (replySizeForModel (16), 18);

    for (juce::uint8 model : { 0, 1, 2, 4, 9, 17, 255 })
        EXPECT_EQ (replySizeForModel (model), -1);
}
