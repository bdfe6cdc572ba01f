#include "CabIR.h"

#include "ModelRules.h"
#include "PresetConverter.h"
#include "SysExFieldLayout.h"
#include "SysExMessage.h"
#include "SysExPayload.h"
#include "SysExStream.h"

#include <cstring>
#include <vector>

namespace
{
constexpr juce::uint8 cabStartFunction = 0x7A;
constexpr juce::uint8 cabDataFunction = 0x7B;
constexpr juce::uint8 cabEndFunction = 0x7C;

constexpr juce::uint32 orvixIISlotLimit = 0x7F;    // a 7-bit slot field
constexpr juce::uint32 otherSlotLimit = 0x3FFF;    // a 14-bit slot field

bool canTakeCabs (juce::uint8 model) noexcept
{
    return model == 3 || model == 6 || model == 7 || model == 8 || model == 16;
}




bool buildCabDump (juce::uint8 model, juce::uint32 slot, const CabIRWords& words, juce::MemoryBlock& dump)
{
    const auto* startLayout = SysExFieldLayout::forCabIRStart (model);
    auto start = makeLayoutPayload (startLayout);

    if (SysExFieldLayout::hasTwoByteCabNumber (model))
    {
        // The slot travels high part first: slot / 128, then slot % 128.
        if (! packLayoutField (start, startLayout, 0, (slot >> 7) & 0x7F)
            || ! packLayoutField (start, startLayout, 1, slot & 0x7F)
            || ! packLayoutField (start, startLayout, 2, (juce::uint32) cabIRWordCount))
            return false;
    }
    else if (! packLayoutField (start, startLayout, 0, slot)
             || ! packLayoutField (start, startLayout, 1, (juce::uint32) cabIRWordCount))
    {
        return false;
    }

    appendSysExMessage (dump, cabStartFunction, start, model);

    const auto* dataLayout = SysExFieldLayout::forCabIRData (model);
    const auto valuesOffset = fieldOffset (dataLayout, 1) - 6;
    const auto perMessage = (size_t) juce::jmax (0, fieldLength (dataLayout, 1) / 5);

    if (perMessage == 0 || valuesOffset < 0)
        return false;

    for (size_t first = 0; first < words.size(); first += perMessage)
    {
        const auto count = juce::jmin (perMessage, words.size() - first);
        auto data = makeLayoutPayload (dataLayout);

        if (! packLayoutField (data, dataLayout, 0, (juce::uint32) count))
            return false;

        for (size_t i = 0; i < count; ++i)
            pack7BitValue (data, valuesOffset + (int) (5 * i), words[first + i], 5);

        appendSysExMessage (dump, cabDataFunction, data, model);
    }

    auto end = makeLayoutPayload (SysExFieldLayout::cabIREnd);

    if (! packLayoutField (end, SysExFieldLayout::cabIREnd, 0, xorWords32 (words.data(), (juce::uint32) words.size())))
        return false;

    appendSysExMessage (dump, cabEndFunction, end, model);
    return true;
}
} // namespace

