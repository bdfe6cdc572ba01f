#pragma once

#include "PayloadKind.h"
#include "SendPlan.h"

#include <juce_core/juce_core.h>

#include <memory>

class DeviceQueries;
class MidiProcessing;
class UpdateHardware;
class UserDialogs;

/** One send to the device, from its start to the report of how it ended.

    A send starts with a prepared plan (SendPlan): the KT4 is muted first where the plan says so,
    the ports that the device needs are checked, and an UpdateHardware thread loads the bytes
    into the link's paced sender. The host (the console) then calls poll every 100 ms; the poll
    reads this send's own state, never an earlier transfer's, and at the end shows the success,
    cancel, device error, no response or lost communication text, unmutes a KT4, sends the
    Program Change after an Orvix II bank, retries an Orvix III USB firmware that ended too soon,
    and hands a firmware send to the firmware notice.

    Needs no window: the host interface is all it knows of the page. Message thread only.
*/
class SendRoad
{
public:
    /** What the road asks of the page that shows it. */
    class Host
    {
    public:
        virtual ~Host() = default;

        /** A transfer has started: the device poll stops, the page locks, the 100 ms poll starts. */
        virtual void transferStarted() = 0;

        /** The 100 ms poll is no longer needed. */
        virtual void stopTransferPoll() = 0;

        /** The page is usable again: device poll restarted, controls enabled, receive page reset. */
        virtual void unlockPage() = 0;

        /** The progress bar's value, and whether it shows its percentage. */
        virtual void showProgress (double value, bool withPercentage) = 0;

        /** The "Progress" label. */
        virtual void showStatus (const juce::String& text) = 0;

        /** The firmware notice is due after delayMs (the device is still programming). */
        virtual void scheduleFirmwareNotice (int delayMs) = 0;

        /** The main "Cancel" button while the device programs its firmware. */
        virtual void setCancelEnabled (bool enabled) = 0;
    };

    SendRoad (MidiProcessing* link, UserDialogs& dialogs, DeviceQueries& queries, Host& host);
    ~SendRoad();

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

    /** True while this road's transfer is being loaded or runs. */
    bool isRunning() const;

    /** Stops a running transfer; true when none runs any more. The thread is waited for. */
    bool stop();

    /** Waits for the send thread and forgets it. */
    void stopThread();

    PayloadKind getPayloadKind() const noexcept { return payloadKind; }
    int getUsbFirmwareRetries() const noexcept { return usbFirmwareRetries; }

    /** The sender's transfer state as the last poll read it. */
    int getLastState() const noexcept { return lastState; }

    void showLostCommunication();

private:
    void onTransferSucceeded();
    void onTransferCanceled();
    void onTransferError();
    void onNoResponse();
    void onOutputLost();
    void checkUsbFirmwareRetry();
    void unmuteIfMuted();
    bool portsConnected() const;
    void endWithMessage (const juce::String& text, bool warning);
    void showMessage (const juce::String& text, bool warning);

    MidiProcessing* link = nullptr;
    UserDialogs& dialogs;
    DeviceQueries& queries;
    Host& host;

    juce::MemoryBlock sendData;             // what the sender reads until the transfer ends
    std::unique_ptr<UpdateHardware> senderThread;
    PayloadKind payloadKind = 0;
    int deviceModel = 0;
    int bufferDelay = 0;
    bool polling = false;                   // this send's end has not been reported yet
    bool unmuted = false;                   // the KT4's mute was lifted for this send
    int lastState = 0;
    juce::uint32 usbFirmwareSendStart = 0;
    int usbFirmwareRetries = 0;
    bool usbFirmware = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SendRoad)
};
