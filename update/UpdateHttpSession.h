#pragma once

#include "HttpReplyRules.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

/** One cancellable conversation with the update server: opens an address with a plain GET,
    follows its redirects by HttpReplyRules, and reads the body of the reply it accepted.

    The network itself is met only on a thread of the session's own (see UpdateHttpConnection),
    which the session can let go of at any time: the reading thread only waits for what that
    thread hands over, and every such wait ends at once on cancel() and at the deadline. So a
    name look-up or a server that never answers holds no one but that thread, which ends by
    itself, after the step it is in, once the session has gone.

    Every connection and read has the server's idle time-out. A deadline, when set, bounds the
    whole session however slowly the server answers. cancel() may be called from any thread at
    any time and never waits for the network (at most for a thread to start); the other
    operations belong to the one thread that reads.
*/
class UpdateHttpSession
{
public:
    /** deadlineMs <= 0: no deadline (a download the user watches and can cancel). */
    explicit UpdateHttpSession (int deadlineMs = 0);

    /** Lets go of the network thread without waiting for it. */
    ~UpdateHttpSession();

    /** Ends the session: every later open or read fails, and a wait in one ends at once. */
    void cancel();

    /** The reads are over: the deadline no longer applies (reading thread). */
    void endDeadline();

    bool isCancelled() const noexcept { return cancelled.load(); }
    bool hasTimedOut() const noexcept { return timedOut.load(); }

    /** Opens the address, following redirects; true once a 2xx reply with a usable length has
        arrived. problem says why not.
    */
    bool open (const juce::URL& address, juce::String& problem);

    /** The announced length of the opened reply, -1 when none. */
    juce::int64 getLength() const noexcept { return length; }

    /** Reads up to `bytes` bytes of the body, at least one unless it has ended; 0 at its end, -1
        when the stream broke, was cut short of its length, or the session ended first.
    */
    int read (void* destination, int bytes);

    /** True once the whole body has been read: its end was reached without an error and, when a
        length was announced, exactly that many bytes arrived.
    */
    bool isComplete() const noexcept { return complete; }

    /** open() and read() of a whole body of at most maxBytes; false (body emptied) otherwise. */
    bool fetch (const juce::URL& address, juce::int64 maxBytes, juce::MemoryBlock& body);

private:
    class Exchange;

    /** Waits until the exchange is ready by that test (called under its lock); false when the
        session was cancelled or its deadline passed first.
    */
    template <typename Ready>
    bool waitUntil (Ready ready);

    std::atomic<bool> cancelled { false }, timedOut { false };
    std::shared_ptr<Exchange> exchange;
    double deadline = 0;   // the millisecond counter's time at which the session ends; 0: none
    juce::int64 length = -1, bytesRead = 0;
    bool complete = false, failed = false, reading = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateHttpSession)
};
