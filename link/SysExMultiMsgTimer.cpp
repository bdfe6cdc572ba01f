#include "SysExMultiMsgTimer.h"

#include "MidiProcessing.h"
#include "SysExDecoders.h"
#include "SysExRequest.h"

namespace
{
    int timerPeriodFor (juce::uint32 intervalMs)
    {
        return juce::jmax (1, (int) intervalMs);
    }
} // namespace

int SysExMultiMsgTimer::TransferOptions::findTimeout (juce::uint8 functionId) const
{
    for (size_t i = 0; i < functionTimeouts.size(); ++i)
        if (functionTimeouts[i].functionId == functionId)
            return (int) i;

    return -1;
}

SysExMultiMsgTimer::SysExMultiMsgTimer() = default;

SysExMultiMsgTimer::~SysExMultiMsgTimer()
{
    stopTimer();
    cancelPendingUpdate();

    const juce::ScopedLock rl (requestLock);
    currentRequest.reset();
    heldRequests.clear();
    leadInMessage.reset();
}

//==============================================================================
bool SysExMultiMsgTimer::loadMessages (const juce::uint8* data, juce::uint32 size, juce::uint8 model)
{
    if (data == nullptr)
        return false;

    const juce::ScopedLock rl (requestLock);
    const juce::ScopedLock sl (stateLock);

    if (state == TransferStates::running || state == TransferStates::paused)
        return false;

    stream.load (data, size, model);
    total = stream.count();

    const juce::ScopedLock sentGuard (sentLock);
    sentCount = 0;
    return true;
}

void SysExMultiMsgTimer::setFirstMessage (const juce::MidiMessage* message)
{
    const juce::ScopedLock rl (requestLock);
    leadInMessage.reset (message != nullptr ? new juce::MidiMessage (*message) : nullptr);
}

bool SysExMultiMsgTimer::start (juce::uint32 intervalMs)
{
    const juce::ScopedLock rl (requestLock);
    const juce::ScopedLock sl (stateLock);

    if (state == TransferStates::running || state == TransferStates::paused)
        return false;

    if (intervalMs <= maxIntervalMs)
        interval.store (intervalMs);

    {
        const juce::ScopedLock sentGuard (sentLock);
        sentCount = 0;
    }

    stream.rewind();
    releaseCurrentRequest();
    deleteRetiredRequests();
    resultCode.store (0);

    {
        const juce::ScopedLock ol (optionsLock);
        transferOptions = std::move (nextOptions);
        nextOptions = TransferOptions();
    }

    if (owner.load() != nullptr && leadInMessage != nullptr)
    {
        // The lead-in always waits for its one reply, whatever this transfer's options say.
        queueRequest (std::make_unique<SysExRequest> (*leadInMessage));
        progressStep();
    }

    state = TransferStates::running;
    startTimer (timerPeriodFor (interval.load()));
    return true;
}

bool SysExMultiMsgTimer::setInterval (juce::uint32 ms)
{
    const juce::ScopedLock sl (stateLock);

    if (ms > maxIntervalMs || ms == interval.load())
        return false;

    interval.store (ms);

    if (state == TransferStates::running)
        startTimer (timerPeriodFor (ms));   // restarts the count at the new period

    return true;
}

bool SysExMultiMsgTimer::pause (bool shouldPause)
{
    const juce::ScopedLock sl (stateLock);

    if (shouldPause && state == TransferStates::running)
    {
        stopTimer();
        state = TransferStates::paused;
        return true;
    }

    if (! shouldPause && state == TransferStates::paused)
    {
        startTimer (timerPeriodFor (interval.load()));
        state = TransferStates::running;
        return true;
    }

    return false;
}

bool SysExMultiMsgTimer::stop()
{
    const juce::ScopedLock sl (stateLock);

    if (state != TransferStates::running && state != TransferStates::paused)
        return false;

    stopTimer();
    state = TransferStates::stopped;
    return true;
}

