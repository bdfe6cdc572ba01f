#include "MidiProcessing.h"

#include "JuceMidiPortBackend.h"
#include "LinkClock.h"
#include "SysExRequest.h"

namespace
{
    constexpr int portListPeriodMs = 2000;
    constexpr juce::uint32 presenceCheckPeriodMs = 1000;

    /** The maker's header with a model byte of 16 or more: the newer generation's replies. */
    bool isHighModelMessage (const juce::uint8* data, int size)
    {
        return size >= 6 && data[0] == 0xF0 && data[1] == 0x00 && data[2] == 0x01 && data[3] == 0x74
               && data[4] >= 16;
    }

    /** Milliseconds from now until more than period has passed since stamp. One more
        millisecond covers the counter's rounding, so that the worker wakes once, not twice.
    */
    int millisecondsUntilPast (juce::uint32 stamp, juce::uint32 period, juce::uint32 now)
    {
        const auto elapsed = millisecondsBetween (now, stamp);

        if (elapsed > period)
            return 0;

        return (int) (period - elapsed) + 2;
    }

    /** Appends a message behind every event of buffer, at sample position 0, in time
        proportional to its size. MidiBuffer::addEvent first walks every earlier event to find
        the place of a new one, which makes recording a long dump quadratic; every event the
        monitor keeps sits at 0, so its place is always the end. The bytes are laid out as
        MidiBuffer's own events (time, size, bytes) for its iterator to read back; the link's
        tests read every recording through that iterator. A message longer than one event can
        hold (65535 bytes) is kept as consecutive events that carry its bytes in order.
    */
    void appendAtEnd (juce::MidiBuffer& buffer, const juce::uint8* bytes, int size)
    {
        constexpr int maxEventBytes = 65535;

        while (size > 0)
        {
            const auto chunk = juce::jmin (size, maxEventBytes);
            juce::uint8 header[sizeof (juce::int32) + sizeof (juce::uint16)];
            juce::writeUnaligned<juce::int32> (header, 0);
            juce::writeUnaligned<juce::uint16> (header + sizeof (juce::int32), (juce::uint16) chunk);
            buffer.data.addArray (static_cast<const juce::uint8*> (header), (int) sizeof (header));
            buffer.data.addArray (bytes, chunk);
            bytes += chunk;
            size -= chunk;
        }
    }
} // namespace

namespace
{
    thread_local bool inPass = false;
    thread_local bool onPortThread = false;

    /** A longer message may keep its sender waiting (a port takes it in timed pieces): the
        port's thread, which reads what arrives, leaves it to the worker.
    */
    constexpr int longestSendOnPortThread = 4096;

    /** Marks the calling thread as inside a pass for the pass's length. */
    struct PassMark
    {
        PassMark() noexcept { inPass = true; }
        ~PassMark() { inPass = false; }
    };
} // namespace

std::atomic<MidiProcessing*> MidiProcessing::instance { nullptr };
juce::CriticalSection MidiProcessing::instanceLock;
bool MidiProcessing::instanceWasCreated = false;

//==============================================================================
MidiProcessing::MidiProcessing (std::unique_ptr<MidiPortBackend> portBackend)
    : juce::Thread ("MidiProcessing"),
      backend (std::move (portBackend)),
      ports (*backend, [this] { passOnArrival(); })
{
    sender.setOwner (this);
    startTimer (portListPeriodMs);
}

MidiProcessing::~MidiProcessing()
{
    stopTimer();
    sender.stop();
    stopWorker();

    {
        const juce::ScopedLock sl (connectionLock);
        inputConnected = 0;
        outputConnected = 0;
    }

    {
        const juce::ScopedLock sl (instanceLock);
        auto* self = this;
        instance.compare_exchange_strong (self, nullptr);
    }

    // No driver callback may reach the port manager once its members start to go.
    ports.closeInput();
    ports.closeOutput();
}

MidiProcessing* MidiProcessing::getInstance()
{
    if (auto* existing = instance.load())
        return existing;

    const juce::ScopedLock sl (instanceLock);

    if (auto* existing = instance.load())
        return existing;

    if (instanceWasCreated)
        return nullptr;

    instanceWasCreated = true;
    auto* created = new MidiProcessing (std::make_unique<JuceMidiPortBackend>());
    instance.store (created);
    return created;
}

void MidiProcessing::deleteInstance()
{
    MidiProcessing* toDelete = nullptr;

    {
        const juce::ScopedLock sl (instanceLock);
        toDelete = instance.exchange (nullptr);
    }

    delete toDelete;
}

//==============================================================================
void MidiProcessing::getInputDeviceNames (juce::StringArray& out) const
{
    out = ports.getInputNames();
}

void MidiProcessing::getOutputDeviceNames (juce::StringArray& out) const
{
    out = ports.getOutputNames();
}