//==============================================================================
bool parseCabIR (const juce::MemoryBlock& dump, CabIRWords& words)
{
    words.fill (0);

    if (dump.isEmpty())
        return false;

    const auto* data = static_cast<const juce::uint8*> (dump.getData());
    const juce::uint8 model = dump.getSize() >= 6 ? data[4] : 0;

    SysExStream stream;

    if (! stream.load (data, (juce::uint32) dump.getSize(), model))
        return false;

    std::vector<juce::uint32> received;
    received.reserve ((size_t) cabIRWordCount);
    juce::uint32 expectedCount = 0;
    bool seenStart = false, seenEnd = false;

    for (;;)
    {
        juce::MemoryBlock block;

        if (! stream.next (block))
            break;

        const auto* bytes = static_cast<const juce::uint8*> (block.getData());
        const auto size = (int) block.getSize();

        if (size < 6 || ! hasValidSysExChecksum (bytes, size))
            return false;

        const juce::MidiMessage message (bytes, size);

        if (bytes[5] == cabStartFunction && ! seenStart)
        {
            seenStart = true;
            juce::uint32 fields[2] = {};

            if (! decodeCabIRStartMessage (message, fields))
                return false;

            expectedCount = fields[1];
        }
        else if (bytes[5] == cabDataFunction)
        {
            DecodedCabIRData decoded;

            if (! decodeCabIRDataMessage (message, &decoded) || decoded.count < 0
                || decoded.values.getSize() != (size_t) decoded.count * 4)
                return false;

            // An impulse response holds 2048 words; a dump that carries more is not one.
            if (received.size() + (size_t) decoded.count > (size_t) cabIRWordCount)
                return false;

            for (int i = 0; i < decoded.count; ++i)
            {
                juce::uint32 value = 0;
                std::memcpy (&value, static_cast<const char*> (decoded.values.getData()) + 4 * i, sizeof (value));
                received.push_back (value);
            }
        }
        else if (bytes[5] == cabEndFunction && ! seenEnd)
        {
            seenEnd = true;
            juce::uint32 checksum = 0;

            if (! decodeCabIREndMessage (message, &checksum))
                return false;

            if (received.size() != expectedCount
                || xorWords32 (received.data(), (juce::uint32) received.size()) != checksum)
                return false;
        }
        else
        {
            return false;
        }
    }

    if (received.empty())
        return false;

    std::copy (received.begin(), received.end(), words.begin());
    return true;
}

bool parseCabIR (const juce::MemoryBlock& dump, juce::uint32* words)
{
    if (words == nullptr)
        return false;

    CabIRWords parsed;
    const bool ok = parseCabIR (dump, parsed);
    std::copy (parsed.begin(), parsed.end(), words);
    return ok;
}

bool readCabIRName (const juce::MemoryBlock& dump, juce::String& name)
{
    CabIRWords words;

    if (! parseCabIR (dump, words))
        return false;

    juce::String text;

    for (int i = 0; i < 31; ++i)
    {
        const auto character = (juce::uint8) ((words[(size_t) (i / 4)] >> (8 * (i % 4))) & 0xFF);

        if (character == 0)
            break;

        text += juce::String::charToString ((juce::juce_wchar) character);
    }

    name = text.trim();
    return true;
}

//==============================================================================
bool cabSlotForDestination (juce::uint8 targetModel, juce::uint32 mode, juce::uint32 n,
                            juce::uint32 base, juce::uint32& slot) noexcept
{
    if (! canTakeCabs (targetModel))
        return false;

    const auto limit = targetModel == 3 ? orvixIISlotLimit : otherSlotLimit;
    juce::uint64 wanted = 0;

    switch (mode)
    {
        case (juce::uint32) CabDestinationMode::currentSlot:
            wanted = limit;
            break;

        case (juce::uint32) CabDestinationMode::scratchpad:
            wanted = (juce::uint64) n + base;
            break;

        case (juce::uint32) CabDestinationMode::userLocation:
            wanted = targetModel == 16 ? (juce::uint64) n + 2048 : (juce::uint64) n;
            break;

        default:
            return false;
    }

    if (wanted > limit)
        return false;

    slot = (juce::uint32) wanted;
    return true;
}

bool convertCabIR (const juce::MemoryBlock& dump, juce::uint32 mode, juce::uint32 n,
                   const FirmwareVersionRecord& target, const SystemInfoRecord* systemInfo,
                   juce::MemoryBlock& result)
{
    result.reset();
    const auto model = target.model;

    juce::uint32 base = 0;

    if (model == 16)
        base = systemInfo != nullptr ? (juce::uint32) systemInfo->fields[1] + systemInfo->fields[2] : 4096;
    else
        base = userCabCount (target, systemInfo);

    juce::uint32 slot = 0;

    if (! cabSlotForDestination (model, mode, n, base, slot))
        return false;

    CabIRWords words;

    if (! parseCabIR (dump, words))
        return false;

    juce::MemoryBlock built;

    if (! buildCabDump (model, slot, words, built))
        return false;

    result = std::move (built);
    return true;
}
