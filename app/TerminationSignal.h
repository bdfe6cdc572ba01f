#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

/** Turns a termination request from outside (SIGTERM at logout or shutdown) into a call on the
    message thread, so that the program can store its window state and settings and quit the
    ordinary way instead of being cut off.

    JUCE quits on Ctrl+C (SIGINT) by itself, but leaves SIGTERM to its default action, which ends
    the process at once. Only one object may exist at a time; it restores the previous handling
    when it goes. On platforms other than Linux it does nothing: there the framework already
    reports a session's end as systemRequestedQuit.
*/
class TerminationSignal
{
public:
    /** Starts listening; onTerminate is called on the message thread for each request. */
    explicit TerminationSignal (std::function<void()> onTerminate);
    ~TerminationSignal();

    /** True when requests are being caught (Linux, and the signal handler could be installed). */
    bool isListening() const noexcept;

private:
    struct Pimpl;
    std::unique_ptr<Pimpl> pimpl;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TerminationSignal)
};
