#pragma once

#include "SysExDecoders.h"
#include "TransferView.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <functional>
#include <memory>
#include <optional>

class MidiProcessing;
class SysExRequest;

/** The short questions and commands that Morvane puts to the connected device: its firmware
    version, its system information (the user cab count), its display offset, the current patch
    before a backup and its recall afterwards, the editor disconnect, and the KT4's mute around a
    send.

    Each is one SysExRequest that is queued with the link worker and waited for on the calling
    (message) thread, with the view busy, until the worker has retired it. Every wait is
    bounded: a request that the worker has not retired a margin after its own time-out of
    silence is given up, so a stopped or stuck worker never holds the caller.

    The queries share one request slot with the backup steps (the console's pending request);
    the mute uses a request of its own. A request that the worker may still hold is never
    deleted: the slot keeps it until it is replaced, and then letGoOfRequests (the console gives
    up its ports, which retires every request the worker holds) runs first.

    The answers are kept here for the console, the send road and the backup runs to read. Warnings
    name the model of currentDeviceModel and go to the view. Needs no window: a backup run may own one on the
    console's slot.
*/
class DeviceQueries
{
public:
    /** How a version or system information query went. */
    enum class Outcome
    {
        answered,        ///< the reply was read
        otherReply,      ///< the device answered with something else (a status reply)
        timedOut,        ///< no answer; counted, nothing shown
        timedOutTooOften ///< the fourth time-out in a row: its warning was shown, the device is lost
    };

    /** The link may be null (nothing is ever answered then). pendingSlot is the request slot the
        queries share with the caller's other requests. letGoOfRequests makes the link worker
        retire every request it holds; when empty, both ports of the link are closed instead.
    */
    DeviceQueries (MidiProcessing* link, TransferView& view, std::unique_ptr<SysExRequest>& pendingSlot,
                   std::function<void()> letGoOfRequests = {});

    ~DeviceQueries();

    //==============================================================================
    /** SYSEX_QUERY_VERSION. On an answer the version and its text are kept; the fourth time-out
        in a row shows "A time-out has occurred while attempting to query the firmware version..."
        (the caller then forgets the device).
    */
    Outcome queryFirmwareVersion();

    /** SYSEX_GET_SYSINFO. On an answer the record and the user cab count are kept; a status reply
        zeroes the record. The fourth time-out in a row shows its warning.
    */
    Outcome querySystemInfo();

    /** SYSEX_EDITOR_DISCONNECT: true only when the device answered with one good status reply. */
    bool sendEditorDisconnect();

    /** SYSEX_GET_CONFIG 766. Warns when the device does not answer; true when the offset was read. */
    bool queryDisplayOffset();

    /** SYSEX_PATCHNUM. Warns when the device does not answer. True when the patch number was read
        and is kept for recallPreviousPatch; false forgets any patch number kept before.
    */
    bool queryCurrentPatch();

    /** SYSEX_RECALL_PATCH with the kept patch number, which then reads 0 and 0. Does nothing (and
        returns false) when the last current-patch query did not answer, so that no stale or made-up
        patch is ever recalled. Warns when the device does not answer.
    */
    bool recallPreviousPatch();

    /** SYSEX_MUTE on a KT4 (true for every other model, without asking). False, after its
        warning, when the KT4 did not answer.
    */
    bool setDeviceMute (bool mute);

    /** Queues a Program Change to program 0 on channel 1 in the request slot, without waiting:
        no reply is expected. False without a link.
    */
    bool sendProgramChange();

    //==============================================================================
    const FirmwareVersionRecord& getFirmwareVersion() const noexcept { return firmwareVersion; }
    const juce::String& getFirmwareVersionText() const noexcept { return firmwareVersionText; }
    const SystemInfoRecord& getSystemInfo() const noexcept { return systemInfo; }
    juce::int32 getUserCabCount() const noexcept { return deviceUserCabCount; }
    juce::uint16 getDisplayOffset() const noexcept { return displayOffset; }
    juce::uint32 getSavedPatchNumber (int index) const noexcept { return savedPatchNumber[index & 1]; }
    bool hasSavedPatch() const noexcept { return savedPatchValid; }
    bool isVersionQueryRunning() const noexcept { return versionQueryRunning; }
    bool isSysInfoQueryRunning() const noexcept { return sysInfoQueryRunning; }
    int getVersionTimeouts() const noexcept { return versionTimeouts; }

    /** Version time-outs start again from 0 (a new connection, a device chosen again). */
    void resetVersionTimeouts() noexcept { versionTimeouts = 0; }

    /** Forgets every answer and count, as at start. */
    void reset();

    /** The time-out of silence of every request made from now on (SysExRequest::defaultTimeoutMs
        unless changed). The count of time-outs before a warning stays as it is.
    */
    void setTimeoutMs (juce::uint32 ms) noexcept { timeoutMs = ms; }
    juce::uint32 getTimeoutMs() const noexcept { return timeoutMs; }

    //==============================================================================
    /** Queues the request and waits until the worker has retired it. Returns its final state
        (1 complete, 2 failed), or 0 when the wait was given up while the worker still held it.
    */
    int exchange (SysExRequest& request);

    /** Waits, without dispatching messages, until the worker has retired the request, at most
        the request's time-out plus a margin after its last activity. False when given up.
    */
    static bool waitUntilRetired (const SysExRequest& request);

    /** The model name of currentDeviceModel, as the warnings use it. */
    static juce::String currentModelName();

private:
    /** Makes a fresh request for the message the slot's request, exchanges it and returns its
        single reply in reply; the state as exchange returns it.
    */
    int exchangeInSlot (const juce::MidiMessage& message, juce::MidiMessage& reply, int& replyCount);
    /** The exchange of the version and system information queries: nothing when the device
        answered with one reply (in reply); otherReply for any other answer; else the time-out
        counted against timeouts, and on the fourth in a row the warning about subject ("the
        firmware version").
    */
    std::optional<Outcome> countedExchange (juce::uint8 function, int& timeouts, const char* subject, juce::MidiMessage& reply);
    void clearSlot();
    void warn (const juce::String& text);

    MidiProcessing* link = nullptr;
    TransferView& view;
    std::unique_ptr<SysExRequest>& pendingRequest;
    std::function<void()> letGoOfRequests;
    std::unique_ptr<SysExRequest> heldMuteRequest;   // a mute request the worker may still hold

    FirmwareVersionRecord firmwareVersion;
    juce::String firmwareVersionText;
    SystemInfoRecord systemInfo;
    juce::int32 deviceUserCabCount = 0;
    juce::uint16 displayOffset = 0;
    juce::uint32 savedPatchNumber[2] = { 0, 0 };
    bool savedPatchValid = false;
    bool versionQueryRunning = false, sysInfoQueryRunning = false;
    int versionTimeouts = 0, sysInfoTimeouts = 0;
    juce::uint32 timeoutMs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceQueries)
};
