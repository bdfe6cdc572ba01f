#include "DeviceQueries.h"

#include "MidiProcessing.h"
#include "ModelRules.h"
#include "SysExBuilders.h"
#include "SysExMessage.h"
#include "SysExRequest.h"
#include "SysExTables.h"


namespace
{
constexpr juce::uint8 queryVersionFunction = 0x08;      // SYSEX_QUERY_VERSION
constexpr juce::uint8 patchNumberFunction = 0x14;       // SYSEX_PATCHNUM
constexpr juce::uint8 editorDisconnectFunction = 0x42;  // SYSEX_EDITOR_DISCONNECT
constexpr juce::uint8 getSysInfoFunction = 0x47;        // SYSEX_GET_SYSINFO
constexpr juce::uint16 displayOffsetParameter = 766;
constexpr juce::uint8 kt4Model = 8;
constexpr int reportedTimeouts = 3;

// A request that the link worker still holds this long after its own time-out of silence is
// given up: the worker would have retired it long before.
constexpr juce::uint32 retireMarginMs = 2000;

const char* const checkListText = " Please verify the following:\n\n"
                                  "1) The connected device matches the selected device.\n"
                                  "2) The device is connected to the computer and powered on.\n"
                                  "3) The device driver is properly installed.\n\n"
                                  "If the device is an Orvix II running firmware version 8.0 or earlier, "
                                  "you need to use Morvane version 1.2.7.";

juce::String connectedPlea()
{
    return "Please make sure the " + DeviceQueries::currentModelName() + " is connected and powered on";
}

/** Waits on the calling thread without dispatching messages. */
juce::WaitableEvent& spinEvent()
{
    static juce::WaitableEvent event;
    return event;
}
} // namespace

//==============================================================================
DeviceQueries::DeviceQueries (MidiProcessing* linkToUse, TransferView& viewToUse,
                              std::unique_ptr<SysExRequest>& pendingSlot, std::function<void()> letGo)
    : link (linkToUse),
      view (viewToUse),
      pendingRequest (pendingSlot),
      letGoOfRequests (std::move (letGo)),
      timeoutMs (SysExRequest::defaultTimeoutMs)
{
    if (letGoOfRequests == nullptr)
    {
        letGoOfRequests = [this]
        {
            if (link != nullptr)
            {
                link->closeInputPort();
                link->closeOutputPort();
            }
        };
    }
}

DeviceQueries::~DeviceQueries()
{
    if (heldMuteRequest != nullptr && heldMuteRequest->getState() == SysExRequest::pending)
        letGoOfRequests();
}

void DeviceQueries::reset()
{
    firmwareVersion = {};
    firmwareVersionText.clear();
    systemInfo = {};
    deviceUserCabCount = 0;
    displayOffset = 0;
    savedPatchNumber[0] = savedPatchNumber[1] = 0;
    savedPatchValid = false;
    versionTimeouts = sysInfoTimeouts = 0;
}

juce::String DeviceQueries::currentModelName()
{
    return lookupNameById (ModelNames, currentDeviceModel.load());
}

void DeviceQueries::warn (const juce::String& text)
{
    view.tell (Severity::warning, text);
}

//==============================================================================
bool DeviceQueries::waitUntilRetired (const SysExRequest& request)
{
    const auto limit = request.getTimeoutMs() + retireMarginMs;
    auto lastActivity = request.getLastActivity();
    auto idleSince = juce::Time::getMillisecondCounter();

    while (request.getState() == SysExRequest::pending)
    {
        const auto now = juce::Time::getMillisecondCounter();
        const auto activity = request.getLastActivity();

        if (activity != lastActivity)
        {
            lastActivity = activity;
            idleSince = now;
        }
        else if (now - idleSince > limit)
        {
            return false;
        }

        spinEvent().wait (1);
    }

    return true;
}

int DeviceQueries::exchange (SysExRequest& request)
{
    if (link == nullptr)
        return SysExRequest::failed;

    view.setBusy (true);
    link->enqueueRequest (&request);
    const bool retired = waitUntilRetired (request);
    view.setBusy (false);

    return retired ? request.getState() : SysExRequest::pending;
}

void DeviceQueries::clearSlot()
{
    if (pendingRequest == nullptr)
        return;

    // The worker lets go of a request only by retiring it.
    if (link != nullptr && pendingRequest->getState() == SysExRequest::pending)
        letGoOfRequests();

    pendingRequest.reset();
}

int DeviceQueries::exchangeInSlot (const juce::MidiMessage& message, juce::MidiMessage& reply, int& replyCount)
{
    clearSlot();
    pendingRequest = std::make_unique<SysExRequest> (timeoutMs);
    pendingRequest->setMessage (message);
    pendingRequest->setExpectedReplies (1);

    const auto state = exchange (*pendingRequest);
    replyCount = state == SysExRequest::complete ? pendingRequest->getReplyCount() : 0;

    if (replyCount == 1)
        pendingRequest->getReply (0, reply);

    // A request the worker still holds stays in the slot until the slot is next cleared.
    return state == SysExRequest::pending ? (int) SysExRequest::failed : state;
}

std::optional<DeviceQueries::Outcome> DeviceQueries::countedExchange (juce::uint8 function, int& timeouts, const char* subject,
                                                                      juce::MidiMessage& reply)
{
    juce::MidiMessage message;
    buildSysExMessage (message, function, nullptr, 0, currentDeviceModel.load());
    int replyCount = 0;

    if (exchangeInSlot (message, reply, replyCount) != SysExRequest::failed)
        return replyCount == 1 ? std::nullopt : std::optional<Outcome> (Outcome::otherReply);

    if (timeouts >= reportedTimeouts)
    {
        timeouts = 0;
        warn (juce::String ("A time-out has occurred while attempting to query ") + subject + "." + checkListText);
        return Outcome::timedOutTooOften;
    }

    ++timeouts;
    return Outcome::timedOut;
}

