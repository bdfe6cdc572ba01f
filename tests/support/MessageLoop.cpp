#include "MessageLoop.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>

namespace morvane::test
{
bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

    // Messages already posted are dispatched at least once, even when the thread got no time
    // before the deadline passed.
    for (bool dispatched = false;; dispatched = true)
    {
        if (condition())
            return true;

        if (dispatched && juce::Time::getMillisecondCounterHiRes() >= deadline)
            return condition();

        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);
    }
}

bool runWhileMoving (const std::function<bool()>& done, const std::function<double()>& progress, int stillMs)
{
    while (! done())
    {
        const auto before = progress();

        if (! runMessageLoopUntil ([&] { return done() || progress() != before; }, stillMs))
            return false;
    }

    return true;
}

bool deliverPendingMessages (int timeoutMs)
{
    // Shared with the message, which may still be queued when the deadline has passed.
    auto delivered = std::make_shared<std::atomic<bool>> (false);
    juce::MessageManager::callAsync ([delivered] { delivered->store (true); });
    return runMessageLoopUntil ([&] { return delivered->load(); }, timeoutMs);
}

void runMessageLoopFor (int milliseconds)
{
    runMessageLoopUntil ([] { return false; }, milliseconds);
}
} // namespace morvane::test
