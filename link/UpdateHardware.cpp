#include "UpdateHardware.h"

#include "SysExMessage.h"

UpdateHardware::KindSettings UpdateHardware::getKindSettings (PayloadKind kind, bool withLeadIn) noexcept
{
    KindSettings settings;

    if (withLeadIn)
    {
        switch (kind)
        {
            case PayloadKinds::orvixIIFirmware:
            case PayloadKinds::lm6Firmware:
            case PayloadKinds::kt4Firmware:
                settings.leadInFunction = fwUpdateFunction;
                break;

            case PayloadKinds::fpgaImage:
                settings.leadInFunction = fpgaUpdateFunction;
                break;

            default:
                break;
        }
    }

    switch (kind)
    {
        case PayloadKinds::orvixIIXLSystem:     settings.replyTimeoutMs = 9000; break;
        case PayloadKinds::lm6System:           settings.replyTimeoutMs = 15000; break;
        default:                                settings.replyTimeoutMs = 3000; break;
    }

    if (kind == PayloadKinds::orvixIIIFirmware)
        settings.longTimeoutFunction = fwUpdateEndFunction;
    else if (kind == PayloadKinds::orvixIIIUsbFirmware)
        settings.longTimeoutFunction = microUpdateEndFunction;

    return settings;
}

UpdateHardware::UpdateHardware (SysExMultiMsgTimer* senderTimer,
                                const juce::uint8* fileData,
                                juce::uint32 fileSize,
                                juce::uint8 messageModel,
                                juce::uint32 intervalMs,
                                bool withLeadIn,
                                PayloadKind payloadKind)
    : juce::Thread ("Update Hardware")
    , timer (senderTimer)
    , data (fileData)
    , size (fileSize)
    , model (messageModel)
    , interval (intervalMs)
    , leadIn (withLeadIn)
    , kind (payloadKind)
{
}

UpdateHardware::~UpdateHardware()
{
    stopThread (stopTimeoutMs);
}

void UpdateHardware::run()
{
    if (timer == nullptr || data == nullptr || size == 0)
    {
        phase = Phase::failed;
        return;
    }

    // A transfer that runs or is paused belongs to someone else: leave its settings alone.
    const auto state = timer->getState();

    if (state == TransferStates::running || state == TransferStates::paused)
    {
        phase = Phase::failed;
        return;
    }

    const auto settings = getKindSettings (kind, leadIn);

    // Every send sets the lead-in anew, so that a firmware send's lead-in never precedes a later
    // send of another kind.
    if (settings.leadInFunction != 0)
    {
        juce::MidiMessage leadInMessage;
        buildSysExMessage (leadInMessage, settings.leadInFunction, nullptr, 0, currentDeviceModel.load());
        timer->setFirstMessage (&leadInMessage);
    }
    else
    {
        timer->setFirstMessage (nullptr);
    }

    timer->setDefaultReplyTimeout (settings.replyTimeoutMs);

    if (threadShouldExit() || ! timer->loadMessages (data, size, model))
    {
        phase = Phase::failed;
        return;
    }

    // Registered only for a transfer that starts: the next start takes it, and a send that never
    // started must not hand it to a later one.
    if (settings.longTimeoutFunction != 0)
        timer->addFunctionTimeout (settings.longTimeoutFunction, longReplyTimeoutMs);

    phase = timer->start (interval) ? Phase::started : Phase::failed;
}

TransferState UpdateHardware::getTransferState() const
{
    switch (phase.load())
    {
        case Phase::preparing:  return TransferStates::running;
        case Phase::failed:     return TransferStates::requestFailed;
        case Phase::started:
        default:                return timer->getState();
    }
}

double UpdateHardware::getProgress() const
{
    return phase.load() == Phase::started ? timer->getProgress() : 0.0;
}
