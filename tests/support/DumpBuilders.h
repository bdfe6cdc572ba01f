#pragma once

#include <juce_core/juce_core.h>

#include <vector>

/* Device dumps built byte by byte from the message formats, without the codec under test: the
   tests use them as known input, and the simulated device serves them for backup requests.

   Every message is F0 00 01 74 model function payload checksum F7, numbers packed in 7-bit
   groups, least significant first. A preset dump is PATCH_START (0x77), PATCH_DATA (0x78)
   messages of 64 words (1024 on the Orvix III) and PATCH_END (0x79); a cab dump is
   CABIR_START (0x7A), CABIR_DATA (0x7B) messages of 32 words (256 on the Orvix III) and
   CABIR_END (0x7C).
*/
namespace morvane::test
{
using Bytes = std::vector<juce::uint8>;

/** Appends value to payload in count 7-bit groups, least significant first. */
void appendPacked (Bytes& payload, juce::uint32 value, int count);

/** One complete message with its checksum (XOR of every byte before it, AND 0x7F) and F7. */
juce::MemoryBlock makeSysExMessage (juce::uint8 model, juce::uint8 function, const Bytes& payload);

/** The checksum byte a message of these bytes must end with. */
juce::uint8 sysExChecksum (const juce::uint8* bytes, size_t count);

//==============================================================================
/** Words in one preset: 2048 for the Orvix II and LM6, 4096 for the Orvix II XL, XL+ and KT4,
    16384 for the Orvix III; 0 for any other model. */
int presetWordCount (juce::uint8 model);

/** PATCH_DATA words per message: 64, or 1024 on the Orvix III. */
int presetWordsPerMessage (juce::uint8 model);

/** Messages in the dump of one preset: 34, 66 or 18 by model. */
int presetMessageCount (juce::uint8 model);

/** The presets a bank dump of the model holds (bank 127: all banks). */
int presetsInBank (juce::uint8 model, int bank);

/** The cabs a cab bank dump of the model holds (bank 127: all cab banks). */
int cabsInBank (juce::uint8 model, int bank);

/** A preset of the model's size filled with a pattern made from seed, named: below the Orvix III
    in the low bytes of words 2-33 (0xFF after the name), on the Orvix III in bytes 8-39 after the
    marker 0xAA55 in word 1 (an empty name stores no marker). */
std::vector<juce::uint16> makePresetWords (juce::uint8 model, const juce::String& name, juce::uint32 seed);

/** XOR of the words. */
juce::uint16 xorOfWords (const std::vector<juce::uint16>& words);

/** The dump of one preset: PATCH_START with the preset number (number / 128, number % 128) and the
    word count, the PATCH_DATA messages, PATCH_END with the XOR of the words. */
juce::MemoryBlock makePresetDump (juce::uint8 model, const std::vector<juce::uint16>& words, int presetNumber);

/** presetCount preset dumps, the i-th numbered bank x 128 + i and named "Preset <i + 1>". */
juce::MemoryBlock makeBankDump (juce::uint8 model, int bank, int presetCount);

/** Reads back the words of a preset dump made by makePresetDump (for checking converter output
    independently of it); empty when the data messages do not parse. */
std::vector<juce::uint16> readPresetDumpWords (const juce::MemoryBlock& dump);

/** The messages of a block, cut after every F7. */
std::vector<juce::MemoryBlock> splitMessages (const juce::MemoryBlock& block);

//==============================================================================
/** The 2048 words of a cab impulse response: the name in words 0-7 (little-endian characters),
    data from seed after it. */
std::vector<juce::uint32> makeCabWords (const juce::String& name, juce::uint32 seed);

/** The dump of one cab: 66 messages below the Orvix III, 10 on it. The slot is written in the
    model's layout: one byte on the Orvix II (and any other model), slot / 128 then slot % 128 on
    the Orvix II XL, XL+ and KT4, two 7-bit bytes (low first) on the Orvix III. words may hold fewer
    or more than 2048 words; the word count field gives wordCountField, or the real count when
    wordCountField is negative. withEnd false leaves CABIR_END out. */
juce::MemoryBlock makeCabDump (juce::uint8 model, const std::vector<juce::uint32>& words, int slot,
                               int wordCountField = -1, bool withEnd = true);

/** count cab dumps for the slots firstSlot, firstSlot + 1, ..., named "Cab <slot>". */
juce::MemoryBlock makeCabBankDump (juce::uint8 model, int firstSlot, int count);

/** Reads back the slot, word count field and words of a cab dump (for checking converter output
    independently of it). False when a message is not a well-formed cab message. */
bool readCabDump (const juce::MemoryBlock& dump, int& slot, int& wordCountField,
                  std::vector<juce::uint32>& words);

//==============================================================================
/** Compresses byte values the way the Orvix II stores the unpacked part of a preset: a code tree
    built from the values' frequencies, stored in pre-order (0 bit: inner node followed by its
    first and second child; 1 bit: leaf followed by its eight-bit value), then one code per value
    (0 for the first child, 1 for the second), all bits most significant first, the last byte
    padded with zeros. A single distinct value makes the root a leaf and no codes follow. */
Bytes compressPresetValues (const std::vector<juce::uint8>& values);

/** Writes a bit stream most significant bit first, as the compressed part of a preset is read. */
struct CompressedBitWriter
{
    void write (int bit);
    void writeByte (int value);

    Bytes bytes;
    int bitsInLast = 8;
};

/** Stores a compressed stream in an Orvix II preset: its length in bytes in word 1, the bytes from
    word 34 on (low byte first), zeros up to word 1023. False when it does not fit before word 1024. */
bool placeCompressedStream (std::vector<juce::uint16>& words, const Bytes& stream);

/** An Orvix II preset (2048 words) whose compressed part unpacks to values: word 1 holds the
    stream's length in bytes, the stream starts at word 34 (low byte first), words 1024-2047 hold
    a pattern made from seed. Returns an empty vector when the stream does not fit before word 1024. */
std::vector<juce::uint16> makeCompressedOrvixIIPreset (const juce::String& name,
                                                        const std::vector<juce::uint8>& values,
                                                        juce::uint32 seed);

/** 8124 values of low entropy (mostly zeros with a few recurring bytes), that compress well. */
std::vector<juce::uint8> makeCompressibleValues (juce::uint32 seed);
} // namespace morvane::test
