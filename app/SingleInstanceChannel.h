#pragma once

#include <juce_events/juce_events.h>

#include <functional>

/** Keeps the program to one running instance per user and lets a later start tell the running
    one about itself.

    The first instance holds a process lock and listens on a named pipe in the given folder; a
    later start fails to take the lock, writes one message into the pipe and ends. JUCE does not
    hand a second instance's command line to the first one on every platform, hence this channel
    of our own. The running instance waits for a message without looking for one: an idle
    program is not woken by its channel.
*/
class SingleInstanceChannel
{
public:
    /** A channel whose lock and pipe are named after the folder (the user's settings folder). */
    explicit SingleInstanceChannel (const juce::File& folder);
    ~SingleInstanceChannel();

    /** Tries to become the running instance. True: this process holds the lock and listens;
        onAnotherInstance is then called on the message thread whenever a later start signals.
        False: another instance runs.
    */
    bool claim();

    /** Called by a later start: tells the running instance that a start was attempted. False when
        the running instance could not be reached within the time-out.
    */
    bool signalRunningInstance (int timeoutMs = 2000);

    /** Called on the message thread in the running instance when a later start signalled. */
    std::function<void()> onAnotherInstance;

private:
    class Connection;
    class Listener;

    juce::File folder;
    std::unique_ptr<juce::InterProcessLock> lock;
    std::unique_ptr<Listener> listener;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SingleInstanceChannel)
};