bool MidiProcessing::openDevices (bool useInput, bool useOutput)
{
    juce::String inputName, outputName;
    const bool inputOpen = useInput && ports.getInputName (inputName);
    const bool outputOpen = useOutput && ports.getOutputName (outputName);

    if (! inputOpen && ! outputOpen)
        return false;

    {
        const juce::ScopedLock sl (watchLock);
        watchedInputName = inputOpen ? inputName : juce::String();
        watchedOutputName = outputOpen ? outputName : juce::String();
    }

    {
        const juce::ScopedLock sl (connectionLock);
        inputConnected = inputOpen ? 1 : 0;
        outputConnected = outputOpen ? 1 : 0;
    }

    {
        const juce::ScopedLock sl (queueLock);
        acceptingRequests = true;
    }

    startThread();
    return true;
}

bool MidiProcessing::closeInputPort()
{
    stopWorker();

    {
        const juce::ScopedLock sl (connectionLock);
        inputConnected = 0;
        outputConnected = 0;
    }

    return ports.closeInput();
}

bool MidiProcessing::closeOutputPort()
{
    stopWorker();

    {
        const juce::ScopedLock sl (connectionLock);
        inputConnected = 0;
        outputConnected = 0;
    }

    return ports.closeOutput();
}

juce::uint8 MidiProcessing::isInputConnected() const
{
    const juce::ScopedLock sl (connectionLock);
    return inputConnected;
}

juce::uint8 MidiProcessing::isOutputConnected() const
{
    const juce::ScopedLock sl (connectionLock);
    return outputConnected;
}

bool MidiProcessing::areConnected (bool needInput, bool needOutput) const
{
    const juce::ScopedLock sl (connectionLock);
    return (! needInput || inputConnected == 1) && (! needOutput || outputConnected == 1);
}

bool MidiProcessing::enqueueRequest (SysExRequest* request)
{
    if (request == nullptr)
        return false;

    {
        const juce::ScopedLock sl (queueLock);

        if (acceptingRequests)
        {
            request->setInFlight (true);
            pendingQueue.push_back (request);
        }
        else
        {
            // No worker runs to send it: retire it unsent, as when the output is not connected.
            request->setState (SysExRequest::failed);
            request->setInFlight (false);
            return true;
        }
    }

    notify();
    return true;
}

//==============================================================================
void MidiProcessing::startMonitoring()
{
    {
        const juce::ScopedLock sl (monitorLock);
        monitorBuffer.clear();
    }

    receivedByteCount.store (0);
    monitorOn.store (true);
}

void MidiProcessing::stopMonitoring()
{
    monitorOn.store (false);
}

bool MidiProcessing::takeMonitorBuffer (juce::MidiBuffer& out)
{
    const juce::ScopedLock sl (monitorLock);

    if (out.isEmpty())
    {
        out.swapWith (monitorBuffer);
        return true;
    }

    // Behind events of later sample positions, only MidiBuffer's own insertion keeps the order.
    if (out.getLastEventTime() > 0)
    {
        out.addEvents (monitorBuffer, 0, -1, 0);
    }
    else
    {
        for (const auto event : monitorBuffer)
            appendAtEnd (out, event.data, event.numBytes);
    }

    monitorBuffer.clear();
    return true;
}

//==============================================================================
void MidiProcessing::timerCallback()
{
    ports.refreshDeviceLists();
}

void MidiProcessing::run()
{
    passesOnArrival.store (true);

    while (! threadShouldExit())
    {
        int waitMs = 0;

        {
            const juce::ScopedLock sl (passLock);
            receiveAndDispatch();
            checkDevices();
            waitMs = getWorkerWaitMs();
            workerWakeAt.store (LinkClock::now() + (juce::uint32) waitMs);
        }

        if (waitMs > 0)
            wait (waitMs);
    }

    passesOnArrival.store (false);
}

void MidiProcessing::passOnArrival()
{
    if (passesOnArrival.load())
    {
        const juce::ScopedTryLock tl (passLock);

        // Checked again under the lock: a stopping worker has cleared it before it retires
        // what it held.
        if (tl.isLocked() && passesOnArrival.load())
        {
            onPortThread = true;
            receiveAndDispatch();
            onPortThread = false;

            // The worker sleeps until its own due time; it is woken sooner only for a due time
            // that this pass brought (a new request's time-out, one that expects no reply).
            const auto dueAt = LinkClock::now() + (juce::uint32) getWorkerWaitMs();

            if ((juce::int32) (workerWakeAt.load() - dueAt) > 0)
                notify();

            return;
        }
    }

    notify();
}

bool MidiProcessing::isInPassOnThisThread() noexcept
{
    return inPass;
}

