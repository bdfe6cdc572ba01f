#include "PresetConverter.h"

#include "PresetDecompressor.h"
#include "SysExDecoders.h"
#include "SysExFieldLayout.h"
#include "SysExMessage.h"
#include "SysExPayload.h"
#include "SysExStream.h"

#include <vector>

namespace
{
constexpr juce::uint8 patchStartFunction = 0x77;
constexpr juce::uint8 patchDataFunction = 0x78;
constexpr juce::uint8 patchEndFunction = 0x79;

constexpr int headerWords = 34;              // words 0-33, the same in every model
constexpr size_t orvixIIPresetBytes = 4096;  // 2048 words
constexpr size_t orvixIIXLPresetBytes = 8192; // 4096 words
constexpr int orvixIIWords = 2048;
constexpr juce::uint16 newGenerationNameMarker = 0xAA55;

juce::uint16 readWord (const juce::MemoryBlock& block, size_t index) noexcept
{
    const auto* bytes = static_cast<const juce::uint8*> (block.getData());
    return (juce::uint16) (bytes[2 * index] | (bytes[2 * index + 1] << 8));
}

void writeWord (juce::MemoryBlock& block, size_t index, juce::uint16 value) noexcept
{
    auto* bytes = static_cast<juce::uint8*> (block.getData());
    bytes[2 * index] = (juce::uint8) (value & 0xFF);
    bytes[2 * index + 1] = (juce::uint8) (value >> 8);
}

juce::uint32 xorOfPresetWords (const juce::MemoryBlock& block) noexcept
{
    juce::uint32 sum = 0;

    for (size_t i = 0; i < block.getSize() / 2; ++i)
        sum ^= readWord (block, i);

    return sum;
}




juce::String characterOf (juce::uint8 byte)
{
    return juce::String::charToString ((juce::juce_wchar) byte);
}

/** The XOR of n words; 0 for none. */
template <typename Word>
juce::uint32 xorOfWords (const Word* words, juce::uint32 n) noexcept
{
    juce::uint32 sum = 0;

    if (words != nullptr)
        for (juce::uint32 i = 0; i < n; ++i)
            sum ^= words[i];

    return sum;
}
} // namespace

//==============================================================================
juce::uint32 xorWords16 (const juce::uint16* words, juce::uint32 n) noexcept
{
    return xorOfWords (words, n);
}

juce::uint32 xorWords32 (const juce::uint32* words, juce::uint32 n) noexcept
{
    return xorOfWords (words, n);
}

//==============================================================================
PresetConverter::PresetConverter()
{
    reset();
}

PresetConverter::~PresetConverter() = default;

void PresetConverter::reset()
{
    loadedPreset.reset();
    convertedPreset.reset();
    model = 0;
    targetModel = 0;
    wordCount = 0;
    presetNumberHigh = 0;
    presetNumberLow = 0;
    status = PresetConverterStatus::none;
    stage = PresetConverterStage::wholeDump;
    dataMessageCount = 0;
}

bool PresetConverter::fail (PresetConverterStatus newStatus, PresetConverterStage newStage)
{
    status = newStatus;
    stage = newStage;
    return false;
}

//==============================================================================
bool PresetConverter::loadPatchDump (const juce::MemoryBlock& dump, juce::uint8 dumpModel)
{
    reset();
    model = dumpModel;

    if (dump.isEmpty())
        return fail (PresetConverterStatus::emptyInput, PresetConverterStage::wholeDump);

    SysExStream stream;

    if (! stream.load (static_cast<const juce::uint8*> (dump.getData()), (juce::uint32) dump.getSize(), dumpModel))
        return false;

    bool seenStart = false, seenEnd = false;

    for (;;)
    {
        juce::MemoryBlock message;

        if (! stream.next (message))
            break;

        if (! readMessage (message, seenStart, seenEnd))
            return false;
    }

    if (loadedPreset.isEmpty())
        return fail (PresetConverterStatus::wrongModel, PresetConverterStage::wholeDump);

    return true;
}

