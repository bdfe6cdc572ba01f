#include "SysExBuilders.h"

#include "ModelValues.h"
#include "SysExFieldLayout.h"
#include "SysExMessage.h"
#include "SysExRequest.h"

namespace
{
constexpr int payloadStart = 6;

/** Collects the payload of one message by its layout: each field is packed at its offset
        from the start of the payload, the whole payload is layoutSize bytes of zeros first.
    */
class PayloadWriter
{
public:
    explicit PayloadWriter (const SysExField* layoutToUse)
        : layout (layoutToUse)
        , payload ((size_t) layoutSize (layoutToUse), true)
    {
    }

    void setField (juce::int32 fieldId, juce::uint32 value)
    {
        const auto offset = fieldOffset (layout, fieldId);
        const auto length = fieldLength (layout, fieldId);

        if (offset >= payloadStart && length > 0)
            pack7BitValue (payload, offset - payloadStart, value, length);
    }

    /** Packs value into length bytes at a payload offset of its own (the words of a data
            message inside its data field).
        */
    void setAt (int payloadOffset, juce::uint32 value, int length)
    {
        pack7BitValue (payload, payloadOffset, value, length);
    }

    void build (juce::MidiMessage& out, juce::uint8 functionId, juce::uint8 model) const
    {
        buildSysExMessage (out, functionId, static_cast<const juce::uint8*> (payload.getData()), (int) payload.getSize(), model);
    }

private:
    const SysExField* layout;
    juce::MemoryBlock payload;
};

juce::uint8 modelNow() noexcept
{
    return currentDeviceModel.load();
}

void finishRequest (SysExRequest& request, const PayloadWriter& writer, juce::uint8 functionId, juce::uint8 model, juce::int32 expectedReplies)
{
    juce::MidiMessage message;
    writer.build (message, functionId, model);
    request.setMessage (message);
    request.setExpectedReplies (expectedReplies);
}

/** A message whose payload is the one field of its layout; false without a message or value. */
template <typename Value>
bool buildOneFieldMessage (juce::MidiMessage* message, const Value* value, const SysExField* layout, juce::uint8 functionId)
{
    if (message == nullptr || value == nullptr)
        return false;

    PayloadWriter writer (layout);
    writer.setField (0, (juce::uint32) *value);
    writer.build (*message, functionId, modelNow());
    return true;
}

/** A data message: the count in field 0, then each word in bytesPerWord 7-bit bytes inside
    field 1. False when the words do not fit the field.
*/
template <typename Word>
bool buildWordsMessage (juce::MidiMessage& message, const SysExField* layout, juce::uint8 functionId, juce::uint8 model,
                        const Word* words, juce::uint32 count, int bytesPerWord)
{
    const auto dataOffset = fieldOffset (layout, 1) - payloadStart;
    const auto capacity = (juce::uint32) (fieldLength (layout, 1) / bytesPerWord);

    if (count > capacity)
        return false;

    PayloadWriter writer (layout);
    writer.setField (0, count);

    for (int i = 0; i < (int) count; ++i)
        writer.setAt (dataOffset + bytesPerWord * i, words[i], bytesPerWord);

    writer.build (message, functionId, model);
    return true;
}

/** The cab number in the first field, or in the first two (high and low 7 bits) on the models
    that take a two-byte number. Returns the next field.
*/
juce::int32 setCabNumber (PayloadWriter& writer, juce::uint8 model, juce::uint32 cab)
{
    if (! SysExFieldLayout::hasTwoByteCabNumber (model))
    {
        writer.setField (0, cab);
        return 1;
    }

    writer.setField (0, (cab >> 7) & 0x7F);
    writer.setField (1, cab & 0x7F);
    return 2;
}
} // namespace

bool buildPatchDumpRequest (SysExRequest* request, const juce::uint32* n)
{
    if (request == nullptr || n == nullptr)
        return false;

    const auto model = modelNow();
    const auto* layout = SysExFieldLayout::forPatchDumpRequest (model);
    PayloadWriter writer (layout);
    writer.setField (0, n[0]);
    writer.setField (1, n[1]);

    if (SysExFieldLayout::isNewGeneration (model))
        writer.setField (2, n[2]);

    finishRequest (*request, writer, 0x03, model, replySizeForModel (model));
    return true;
}

bool buildCabDumpRequest (SysExRequest* request, const juce::uint32* cab)
{
    if (request == nullptr || cab == nullptr)
        return false;

    const auto model = modelNow();
    PayloadWriter writer (SysExFieldLayout::forCabDumpRequest (model));
    setCabNumber (writer, model, *cab);
    finishRequest (*request, writer, 0x19, model, SysExFieldLayout::isNewGeneration (model) ? 10 : 66);
    return true;
}

