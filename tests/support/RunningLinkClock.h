#pragma once

#include "ManualLinkClock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace morvane::test
{
/** A manual link clock that a thread of its own moves on quickly (stepMs every 2 ms of real
    time), so that the link's time-outs and the simulated device's delays pass without a test
    waiting for them, while everything still happens in its real order.
*/
class RunningLinkClock
{
public:
    explicit RunningLinkClock (juce::uint32 stepMs = 250)
        : step (stepMs),
          thread ([this]
          {
              while (! stop)
              {
                  if (! paused)
                      clock.advance (step);

                  std::this_thread::sleep_for (std::chrono::milliseconds (2));
              }
          })
    {
    }

    ~RunningLinkClock()
    {
        stop = true;
        thread.join();
    }

    /** Stops or restarts the clock's motion; it may still be moved by hand. */
    void setPaused (bool shouldPause) noexcept { paused = shouldPause; }

    ManualLinkClock& getClock() noexcept { return clock; }

private:
    ManualLinkClock clock;
    const juce::uint32 step;
    std::atomic<bool> stop { false }, paused { false };
    std::thread thread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RunningLinkClock)
};
} // namespace morvane::test
