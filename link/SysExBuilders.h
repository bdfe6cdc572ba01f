#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

class SysExRequest;

/*  Builders of the messages and requests that Morvane sends to a device.

    Every builder writes currentDeviceModel into byte 4 and chooses its layout by it. They are
    called on the message thread (and on the send thread for its lead-in message).

    Request builders replace the request's message and set its expected reply count; they
    return false, changing nothing, when the request or the argument is null.
    Message builders fill a MidiMessage and return false for a null argument.
*/

/** SYSEX_PATCH_DUMP (0x03): byte 6 = n[0], byte 7 = n[1], and from model 16 byte 8 = n[2]
    (callers pass preset / 128, preset % 128 and 1). Expects replySizeForModel() replies.
*/
bool buildPatchDumpRequest (SysExRequest* request, const juce::uint32* n);

/** SYSEX_CAB_DUMP (0x19) for one cab: models 6, 7, 8 carry the cab high part first, model 16
    low part first in two bytes, other models in one byte. Expects 10 replies on model 16,
    else 66.
*/
bool buildCabDumpRequest (SysExRequest* request, const juce::uint32* cab);

/** SYSEX_BANK_DUMP (0x1C) of one bank (127 = all banks on models 5, 8, 10). The expected reply
    count depends on the model; 0 for a model that has no banks.
*/
bool buildBankDumpRequest (SysExRequest* request, const juce::uint32* bank);

/** SYSEX_CAB_BANK_DUMP (0x44). Expects 8448 replies on models 3, 6, 7; on model 8 33792 for
    bank 127 and 8448 otherwise; 0 on any other model.
*/
bool buildCabBankDumpRequest (SysExRequest* request, const juce::uint8* bank);

/** SYSEX_GET_ALL_PARAMS (0x1F) with n in two 7-bit bytes. Expects 3 replies until the device's
    start reply corrects the count.
*/
bool buildGetAllParamsRequest (SysExRequest* request, const juce::uint16* n);

/** SYSEX_GET_CONFIG (0x35) with n in two 7-bit bytes. */
bool buildGetConfigRequest (juce::MidiMessage* message, const juce::uint16* n);

/** SYSEX_RECALL_PATCH (0x3C): byte 6 = n[0], byte 7 = n[1]. */
bool buildRecallPatchRequest (juce::MidiMessage* message, const juce::uint8* n);

/** SYSEX_MUTE (0x3E) with one byte (0 mutes, 1 unmutes). */
bool buildMuteRequest (juce::MidiMessage* message, const juce::uint8* on);

/** SYSEX_DUMP_SYSTEM (0x43) without payload. */
bool buildDumpSystemRequest (juce::MidiMessage* message);

/** SYSEX_PATCH_START (0x77) with the three fields of the model's layout. */
bool buildPatchStartMessage (juce::MidiMessage* message, const juce::uint16* v);

/** The words of one SYSEX_PATCH_DATA message. */
struct PatchDataFields
{
    juce::uint16 count = 0;
    const juce::uint16* words = nullptr;
};

/** SYSEX_PATCH_DATA (0x78): the count, then each word in three 7-bit bytes; the payload always
    has the layout's full size (194 bytes below model 16, 3074 on 16). Returns false also when
    the count exceeds what one message holds (64 words below model 16, 1024 on 16) or when words
    is null with a count above 0.
*/
bool buildPatchDataMessage (juce::MidiMessage* message, const PatchDataFields* fields);

/** SYSEX_PATCH_END (0x79) with v in three 7-bit bytes. */
bool buildPatchEndMessage (juce::MidiMessage* message, const juce::uint32* v);

/** SYSEX_CABIR_START (0x7A) with the cab slot v[0] and the word count v[1], by the model's
    layout (models 6, 7, 8: slot high part first).
*/
bool buildCabIRStartMessage (juce::MidiMessage* message, const juce::uint32* v);

/** The values of one SYSEX_CABIR_DATA message. */
struct CabIRDataFields
{
    juce::uint32 count = 0;
    const juce::uint32* values = nullptr;
};

/** SYSEX_CABIR_DATA (0x7B): the count, then each value in five 7-bit bytes; full layout size
    (162 bytes below model 16, 1282 on 16). Returns false also when the count exceeds what one
    message holds (32 values below model 16, 256 on 16) or when values is null with a count
    above 0.
*/
bool buildCabIRDataMessage (juce::MidiMessage* message, const CabIRDataFields* fields);

/** SYSEX_CABIR_END (0x7C) with v in five 7-bit bytes. */
bool buildCabIREndMessage (juce::MidiMessage* message, const juce::uint32* v);
