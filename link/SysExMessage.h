#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <atomic>

/** The one-byte model code of a device, which is also byte 4 of every message it sends or is
    sent: 2 and 4 QMR-303, 3 Orvix II, 5 and 10 LM6, 6 Orvix II XL, 7 Orvix II XL+, 8 KT4,
    16 Orvix III.
*/
using ModelId = juce::uint8;

/** The model byte that every builder writes into byte 4 and chooses its layout by.
    3 (Orvix II) at start. Written on the message thread (device choice, conversions), read
    whole by the link worker's reply matching.
*/
extern std::atomic<ModelId> currentDeviceModel;

/** The maker's manufacturer id, bytes 1 to 3 of every device message. */
constexpr juce::uint8 zandrelManufacturerId[3] = { 0x00, 0x01, 0x74 };

/** Size of a device message without payload: header (6), checksum and F7. */
constexpr int sysExFrameOverhead = 8;

/** Grows the block to at least 6 bytes (new bytes zero) and writes the header
    F0 00 01 74 model functionId into bytes 0-5. Returns 6.
*/
int writeSysExHeader (juce::MemoryBlock& block, juce::uint8 functionId, juce::uint8 model);

/** Grows the block to at least n + 2 bytes, writes the checksum of bytes 0..n-1 at n and F7 at
    n + 1. A longer block stays longer. Returns n + 2 (a negative n counts as 0).
*/
int appendSysExChecksum (juce::MemoryBlock& block, int n);

/** The checksum of the first n bytes: their XOR, masked with 0x7F. 0 for null data or n <= 0. */
juce::uint8 computeSysExChecksum (const juce::uint8* data, int n) noexcept;

/** True when the message is at least 3 bytes long and the byte before its last equals the
    checksum of every byte before it. The last byte itself is not looked at.
*/
bool hasValidSysExChecksum (const juce::uint8* data, int size) noexcept;

/** The length of the whole SysEx message at the start of the data, 0 when none starts there.
    A whole message is F0, then only data bytes (below 0x80), then F7: a message cut short, or
    one with any other status byte inside it (an F0, a note, a real-time byte), is not one. This
    is the one definition of a message that the file check and the sender both cut a block by.
*/
size_t wholeSysExMessageLength (const juce::uint8* data, size_t size) noexcept;

/** True when the data starts F0 00 01 74 and holds at least 6 bytes (a header of the maker's). */
bool isZandrelSysEx (const juce::uint8* data, int size) noexcept;

/** Builds header, payload (copied as given; a null payload or length 0 gives none), checksum
    and F7 into out, with time stamp 0. Returns the message size, length + 8.
*/
int buildSysExMessage (juce::MidiMessage& out, juce::uint8 functionId, const juce::uint8* payload, int length, juce::uint8 model);

/** Reads a number stored in count 7-bit groups from offset on, least significant group first.
    Gives 0 when the field does not lie wholly inside the data, when offset is negative or
    count below 1. Groups beyond the 32nd bit contribute nothing.
*/
juce::uint32 unpack7BitValue (const juce::uint8* data, int size, int offset, int count) noexcept;

/** The same for the bytes of a MIDI message. */
juce::uint32 unpack7BitValue (const juce::MidiMessage& message, int offset, int count) noexcept;

/** Writes value into count 7-bit groups from offset on, least significant group first, growing
    the block to offset + count bytes (zero-filled) when it is shorter. Groups beyond the 32nd
    bit are written as 0. A negative offset or a count below 1 writes nothing and returns false.
*/
bool pack7BitValue (juce::MemoryBlock& block, int offset, juce::uint32 value, int count);

/** The full path of the folder that holds the running executable. */
juce::String getApplicationDirectory();
