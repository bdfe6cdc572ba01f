#include "SendRoad.h"

#include "DeviceQueries.h"
#include "DeviceRules.h"
#include "LinkClock.h"
#include "MidiPortManager.h"
#include "MidiProcessing.h"
#include "SysExMessage.h"
#include "TransferReport.h"
#include "UpdateHardware.h"

SendRoad::SendRoad (MidiProcessing* linkToUse, DeviceQueries& queriesToUse, TransferView& viewToUse)
    : link (linkToUse),
      queries (queriesToUse),
      view (viewToUse)
{
}

SendRoad::~SendRoad()
{
    stopTimer();
    stopThread();
}

//==============================================================================
bool SendRoad::sendFile (const SendPlan::Result& plan, PayloadKind kind, int model, int bufferDelayMs)
{
    if (! plan.send || plan.data.isEmpty() || isRunning() || link == nullptr)
        return false;

    // The ports are checked before anything is asked of the device or set up for the sender.
    deviceModel = model;

    if (! portsConnected())
    {
        showLostCommunication();
        return false;
    }

    if (plan.muteFirst && ! queries.setDeviceMute (true))
        return false;

    if (plan.usbFirmware)
    {
        usbFirmwareSendStart = LinkClock::now();
        usbFirmwareRetries = 0;
    }

    auto& sender = link->getMultiMsgTimer();

    for (auto code : plan.acceptedResultCodes)
        sender.addAcceptedResultCode (code);

    if (plan.noReplyMode)
        sender.setNoReplyMode();

    if (! start (plan.data, model, kind, plan.preMessage, bufferDelayMs))
        return false;

    usbFirmware = plan.usbFirmware;

    view.showStatus (plan.status);
    return true;
}

bool SendRoad::start (const juce::MemoryBlock& data, int model, PayloadKind kind, bool preMessage, int bufferDelayMs)
{
    if (isRunning())
        return false;

    payloadKind = kind;
    deviceModel = model;
    bufferDelay = bufferDelayMs;
    usbFirmware = false;
    return startTransfer (data, preMessage);
}

bool SendRoad::portsConnected() const
{
    // The processors answer every message; the foot controllers and the Utility only listen.
    return link != nullptr
        && DeviceRules::isLinkReady (deviceModel, link->isInputConnected() == 1, link->isOutputConnected() == 1, false);
}

bool SendRoad::startTransfer (const juce::MemoryBlock& data, bool preMessage)
{
    if (link == nullptr || data.isEmpty() || isRunning())
        return false;

    if (! portsConnected())
    {
        showLostCommunication();
        return false;
    }

    stopThread();

    if (&data != &sendData)
        sendData = data;

    senderThread = std::make_unique<UpdateHardware> (&link->getMultiMsgTimer(),
                                                     static_cast<const juce::uint8*> (sendData.getData()),
                                                     (juce::uint32) sendData.getSize(), (juce::uint8) deviceModel,
                                                     (juce::uint32) juce::jlimit (0, 1000, bufferDelay), preMessage, payloadKind);
    unmuted = false;
    polling = true;
    lastState = TransferStates::running;
    lastProgress = 0.0;
    showProgressWithPercentage (0.0);
    view.lockPage (true);
    view.setCancelEnabled (true);
    startTimer (pollPeriodMs);
    senderThread->startThread();
    return true;
}

bool SendRoad::isRunning() const
{
    return senderThread != nullptr && senderThread->getTransferState() == TransferStates::running;
}

bool SendRoad::stop()
{
    if (link == nullptr)
        return true;

    // A thread that is still loading the sender finishes that first; then its transfer stops.
    if (senderThread != nullptr)
        senderThread->stopThread (UpdateHardware::stopTimeoutMs);

    auto& sender = link->getMultiMsgTimer();

    auto runs = [this, &sender]
    {
        return (senderThread != nullptr ? senderThread->getTransferState() : sender.getState()) == TransferStates::running;
    };

    if (! runs())
        return true;

    // A transfer that ended on its own between the two looks has stopped as well.
    return (transferStopper != nullptr ? transferStopper (sender) : sender.stop()) || ! runs();
}

void SendRoad::setTransferStopper (std::function<bool (SysExMultiMsgTimer&)> stopper)
{
    transferStopper = std::move (stopper);
}

void SendRoad::stopThread()
{
    if (senderThread != nullptr)
    {
        senderThread->stopThread (UpdateHardware::stopTimeoutMs);
        senderThread.reset();
    }
}

//==============================================================================
void SendRoad::poll()
{
    if (senderThread == nullptr || ! polling)
    {
        stopTimer();
        return;
    }

    const auto state = senderThread->getTransferState();
    lastState = state;
    lastProgress = senderThread->getProgress();
    showProgressWithPercentage (lastProgress);

    switch (state)
    {
        case TransferStates::running:
            break;

        case TransferStates::idle:
        case TransferStates::paused:
            // The KT4 is unmuted once, not at every tick of a paused transfer.
            unmuteIfMuted();
            unlockPage();
            break;

        case TransferStates::stopped:       onTransferCanceled(); break;
        case TransferStates::finished:      onTransferSucceeded(); break;
        case TransferStates::deviceError:   onTransferError(); break;
        case TransferStates::requestFailed: onNoResponse(); break;
        default:                            onOutputLost(); break;
    }
}

