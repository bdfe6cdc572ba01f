#include "BackupPatchKeeper.h"

#include "MidiProcessing.h"
#include "SysExBuilders.h"
#include "SysExDecoders.h"
#include "SysExMessage.h"
#include "SysExRequest.h"

namespace
{
constexpr juce::uint8 patchNumberFunction = 0x14; // SYSEX_PATCHNUM

/** Queues the request and waits until the worker retires it; false when it failed or the worker
    kept it far beyond its time-out (then it is left to the worker, never freed under it).
*/
bool exchange (MidiProcessing& link, std::unique_ptr<SysExRequest>& request)
{
    juce::MouseCursor::showWaitCursor();
    link.enqueueRequest (request.get());

    juce::WaitableEvent tick;
    auto lastActivity = request->getLastActivity();
    auto idleSince = juce::Time::getMillisecondCounter();

    while (request->getState() == SysExRequest::pending)
    {
        const auto now = juce::Time::getMillisecondCounter();

        if (request->getLastActivity() != lastActivity)
        {
            lastActivity = request->getLastActivity();
            idleSince = now;
        }
        else if (now - idleSince > request->getTimeoutMs() + 5000)
        {
            juce::MouseCursor::hideWaitCursor();
            (void) request.release();
            return false;
        }

        tick.wait (1);
    }

    juce::MouseCursor::hideWaitCursor();
    return request->getState() == SysExRequest::complete;
}

juce::String pleaseCheck (const juce::String& modelName)
{
    return "Please make sure the " + modelName + " is connected and powered on";
}
} // namespace

BackupPatchKeeper::BackupPatchKeeper (MidiProcessing& linkToUse, Warn warnToUse)
    : link (linkToUse), warn (std::move (warnToUse))
{
}

bool BackupPatchKeeper::queryCurrentPatch (const juce::String& modelName)
{
    auto request = std::make_unique<SysExRequest> (SysExRequest::defaultTimeoutMs);
    juce::MidiMessage message;
    buildSysExMessage (message, patchNumberFunction, nullptr, 0, currentDeviceModel.load());
    request->setMessage (message);
    request->setExpectedReplies (1);

    if (! exchange (link, request))
    {
        if (warn != nullptr)
            warn ("Unable to query the current patch number. " + pleaseCheck (modelName));

        return false;
    }

    juce::MidiMessage reply;
    juce::uint16 fields[2] = { 0, 0 };

    if (request->getReplyCount() != 1 || ! request->getReply (0, reply) || ! decodePatchNumberReply (reply, fields))
        return false;

    savedPatchNumber[0] = fields[0];
    savedPatchNumber[1] = fields[1];
    return true;
}

void BackupPatchKeeper::recallPreviousPatch (const juce::String& modelName)
{
    const juce::uint8 patch[] = { (juce::uint8) (savedPatchNumber[0] & 0xFF), (juce::uint8) (savedPatchNumber[1] & 0xFF) };
    savedPatchNumber[0] = savedPatchNumber[1] = 0;

    auto request = std::make_unique<SysExRequest> (SysExRequest::defaultTimeoutMs);
    juce::MidiMessage message;
    buildRecallPatchRequest (&message, patch);
    request->setMessage (message);
    request->setExpectedReplies (1);

    if (! exchange (link, request) && warn != nullptr)
        warn ("Unable to recall patch that was loaded prior to initiating the backup. " + pleaseCheck (modelName));
}
