#pragma once

#include "PlatformFiles.h"

#include <juce_events/juce_events.h>

#include <functional>

/** Keeps the program to one running instance per user and lets a later start tell the running
    one about itself.

    The first instance holds a lock file and listens on a named pipe, both in the user's own
    runtime folder; a later start fails to take the lock, writes one message into the pipe and
    ends. A lock that cannot be taken for any reason counts as held: two starts never both run.
    JUCE does not hand a second instance's command line to the first one on every platform, and
    its own lock reports a lock file that it could not open as held by itself, hence this channel
    of our own. The running instance waits for a message without looking for one: an idle
    program is not woken by its channel.
*/
class SingleInstanceChannel
{
public:
    /** The channel of the program whose settings lie in settingsFolder (its lock and pipe are
        named after that folder), kept in runtimeFolder, a folder that only this user may enter
        (PlatformFiles::findRuntimeFolder). Without a runtime folder the channel cannot be claimed.
    */
    SingleInstanceChannel (const juce::File& settingsFolder, const juce::File& runtimeFolder);
    ~SingleInstanceChannel();

    /** Tries to become the running instance. True: this process holds the lock and listens;
        onAnotherInstance is then called on the message thread whenever a later start signals.
        False: another instance runs, or the lock could not be taken.
    */
    bool claim();

    /** The lock file that the running instance holds. */
    juce::File getLockFile() const;

    /** Called by a later start: tells the running instance that a start was attempted. False when
        the running instance could not be reached within the time-out.
    */
    bool signalRunningInstance (int timeoutMs = 2000);

    /** Called on the message thread in the running instance when a later start signalled. */
    std::function<void()> onAnotherInstance;

private:
    class Connection;
    class Listener;

    juce::String getPipePath() const;

    const juce::File runtimeFolder;
    const juce::String name;
    std::unique_ptr<PlatformFiles::Lock> lock;
    std::unique_ptr<Listener> listener;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SingleInstanceChannel)
};
