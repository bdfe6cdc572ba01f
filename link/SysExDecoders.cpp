#include "SysExDecoders.h"

#include "SysExFieldLayout.h"
#include "SysExMessage.h"

namespace
{
/** True when the message is the maker's SysEx with the function id in byte 5. */
bool carriesFunction (const juce::MidiMessage& message, juce::uint8 functionId)
{
    const auto* data = message.getRawData();
    const auto size = message.getRawDataSize();
    return isZandrelSysEx (data, size) && data[5] == functionId;
}

juce::uint8 modelOf (const juce::MidiMessage& message)
{
    return message.getRawData()[4];
}

juce::uint32 readField (const juce::MidiMessage& message, const SysExField* layout, juce::int32 fieldId)
{
    return unpack7BitValue (message, fieldOffset (layout, fieldId), fieldLength (layout, fieldId));
}

/** Reads the first count fields of the layout into out, when the message carries the function. */
template <typename Value>
bool readFields (const juce::MidiMessage& message, juce::uint8 functionId, const SysExField* layout, Value* out, int count)
{
    if (out == nullptr || ! carriesFunction (message, functionId))
        return false;

    for (int i = 0; i < count; ++i)
        out[i] = (Value) readField (message, layout, i);

    return true;
}

/** How many items of itemSize bytes one data message may carry: no more than its layout's
        data field holds, and no more than lie whole between that field's start and the
        checksum byte.
    */
int boundedItemCount (const juce::MidiMessage& message, const SysExField* layout, juce::uint32 announced, int itemSize)
{
    const auto dataOffset = fieldOffset (layout, 1);
    const auto layoutCapacity = fieldLength (layout, 1) / itemSize;
    const auto available = juce::jmax (0, message.getRawDataSize() - 2 - dataOffset) / itemSize;
    return (int) juce::jmin ((juce::int64) announced, (juce::int64) layoutCapacity, (juce::int64) available);
}
} // namespace

bool decodeStatusReply (const juce::MidiMessage& message, StatusReply* out)
{
    if (out == nullptr || ! carriesFunction (message, 0x64) || message.getRawDataSize() < 8)
        return false;

    const auto* data = message.getRawData();
    out->functionId = data[6];
    out->resultCode = data[7];
    return true;
}

bool decodeVersionReply (const juce::MidiMessage& message, FirmwareVersionRecord* out)
{
    if (out == nullptr || ! carriesFunction (message, 0x08))
        return false;

    const auto* layout = SysExFieldLayout::versionReply;
    out->major = readField (message, layout, 0);
    out->minor = readField (message, layout, 1);
    out->version = (double) out->major + (double) out->minor / 100.0;
    out->model = modelOf (message);
    return true;
}

bool decodePatchNumberReply (const juce::MidiMessage& message, juce::uint16* out)
{
    return readFields (message, 0x14, SysExFieldLayout::patchNumberReply, out, 2);
}

bool decodeConfigReply (const juce::MidiMessage& message, juce::uint16* out)
{
    return readFields (message, 0x35, SysExFieldLayout::getConfigReply, out, 2);
}

bool decodeSysInfoReply (const juce::MidiMessage& message, SystemInfoRecord* out, StatusReply* status)
{
    if (status != nullptr && carriesFunction (message, 0x64))
    {
        decodeStatusReply (message, status);
        return false;
    }

    if (out == nullptr || ! carriesFunction (message, 0x47))
        return false;

    const auto* layout = SysExFieldLayout::sysInfoReply;
    out->fields[0] = (juce::uint16) (readField (message, layout, 0) & 0xFF);
    out->fields[1] = (juce::uint16) readField (message, layout, 1);
    out->fields[2] = (juce::uint16) readField (message, layout, 2);
    out->fields[3] = (juce::uint16) readField (message, layout, 3);
    return true;
}

bool decodeMultiMsgStart (const juce::MidiMessage& message, juce::uint32* out)
{
    return readFields (message, 0x32, SysExFieldLayout::multiMsgStart, out, 2);
}

bool decodeEffectStart (const juce::MidiMessage& message, juce::uint16* out)
{
    if (out == nullptr || ! carriesFunction (message, 0x74))
        return false;

    const auto model = modelOf (message);
    const auto* layout = SysExFieldLayout::forEffectStart (model);
    out[0] = (juce::uint16) readField (message, layout, 0);
    out[1] = (juce::uint16) readField (message, layout, 1);
    out[2] = SysExFieldLayout::isNewGeneration (model) ? 0 : (juce::uint16) readField (message, layout, 2);
    return true;
}