bool PresetConverter::readMessage (const juce::MemoryBlock& block, bool& seenStart, bool& seenEnd)
{
    const auto* bytes = static_cast<const juce::uint8*> (block.getData());
    const auto size = (int) block.getSize();

    if (size < 6)
        return fail (PresetConverterStatus::unexpectedMessage, PresetConverterStage::wholeDump);

    if (! hasValidSysExChecksum (bytes, size))
        return fail (PresetConverterStatus::checksumMismatch, PresetConverterStage::wholeDump);

    if (bytes[4] != model)
        return fail (PresetConverterStatus::wrongModel, PresetConverterStage::wholeDump);

    const juce::MidiMessage message (bytes, size);

    switch (bytes[5])
    {
        case patchStartFunction:
        {
            if (seenStart)
                return fail (PresetConverterStatus::unexpectedMessage, PresetConverterStage::patchStart);

            seenStart = true;
            juce::uint16 fields[3] = {};

            if (! decodePatchStartMessage (message, fields))
                return fail (PresetConverterStatus::fieldCodingFailed, PresetConverterStage::patchStart);

            presetNumberHigh = fields[0];
            presetNumberLow = fields[1];
            wordCount = fields[2];
            return true;
        }

        case patchDataFunction:
        {
            ++dataMessageCount;
            DecodedPatchData data;

            if (! decodePatchDataMessage (message, &data) || data.count < 0
                || data.words.getSize() != (size_t) data.count * 2)
                return fail (PresetConverterStatus::fieldCodingFailed, PresetConverterStage::patchData);

            loadedPreset.append (data.words.getData(), data.words.getSize());
            return true;
        }

        case patchEndFunction:
        {
            if (seenEnd)
                return fail (PresetConverterStatus::unexpectedMessage, PresetConverterStage::patchEnd);

            seenEnd = true;
            juce::uint32 checksum = 0;

            if (! decodePatchEndMessage (message, &checksum))
                return fail (PresetConverterStatus::fieldCodingFailed, PresetConverterStage::patchEnd);

            if (loadedPreset.getSize() / 2 != wordCount)
                return fail (PresetConverterStatus::wordCountMismatch, PresetConverterStage::checkOrConversion);

            if (xorOfPresetWords (loadedPreset) != (checksum & 0xFFFF))
                return fail (PresetConverterStatus::checksumMismatch, PresetConverterStage::checkOrConversion);

            return true;
        }

        default:
            return fail (PresetConverterStatus::unexpectedMessage, PresetConverterStage::wholeDump);
    }
}

//==============================================================================
void PresetConverter::getPresetName (juce::String& name) const
{
    juce::String text;
    const auto* bytes = static_cast<const juce::uint8*> (loadedPreset.getData());

    if (SysExFieldLayout::isNewGeneration (model))
    {
        if (loadedPreset.getSize() >= 40 && readWord (loadedPreset, 1) == newGenerationNameMarker)
            for (size_t i = 8; i < 40 && bytes[i] != 0; ++i)
                text += characterOf (bytes[i]);
    }
    else if (loadedPreset.getSize() >= (size_t) headerWords * 2)
    {
        for (size_t i = 2; i < (size_t) headerWords; ++i)
        {
            const auto character = (juce::uint8) (readWord (loadedPreset, i) & 0xFF);

            if (character != 0xFF && character != 0)
                text += characterOf (character);
        }
    }

    text = text.trim();
    name = text.isEmpty() ? juce::String ("EMPTY") : text;
}

//==============================================================================
bool PresetConverter::convertToXL (bool xlPlus)
{
    if (model == 6 || model == 7)
    {
        convertedPreset = loadedPreset;
        targetModel = xlPlus ? 7 : 6;
        return true;
    }

    if (model != 3)
        return fail (PresetConverterStatus::wrongModel, PresetConverterStage::checkOrConversion);

    if (loadedPreset.getSize() != orvixIIPresetBytes)
        return fail (PresetConverterStatus::wrongPresetSize, PresetConverterStage::checkOrConversion);

    juce::MemoryBlock result (orvixIIXLPresetBytes, true);
    const auto streamBytes = (size_t) readWord (loadedPreset, 1);

    if (streamBytes == 0)
    {
        result.copyFrom (loadedPreset.getData(), 0, orvixIIPresetBytes);
    }
    else
    {
        // The work buffers: one byte value per element in, one decoded value per element out,
        // zeroed for every conversion. Each conversion has its own, so none are shared.
        std::vector<juce::uint32> input ((size_t) presetWorkBufferElements, 0);
        std::vector<juce::uint32> output ((size_t) presetWorkBufferElements, 0);

        const auto lastWord = (size_t) headerWords + streamBytes / 2;

        if (lastWord >= (size_t) orvixIIWords)
            return fail (PresetConverterStatus::compressedStreamInvalid, PresetConverterStage::checkOrConversion);

        for (size_t w = headerWords, e = 0; w <= lastWord; ++w)
        {
            const auto word = readWord (loadedPreset, w);
            input[e++] = word & 0xFFu;
            input[e++] = (juce::uint32) word >> 8;
        }

        if (! decodeCompressedPreset (input.data(), input.size(), output.data(), (size_t) compressedPresetValueCount))
            return fail (PresetConverterStatus::compressedStreamInvalid, PresetConverterStage::checkOrConversion);

        result.copyFrom (loadedPreset.getData(), 0, (size_t) headerWords * 2);

        for (size_t i = 0; i < (size_t) compressedPresetValueCount / 2; ++i)
            writeWord (result, (size_t) headerWords + i,
                       (juce::uint16) ((output[2 * i] & 0xFF) | ((output[2 * i + 1] & 0xFF) << 8)));
    }

    // Words 1024-2047 of the Orvix II preset are words 2048-3071 of the XL preset.
    result.copyFrom (static_cast<const char*> (loadedPreset.getData()) + 2048, 4096, 2048);

    convertedPreset = std::move (result);
    targetModel = xlPlus ? 7 : 6;
    return true;
}

