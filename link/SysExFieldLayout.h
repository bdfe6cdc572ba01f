#pragma once

#include <juce_core/juce_core.h>

/** One row of a message layout: a field id, the field's byte offset counted from the F0 byte,
    and its length in bytes. A layout is a constant array of rows ended by {-1, -1, -1}.
*/
struct SysExField
{
    juce::int32 id;
    juce::int32 offset;
    juce::int32 length;
};

/** The per-message field layouts that every encoder and decoder of device messages reads.
    Where a message differs between models, a selector returns the layout for a model byte:
    builders pass currentDeviceModel, decoders the message's own byte 4.
*/
namespace SysExFieldLayout
{
extern const SysExField statusReply[]; // 0x64
extern const SysExField versionReply[]; // 0x08
extern const SysExField patchNumberReply[]; // 0x14
extern const SysExField patchDumpRequest[]; // 0x03, models below 16
extern const SysExField patchDumpRequest16[]; // 0x03, model 16
extern const SysExField cabDumpRequestXL[]; // 0x19, models 6, 7, 8
extern const SysExField cabDumpRequest16[]; // 0x19, model 16
extern const SysExField cabDumpRequest[]; // 0x19, other models
extern const SysExField bankDumpRequest[]; // 0x1C
extern const SysExField cabBankDumpRequest[]; // 0x44
extern const SysExField getAllParamsRequest[]; // 0x1F
extern const SysExField getConfigRequest[]; // 0x35
extern const SysExField getConfigReply[]; // 0x35
extern const SysExField recallPatchRequest[]; // 0x3C
extern const SysExField muteRequest[]; // 0x3E
extern const SysExField sysInfoReply[]; // 0x47
extern const SysExField multiMsgStart[]; // 0x32
extern const SysExField effectStart[]; // 0x74, models below 16
extern const SysExField effectStart16[]; // 0x74, model 16
extern const SysExField systemDataStart[]; // 0x61 (0x51 on model 16)
extern const SysExField patchPlusCabDump[]; // 0x46
extern const SysExField patchStart[]; // 0x77, models below 16
extern const SysExField patchStart16[]; // 0x77, model 16
extern const SysExField patchData[]; // 0x78, models below 16
extern const SysExField patchData16[]; // 0x78, model 16
extern const SysExField patchEnd[]; // 0x79
extern const SysExField cabIRStartXL[]; // 0x7A, models 6, 7, 8
extern const SysExField cabIRStart16[]; // 0x7A, model 16
extern const SysExField cabIRStart[]; // 0x7A, other models
extern const SysExField cabIRData[]; // 0x7B, models below 16
extern const SysExField cabIRData16[]; // 0x7B, model 16
extern const SysExField cabIREnd[]; // 0x7C

/** True for the models whose layouts are those of the Orvix III generation (16 and above). */
bool isNewGeneration (juce::uint8 model) noexcept;

/** True for models 6, 7 and 8, whose cab numbers travel high part first. */
bool hasTwoByteCabNumber (juce::uint8 model) noexcept;

const SysExField* forPatchDumpRequest (juce::uint8 model) noexcept;
const SysExField* forCabDumpRequest (juce::uint8 model) noexcept;
const SysExField* forEffectStart (juce::uint8 model) noexcept;
const SysExField* forPatchStart (juce::uint8 model) noexcept;
const SysExField* forPatchData (juce::uint8 model) noexcept;
const SysExField* forCabIRStart (juce::uint8 model) noexcept;
const SysExField* forCabIRData (juce::uint8 model) noexcept;
} // namespace SysExFieldLayout

/** The offset of the first row with that field id; -1 when the layout is null, empty or has
    no such row.
*/
juce::int32 fieldOffset (const SysExField* layout, juce::int32 fieldId) noexcept;

/** The length of the first row with that field id; -1 when the layout is null, empty or has
    no such row.
*/
juce::int32 fieldLength (const SysExField* layout, juce::int32 fieldId) noexcept;

/** The sum of all lengths of the layout (the payload size of a message built with it);
    0 for a null or empty layout.
*/
juce::int32 layoutSize (const SysExField* layout) noexcept;
