#pragma once

#include "LinkClock.h"

#include <atomic>

/** A LinkClock that stands still until told to move, for tests of time-outs.

    It installs itself while it exists and restores the clock that was installed before it when
    it is destroyed. Its time may be set and advanced from any thread.
*/
class ManualLinkClock : public LinkClock
{
public:
    explicit ManualLinkClock (juce::uint32 startMs = 1000);
    ~ManualLinkClock() override;

    juce::uint32 getMillisecondCounter() const override;

    /** Sets the time (any value; the counter wraps at 2^32). */
    void set (juce::uint32 ms) noexcept;

    /** Moves the time on by ms, wrapping at 2^32. */
    void advance (juce::uint32 ms) noexcept;

private:
    std::atomic<juce::uint32> now { 0 };
    const LinkClock* previous = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ManualLinkClock)
};