void SendRoad::unmuteIfMuted()
{
    if (! unmuted && TransferReport::unmutesAfterwards (currentDeviceModel.load(), payloadKind))
    {
        unmuted = true;
        queries.setDeviceMute (false);
    }
}

void SendRoad::showMessage (const juce::String& text, bool warning)
{
    view.tell (warning ? Severity::warning : Severity::info, text);
}

void SendRoad::unlockPage()
{
    // The bar and the line keep the ending until the user changes something.
    view.lockPage (false);
}

void SendRoad::showProgressWithPercentage (double value)
{
    view.showProgress (value);
    view.showPercentage();
}

void SendRoad::endWithMessage (TransferReport::Ending ending, const juce::String& text, bool warning, bool unmute)
{
    polling = false;
    stopTimer();

    if (unmute)
        unmuteIfMuted();

    // The line, the bar and the mark say how the send ended before anything is told: no step of
    // the send stays shown under its end.
    view.showEnding (TransferReport::endingOf (ending, lastProgress));

    if (text.isNotEmpty())
        showMessage (text, warning);

    unlockPage();
}

bool SendRoad::portsPresentNow() const
{
    if (link == nullptr)
        return false;

    // The link's connected flags follow the port lists only at its next presence check: the
    // lists are read again now.
    auto& ports = link->getPortManager();
    ports.refreshDeviceLists();
    return DeviceRules::isLinkReady (deviceModel, ports.isInputPresent(), ports.isOutputPresent(), false);
}

void SendRoad::showLostCommunication()
{
    // Nothing was sent, and the device is not there: no earlier ending stays under the warning,
    // and the page stops showing the device connected.
    view.showEnding ({ TransferEnding::Kind::lost, {}, 0.0, false });
    showMessage (TransferReport::lostCommunicationText, true);
}

void SendRoad::onTransferSucceeded()
{
    polling = false;
    showProgressWithPercentage (0.9999);
    stopTimer();
    unmuteIfMuted();

    switch (TransferReport::successStepFor (deviceModel, payloadKind))
    {
        case TransferReport::SuccessStep::firmwareNotice:
            view.showProgress (1.0);
            view.showProgressText ({});
            view.setCancelEnabled (false);
            view.showStatus ("Please wait...");
            view.scheduleNotice (TransferReport::firmwareNoticeDelayMs (payloadKind));
            return;

        case TransferReport::SuccessStep::usbRetryCheck:
            view.showProgress (1.0);
            view.showProgressText ({});
            view.setCancelEnabled (false);
            view.showStatus ("Please wait...");
            checkUsbFirmwareRetry();
            return;

        case TransferReport::SuccessStep::nothing:
            endWithMessage (TransferReport::Ending::succeeded, {}, false, false);
            return;

        case TransferReport::SuccessStep::message:
            break;
    }

    if (TransferReport::sendsProgramChangeAfterwards (payloadKind))
        queries.sendProgramChange();

    endWithMessage (TransferReport::Ending::succeeded, TransferReport::successText (deviceModel, payloadKind), false, false);
}

void SendRoad::checkUsbFirmwareRetry()
{
    const auto now = LinkClock::now();

    if (millisecondsBetween (now, usbFirmwareSendStart) > TransferReport::usbFirmwareMinimumMs)
    {
        view.scheduleNotice (TransferReport::firmwareNoticeDelayMs (payloadKind));
        return;
    }

    // The transfer ended too soon: the device did not take the image.
    unlockPage();

    if (usbFirmwareRetries < TransferReport::maxUsbFirmwareRetries)
    {
        ++usbFirmwareRetries;
        usbFirmwareSendStart = now;
        showProgressWithPercentage (0.0);

        if (startTransfer (sendData, false))
            view.showStatus (juce::String::formatted ("Transferring sysex (retry %d)...", usbFirmwareRetries));

        return;
    }

    view.showEnding (TransferReport::endingOf (TransferReport::Ending::usbFirmwareFailed, lastProgress));
    showMessage (TransferReport::usbFirmwareFailedText, true);
}

void SendRoad::onTransferCanceled()
{
    endWithMessage (TransferReport::Ending::canceled, TransferReport::canceledText (deviceModel, payloadKind, lastProgress), false, true);
}

void SendRoad::onTransferError()
{
    const auto code = link != nullptr ? link->getMultiMsgTimer().getResultCode() : 0u;
    endWithMessage (TransferReport::Ending::failed, TransferReport::deviceErrorText (deviceModel, payloadKind, code), false, true);
}

void SendRoad::onNoResponse()
{
    // A request fails too when a port went away under it: that is a lost connection.
    if (! portsConnected() || ! portsPresentNow())
        onOutputLost();
    else
        endWithMessage (TransferReport::Ending::noResponse, TransferReport::noResponseText (deviceModel), true, true);
}

void SendRoad::onOutputLost()
{
    // The device went away mid-transfer: one box says so and what it means for this send. Nothing
    // more is asked of a device that is gone (a KT4 is not asked to unmute).
    endWithMessage (TransferReport::Ending::lost, TransferReport::lostDuringSendText (lastProgress), true, false);
}
