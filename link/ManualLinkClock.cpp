#include "ManualLinkClock.h"

ManualLinkClock::ManualLinkClock (juce::uint32 startMs)
    : now (startMs)
    , previous (LinkClock::getInstalled())
{
    LinkClock::install (this);
}

ManualLinkClock::~ManualLinkClock()
{
    LinkClock::install (previous);
}

juce::uint32 ManualLinkClock::getMillisecondCounter() const
{
    return now.load();
}

void ManualLinkClock::set (juce::uint32 ms) noexcept
{
    now.store (ms);
}

void ManualLinkClock::advance (juce::uint32 ms) noexcept
{
    now.fetch_add (ms);
}
