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

TEST (SingleInstanceChannel, OnlyTheChannelsOwnMessageCountsAndAClosedChannelCanBeClaimedAgain)
{
    const auto folder = juce::File::createTempFile ("instance");
    int starts = 0;

    {
        SingleInstanceChannel running (folder);
        running.onAnotherInstance = [&starts] { ++starts; };
        ASSERT_TRUE (running.claim());

        // Another program's message on the same pipe, then a later start: only the start counts.
        struct Stranger : public juce::InterprocessConnection
        {
            Stranger() : juce::InterprocessConnection (true, 0x12345678) {}
            ~Stranger() override { disconnect(); }
            void connectionMade() override {}
            void connectionLost() override {}
            void messageReceived (const juce::MemoryBlock&) override {}
        };

        juce::File pipeFile;

        for (const auto& file : folder.findChildFiles (juce::File::findFiles, false, "Morvane-*_in"))
            pipeFile = file;

        ASSERT_TRUE (pipeFile.getFullPathName().isNotEmpty());
        Stranger stranger;
        ASSERT_TRUE (stranger.connectToPipe (pipeFile.getFullPathName().dropLastCharacters (3), 2000));
        EXPECT_TRUE (stranger.sendMessage (juce::MemoryBlock ("another instance", 16)));

        SingleInstanceChannel later (folder);
        EXPECT_TRUE (later.signalRunningInstance());
        EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == 1; }));
        morvane::test::runMessageLoopFor (200);
        EXPECT_EQ (starts, 1);
    }

    // The channel closed with its program: the next start runs and hears later ones again.
    SingleInstanceChannel next (folder);
    next.onAnotherInstance = [&starts] { ++starts; };
    ASSERT_TRUE (next.claim());
    SingleInstanceChannel later (folder);
    EXPECT_TRUE (later.signalRunningInstance());
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
