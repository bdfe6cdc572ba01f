#pragma once

#include <juce_core/juce_core.h>

/** The millisecond counter that the link's time-outs read.

    The program reads juce::Time::getMillisecondCounter (milliseconds since the system started,
    wrapping at 2^32). A test can install a clock of its own (see ManualLinkClock) so that
    time-outs and the wrap of the counter are checked without sleeping.
*/
class LinkClock
{
public:
    virtual ~LinkClock() = default;

    /** This clock's current time in milliseconds. */
    virtual juce::uint32 getMillisecondCounter() const = 0;

    /** The installed clock's time, or juce::Time::getMillisecondCounter when none is installed.
        Safe to call from any thread.
    */
    static juce::uint32 now() noexcept;

    /** Makes every later now() read the given clock; nullptr restores the real counter. The
        caller keeps the clock alive while it is installed. Returns once no call of now() on
        another thread can still be reading the clock installed before, so that clock may then
        be destroyed.
    */
    static void install (const LinkClock* clock) noexcept;

    /** The installed clock, or nullptr when the real counter is in use. */
    static const LinkClock* getInstalled() noexcept;
};

/** The absolute distance between two millisecond stamps: their 32-bit difference read as a
    signed number, made positive, compared unsigned. Correct across the wrap at 2^32.
*/
juce::uint32 millisecondsBetween (juce::uint32 a, juce::uint32 b) noexcept;