TransferState SysExMultiMsgTimer::getState() const
{
    const juce::ScopedLock sl (stateLock);
    return state;
}

void SysExMultiMsgTimer::setState (TransferState newState)
{
    const juce::ScopedLock sl (stateLock);
    state = newState;
}

//==============================================================================
void SysExMultiMsgTimer::addAcceptedResultCode (int code)
{
    const juce::ScopedLock ol (optionsLock);
    nextOptions.acceptedResultCodes.add (code);
}

void SysExMultiMsgTimer::setNoReplyMode()
{
    const juce::ScopedLock sl (stateLock);

    if (state == TransferStates::running || state == TransferStates::paused)
        return;

    const juce::ScopedLock ol (optionsLock);
    nextOptions.noReplyMode = true;
}

void SysExMultiMsgTimer::addFunctionTimeout (juce::uint8 functionId, juce::uint32 ms)
{
    const juce::ScopedLock ol (optionsLock);

    if (nextOptions.findTimeout (functionId) < 0)
        nextOptions.functionTimeouts.push_back ({ functionId, ms });
}

int SysExMultiMsgTimer::findFunctionTimeout (juce::uint8 functionId) const
{
    const juce::ScopedLock ol (optionsLock);
    return nextOptions.findTimeout (functionId);
}

SysExMultiMsgTimer::FunctionTimeout SysExMultiMsgTimer::getFunctionTimeout (int index) const
{
    const juce::ScopedLock ol (optionsLock);

    if (! juce::isPositiveAndBelow (index, (int) nextOptions.functionTimeouts.size()))
        return {};

    return nextOptions.functionTimeouts[(size_t) index];
}

//==============================================================================
void SysExMultiMsgTimer::progressStep()
{
    const juce::ScopedLock sentGuard (sentLock);

    if (total != 0)
    {
        const auto share = (double) sentCount / (double) total;

        if (share < 1.0)
            progress.store (share);

        // The end is reported by the state, never by a full bar.
        if (sentCount == total - 1)
            progress.store (0.9999);
    }

    ++sentCount;
}

void SysExMultiMsgTimer::releaseCurrentRequest()
{
    if (currentRequest == nullptr)
        return;

    // A request that the worker still holds (after Cancel, say) must outlive its time there.
    if (currentRequest->getState() == 0)
        heldRequests.push_back (std::move (currentRequest));

    currentRequest.reset();
}

void SysExMultiMsgTimer::deleteRetiredRequests()
{
    heldRequests.erase (std::remove_if (heldRequests.begin(), heldRequests.end(),
                                        [] (const std::unique_ptr<SysExRequest>& request)
                                        { return request->getState() != 0; }),
                        heldRequests.end());
}

void SysExMultiMsgTimer::queueRequest (std::unique_ptr<SysExRequest> request)
{
    currentRequest = std::move (request);

    // The next step comes as soon as this request is retired: the link's pass that retires it
    // takes the step itself (stepAfterRetirement); a retirement elsewhere (a stopped worker, a
    // refused request) is taken up on the message thread.
    currentRequest->setRetireListener ([this]
    {
        if (! MidiProcessing::isInPassOnThisThread())
            triggerAsyncUpdate();
    });
    lastQueuedAtMs = juce::Time::getMillisecondCounterHiRes();

    if (auto* link = owner.load())
        link->enqueueRequest (currentRequest.get());
}

bool SysExMultiMsgTimer::intervalHasPassed() const
{
    return juce::Time::getMillisecondCounterHiRes() - lastQueuedAtMs.load() >= (double) interval.load();
}

void SysExMultiMsgTimer::handleAsyncUpdate()
{
    if (getState() != TransferStates::running)
        return;

    // Before the interval has passed, the tick that counts it from the last message comes first.
    if (! intervalHasPassed())
        return;

    step (false);
}

