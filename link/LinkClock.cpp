#include "LinkClock.h"

#include <atomic>
#include <thread>

namespace
{
std::atomic<const LinkClock*> installedClock { nullptr };

// Calls of now() that may still be reading an installed clock. install() waits until they are
// done, so a clock that has been replaced can be destroyed at once, even while another thread
// (the link worker) keeps asking for the time.
std::atomic<int> clockReaders { 0 };
} // namespace

juce::uint32 LinkClock::now() noexcept
{
    clockReaders.fetch_add (1);
    const auto* clock = installedClock.load();
    const auto ms = clock != nullptr ? clock->getMillisecondCounter() : juce::Time::getMillisecondCounter();
    clockReaders.fetch_sub (1);
    return ms;
}

void LinkClock::install (const LinkClock* clock) noexcept
{
    installedClock.store (clock);

    // A reader that took the previous clock before the store is still counted here.
    while (clockReaders.load() != 0)
        std::this_thread::yield();
}

const LinkClock* LinkClock::getInstalled() noexcept
{
    return installedClock.load();
}

juce::uint32 millisecondsBetween (juce::uint32 a, juce::uint32 b) noexcept
{
    const auto difference = a - b;

    // Read as signed: a negative difference is the same distance the other way round.
    return difference > 0x80000000u ? 0u - difference : difference;
}