bool PresetConverter::convertToModel3()
{
    if (model == 3)
    {
        convertedPreset = loadedPreset;
        targetModel = 3;
        return true;
    }

    if (model != 6 && model != 7)
        return fail (PresetConverterStatus::wrongModel, PresetConverterStage::checkOrConversion);

    if (loadedPreset.getSize() != orvixIIXLPresetBytes)
        return fail (PresetConverterStatus::wrongPresetSize, PresetConverterStage::checkOrConversion);

    const auto* bytes = static_cast<const char*> (loadedPreset.getData());
    juce::MemoryBlock result (bytes, 2048);
    result.append (bytes + 4096, 2048);

    convertedPreset = std::move (result);
    targetModel = 3;
    return true;
}

//==============================================================================
bool PresetConverter::writePatchDump (juce::MemoryBlock& out)
{
    if (convertedPreset.isEmpty())
        return false;

    const auto words = convertedPreset.getSize() / 2;
    juce::MemoryBlock dump;

    // Every message is built for the target model, whatever model the console has chosen.
    const auto* startLayout = SysExFieldLayout::forPatchStart (targetModel);
    auto start = makeLayoutPayload (startLayout);

    if (! packLayoutField (start, startLayout, 0, presetNumberHigh)
        || ! packLayoutField (start, startLayout, 1, presetNumberLow)
        || ! packLayoutField (start, startLayout, 2, (juce::uint32) (words & 0xFFFF)))
        return fail (PresetConverterStatus::fieldCodingFailed, PresetConverterStage::patchStart);

    appendSysExMessage (dump, patchStartFunction, start, targetModel);

    const auto* dataLayout = SysExFieldLayout::forPatchData (targetModel);
    const auto wordsOffset = fieldOffset (dataLayout, 1) - 6;
    const auto perMessage = (size_t) juce::jmax (0, fieldLength (dataLayout, 1) / 3);

    if (perMessage == 0 || wordsOffset < 0)
        return fail (PresetConverterStatus::fieldCodingFailed, PresetConverterStage::patchData);

    for (size_t first = 0; first < words; first += perMessage)
    {
        const auto count = juce::jmin (perMessage, words - first);
        auto data = makeLayoutPayload (dataLayout);

        if (! packLayoutField (data, dataLayout, 0, (juce::uint32) count))
            return fail (PresetConverterStatus::fieldCodingFailed, PresetConverterStage::patchData);

        for (size_t i = 0; i < count; ++i)
            pack7BitValue (data, wordsOffset + (int) (3 * i), readWord (convertedPreset, first + i), 3);

        appendSysExMessage (dump, patchDataFunction, data, targetModel);
    }

    auto end = makeLayoutPayload (SysExFieldLayout::patchEnd);

    if (! packLayoutField (end, SysExFieldLayout::patchEnd, 0, xorOfPresetWords (convertedPreset)))
        return fail (PresetConverterStatus::fieldCodingFailed, PresetConverterStage::patchEnd);

    appendSysExMessage (dump, patchEndFunction, end, targetModel);

    out.append (dump.getData(), dump.getSize());
    return true;
}