void SysExMultiMsgTimer::stepAfterRetirement()
{
    const juce::ScopedLock rl (requestLock);

    // Only the retirement of this transfer's message moves it on; before the interval has
    // passed, the tick that counts it takes the step.
    if (currentRequest == nullptr || currentRequest->getState() == 0 || ! intervalHasPassed())
        return;

    step (false);

    // A message that the link refused at once (its worker is stopping) was retired here, where
    // no step follows: the message thread ends the transfer.
    if (currentRequest != nullptr && currentRequest->getState() != 0)
        triggerAsyncUpdate();
}

bool SysExMultiMsgTimer::findsUnacceptedResultCode (const SysExRequest& request)
{
    const auto functionId = request.getFunctionId();
    const auto replyCount = request.getReplyCount();

    for (int i = 0; i < replyCount && resultCode.load() == 0; ++i)
    {
        juce::MidiMessage reply;
        StatusReply status;

        if (! request.getReply (i, reply) || ! decodeStatusReply (reply, &status))
            continue;

        if (status.functionId == functionId && status.resultCode != 0
            && ! transferOptions.acceptedResultCodes.contains ((int) status.resultCode))
            resultCode.store (status.resultCode);
    }

    return resultCode.load() != 0;
}

void SysExMultiMsgTimer::timerCallback()
{
    step (true);
}

void SysExMultiMsgTimer::step (bool isTick)
{
    // The state stays locked for the whole step, so that a pause or stop from another thread
    // comes either before the next message is queued or after it.
    const juce::ScopedLock rl (requestLock);
    const juce::ScopedLock sl (stateLock);
    auto* link = owner.load();

    if (link == nullptr || state != TransferStates::running)
        return;

    deleteRetiredRequests();

    bool requestFailed = false;
    bool outputDown = false;

    [&]
    {
        if (currentRequest != nullptr)
        {
            const auto requestState = currentRequest->getState();

            if (requestState == 0)
            {
                // Still with the worker, which takes the next step when it retires the
                // request; once the interval is counted, the tick has nothing left to do.
                if (isTick && intervalHasPassed())
                    stopTimer();

                return;
            }

            if (requestState == 2)
            {
                requestFailed = true;
                return;
            }

            if (findsUnacceptedResultCode (*currentRequest))
                return;

            currentRequest.reset();
        }

        if (link->isOutputConnected() != 1)
        {
            outputDown = true;
            return;
        }

        juce::MemoryBlock block;

        if (! stream.next (block))
            return;

        auto request = std::make_unique<SysExRequest> (getDefaultReplyTimeout());
        request->setMessage (juce::MidiMessage (block.getData(), (int) block.getSize(), 0.0));

        const auto timeoutIndex = transferOptions.findTimeout (request->getFunctionId());

        if (timeoutIndex >= 0)
            request->setTimeoutMs (transferOptions.functionTimeouts[(size_t) timeoutIndex].timeoutMs);

        if (transferOptions.noReplyMode)
            request->setExpectedReplies (0);

        queueRequest (std::move (request));
        progressStep();

        // The next tick comes a whole interval after this message; without an interval, the
        // retirement of this message takes the next step and no tick is needed.
        if (interval.load() > 0)
            startTimer (timerPeriodFor (interval.load()));
    }();

    auto endIn = [this] (TransferState endState)
    {
        stopTimer();
        setState (endState);
    };

    if (currentRequest == nullptr && ! stream.hasNext())
    {
        // Nothing left to send: finished, unless nothing was ever sent.
        bool sentAnything = false;

        {
            const juce::ScopedLock sentGuard (sentLock);
            sentAnything = sentCount > 0;
        }

        endIn (sentAnything ? TransferStates::finished : TransferStates::requestFailed);
    }
    else if (resultCode.load() != 0)
    {
        endIn (TransferStates::deviceError);
    }
    else if (requestFailed)
    {
        endIn (TransferStates::requestFailed);
    }
    else if (outputDown)
    {
        endIn (TransferStates::outputNotConnected);
    }
}
