#pragma once

#include "SysExDecoders.h"

#include <juce_core/juce_core.h>

#include <array>

/*  Cab impulse responses (IRs): 2048 32-bit words, the first eight holding the cab's name as 32
    8-bit characters (little-endian within each word), the rest the response data.

    A cab dump is CABIR_START (0x7A: slot and word count by the model's layout), CABIR_DATA
    messages (0x7B: 32 words each, 256 from model 16) and CABIR_END (0x7C: the XOR of the words).
*/

/** The words of one cab impulse response. */
constexpr int cabIRWordCount = 2048;
using CabIRWords = std::array<juce::uint32, (size_t) cabIRWordCount>;

/** The cab destinations of the send options dialog. */
enum class CabDestinationMode : juce::uint32
{
    currentSlot = 0,
    scratchpad = 1,
    userLocation = 2
};

/** Reads a cab dump, whose model is its byte 4, into words. The words are zeroed first, and a dump
    with fewer than 2048 words leaves the rest zero.
    Returns false, with every word zero, when the dump is empty, a message is shorter than 6 bytes
    or fails its checksum, a message is not a cab message, CABIR_START or CABIR_END comes twice, a
    field fails to decode, the dump carries more than 2048 words, no word arrives, or CABIR_END
    does not match the word count or the XOR of the words. A dump without CABIR_END is accepted
    unchecked. Touches no shared state, so receive threads may call it.
*/
bool parseCabIR (const juce::MemoryBlock& dump, CabIRWords& words);

/** The same into a caller's buffer, which must hold cabIRWordCount words; false for null. */
bool parseCabIR (const juce::MemoryBlock& dump, juce::uint32* words);

/** The name of a cab dump: at most 31 characters, up to the first NUL, trimmed.
    False, leaving name as it was, when the dump does not parse.
*/
bool readCabIRName (const juce::MemoryBlock& dump, juce::String& name);

/** The slot that a cab dump for targetModel carries for the chosen destination, n being the
    zero-based number the user chose. base is the scratchpad base (the user cab count below model
    16; on model 16 the sum of system information fields 1 and 2, or 4096 without them).
    False when the model cannot take a cab, the mode is unknown or the slot does not fit the
    model's slot field (7 bits on the Orvix II, 14 bits on the others): a slot that would wrap
    around would overwrite another cab.
*/
bool cabSlotForDestination (juce::uint8 targetModel, juce::uint32 mode, juce::uint32 n,
                            juce::uint32 base, juce::uint32& slot) noexcept;

/** Rebuilds a cab dump of any model as a dump for the model of the target's version record,
    addressed to the destination (mode, n): CABIR_START with the slot and 2048 words, the data
    messages, CABIR_END. systemInfo may be null.
    Returns false, with result empty, when the target is not a model 3, 6, 7, 8 or 16, the
    destination does not fit (see cabSlotForDestination) or the source does not parse.
    Builds every message for the target model without touching currentDeviceModel.
*/
bool convertCabIR (const juce::MemoryBlock& dump, juce::uint32 mode, juce::uint32 n,
                   const FirmwareVersionRecord& target, const SystemInfoRecord* systemInfo,
                   juce::MemoryBlock& result);
