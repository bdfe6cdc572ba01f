#pragma once

#include "ReplyStore.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <functional>

#include <atomic>
#include <vector>

/** One exchange with a device: the message to send and the replies that belong to it.

    A client creates the request, lets a builder fill its message and expected reply count, and
    hands it to MidiProcessing::enqueueRequest. The link worker sends it (markSent), adds the
    replies that the reply matching assigns to it (addReply), and retires it when all expected
    replies have arrived or nothing has arrived for its time-out (checkTimeout). The client polls
    getState until it is no longer 0, reads the replies and deletes the request; it must not
    delete it while MidiProcessing still holds it.

    The message, time-out, expected count and append flag are set by the client before the
    request is queued; after that only the reply matching (on the worker thread) changes the
    expected count. State, in-flight flag, replies and time stamps each sit under a lock of
    their own.
*/
class SysExRequest
{
public:
    /** The state of a request; 1 and 2 are final. */
    enum RequestState
    {
        pending = 0, // queued or awaiting replies
        complete = 1, // all expected replies arrived, or none was expected
        failed = 2 // timed out, or the output was not connected when it was due
    };

    /** The time-out used unless another is given. */
    static constexpr juce::uint32 defaultTimeoutMs = 3000;

    /** A request for the given message, with the 3000 ms time-out and one expected reply. */
    explicit SysExRequest (const juce::MidiMessage& message);

    /** A request whose message is the placeholder F0 F7, with the given time-out. */
    explicit SysExRequest (juce::uint32 timeoutMs = defaultTimeoutMs);

    ~SysExRequest();

    //==============================================================================
    // Plain fields, set by the client before the request is queued.

    void setMessage (const juce::MidiMessage& newMessage);
    const juce::MidiMessage& getMessage() const noexcept { return message; }

    /** Makes the message the Program Change C0 00 (channel 1, program 0), expecting no reply. */
    void setProgramChangeMessage();

    void setTimeoutMs (juce::uint32 ms) noexcept { timeoutMs = ms; }
    juce::uint32 getTimeoutMs() const noexcept { return timeoutMs; }

    /** The number of replies that complete the request; 0 = none expected. The reply matching
        also sets it, on the worker thread, when a start reply announces a dump's length.
    */
    void setExpectedReplies (juce::int32 count) noexcept { expectedReplies = count; }
    juce::int32 getExpectedReplies() const noexcept { return expectedReplies; }

    /** With true, writeRepliesToFile appends to an existing file instead of replacing it. */
    void setAppendToFile (bool shouldAppend) noexcept { appendToFile = shouldAppend ? 1 : 0; }
    bool getAppendToFile() const noexcept { return appendToFile != 0; }

    /** Byte 5 of the message when it starts with F0 and holds 6 bytes or more, else 0. */
    juce::uint8 getFunctionId() const noexcept;

    //==============================================================================
    // Called by the link worker (and by MidiProcessing::enqueueRequest for the flag).

    /** Sets the in-flight flag under its lock: set when queued, cleared when retired. */
    void setInFlight (bool isInFlight);

    /** Sets the state under its lock (the worker completes a request that expects no reply and
        fails one that is due while the output is not connected).
    */
    void setState (int newState);

    /** Stamps the send time and the last activity with the clock's now. Called right before
        the worker sends the message.
    */
    void markSent();

    /** Stores a reply. Refused (false, not stored) once the request is complete. Returns true
        when this reply completes the request, that is when the replies now reach or pass the
        expected count (which a late start or status reply may have lowered); otherwise it restarts
        the time-out.
    */
    bool addReply (const juce::MidiMessage& reply);

    /** The same for a reply that lies at offset in a block of received bytes that never
        changes: the request holds the block instead of copying the reply.
    */
    bool addReply (const ReplyStore::SharedBytes& block, size_t offset, int size);

    /** Returns true, and fails the request, when it was sent and more than its time-out has
        passed since the last activity. A silence of exactly the time-out keeps it alive.
    */
    bool checkTimeout();

    //==============================================================================
    // For clients, on the message thread or a receive thread.

    /** 0 while the request is in flight; otherwise its state (1 complete, 2 failed, or 0 when
        it was never queued).
    */
    int getState() const;

    int getReplyCount() const;

    /** Copies reply n into out; false, leaving out unchanged, when n is out of range. */
    bool getReply (int n, juce::MidiMessage& out) const;

    /** Appends the raw bytes of every reply, in arrival order, to the block. */
    void appendRepliesTo (juce::MemoryBlock& block) const;

    /** Writes the bytes of replies firstReply to endReply - 1 (as far as they exist) end to end
        into the stream, without holding up the link worker while the stream writes. Any thread;
        replies may still be arriving. False at the first failed write.
    */
    bool writeRepliesTo (juce::OutputStream& stream, int firstReply, int endReply) const;

    /** Writes the replies' bytes end to end into the file at path, creating missing folders.
        Without the append flag an older file is replaced: the data goes into a temporary file
        beside it, which is renamed into place only when complete, so a failure leaves the older
        file as it was. With the append flag the data goes after the file's content; a failed
        append cuts the file back to its old length.
        Returns false when the file cannot be opened, a write or the flush fails, or the older
        file cannot be replaced; a partial file is never reported as written.
    */
    bool writeRepliesToFile (const juce::String& path) const;

    //==============================================================================
    /** Time stamps (LinkClock milliseconds), for inspection. */
    juce::uint32 getSentAt() const;
    juce::uint32 getCompletedAt() const;
    juce::uint32 getLastActivity() const;

    /** Called (on the link worker's thread) each time the request is retired, so that a client
        waiting for that need not poll; nullptr removes it. Once this returns, the previous
        listener is not running and is not called again.
    */
    void setRetireListener (std::function<void()> listener);

    /** Called (on the link worker's thread) each time another arrivalStepBytes of replies have
        arrived, so that a client can deal with a long dump while it arrives; nullptr removes
        it. Once this returns, the previous listener is not running and is not called again.
    */
    void setArrivalListener (std::function<void()> listener);

    static constexpr juce::int64 arrivalStepBytes = 256 * 1024;

private:
    template <typename KeepFn>
    bool keepReply (KeepFn&& keep);

    juce::int64 getRepliesSize() const;
    bool writeByReplacing (const juce::File& target) const;
    bool writeByAppending (const juce::File& target) const;

    juce::CriticalSection stateLock;
    int state = pending;

    juce::CriticalSection inFlightLock;
    juce::uint8 inFlight = 0;

    juce::MidiMessage message;

    ReplyStore replies;
    juce::CriticalSection repliesLock;

    juce::CriticalSection retireListenerLock;
    std::function<void()> retireListener;
    std::function<void()> arrivalListener;

    juce::CriticalSection timeLock;
    juce::uint32 sentAt = 0;
    juce::uint32 completedAt = 0;
    juce::uint32 lastActivity = 0;
    bool wasSent = false; // a send at counter value 0 still counts as sent

    juce::uint32 timeoutMs = defaultTimeoutMs;
    std::atomic<juce::int32> expectedReplies { 1 };
    juce::uint8 appendToFile = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SysExRequest)
};
