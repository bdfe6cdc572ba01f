#pragma once

#include <juce_core/juce_core.h>

/** Why the last operation of a PresetConverter failed. */
enum class PresetConverterStatus
{
    none = 0,
    emptyInput = 1,
    unexpectedMessage = 2,      // a message below 6 bytes, a second PATCH_START or PATCH_END, another function
    checksumMismatch = 3,       // of one message, or of the whole preset at PATCH_END
    wrongModel = 4,             // a message for another model, an unsupported model, or no preset words
    fieldCodingFailed = 5,      // a message field failed to decode or encode
    wordCountMismatch = 6,      // the words received differ from the count PATCH_START announced
    wrongPresetSize = 7,        // the preset has the wrong size for the conversion
    compressedStreamInvalid = 8 // the compressed part runs out of range or does not decode
};

/** Where the last operation of a PresetConverter failed. */
enum class PresetConverterStage
{
    wholeDump = 0,
    patchStart = 1,
    patchData = 2,
    patchEnd = 3,
    checkOrConversion = 4
};

/** XOR of n 16-bit words; 0 for a null pointer or n = 0. */
juce::uint32 xorWords16 (const juce::uint16* words, juce::uint32 n) noexcept;

/** XOR of n 32-bit words; 0 for a null pointer or n = 0. */
juce::uint32 xorWords32 (const juce::uint32* words, juce::uint32 n) noexcept;

/** One preset of an Orvix device held as 16-bit words (little-endian in memory).

    It loads a preset dump (PATCH_START, PATCH_DATA messages, PATCH_END), reads the preset's name,
    converts an Orvix II preset (2048 words, its middle part compressed) to the Orvix II XL layout
    (4096 words, unpacked) and back, and writes the converted preset out as a dump for its target
    model. Call loadPatchDump first, then either getPresetName, or one conversion followed by
    writePatchDump.

    Every failure leaves a status and a stage for inspection and returns false; nothing is shown
    to the user here. A converter is used by one thread at a time: the console's on the message
    thread, and one per receive thread for naming received presets.
*/
class PresetConverter
{
public:
    PresetConverter();
    ~PresetConverter();

    /** Frees the loaded and converted presets and clears every field. */
    void reset();

    /** Loads a block of concatenated SysEx messages that must carry the given model byte.
        Returns true when the dump was read without error and at least one word was loaded.
        A dump without PATCH_END is accepted without the whole-preset check. After a failure the
        words loaded so far stay until the next reset.
    */
    bool loadPatchDump (const juce::MemoryBlock& dump, juce::uint8 model);

    /** The loaded preset's name by the model given to the last load, trimmed; "EMPTY" when the
        preset carries no name.
    */
    void getPresetName (juce::String& name) const;

    /** Converts a loaded preset of model 3, 6 or 7 to the Orvix II XL layout: target model 7 when
        xlPlus is set, else 6. An Orvix II preset must be 4096 bytes; its compressed part is
        unpacked. False (with status and stage) on any other model, size or an invalid stream.
    */
    bool convertToXL (bool xlPlus);

    /** Converts a loaded preset of model 3, 6 or 7 to the Orvix II layout (target model 3). An
        Orvix II preset is copied; an XL preset (8192 bytes) becomes its words 0-1023 followed by
        its words 2048-3071, stored uncompressed.
    */
    bool convertToModel3();

    /** Appends the converted preset to out as a dump for the target model: PATCH_START with the
        loaded preset number and the word count, PATCH_DATA messages of 64 words (1024 from model
        16), PATCH_END with the XOR of the words. False, appending nothing, when nothing has been
        converted.
    */
    bool writePatchDump (juce::MemoryBlock& out);

    //==============================================================================
    PresetConverterStatus getStatus() const noexcept     { return status; }
    PresetConverterStage getStage() const noexcept       { return stage; }
    juce::uint8 getModel() const noexcept                { return model; }
    juce::uint8 getTargetModel() const noexcept          { return targetModel; }
    juce::uint32 getWordCount() const noexcept           { return wordCount; }
    juce::uint32 getDataMessageCount() const noexcept    { return dataMessageCount; }
    juce::uint16 getPresetNumberHigh() const noexcept    { return presetNumberHigh; }
    juce::uint16 getPresetNumberLow() const noexcept     { return presetNumberLow; }
    const juce::MemoryBlock& getLoadedPreset() const noexcept    { return loadedPreset; }
    const juce::MemoryBlock& getConvertedPreset() const noexcept { return convertedPreset; }

private:
    bool fail (PresetConverterStatus newStatus, PresetConverterStage newStage);
    bool readMessage (const juce::MemoryBlock& message, bool& seenStart, bool& seenEnd);

    juce::MemoryBlock loadedPreset;
    juce::uint8 model = 0;
    juce::MemoryBlock convertedPreset;
    juce::uint8 targetModel = 0;
    juce::uint32 wordCount = 0;
    juce::uint16 presetNumberHigh = 0, presetNumberLow = 0;
    PresetConverterStatus status = PresetConverterStatus::none;
    PresetConverterStage stage = PresetConverterStage::wholeDump;
    juce::uint32 dataMessageCount = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetConverter)
};
