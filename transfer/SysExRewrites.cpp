#include "SysExRewrites.h"

#include "SysExHeaderSearch.h"
#include "PresetConverter.h"
#include "SysExBlocks.h"
#include "SysExMessage.h"

namespace
{
constexpr juce::uint8 patchStartFunction = 0x77;

/** True when a whole PATCH_START of the model, headLength bytes ending in F7, lies at offset. */
bool isWholePatchStart (const juce::uint8* bytes, size_t size, size_t offset, juce::uint8 model, int headLength)
{
    if (offset + (size_t) headLength > size)
        return false;

    const auto* message = bytes + offset;
    return isZandrelSysEx (message, headLength) && message[4] == model && message[5] == patchStartFunction
        && message[headLength - 1] == 0xF7;
}
} // namespace

int SysExRewrites::patchStartLength (juce::uint8 model) noexcept
{
    return model >= 16 ? 13 : 12;
}

bool SysExRewrites::setSingleDestination (juce::MemoryBlock& data, int slot)
{
    if (data.getSize() < 6)
        return false;

    const auto model = static_cast<const juce::uint8*> (data.getData())[4];
    const int length = patchStartLength (model);

    if (! isWholePatchStart (static_cast<const juce::uint8*> (data.getData()), data.getSize(), 0, model, length))
        return false;

    auto* bytes = static_cast<juce::uint8*> (data.getData());
    bytes[6] = (juce::uint8) (slot & 0x7F);
    bytes[length - 2] = computeSysExChecksum (bytes, length - 2);
    return true;
}

bool SysExRewrites::rewritePatchStarts (juce::MemoryBlock& data, juce::uint8 model, int headLength,
                                        const std::function<void (juce::uint8*, int)>& rewrite)
{
    const auto size = data.getSize();

    if (size == 0 || static_cast<const juce::uint8*> (data.getData())[0] != 0xF0)
        return false;

    // Check every message before changing any, so that a refused file stays as it was.
    const std::uint8_t pattern[6] = { 0xF0, 0x00, 0x01, 0x74, model, patchStartFunction };
    juce::Array<size_t> starts;

    for (size_t position = 0; position < size;)
    {
        const auto* bytes = static_cast<const juce::uint8*> (data.getData());

        if (bytes[position] != 0xF0)
            break;

        if (! isWholePatchStart (bytes, size, position, model, headLength))
            return false;

        starts.add (position);
        const auto from = position + (size_t) headLength;
        const int next = from < size ? SysExHeaderSearch::findSysExHeader (bytes + from, (int) (size - from), pattern) : -1;

        if (next < 0)
            break;

        position = from + (size_t) next;
    }

    auto* bytes = static_cast<juce::uint8*> (data.getData());

    for (int i = 0; i < starts.size(); ++i)
    {
        auto* message = bytes + starts[i];
        rewrite (message, i);
        message[headLength - 2] = computeSysExChecksum (message, headLength - 2);
    }

    return true;
}

bool SysExRewrites::retargetBankFile (juce::MemoryBlock& data, juce::uint8 bank, juce::uint8 model)
{
    return rewritePatchStarts (data, model, patchStartLength (model), [bank] (juce::uint8* message, int)
    {
        message[6] = (juce::uint8) (bank & 0x7F);
    });
}

bool SysExRewrites::retargetBankFile2 (juce::MemoryBlock& data, int bank, juce::uint8 model)
{
    return rewritePatchStarts (data, model, 12, [bank] (juce::uint8* message, int index)
    {
        message[7] = (juce::uint8) ((index + bank * 8) & 0x7F);
    });
}

bool SysExRewrites::retargetBankFile3 (juce::MemoryBlock& data, juce::uint8 bank)
{
    return rewritePatchStarts (data, 8, 12, [bank] (juce::uint8* message, int)
    {
        message[6] = (juce::uint8) (bank & 0x7F);
    });
}

bool SysExRewrites::convertPresetToXL (const juce::MemoryBlock& in, bool xlPlus, juce::MemoryBlock& out)
{
    PresetConverter converter;
    juce::MemoryBlock converted;

    if (! (converter.loadPatchDump (in, 3) && converter.convertToXL (xlPlus) && converter.writePatchDump (converted)))
        return false;

    out = std::move (converted);
    return true;
}

bool SysExRewrites::convertBankToXL (const juce::MemoryBlock& in, bool xlPlus, juce::MemoryBlock& out)
{
    out.reset();
    juce::OwnedArray<juce::MemoryBlock> parts;
    splitSysExByHeader (in, patchStartFunction, 3, parts);

    if (parts.isEmpty())
        return false;

    juce::MemoryBlock converted;

    for (auto* part : parts)
    {
        juce::MemoryBlock preset;

        if (! convertPresetToXL (*part, xlPlus, preset))
            return false;

        converted.append (preset.getData(), preset.getSize());
    }

    out = std::move (converted);
    return true;
}

bool SysExRewrites::convertLM6Generation (juce::MemoryBlock& data, juce::uint8 fileModel, juce::uint8 deviceModel)
{
    if (! ((fileModel == 5 && deviceModel == 10) || (fileModel == 10 && deviceModel == 5)))
        return false;

    juce::MemoryBlock retargeted;
    retargetSysExModel (data, deviceModel, retargeted);
    data = std::move (retargeted);
    return true;
}
