#pragma once

#include "PlatformFiles.h"

#include <juce_events/juce_events.h>

#include <functional>

/** Keeps the program to one running instance per user and settings folder and lets a later
    start tell the running one about itself.

    The first instance holds a lock file in the settings folder, the one place that every start
    of the same user with the same settings finds whatever its environment says, and listens on a
    named pipe in its own runtime folder; the lock file names that pipe. A later start fails to
    take the lock, writes one message into the pipe that the lock file names (else the one in its
    own runtime folder) and ends. A lock that cannot be taken at all is told apart from one that
    another instance holds, so that the start can say why it ends. JUCE does not hand a second
    instance's command line to the first one on every platform, and its own lock reports a lock
    file that it could not open as held by itself, hence this channel of our own. The running
    instance waits for a message without looking for one: an idle program is not woken by its
    channel.
*/
class SingleInstanceChannel
{
public:
    /** The channel of the program whose settings lie in settingsFolder: its lock file is there,
        its pipe (named after that folder) in runtimeFolder, a folder that only this user may
        enter (PlatformFiles::findRuntimeFolder). Without a runtime folder the running instance
        runs alone: it holds the lock but cannot hear later starts.
    */
    SingleInstanceChannel (const juce::File& settingsFolder, const juce::File& runtimeFolder);
    ~SingleInstanceChannel();

    /** What claim() found. */
    enum class Claim
    {
        claimed,       // this process holds the lock
        heldElsewhere, // another process holds it: another instance runs
        failed         // the lock cannot be taken at all; getClaimError() says why
    };

    /** Tries to become the running instance. Once claimed, onAnotherInstance is called on the
        message thread whenever a later start signals.
    */
    Claim claim();

    /** Why the last claim() failed, in words for the user; empty unless it failed. */
    juce::String getClaimError() const { return claimError; }

    /** The lock file that the running instance holds. */
    juce::File getLockFile() const;

    /** Called by a later start: tells the running instance that a start was attempted, through
        the pipe that its lock file names, else the one in this start's runtime folder. False when
        the running instance could not be reached within the time-out.
    */
    bool signalRunningInstance (int timeoutMs = 2000);

    /** Called on the message thread in the running instance when a later start signalled. */
    std::function<void()> onAnotherInstance;

private:
    class Connection;
    class Listener;

    juce::String getPipePath() const;

    /** The pipe that the running instance's lock file names, when it is this channel's pipe in a
        folder that only this user may enter; else the pipe in this start's runtime folder.
    */
    juce::String findRunningInstancePipe() const;

    const juce::File settingsFolder, runtimeFolder;
    const juce::String name;
    std::unique_ptr<PlatformFiles::Lock> lock;
    std::unique_ptr<Listener> listener;
    juce::String claimError;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SingleInstanceChannel)
};