void MidiProcessing::receiveAndDispatch()
{
    const PassMark mark;

    auto* current = activeQueue.empty() ? nullptr : activeQueue.front();

    receivedBatch.clear();
    ports.takeReceived (receivedBatch);

    const bool monitoring = monitorOn.load();

    if (monitoring && ! receivedBatch.empty())
    {
        const juce::ScopedLock sl (monitorLock);

        IncomingMessageLog::forEachMessage (receivedBatch, [this] (const IncomingMessageLog::Message& message)
        {
            appendAtEnd (monitorBuffer, message.getData(), message.size);
        });
    }

    bool completed = false;

    IncomingMessageLog::forEachMessage (receivedBatch, [&] (const IncomingMessageLog::Message& received)
    {
        const auto* data = received.getData();
        const auto size = received.size;

        if (monitoring)
            receivedByteCount.fetch_add ((juce::uint32) size);

        if (size < 1 || data[0] != 0xF0)
            return;

        const auto message = received.toMidiMessage();
        const bool counts = isHighModelMessage (data, size) ? highModelMatcher.matchReply (current, message)
                                                            : lowModelMatcher.matchReply (current, message);

        // The reply stays where it was received: the request holds that block of bytes.
        if (counts && current != nullptr && current->addReply (*received.block, received.offset, size))
            completed = true;
    });

    // What the request did not keep is let go of now, not at the next pass.
    receivedBatch.clear();

    if (current != nullptr)
    {
        if (current->getExpectedReplies() == 0)
        {
            current->setState (SysExRequest::complete);
            completed = true;
        }

        // A reply that completed the request was its last: checkTimeout leaves a complete
        // request alone, so it is asked only when the request is still open.
        if (completed || current->checkTimeout())
        {
            activeQueue.pop_front();
            current->setInFlight (false);

            // The paced sender queues its next message now, so that this pass sends it.
            sender.stepAfterRetirement();
        }
    }

    if (activeQueue.empty())
    {
        SysExRequest* next = nullptr;

        {
            const juce::ScopedLock sl (queueLock);

            if (! pendingQueue.empty()
                && ! (onPortThread && pendingQueue.front()->getMessage().getRawDataSize() > longestSendOnPortThread))
            {
                next = pendingQueue.front();
                pendingQueue.pop_front();
            }
        }

        if (next != nullptr)
        {
            if (isOutputConnected() != 1)
            {
                retire (next, SysExRequest::failed);
                sender.stepAfterRetirement();
            }
            else
            {
                next->markSent();
                activeQueue.push_back (next);
                ports.sendMessage (&next->getMessage());
            }
        }
    }
}

void MidiProcessing::checkDevices()
{
    const auto now = LinkClock::now();

    if (millisecondsBetween (now, lastPresenceCheck) <= presenceCheckPeriodMs)
        return;

    const bool inputPresent = ports.isInputPresent();
    const bool outputPresent = ports.isOutputPresent();

    {
        const juce::ScopedLock sl (connectionLock);
        inputConnected = inputPresent ? 1 : 0;
        outputConnected = outputPresent ? 1 : 0;
    }

    juce::String inputName, outputName;

    {
        const juce::ScopedLock sl (watchLock);
        inputName = watchedInputName;
        outputName = watchedOutputName;
    }

    // A reopened port counts as connected from the next check on, once it is listed again.
    if (inputName.isNotEmpty() && ! inputPresent)
    {
        ports.closeInput();
        ports.openInputByName (inputName);
    }

    if (outputName.isNotEmpty() && ! outputPresent)
    {
        ports.closeOutput();
        ports.openOutputByName (outputName);
    }

    lastPresenceCheck = now;
}

int MidiProcessing::getWorkerWaitMs() const
{
    if (activeQueue.empty())
    {
        const juce::ScopedLock sl (queueLock);

        if (! pendingQueue.empty())
            return 0;   // one was retired unsent: the next may go at once
    }

    const auto now = LinkClock::now();
    // The presence check is due within a second, so the worker never sleeps longer than that.
    auto waitMs = millisecondsUntilPast (lastPresenceCheck, presenceCheckPeriodMs, now);

    if (! activeQueue.empty())
    {
        const auto* current = activeQueue.front();

        if (current->getExpectedReplies() == 0)
            return 0;   // retired in the next pass

        waitMs = juce::jmin (waitMs, millisecondsUntilPast (current->getLastActivity(), current->getTimeoutMs(), now));
    }

    return waitMs;
}

//==============================================================================
void MidiProcessing::retire (SysExRequest* request, int state)
{
    request->setState (state);
    request->setInFlight (false);
}

void MidiProcessing::stopWorker()
{
    {
        const juce::ScopedLock sl (queueLock);
        acceptingRequests = false;
    }

    passesOnArrival.store (false);
    stopThread (stopTimeoutMs);

    // Waits for a pass that a port's thread may still be taking.
    const juce::ScopedLock sl (passLock);
    retireAllRequests();
}

void MidiProcessing::retireAllRequests()
{
    // The worker has stopped: nothing will send or answer what it held, so every client is told
    // at once that its request failed.
    for (auto* request : activeQueue)
        retire (request, SysExRequest::failed);

    activeQueue.clear();

    std::deque<SysExRequest*> queued;

    {
        const juce::ScopedLock sl (queueLock);
        queued.swap (pendingQueue);
    }

    for (auto* request : queued)
        retire (request, SysExRequest::failed);
}
