#pragma once

#include "PayloadKind.h"
#include "SysExFileCheck.h"
#include "TransferView.h"

#include <juce_core/juce_core.h>

/** The file that the send page holds for its next send: read from disk within its bounds, or
    handed over from memory (downloaded firmware). It is checked for the device when it is taken
    and classified into its kind at BEGIN; a refusal keeps the file held before and is told
    through the view, which must outlive this. Message thread only.
*/
class SendFile
{
public:
    explicit SendFile (TransferView& view);

    /** Reads the file (an ordinary file of at most the size any of the maker's can have) and
        takes it when the device accepts it. False, after telling why, otherwise.
    */
    bool takeFile (const juce::File& file, int deviceModel, juce::uint32 firmwareMajor);

    /** Takes firmware held in memory, described by description, when the device accepts it.
        False, after telling why, otherwise.
    */
    bool takeImage (const juce::MemoryBlock& image, const juce::String& description, int deviceModel,
                    juce::uint32 firmwareMajor);

    /** Takes a download that was checked for the device already, with its kind. */
    void holdDownload (juce::MemoryBlock image, PayloadKind kind, const juce::String& description);

    /** The kind of the held bytes for the device; the counts of their presets and cabs are kept
        for the send options.
    */
    PayloadKind classify (int deviceModel);

    /** BEGIN's check of the held bytes for the device (anything of the maker's for the Utility).
        False, after telling why, when they may not be sent.
    */
    bool check (int deviceModel, juce::uint32 firmwareMajor);

    bool isLoaded() const noexcept { return loaded; }
    bool isInMemory() const noexcept { return inMemory; }
    const juce::MemoryBlock& getData() const noexcept { return data; }

    /** The full path of a file read from disk; empty for bytes from memory. */
    const juce::String& getPath() const noexcept { return path; }

    /** What the page shows: the file's name, or the description of bytes from memory. */
    juce::String getShownText() const;

    /** What the folder link acts on: the full path, or the description of bytes from memory. */
    juce::String getLinkText() const;

    /** The kind that the last classify (or a download) gave. */
    PayloadKind getKind() const noexcept { return kind; }
    const SysExFileCheck::Counts& getCounts() const noexcept { return counts; }

private:
    bool accepts (const juce::MemoryBlock& bytes, int deviceModel, juce::uint32 firmwareMajor);

    TransferView& view;
    juce::MemoryBlock data;
    juce::String path, description;
    PayloadKind kind = 0;
    SysExFileCheck::Counts counts;
    bool loaded = false, inMemory = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SendFile)
};
