#pragma once

#include "UpdateHttpSession.h"

#include <juce_events/juce_events.h>

#include <functional>

/** Runs the network reads of one update check (a feed, then its notes) on a thread of its own,
    within the server's check deadline, so that the windows answer at once whatever the server
    does; then tells its owner on the message thread.

    Deleting it (message thread) cancels the reads, waits for the thread, which then ends at once
    (its reads only wait for what the session's own network thread hands over, never for the
    network itself: see UpdateHttpSession), and drops a pending report: the owner hears nothing
    after that.
*/
class UpdateCheckThread : private juce::Thread,
                          private juce::AsyncUpdater
{
public:
    using Job = std::function<void (UpdateHttpSession&)>;

    /** Starts the job at once; finished is called on the message thread once it has returned. */
    UpdateCheckThread (Job job, std::function<void()> finished, int deadlineMs);
    ~UpdateCheckThread() override;

    /** True until finished has been called. */
    bool isChecking() const noexcept { return ! reported; }

private:
    void run() override;
    void handleAsyncUpdate() override;

    UpdateHttpSession session;
    Job job;
    std::function<void()> finished;
    bool reported = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateCheckThread)
};
