#pragma once

#include "SysExStream.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>
#include <vector>

class MidiProcessing;
class SysExRequest;

/** The state of a paced multi-message transfer, which the console polls. */
using TransferState = juce::int32;

/** The TransferState values; 3 to 7 are end states. */
namespace TransferStates
{
    constexpr TransferState idle = 0;
    constexpr TransferState running = 1;
    constexpr TransferState paused = 2;
    constexpr TransferState stopped = 3;            // by the caller
    constexpr TransferState finished = 4;
    constexpr TransferState deviceError = 5;        // the device returned an unaccepted result code
    constexpr TransferState outputNotConnected = 6;
    constexpr TransferState requestFailed = 7;      // no reply in time, or nothing could be sent
} // namespace TransferStates

/** Sends a block of SysEx messages to the device one at a time, each only after the request of
    the one before has been retired by the link worker, with a pause between them.

    Each tick of the timer (on the message thread) looks at the request of the previous message:
    a failed request ends the transfer in state 7, a status reply with an unaccepted result code
    in state 5; otherwise the next message is queued with MidiProcessing as a new SysExRequest.
    The transfer ends in state 4 when no further message is left, in state 6 when the output is
    not connected.

    Per-transfer options (no-reply mode, accepted result codes, per-function reply time-outs) are
    collected for the next start, which takes them for its transfer; a later transfer starts
    without them unless they are set again. The lead-in message and the default reply time-out
    stay until changed.

    The send thread loads and starts a transfer; the console pauses, stops, changes the interval
    and polls state, result code and progress.

    A step does not wait for the next tick when it need not: the link worker, when it retires a
    message's request and the interval since that message has passed (at once with an interval
    of 0), takes the step itself and sends the next message in the same pass. After each message
    the ticks count the interval afresh, so the interval stays the least time between two
    messages; once it is counted and the message is still unanswered, the ticks stop, and with
    an interval of 0 no tick runs after the first message.
*/
class SysExMultiMsgTimer : public juce::Timer,
                           private juce::AsyncUpdater
{
public:
    /** A reply time-out that replaces the default for messages of one function. */
    struct FunctionTimeout
    {
        juce::uint8 functionId = 0;
        juce::uint32 timeoutMs = 0;
    };

    static constexpr juce::uint32 maxIntervalMs = 1000;

    SysExMultiMsgTimer();

    /** Stops a running transfer and deletes its requests. The owner's worker must no longer
        hold them (MidiProcessing stops its worker first).
    */
    ~SysExMultiMsgTimer() override;

    /** The link whose worker carries out the requests; no transfer runs without it. */
    void setOwner (MidiProcessing* newOwner) noexcept { owner.store (newOwner); }

    //==============================================================================
    /** Loads a block for the next start; model picks the message header (254 any of the
        maker's models, 255 any SysEx). False for null data and while a transfer runs or is
        paused. The state is not changed.
    */
    bool loadMessages (const juce::uint8* data, juce::uint32 size, juce::uint8 model);

    /** The message sent before the block (a copy is kept); nullptr for none. */
    void setFirstMessage (const juce::MidiMessage* message);

    /** The time-out of each message's request unless a function time-out applies; 3000 ms at
        construction.
    */
    void setDefaultReplyTimeout (juce::uint32 ms) noexcept { defaultReplyTimeoutMs.store (ms); }
    juce::uint32 getDefaultReplyTimeout() const noexcept { return defaultReplyTimeoutMs.load(); }

    /** Starts sending the loaded block from its beginning, the lead-in message first. An
        interval outside 0 to 1000 ms keeps the previous one. False while a transfer runs or is
        paused.
    */
    bool start (juce::uint32 intervalMs);

    /** Changes the pause between messages, at once when running. False when ms is the current
        interval or lies outside 0 to 1000.
    */
    bool setInterval (juce::uint32 ms);
    juce::uint32 getInterval() const noexcept { return interval.load(); }

    /** true: running -> paused; false: paused -> running. False when the state does not fit. */
    bool pause (bool shouldPause);

    /** Ends a running or paused transfer in state 3. False otherwise. */
    bool stop();

    TransferState getState() const;

    /** The first unaccepted result code the device returned, 0 for none. */
    juce::uint32 getResultCode() const noexcept { return resultCode.load(); }

    /** The share of the block's messages queued before the current one, 0 to 0.9999. Any thread. */
    double getProgress() const noexcept { return progress.load(); }

    //==============================================================================
    // Options for the next transfer: the next start takes them.

    /** A result code that does not end the next transfer; duplicates are kept. */
    void addAcceptedResultCode (int code);

    /** The messages of the next transfer expect no reply. Ignored while a transfer runs or is
        paused.
    */
    void setNoReplyMode();

    /** A reply time-out for messages of one function in the next transfer; an existing entry
        for the function is kept.
    */
    void addFunctionTimeout (juce::uint8 functionId, juce::uint32 ms);

    /** The index of the first function time-out for the function, or -1. */
    int findFunctionTimeout (juce::uint8 functionId) const;

    /** The function time-out at index, or {0, 0} when the index is out of range. */
    FunctionTimeout getFunctionTimeout (int index) const;

    //==============================================================================
    /** One step of the transfer (message thread). */
    void timerCallback() override;

    /** Called by the link after it has retired a request, on the thread that retired it and
        outside the request's locks: when the request was this transfer's message and the
        interval has passed, the next step runs here, so that the worker sends the next message
        in the same pass, with no hand-off to another thread.
    */
    void stepAfterRetirement();

private:
    struct TransferOptions
    {
        bool noReplyMode = false;
        juce::Array<int> acceptedResultCodes;
        std::vector<FunctionTimeout> functionTimeouts;

        int findTimeout (juce::uint8 functionId) const;
    };

    void handleAsyncUpdate() override;
    void step (bool isTick);
    bool intervalHasPassed() const;
    void progressStep();
    void releaseCurrentRequest();
    void deleteRetiredRequests();
    void queueRequest (std::unique_ptr<SysExRequest> request);
    bool findsUnacceptedResultCode (const SysExRequest& request);
    void setState (TransferState newState);

    std::atomic<double> progress { 0.0 };
    std::atomic<MidiProcessing*> owner { nullptr };

    // The request lock guards the stream, the current request, the requests still held by the
    // worker and the options of the running transfer. Lock order: request, state, options, sent.
    juce::CriticalSection requestLock;
    SysExStream stream;
    juce::uint32 total = 0;
    std::unique_ptr<SysExRequest> currentRequest;
    std::vector<std::unique_ptr<SysExRequest>> heldRequests; // replaced while the worker held them
    std::unique_ptr<juce::MidiMessage> leadInMessage;
    TransferOptions transferOptions;

    mutable juce::CriticalSection stateLock;
    TransferState state = TransferStates::idle;

    mutable juce::CriticalSection optionsLock;
    TransferOptions nextOptions;

    juce::CriticalSection sentLock;
    juce::uint32 sentCount = 0;

    std::atomic<juce::uint32> interval { 0 };
    std::atomic<double> lastQueuedAtMs { 0.0 };
    std::atomic<juce::uint32> resultCode { 0 };
    std::atomic<juce::uint32> defaultReplyTimeoutMs { 3000 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SysExMultiMsgTimer)
};
