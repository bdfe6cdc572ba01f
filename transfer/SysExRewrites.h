#pragma once

#include <juce_core/juce_core.h>

#include <functional>

/** The changes the send road makes to a file's bytes before they go to the device: the edit
    buffer or bank written into each PATCH_START, the preset conversions between the models of
    a family, and the LM6 generation change.

    Every rewrite first checks that each message it rewrites is whole (its header, its length up
    to the checksum and F7), so a truncated file is refused, never read or written past its end.
    Each returns false, leaving the data as it was, when it refuses.
*/
class SysExRewrites
{
public:
    /** The length of a PATCH_START message of the model: 12 bytes below model 16, 13 from it. */
    static int patchStartLength (juce::uint8 model) noexcept;

    /** Points a one-preset file at a destination: byte 6 of its PATCH_START becomes slot (127 the
        edit buffer).
    */
    static bool setSingleDestination (juce::MemoryBlock& data, int slot);

    /** Every PATCH_START of the model carries bank in byte 6. */
    static bool retargetBankFile (juce::MemoryBlock& data, juce::uint8 bank, juce::uint8 model);

    /** The LM6 bank rewrite: the i-th PATCH_START carries i + bank x 8 in byte 7. */
    static bool retargetBankFile2 (juce::MemoryBlock& data, int bank, juce::uint8 model);

    /** The KT4 bank rewrite: every PATCH_START of model 8 carries bank in byte 6. */
    static bool retargetBankFile3 (juce::MemoryBlock& data, juce::uint8 bank);

    /** Converts one Orvix II preset dump to the Orvix II XL (or XL+) layout. */
    static bool convertPresetToXL (const juce::MemoryBlock& in, bool xlPlus, juce::MemoryBlock& out);

    /** Converts every preset of an Orvix II bank; false, with out empty, when any preset fails,
        so that a partly converted bank is never sent.
    */
    static bool convertBankToXL (const juce::MemoryBlock& in, bool xlPlus, juce::MemoryBlock& out);

    /** An LM6 file of one generation for the other (model 5 for 10, 10 for 5); false for any
        other pair.
    */
    static bool convertLM6Generation (juce::MemoryBlock& data, juce::uint8 fileModel, juce::uint8 deviceModel);

private:
    /** The walk of the bank rewrites: rewrite (message, index) is called for each PATCH_START. */
    static bool rewritePatchStarts (juce::MemoryBlock& data, juce::uint8 model, int headLength,
                                    const std::function<void (juce::uint8*, int)>& rewrite);
};
