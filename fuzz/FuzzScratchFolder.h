#pragma once

#include <juce_core/juce_core.h>

/** A folder of one fuzzing process's own in the temporary folder, made empty at the start and
    removed with everything in it when the process ends as a run ends (its time or its count of
    runs over). A run stopped by a finding may leave it; scripts/fuzz-smoke.sh gives every target
    a temporary folder of its own and fails a target that leaves anything there.
*/
class FuzzScratchFolder
{
public:
    explicit FuzzScratchFolder (const juce::String& prefix)
        : folder (juce::File::getSpecialLocation (juce::File::tempDirectory)
                      .getNonexistentChildFile (prefix + "-" + juce::String (juce::Time::currentTimeMillis()), {}, false))
    {
        folder.createDirectory();
    }

    ~FuzzScratchFolder() { folder.deleteRecursively(); }

    const juce::File& get() const noexcept { return folder; }

    /** Removes everything the folder holds (hidden entries too), keeping the folder. */
    void empty() const
    {
        for (const auto& child : folder.findChildFiles (juce::File::findFilesAndDirectories, false))
            child.deleteRecursively();
    }

private:
    juce::File folder;

    JUCE_DECLARE_NON_COPYABLE (FuzzScratchFolder)
};