bool decodeSystemDataStart (const juce::MidiMessage& message, juce::uint32* out)
{
    if (out == nullptr || message.getRawDataSize() < 6)
        return false;

    const auto functionId = SysExFieldLayout::isNewGeneration (modelOf (message)) ? 0x51 : 0x61;

    if (! carriesFunction (message, (juce::uint8) functionId))
        return false;

    *out = readField (message, SysExFieldLayout::systemDataStart, 0);
    return true;
}

bool decodePatchPlusCabDump (const juce::MidiMessage& message, juce::uint8* out)
{
    return readFields (message, 0x46, SysExFieldLayout::patchPlusCabDump, out, 2);
}

bool decodeGridStart (const juce::MidiMessage& message, juce::uint32* out)
{
    if (out == nullptr || ! carriesFunction (message, 0x61))
        return false;

    out[0] = unpack7BitValue (message, 6, 2);
    out[1] = unpack7BitValue (message, 8, 3);
    out[2] = unpack7BitValue (message, 11, 3);
    out[3] = unpack7BitValue (message, 14, 3);
    out[4] = unpack7BitValue (message, 17, 3);
    return true;
}

bool decodePatchStartMessage (const juce::MidiMessage& message, juce::uint16* v)
{
    if (v == nullptr || ! carriesFunction (message, 0x77))
        return false;

    const auto* layout = SysExFieldLayout::forPatchStart (modelOf (message));
    v[0] = (juce::uint16) readField (message, layout, 0);
    v[1] = (juce::uint16) readField (message, layout, 1);
    v[2] = (juce::uint16) readField (message, layout, 2);
    return true;
}

bool decodePatchDataMessage (const juce::MidiMessage& message, DecodedPatchData* out)
{
    if (out == nullptr || ! carriesFunction (message, 0x78))
        return false;

    const auto* layout = SysExFieldLayout::forPatchData (modelOf (message));
    const auto dataOffset = fieldOffset (layout, 1);
    const auto count = boundedItemCount (message, layout, readField (message, layout, 0), 3);

    out->count = count;
    out->words.setSize ((size_t) count * 2, true);
    auto* words = static_cast<juce::uint8*> (out->words.getData());

    for (int i = 0; i < count; ++i)
    {
        const auto word = (juce::uint16) unpack7BitValue (message, dataOffset + 3 * i, 3);
        words[2 * i] = (juce::uint8) (word & 0xFF);
        words[2 * i + 1] = (juce::uint8) (word >> 8);
    }

    return true;
}

bool decodePatchEndMessage (const juce::MidiMessage& message, juce::uint32* out)
{
    if (out == nullptr || ! carriesFunction (message, 0x79))
        return false;

    *out = readField (message, SysExFieldLayout::patchEnd, 0);
    return true;
}

bool decodeCabIRStartMessage (const juce::MidiMessage& message, juce::uint32* v)
{
    if (v == nullptr || ! carriesFunction (message, 0x7A))
        return false;

    const auto model = modelOf (message);
    const auto* layout = SysExFieldLayout::forCabIRStart (model);

    if (SysExFieldLayout::hasTwoByteCabNumber (model))
    {
        v[0] = (readField (message, layout, 1) & 0x7F) | ((readField (message, layout, 0) & 0xFF) << 7);
        v[1] = readField (message, layout, 2);
    }
    else
    {
        v[0] = readField (message, layout, 0);
        v[1] = readField (message, layout, 1);
    }

    return true;
}

bool decodeCabIRDataMessage (const juce::MidiMessage& message, DecodedCabIRData* out)
{
    if (out == nullptr || ! carriesFunction (message, 0x7B))
        return false;

    const auto* layout = SysExFieldLayout::forCabIRData (modelOf (message));
    const auto dataOffset = fieldOffset (layout, 1);
    const auto count = boundedItemCount (message, layout, readField (message, layout, 0), 5);

    out->count = count;
    out->values.setSize ((size_t) count * sizeof (juce::uint32), true);
    auto* values = static_cast<juce::uint32*> (out->values.getData());

    for (int i = 0; i < count; ++i)
        values[i] = unpack7BitValue (message, dataOffset + 5 * i, 5);

    return true;
}

bool decodeCabIREndMessage (const juce::MidiMessage& message, juce::uint32* out)
{
    if (out == nullptr || ! carriesFunction (message, 0x7C))
        return false;

    *out = readField (message, SysExFieldLayout::cabIREnd, 0);
    return true;
}
