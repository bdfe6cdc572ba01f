#pragma once

#include "MidiPortBackend.h"
#include "MidiPortManager.h"
#include "ReplyMatcher.h"
#include "ReplyMatcher16.h"
#include "SysExMultiMsgTimer.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <deque>
#include <memory>
#include <vector>

class SysExRequest;

/** The one object through which Morvane talks to a device.

    It owns the MIDI ports (through its MidiPortManager), refreshes the lists of port names every
    2000 ms on the message thread, and runs the worker thread "MidiProcessing", the only thread
    that sends to the device and interprets what it sends. Clients queue SysExRequests; the
    worker sends one at a time, hands every received SysEx message to the reply matching, adds
    the counted replies to the request in flight and retires it when it is complete or has timed
    out, then sends the next. Once a second it checks that the chosen ports are still listed and
    reopens a vanished one by its name. It also carries the paced sender (SysExMultiMsgTimer),
    whose next message the worker queues and sends in the pass that retires the one before, and
    a monitor that records every incoming MIDI event for the foot controller's dump.

    The worker sleeps until a message arrives or a request is queued, and wakes at the latest when
    the next presence check or the time-out of the request in flight is due. While it runs, the
    port's thread that brings a message takes the pass itself when no other pass is under way
    (a pass takes the pass lock): an answer is matched, its request retired and the next request
    sent with no hand-off to another thread, and the worker is woken only when that pass has
    brought a due time before its own.

    The program uses the singleton (getInstance, deleteInstance); tests build their own objects
    on ports of their own.
*/
class MidiProcessing : public juce::Thread,
                       public juce::Timer
{
public:
    /** Builds the link on the given ports. Only the 2000 ms list refresh starts here; the worker
        starts with the first successful openDevices. Call on the message thread.
    */
    explicit MidiProcessing (std::unique_ptr<MidiPortBackend> portBackend);

    /** Stops the worker (retiring every request it holds as failed), closes the ports. */
    ~MidiProcessing() override;

    /** The process-wide link on the platform's MIDI ports, created on first use. Returns nullptr
        once the instance has been deleted: it is never created twice in one process.
    */
    static MidiProcessing* getInstance();

    /** Clears the instance pointer and deletes the singleton (the application's destructor). */
    static void deleteInstance();

    //==============================================================================
    MidiPortManager& getPortManager() noexcept { return ports; }

    /** The paced multi-message sender. */
    SysExMultiMsgTimer& getMultiMsgTimer() noexcept { return sender; }

    void getInputDeviceNames (juce::StringArray& out) const;
    void getOutputDeviceNames (juce::StringArray& out) const;

    /** Hands the ports that are open on the requested sides to the worker: they are watched and
        reopened by name when they vanish, the connected flags are set, and the worker starts.
        False, changing nothing, when no requested side has an open port.
    */
    bool openDevices (bool useInput, bool useOutput);

    /** Give up a port: stop the worker (every request it holds or has queued is retired as
        failed), clear both connected flags, close the port of that side. True when a port was
        open.
    */
    bool closeInputPort();
    bool closeOutputPort();

    juce::uint8 isInputConnected() const;
    juce::uint8 isOutputConnected() const;

    /** Both flags read together: true when every side asked for is connected. */
    bool areConnected (bool needInput, bool needOutput) const;

    /** Queues the request; false for null. The request is in flight (getState 0) until the
        worker retires it, and must stay alive until then. While the worker is stopped there is
        nothing to send it, so it is retired at once as failed. Any thread.
    */
    bool enqueueRequest (SysExRequest* request);

    //==============================================================================
    /** Starts recording every incoming MIDI event, from an empty record and a byte count of 0. */
    void startMonitoring();

    /** Stops recording; the record stays until taken. */
    void stopMonitoring();

    bool isMonitoring() const noexcept { return monitorOn.load(); }

    /** Bytes of all MIDI events received while monitoring. Any thread. */
    juce::uint32 getReceivedByteCount() const noexcept { return receivedByteCount.load(); }

    /** Moves the recorded events to the end of out. Returns true. */
    bool takeMonitorBuffer (juce::MidiBuffer& out);

    //==============================================================================
    /** The 2000 ms refresh of the port lists (message thread). */
    void timerCallback() override;

    /** The worker loop: receiveAndDispatch, checkDevices, then wait. */
    void run() override;

    /** One pass of the worker: take what was received, match it to the request in flight,
        retire that request when it is complete or timed out, and send the next when none is in
        flight. Called under the pass lock by the worker or by the port's thread that brought a
        message (a test may call it while the worker is stopped).
    */
    void receiveAndDispatch();

    /** At most once a second: updates the connected flags from the port lists and reopens a
        watched port that has vanished. Called on the worker thread (a test may call it while
        the worker is stopped).
    */
    void checkDevices();

    /** The time-out the worker allows when stopped: the longest pass is shorter than this. */
    static constexpr int stopTimeoutMs = 5000;

    /** True on a thread that is inside a pass of receiveAndDispatch: a request retired there is
        followed by the paced sender's next step in the same pass.
    */
    static bool isInPassOnThisThread() noexcept;

private:
    /** Called by the port's thread when a message has arrived: takes the pass there when the
        worker runs and no other pass is under way, otherwise wakes the worker.
    */
    void passOnArrival();

    /** How long the worker waits after a pass, in ms: 0 when there is more to do at once,
        otherwise until the next presence check or the time-out of the request in flight is due,
        whichever comes first. Inside a pass.
    */
    int getWorkerWaitMs() const;

    void stopWorker();
    void retireAllRequests();
    void retire (SysExRequest* request, int state);

    // Declared first: the sender's requests are queued with this object's worker, so it is
    // destroyed after the worker has stopped and retired them.
    SysExMultiMsgTimer sender;
    std::unique_ptr<MidiPortBackend> backend;

    std::deque<SysExRequest*> activeQueue;          // the pass's only; at most one
    MidiPortManager ports;
    ReplyMatcher lowModelMatcher;
    ReplyMatcher16 highModelMatcher;
    std::vector<IncomingMessageLog::Range> receivedBatch;   // the pass's only

    // One pass at a time, the worker's or that of a port's thread; it guards the worker-only
    // state above while the worker runs.
    juce::CriticalSection passLock;
    std::atomic<bool> passesOnArrival { false };    // the worker runs and takes part
    std::atomic<juce::uint32> workerWakeAt { 0 };   // LinkClock time of the worker's next wake

    juce::CriticalSection queueLock;
    std::deque<SysExRequest*> pendingQueue;
    bool acceptingRequests = false;                 // under the queue lock: the worker runs

    mutable juce::CriticalSection connectionLock;
    juce::uint8 inputConnected = 0;
    juce::uint8 outputConnected = 0;

    juce::CriticalSection watchLock;
    juce::String watchedInputName, watchedOutputName;
    juce::uint32 lastPresenceCheck = 0;             // the pass's only

    std::atomic<bool> monitorOn { false };
    juce::CriticalSection monitorLock;
    juce::MidiBuffer monitorBuffer;
    std::atomic<juce::uint32> receivedByteCount { 0 };

    static std::atomic<MidiProcessing*> instance;
    static juce::CriticalSection instanceLock;
    static bool instanceWasCreated;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiProcessing)
};
