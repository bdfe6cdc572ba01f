#include "MessageLoop.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <thread>

using morvane::test::runMessageLoopUntil;

TEST (MessageLoopHelper, DeliversMessagesPostedFromAnotherThread)
{
    std::atomic<bool> delivered { false };
    std::atomic<bool> onMessageThread { false };

    std::thread poster ([&] {
        juce::MessageManager::callAsync ([&] {
            onMessageThread = juce::MessageManager::getInstance()->isThisTheMessageThread();
            delivered = true;
        });
    });

    EXPECT_TRUE (runMessageLoopUntil ([&] { return delivered.load(); }, 20000));
    poster.join();
    EXPECT_TRUE (onMessageThread.load());
}

TEST (MessageLoopHelper, ReportsFalseWhenTheDeadlinePasses)
{
    EXPECT_FALSE (runMessageLoopUntil ([] { return false; }, 50));
}
