#pragma once

#include "HttpReplyRules.h"

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

/** One cancellable conversation with the update server: opens an address with a plain GET,
    follows its redirects by HttpReplyRules, and reads the body of the reply it accepted.

    Every connection and read has the server's idle time-out. A deadline, when set, bounds the
    whole session however slowly the server answers: a watchdog thread cancels it when the time is
    up. cancel() may be called from any thread at any time, also while a connection is opening or
    a read waits; the reading thread then gets no more bytes within about a second. The other
    operations belong to the one thread that reads.
*/
class UpdateHttpSession
{
public:
    /** deadlineMs <= 0: no deadline (a download the user watches and can cancel). */
    explicit UpdateHttpSession (int deadlineMs = 0);
    ~UpdateHttpSession();

    /** Ends the session: the stream in use is aborted and every later open or read fails. */
    void cancel();

    /** The reads are over: the deadline's watchdog goes (reading thread). */
    void endDeadline();

    bool isCancelled() const noexcept { return cancelled.load(); }
    bool hasTimedOut() const noexcept { return timedOut.load(); }

    /** Opens the address, following redirects; true once a 2xx reply with a usable length has
        arrived. problem says why not.
    */
    bool open (const juce::URL& address, juce::String& problem);

    /** The announced length of the opened reply, -1 when none. */
    juce::int64 getLength() const noexcept { return length; }

    /** Reads up to `bytes` bytes of the body; 0 at its end, -1 when the stream broke, was cut
        short of its length, or the session was cancelled.
    */
    int read (void* destination, int bytes);

    /** True once the whole body has been read: its end was reached without an error and, when a
        length was announced, exactly that many bytes arrived.
    */
    bool isComplete() const noexcept { return complete; }

    /** open() and read() of a whole body of at most maxBytes; false (body emptied) otherwise. */
    bool fetch (const juce::URL& address, juce::int64 maxBytes, juce::MemoryBlock& body);

private:
    class Watchdog;

    void setStream (std::unique_ptr<juce::WebInputStream> stream);

    std::atomic<bool> cancelled { false }, timedOut { false };
    juce::CriticalSection streamLock;
    std::unique_ptr<juce::WebInputStream> stream;   // replaced and deleted under streamLock only
    juce::int64 length = -1, bytesRead = 0;
    bool complete = false, failed = false;
    std::unique_ptr<Watchdog> watchdog;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateHttpSession)
};
