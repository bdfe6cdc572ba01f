#pragma once

#include <functional>

namespace morvane::test
{
/** Runs the JUCE message loop on the calling (message) thread until the condition holds or the
    deadline passes. Returns the condition's last value: false means the deadline passed first.
*/
bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMs = 20000);

/** Runs the message loop for a fixed time, for checks that something does not happen. */
void runMessageLoopFor (int milliseconds);
} // namespace morvane::test