bool buildBankDumpRequest (SysExRequest* request, const juce::uint32* bank)
{
    if (request == nullptr || bank == nullptr)
        return false;

    const auto model = modelNow();
    const bool allBanks = (*bank == 127);
    juce::int32 expected = 0;

    switch (model)
    {
        case 3:
            expected = 34 * 128;
            break;
        case 5:
        case 10:
            expected = 34 * (allBanks ? 128 : 8);
            break;
        case 6:
        case 7:
            expected = 66 * 128;
            break;
        case 8:
            expected = 66 * (allBanks ? 512 : 8);
            break;
        case 16:
            expected = 18 * 128;
            break;
        default:
            break;
    }

    PayloadWriter writer (SysExFieldLayout::bankDumpRequest);
    writer.setField (0, *bank);
    finishRequest (*request, writer, 0x1C, model, expected);
    return true;
}

bool buildCabBankDumpRequest (SysExRequest* request, const juce::uint8* bank)
{
    if (request == nullptr || bank == nullptr)
        return false;

    const auto model = modelNow();
    juce::int32 expected = 0;

    if (model == 3 || model == 6 || model == 7)
        expected = 66 * 128;
    else if (model == 8)
        expected = 66 * (*bank == 127 ? 512 : 128);

    PayloadWriter writer (SysExFieldLayout::cabBankDumpRequest);
    writer.setField (0, *bank);
    finishRequest (*request, writer, 0x44, model, expected);
    return true;
}

bool buildGetAllParamsRequest (SysExRequest* request, const juce::uint16* n)
{
    if (request == nullptr || n == nullptr)
        return false;

    PayloadWriter writer (SysExFieldLayout::getAllParamsRequest);
    writer.setField (0, *n);
    finishRequest (*request, writer, 0x1F, modelNow(), 3);
    return true;
}

bool buildGetConfigRequest (juce::MidiMessage* message, const juce::uint16* n)
{
    return buildOneFieldMessage (message, n, SysExFieldLayout::getConfigRequest, 0x35);
}

bool buildRecallPatchRequest (juce::MidiMessage* message, const juce::uint8* n)
{
    if (message == nullptr || n == nullptr)
        return false;

    PayloadWriter writer (SysExFieldLayout::recallPatchRequest);
    writer.setField (0, n[0]);
    writer.setField (1, n[1]);
    writer.build (*message, 0x3C, modelNow());
    return true;
}

bool buildMuteRequest (juce::MidiMessage* message, const juce::uint8* on)
{
    return buildOneFieldMessage (message, on, SysExFieldLayout::muteRequest, 0x3E);
}

bool buildDumpSystemRequest (juce::MidiMessage* message)
{
    if (message == nullptr)
        return false;

    buildSysExMessage (*message, 0x43, nullptr, 0, modelNow());
    return true;
}

bool buildPatchStartMessage (juce::MidiMessage* message, const juce::uint16* v)
{
    if (message == nullptr || v == nullptr)
        return false;

    const auto model = modelNow();
    PayloadWriter writer (SysExFieldLayout::forPatchStart (model));
    writer.setField (0, v[0]);
    writer.setField (1, v[1]);
    writer.setField (2, v[2]);
    writer.build (*message, 0x77, model);
    return true;
}

bool buildPatchDataMessage (juce::MidiMessage* message, const PatchDataFields* fields)
{
    if (message == nullptr || fields == nullptr || (fields->count > 0 && fields->words == nullptr))
        return false;

    const auto model = modelNow();
    return buildWordsMessage (*message, SysExFieldLayout::forPatchData (model), 0x78, model, fields->words, fields->count, 3);
}

bool buildPatchEndMessage (juce::MidiMessage* message, const juce::uint32* v)
{
    return buildOneFieldMessage (message, v, SysExFieldLayout::patchEnd, 0x79);
}

bool buildCabIRStartMessage (juce::MidiMessage* message, const juce::uint32* v)
{
    if (message == nullptr || v == nullptr)
        return false;

    const auto model = modelNow();
    PayloadWriter writer (SysExFieldLayout::forCabIRStart (model));
    writer.setField (setCabNumber (writer, model, v[0]), v[1]);
    writer.build (*message, 0x7A, model);
    return true;
}

bool buildCabIRDataMessage (juce::MidiMessage* message, const CabIRDataFields* fields)
{
    if (message == nullptr || fields == nullptr || (fields->count > 0 && fields->values == nullptr))
        return false;

    const auto model = modelNow();
    return buildWordsMessage (*message, SysExFieldLayout::forCabIRData (model), 0x7B, model, fields->values, fields->count, 5);
}

bool buildCabIREndMessage (juce::MidiMessage* message, const juce::uint32* v)
{
    return buildOneFieldMessage (message, v, SysExFieldLayout::cabIREnd, 0x7C);
}