//==============================================================================
DeviceQueries::Outcome DeviceQueries::queryFirmwareVersion()
{
    const juce::ScopedValueSetter<bool> running (versionQueryRunning, true);

    juce::MidiMessage reply;

    if (const auto failure = countedExchange (queryVersionFunction, versionTimeouts, "the firmware version", reply))
        return *failure;

    FirmwareVersionRecord version;

    if (! decodeVersionReply (reply, &version))
        return Outcome::otherReply;

    firmwareVersion = version;
    juce::String modelName;

    if (! formatFirmwareVersion (firmwareVersion, modelName, firmwareVersionText))
        firmwareVersionText = juce::String (firmwareVersion.version, 2);

    return Outcome::answered;
}

DeviceQueries::Outcome DeviceQueries::querySystemInfo()
{
    const juce::ScopedValueSetter<bool> running (sysInfoQueryRunning, true);

    juce::MidiMessage reply;

    if (const auto failure = countedExchange (getSysInfoFunction, sysInfoTimeouts, "the system information", reply))
        return *failure;

    SystemInfoRecord info;

    if (! decodeSysInfoReply (reply, &info, nullptr))
    {
        systemInfo = {};
        deviceUserCabCount = (juce::int32) userCabCount (firmwareVersion, &systemInfo);
        return Outcome::otherReply;
    }

    systemInfo = info;
    deviceUserCabCount = (juce::int32) userCabCount (firmwareVersion, &systemInfo);
    return Outcome::answered;
}

bool DeviceQueries::sendEditorDisconnect()
{
    juce::MidiMessage message, reply;
    buildSysExMessage (message, editorDisconnectFunction, nullptr, 0, currentDeviceModel.load());
    int replies = 0;
    StatusReply status;

    return exchangeInSlot (message, reply, replies) == SysExRequest::complete
        && replies == 1
        && decodeStatusReply (reply, &status)
        && status.resultCode == 0;
}

bool DeviceQueries::queryDisplayOffset()
{
    juce::MidiMessage message, reply;
    const juce::uint16 parameter = displayOffsetParameter;
    buildGetConfigRequest (&message, &parameter);
    int replies = 0;

    if (exchangeInSlot (message, reply, replies) == SysExRequest::failed)
    {
        warn ("Unable to query Display Offset. " + connectedPlea());
        return false;
    }

    juce::uint16 fields[2] = { 0, 0 };

    if (replies != 1 || ! decodeConfigReply (reply, fields))
        return false;

    displayOffset = fields[1];
    return true;
}

bool DeviceQueries::queryCurrentPatch()
{
    juce::MidiMessage message, reply;
    buildSysExMessage (message, patchNumberFunction, nullptr, 0, currentDeviceModel.load());
    int replies = 0;

    // Whatever happens, a patch number read before this query is not recalled any more.
    savedPatchValid = false;

    if (exchangeInSlot (message, reply, replies) == SysExRequest::failed)
    {
        warn ("Unable to query the current patch number. " + connectedPlea());
        return false;
    }

    juce::uint16 fields[2] = { 0, 0 };

    if (replies != 1 || ! decodePatchNumberReply (reply, fields))
        return false;

    savedPatchNumber[0] = fields[0];
    savedPatchNumber[1] = fields[1];
    savedPatchValid = true;
    return true;
}

bool DeviceQueries::recallPreviousPatch()
{
    if (! savedPatchValid)
        return false;

    const juce::uint8 patch[2] = { (juce::uint8) (savedPatchNumber[0] & 0xFF), (juce::uint8) (savedPatchNumber[1] & 0xFF) };
    savedPatchNumber[0] = savedPatchNumber[1] = 0;

    juce::MidiMessage message, reply;
    buildRecallPatchRequest (&message, patch);
    int replies = 0;

    if (exchangeInSlot (message, reply, replies) == SysExRequest::failed)
    {
        warn ("Unable to recall patch that was loaded prior to initiating the backup. " + connectedPlea());
        return false;
    }

    return true;
}

bool DeviceQueries::setDeviceMute (bool mute)
{
    if (currentDeviceModel.load() != kt4Model)
        return true;

    // A mute request that an earlier wait gave up on is let go of first.
    if (heldMuteRequest != nullptr)
    {
        if (heldMuteRequest->getState() == SysExRequest::pending)
            letGoOfRequests();

        heldMuteRequest.reset();
    }

    juce::MidiMessage message;
    const juce::uint8 on = mute ? 0 : 1;
    buildMuteRequest (&message, &on);

    auto request = std::make_unique<SysExRequest> (timeoutMs);
    request->setMessage (message);
    request->setExpectedReplies (1);

    const auto state = exchange (*request);

    if (state == SysExRequest::pending)
        heldMuteRequest = std::move (request);

    if (state == SysExRequest::complete)
        return true;

    warn (mute ? juce::String ("Morvane is not able to mute the connected device and cannot proceed with the transfer. Please reboot the KT4.")
               : juce::String ("Morvane is not able to unmute the connected device. Please reboot the KT4."));
    return false;
}

bool DeviceQueries::sendProgramChange()
{
    if (link == nullptr)
        return false;

    clearSlot();
    pendingRequest = std::make_unique<SysExRequest> (timeoutMs);
    pendingRequest->setProgramChangeMessage();
    return link->enqueueRequest (pendingRequest.get());
}
