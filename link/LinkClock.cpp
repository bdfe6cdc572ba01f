#include "LinkClock.h"

#include <atomic>

namespace
{
std::atomic<const LinkClock*> installedClock { nullptr };
}

juce::uint32 LinkClock::now() noexcept
{
    if (auto* clock = installedClock.load())
        return clock->getMillisecondCounter();

    return juce::Time::getMillisecondCounter();
}

void LinkClock::install (const LinkClock* clock) noexcept
{
    installedClock.store (clock);
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
