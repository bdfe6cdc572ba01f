#pragma once

#include <functional>

namespace morvane::test
{
/** Runs the JUCE message loop on the calling (message) thread until the condition holds or the
    deadline passes. Returns the condition's last value: false means the deadline passed first.
*/
bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMs = 20000);

/** Runs the message loop until done() holds, for as long as progress() keeps changing: false
    once it has stood still for stillMs. For long runs whose pace a busy machine sets.
*/
bool runWhileMoving (const std::function<bool()>& done, const std::function<double()>& progress, int stillMs = 30000);

/** Runs the message loop until everything posted to it before the call has been delivered (the
    queue is first in, first out): the end to wait for before checking that something already on
    its way did not come. False when the deadline passed first.
*/
bool deliverPendingMessages (int timeoutMs = 20000);

/** Runs the message loop for a fixed time, for checks that something does not happen. */
void runMessageLoopFor (int milliseconds);
} // namespace morvane::test
