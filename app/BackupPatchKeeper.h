#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class MidiProcessing;

/** The current-patch query before a backup and the recall of that patch after it: each one
    synchronous exchange with the device on the message thread, waited for (without sleeping)
    until the link worker has retired its request, at its reply or after its time-out.

    Failures are told through the warning callback in the console's words; neither stops a run.
*/
class BackupPatchKeeper
{
public:
    using Warn = std::function<void (const juce::String& text)>;

    BackupPatchKeeper (MidiProcessing& link, Warn warn);

    /** SYSEX_PATCHNUM: keeps the reply's two fields. True when the device answered with them;
        a time-out warns with the model's name.
    */
    bool queryCurrentPatch (const juce::String& modelName);

    /** SYSEX_RECALL_PATCH with the low bytes of the kept fields, which become 0. */
    void recallPreviousPatch (const juce::String& modelName);

    juce::uint32 getSavedPatch (int index) const noexcept { return savedPatchNumber[index & 1]; }

private:
    MidiProcessing& link;
    Warn warn;
    juce::uint32 savedPatchNumber[2] = { 0, 0 };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BackupPatchKeeper)
};
