#pragma once

#include "PayloadKind.h"
#include "SendPlan.h"
#include "TransferReport.h"
#include "TransferView.h"

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

class DeviceQueries;
class MidiProcessing;
class SysExMultiMsgTimer;
class UpdateHardware;

/** One send to the device, from its start to the report of how it ended.

    A send starts with a prepared plan (SendPlan): the KT4 is muted first where the plan says so,
    the ports that the device needs are checked, and an UpdateHardware thread loads the bytes
    into the link's paced sender. Cancel is enabled while it runs. The road then polls it every
    100 ms; the poll reads this send's own state, never an earlier transfer's, and at the end
    leaves a status line that says how the send ended, shows the success, cancel, device error,
    no response or lost communication text (with how far a lost send got), unmutes a KT4 that is
    still connected, sends the Program Change after an Orvix II bank, retries an Orvix III USB
    firmware that ended too soon, and hands a firmware send to the firmware notice.

    Needs no window: the view is all it knows of the page. Message thread only.
*/
class SendRoad : private juce::Timer
{
public:
    static constexpr int pollPeriodMs = 100;

    /** The link may be null (nothing is ever sent then); the queries and the view must outlive
        the road.
    */
    SendRoad (MidiProcessing* link, DeviceQueries& queries, TransferView& view);
    ~SendRoad() override;

    //==============================================================================
    /** Starts the send of a prepared plan for the device model and kind. False, when nothing
        was started: a KT4 that does not answer its mute, ports that are not connected (after the
        lost-communication warning), a running send, or nothing to send.
    */
    bool sendFile (const SendPlan::Result& plan, PayloadKind kind, int deviceModel, int bufferDelayMs);

    /** Starts the transfer of data for the model (254 any of the maker's, 255 any SysEx) and kind,
        paced by the buffer delay, with the kind's lead-in when preMessage is set.
    */
    bool start (const juce::MemoryBlock& data, int model, PayloadKind kind, bool preMessage, int bufferDelayMs);

    /** Starts the transfer of the data after the port check. False, starting nothing, when the
        ports are not connected (with the warning), without a link or data, or while a send runs.
    */
    bool startTransfer (const juce::MemoryBlock& data, bool preMessage);

    /** The 100 ms poll: follows this send's state and reports its end. */
    void poll();

    /** True while the 100 ms poll follows a transfer. */
    bool isPolling() const noexcept { return isTimerRunning(); }

    /** True while this road's transfer is being loaded or runs. */
    bool isRunning() const;

    /** Stops a running transfer; true when none runs any more. The thread is waited for. */
    bool stop();

    /** How a running transfer is stopped: by default SysExMultiMsgTimer::stop, false when the
        transfer could not be stopped. A test may put a stop here that fails; nullptr restores
        the default.
    */
    void setTransferStopper (std::function<bool (SysExMultiMsgTimer&)> stopper);

    /** Waits for the send thread and forgets it. */
    void stopThread();

    PayloadKind getPayloadKind() const noexcept { return payloadKind; }
    int getUsbFirmwareRetries() const noexcept { return usbFirmwareRetries; }

    /** The sender's transfer state as the last poll read it. */
    int getLastState() const noexcept { return lastState; }

    void showLostCommunication();

private:
    void timerCallback() override { poll(); }
    void unlockPage();
    void showProgressWithPercentage (double value);
    void onTransferSucceeded();
    void onTransferCanceled();
    void onTransferError();
    void onNoResponse();
    void onOutputLost();
    void checkUsbFirmwareRetry();
    void unmuteIfMuted();
    bool portsConnected() const;
    void endWithMessage (TransferReport::Ending ending, const juce::String& text, bool warning, bool unmute);
    bool portsPresentNow() const;
    void showMessage (const juce::String& text, bool warning);

    MidiProcessing* link = nullptr;
    DeviceQueries& queries;
    TransferView& view;

    juce::MemoryBlock sendData;             // what the sender reads until the transfer ends
    std::unique_ptr<UpdateHardware> senderThread;
    PayloadKind payloadKind = 0;
    int deviceModel = 0;
    int bufferDelay = 0;
    bool polling = false;                   // this send's end has not been reported yet
    bool unmuted = false;                   // the KT4's mute was lifted for this send
    int lastState = 0;
    double lastProgress = 0.0;              // as the last poll read it
    std::function<bool (SysExMultiMsgTimer&)> transferStopper;   // empty: the sender's own stop
    juce::uint32 usbFirmwareSendStart = 0;
    int usbFirmwareRetries = 0;
    bool usbFirmware = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SendRoad)
};
