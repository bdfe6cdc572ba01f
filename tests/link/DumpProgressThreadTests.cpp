#include "DumpProgressThread.h"
#include "MessageLoop.h"

#include <gtest/gtest.h>

#include <atomic>

using morvane::test::runMessageLoopFor;
using morvane::test::runMessageLoopUntil;

namespace
{
    /** Records what the thread hands over, and on which thread. */
    struct CountDisplay : public DumpProgressThread::Listener
    {
        void dumpByteCountChanged (juce::uint32 byteCount, const juce::String& text) override
        {
            if (! juce::MessageManager::getInstance()->isThisTheMessageThread())
                ++callsOffMessageThread;

            counts.add (byteCount);
            texts.add (text);
        }

        juce::Array<juce::uint32> counts;
        juce::StringArray texts;
        int callsOffMessageThread = 0;
    };
} // namespace

TEST (DumpProgressThread, FormatsTheCountAsBytesReceived)
{
    EXPECT_EQ (DumpProgressThread::formatByteCount (0), "0 bytes received");
    EXPECT_EQ (DumpProgressThread::formatByteCount (4294967295u), "4294967295 bytes received");
}

TEST (DumpProgressThread, ShowsZeroBeforeAnythingArrives)
{
    CountDisplay display;
    DumpProgressThread thread (display, [] { return juce::uint32 (0); });
    thread.startThread();

    EXPECT_TRUE (runMessageLoopUntil ([&] { return ! display.texts.isEmpty(); }, 20000));
    EXPECT_EQ (display.texts[0], "0 bytes received");

    // An unchanged count is not handed over again.
    runMessageLoopFor (350);
    EXPECT_EQ (display.texts.size(), 1);
    EXPECT_EQ (display.callsOffMessageThread, 0);
}

TEST (DumpProgressThread, FollowsTheCountOnTheMessageThread)
{
    std::atomic<juce::uint32> received { 0 };
    CountDisplay display;
    DumpProgressThread thread (display, [&] { return received.load(); });
    thread.startThread();

    EXPECT_TRUE (runMessageLoopUntil ([&] { return display.counts.contains (0); }, 20000));

    received = 1234;
    EXPECT_TRUE (runMessageLoopUntil ([&] { return display.counts.getLast() == 1234; }, 20000));
    EXPECT_EQ (display.texts[display.texts.size() - 1], "1234 bytes received");

    received = 98765;
    EXPECT_TRUE (runMessageLoopUntil ([&] { return display.counts.getLast() == 98765; }, 20000));

    EXPECT_TRUE (thread.stopThread (20000));
    EXPECT_EQ (display.callsOffMessageThread, 0);
}

TEST (DumpProgressThread, TellsNothingOnceDeleted)
{
    std::atomic<juce::uint32> received { 10 };
    CountDisplay display;

    {
        DumpProgressThread thread (display, [&] { return received.load(); });
        thread.startThread();

        // The thread posts its first count, which the message loop does not deliver before the
        // thread is deleted.
        juce::Thread::sleep (250);
    }

    runMessageLoopFor (300);
    EXPECT_TRUE (display.texts.isEmpty());
}
