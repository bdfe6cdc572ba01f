#include "SysExPayload.h"

#include "SysExMessage.h"

juce::MemoryBlock makeLayoutPayload (const SysExField* layout)
{
    return juce::MemoryBlock ((size_t) juce::jmax (0, layoutSize (layout)), true);
}

bool packLayoutField (juce::MemoryBlock& payload, const SysExField* layout, int fieldId, juce::uint32 value)
{
    const auto offset = fieldOffset (layout, fieldId);
    const auto length = fieldLength (layout, fieldId);

    if (offset < 6 || length < 1)
        return false;

    return pack7BitValue (payload, offset - 6, value, length);
}

void appendSysExMessage (juce::MemoryBlock& out, juce::uint8 functionId, const juce::MemoryBlock& payload,
                         juce::uint8 model)
{
    juce::MidiMessage message;
    buildSysExMessage (message, functionId, static_cast<const juce::uint8*> (payload.getData()),
                       (int) payload.getSize(), model);
    out.append (message.getRawData(), (size_t) message.getRawDataSize());
}
