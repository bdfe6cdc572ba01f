#pragma once

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

/** Turns a termination request from outside (SIGTERM at logout or shutdown, SIGINT from a
    terminal) into a call on the message thread, so that the program can store its window state
    and settings and quit the ordinary way instead of being cut off.

    The two signals reach one thread only, a listener that waits for them: main blocks them
    before any other thread starts (blockInEveryThread), so that every thread inherits the block
    and no read of theirs is ever interrupted (the framework's network streams spin for ever on a
    read that a signal interrupts). A second request while the first is still being served ends
    the process at once, as the signal's default action would.

    Only one object may exist at a time. On platforms other than Linux it does nothing: there the
    framework already reports a session's end as systemRequestedQuit.
*/
class TerminationSignal
{
public:
    /** Blocks the termination signals in the calling thread, and so in every thread it starts
        from then on. Called first thing in main, before any thread exists; programs started from
        this one get the signals unblocked again.
    */
    static void blockInEveryThread();

    /** Starts listening; onTerminate is called on the message thread for the first request. */
    explicit TerminationSignal (std::function<void()> onTerminate);
    ~TerminationSignal();

    /** True when requests are being caught (Linux, and the listening thread started). */
    bool isListening() const noexcept;

private:
    struct Pimpl;
    std::unique_ptr<Pimpl> pimpl;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TerminationSignal)
};
