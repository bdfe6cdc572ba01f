#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

/*  Decoders of the messages that devices send.

    Each returns true only when the message starts F0 00 01 74 (the maker's header), holds at
    least 6 bytes and carries the decoder's function id in byte 5; otherwise, or for a null
    output, it returns false and leaves the output unchanged. Fields are read at the offsets of
    the layout chosen by the message's own model byte; a field outside the message reads as 0.
    They touch nothing shared and may run on any thread.
*/

/** A device's status reply: the function it answers and its result code (0 = success). */
struct StatusReply
{
    juce::uint8 functionId = 0;
    juce::uint8 resultCode = 0;
};

/** The firmware version a device reports. */
struct FirmwareVersionRecord
{
    juce::uint32 major = 0;
    juce::uint32 minor = 0;
    double version = 0.0; // major + minor / 100
    juce::uint8 model = 0; // byte 4 of the reply
};

/** A device's system information: four 16-bit fields; fields[2] is the user cab slot count. */
struct SystemInfoRecord
{
    juce::uint16 fields[4] = { 0, 0, 0, 0 };
};

/** The words of one received SYSEX_PATCH_DATA message, 16 bits each, little-endian. */
struct DecodedPatchData
{
    juce::int32 count = 0;
    juce::MemoryBlock words;
};

/** The values of one received SYSEX_CABIR_DATA message, 32 bits each, native order. */
struct DecodedCabIRData
{
    juce::int32 count = 0;
    juce::MemoryBlock values;
};

/** SYSEX_STATUS_MSG (0x64); needs 8 bytes or more. The echoed function id is byte 6 and the
    result code byte 7, both as raw bytes.
*/
bool decodeStatusReply (const juce::MidiMessage& message, StatusReply* out);

/** SYSEX_QUERY_VERSION (0x08). */
bool decodeVersionReply (const juce::MidiMessage& message, FirmwareVersionRecord* out);

/** SYSEX_PATCHNUM (0x14): out[0] = field 0, out[1] = field 1. */
bool decodePatchNumberReply (const juce::MidiMessage& message, juce::uint16* out);

/** SYSEX_GET_CONFIG (0x35) reply: out[0] = field 0, out[1] = field 1. */
bool decodeConfigReply (const juce::MidiMessage& message, juce::uint16* out);

/** SYSEX_GET_SYSINFO (0x47). When the message is a status reply instead, it is decoded into
    status (when not null) and the result is false.
*/
bool decodeSysInfoReply (const juce::MidiMessage& message, SystemInfoRecord* out, StatusReply* status);

/** SYSEX_MULTIMSG_START (0x32): out[0] = field 0, out[1] = field 1 (the message count). */
bool decodeMultiMsgStart (const juce::MidiMessage& message, juce::uint32* out);

/** SYSEX_EFFECT_START (0x74): out[0] = field 0, out[1] = field 1, out[2] = field 2 below
    model 16 (0 on model 16).
*/
bool decodeEffectStart (const juce::MidiMessage& message, juce::uint16* out);

/** SYSEX_SYSTEM_DATA_START: 0x61 below model 16, 0x51 on model 16. *out = field 0. */
bool decodeSystemDataStart (const juce::MidiMessage& message, juce::uint32* out);

/** SYSEX_PATCH_PLUS_CAB_DUMP (0x46): out[0] = the flags (field 0), out[1] = field 1. */
bool decodePatchPlusCabDump (const juce::MidiMessage& message, juce::uint8* out);

/** The model 16 grid start reply (0x61 answering SYSEX_GET_GRID): five fields at bytes 6-7,
    8-10, 11-13, 14-16 and 17-19; out[4] is the data length in bytes.
*/
bool decodeGridStart (const juce::MidiMessage& message, juce::uint32* out);

/** SYSEX_PATCH_START (0x77): v[0..2] = fields 0-2 of the message's model. */
bool decodePatchStartMessage (const juce::MidiMessage& message, juce::uint16* v);

/** SYSEX_PATCH_DATA (0x78). The count read from the message is bounded by what one message can
    hold (64 words below model 16, 1024 on 16) and by the whole words that the message carries;
    out->words is resized to count x 2 bytes.
*/
bool decodePatchDataMessage (const juce::MidiMessage& message, DecodedPatchData* out);

/** SYSEX_PATCH_END (0x79): *out = field 0. */
bool decodePatchEndMessage (const juce::MidiMessage& message, juce::uint32* out);

/** SYSEX_CABIR_START (0x7A): v[0] = the cab slot, v[1] = the word count. */
bool decodeCabIRStartMessage (const juce::MidiMessage& message, juce::uint32* v);

/** SYSEX_CABIR_DATA (0x7B). The count read from the message is bounded by what one message can
    hold (32 values below model 16, 256 on 16) and by the whole values that the message carries;
    out->values is resized to count x 4 bytes.
*/
bool decodeCabIRDataMessage (const juce::MidiMessage& message, DecodedCabIRData* out);

/** SYSEX_CABIR_END (0x7C): *out = field 0. */
bool decodeCabIREndMessage (const juce::MidiMessage& message, juce::uint32* out);
