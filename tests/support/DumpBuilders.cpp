#include "DumpBuilders.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <queue>

namespace morvane::test
{
namespace
{
constexpr juce::uint8 patchStart = 0x77, patchData = 0x78, patchEnd = 0x79;
constexpr juce::uint8 cabStart = 0x7A, cabData = 0x7B, cabEnd = 0x7C;
constexpr int cabWordCount = 2048;

juce::uint32 unpack (const juce::uint8* bytes, int count)
{
    juce::uint32 value = 0;

    for (int i = 0; i < count; ++i)
        value |= (juce::uint32) (bytes[i] & 0x7F) << (7 * i);

    return value;
}

// A small linear congruential generator, so that patterns are the same on every run.
juce::uint32 nextRandom (juce::uint32& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

void append (juce::MemoryBlock& block, const juce::MemoryBlock& message)
{
    block.append (message.getData(), message.getSize());
}
} // namespace

void appendPacked (Bytes& payload, juce::uint32 value, int count)
{
    for (int i = 0; i < count; ++i)
        payload.push_back ((juce::uint8) ((value >> (7 * i)) & 0x7F));
}

juce::uint8 sysExChecksum (const juce::uint8* bytes, size_t count)
{
    juce::uint8 sum = 0;

    for (size_t i = 0; i < count; ++i)
        sum ^= bytes[i];

    return (juce::uint8) (sum & 0x7F);
}

juce::MemoryBlock makeSysExMessage (juce::uint8 model, juce::uint8 function, const Bytes& payload)
{
    Bytes bytes { 0xF0, 0x00, 0x01, 0x74, model, function };
    bytes.insert (bytes.end(), payload.begin(), payload.end());
    bytes.push_back (sysExChecksum (bytes.data(), bytes.size()));
    bytes.push_back (0xF7);
    return juce::MemoryBlock (bytes.data(), bytes.size());
}

//==============================================================================
int presetWordCount (juce::uint8 model)
{
    switch (model)
    {
        case 3: case 5: case 10: return 2048;
        case 6: case 7: case 8:  return 4096;
        case 16:                 return 16384;
        default:                 return 0;
    }
}

int presetWordsPerMessage (juce::uint8 model)
{
    return model >= 16 ? 1024 : 64;
}

int presetMessageCount (juce::uint8 model)
{
    const int words = presetWordCount (model);
    return words == 0 ? 0 : words / presetWordsPerMessage (model) + 2;
}

int presetsInBank (juce::uint8 model, int bank)
{
    switch (model)
    {
        case 3: case 6: case 7: case 16: return 128;
        case 5: case 10:                 return bank == 127 ? 128 : 8;
        case 8:                          return bank == 127 ? 512 : 8;
        default:                         return 0;
    }
}

int cabsInBank (juce::uint8 model, int bank)
{
    if (model == 3 || model == 6 || model == 7)
        return 128;

    return model == 8 ? (bank == 127 ? 512 : 128) : 0;
}

std::vector<juce::uint16> makePresetWords (juce::uint8 model, const juce::String& name, juce::uint32 seed)
{
    std::vector<juce::uint16> words ((size_t) presetWordCount (model));
    auto state = seed;

    for (auto& word : words)
        word = (juce::uint16) nextRandom (state);

    if (words.size() < 34)
        return words;

    if (model >= 16)
    {
        // Bytes 8-39 (words 4-19) hold the name, NUL-terminated when shorter than 32.
        words[1] = name.isEmpty() ? (juce::uint16) 0x1234 : (juce::uint16) 0xAA55;

        if (name.isNotEmpty())
        {
            juce::uint8 text[32] = {};
            const auto utf8 = name.toRawUTF8();

            for (int i = 0; i < 32 && utf8[i] != 0; ++i)
                text[i] = (juce::uint8) utf8[i];

            for (int i = 0; i < 16; ++i)
                words[(size_t) (4 + i)] = (juce::uint16) (text[2 * i] | (text[2 * i + 1] << 8));
        }

        return words;
    }

    const auto utf8 = name.toRawUTF8();
    bool ended = false;

    for (int i = 0; i < 32; ++i)
    {
        ended = ended || utf8[i] == 0;
        const juce::uint8 character = ended ? 0xFF : (juce::uint8) utf8[i];
        words[(size_t) (2 + i)] = (juce::uint16) ((words[(size_t) (2 + i)] & 0xFF00) | character);
    }

    return words;
}

juce::uint16 xorOfWords (const std::vector<juce::uint16>& words)
{
    juce::uint16 sum = 0;

    for (auto word : words)
        sum ^= word;

    return sum;
}

juce::MemoryBlock makePresetDump (juce::uint8 model, const std::vector<juce::uint16>& words, int presetNumber)
{
    const bool newGeneration = model >= 16;
    const auto perMessage = (size_t) presetWordsPerMessage (model);
    juce::MemoryBlock dump;

    Bytes start;
    appendPacked (start, (juce::uint32) presetNumber / 128, 1);
    appendPacked (start, (juce::uint32) presetNumber % 128, 1);
    appendPacked (start, (juce::uint32) words.size(), newGeneration ? 3 : 2);
    append (dump, makeSysExMessage (model, patchStart, start));

    for (size_t first = 0; first < words.size(); first += perMessage)
    {
        const auto count = std::min (perMessage, words.size() - first);
        Bytes data;
        appendPacked (data, (juce::uint32) count, 2);

        for (size_t i = 0; i < perMessage; ++i)
            appendPacked (data, i < count ? words[first + i] : 0u, 3);

        append (dump, makeSysExMessage (model, patchData, data));
    }

    Bytes end;
    appendPacked (end, xorOfWords (words), 3);
    append (dump, makeSysExMessage (model, patchEnd, end));
    return dump;
}

juce::MemoryBlock makeBankDump (juce::uint8 model, int bank, int presetCount)
{
    juce::MemoryBlock dump;

    for (int i = 0; i < presetCount; ++i)
    {
        const auto words = makePresetWords (model, "Preset " + juce::String (i + 1), (juce::uint32) (bank * 1000 + i));
        append (dump, makePresetDump (model, words, bank * 128 + i));
    }

    return dump;
}

std::vector<juce::MemoryBlock> splitMessages (const juce::MemoryBlock& block)
{
    std::vector<juce::MemoryBlock> messages;
    const auto* bytes = static_cast<const juce::uint8*> (block.getData());
    size_t start = 0;

    for (size_t i = 0; i < block.getSize(); ++i)
    {
        if (bytes[i] == 0xF7)
        {
            messages.emplace_back (bytes + start, i + 1 - start);
            start = i + 1;
        }
    }

    if (start < block.getSize())
        messages.emplace_back (bytes + start, block.getSize() - start);

    return messages;
}

std::vector<juce::uint16> readPresetDumpWords (const juce::MemoryBlock& dump)
{
    std::vector<juce::uint16> words;

    for (const auto& message : splitMessages (dump))
    {
        const auto* bytes = static_cast<const juce::uint8*> (message.getData());

        if (message.getSize() < 8 || bytes[5] != patchData)
            continue;

        const auto count = (size_t) unpack (bytes + 6, 2);

        if (8 + 3 * count + 2 > message.getSize())
            return {};

        for (size_t i = 0; i < count; ++i)
            words.push_back ((juce::uint16) unpack (bytes + 8 + 3 * i, 3));
    }

    return words;
}

//==============================================================================
std::vector<juce::uint32> makeCabWords (const juce::String& name, juce::uint32 seed)
{
    std::vector<juce::uint32> words ((size_t) cabWordCount);
    auto state = seed;

    for (auto& word : words)
        word = nextRandom (state) ^ (nextRandom (state) << 16);

    juce::uint8 text[32] = {};
    const auto utf8 = name.toRawUTF8();

    for (int i = 0; i < 32 && utf8[i] != 0; ++i)
        text[i] = (juce::uint8) utf8[i];

    for (int i = 0; i < 8; ++i)
        words[(size_t) i] = (juce::uint32) text[4 * i] | ((juce::uint32) text[4 * i + 1] << 8)
                          | ((juce::uint32) text[4 * i + 2] << 16) | ((juce::uint32) text[4 * i + 3] << 24);

    return words;
}

juce::MemoryBlock makeCabDump (juce::uint8 model, const std::vector<juce::uint32>& words, int slot,
                               int wordCountField, bool withEnd)
{
    const bool newGeneration = model >= 16;
    const size_t perMessage = newGeneration ? 256 : 32;
    const auto countField = (juce::uint32) (wordCountField < 0 ? (int) words.size() : wordCountField);
    juce::MemoryBlock dump;

    Bytes start;

    if (newGeneration)
    {
        appendPacked (start, (juce::uint32) slot, 2);
    }
    else if (model == 6 || model == 7 || model == 8)
    {
        start.push_back ((juce::uint8) ((slot >> 7) & 0x7F));
        start.push_back ((juce::uint8) (slot & 0x7F));
    }
    else
    {
        appendPacked (start, (juce::uint32) slot, 1);
    }

    appendPacked (start, countField, 2);
    append (dump, makeSysExMessage (model, cabStart, start));

    juce::uint32 sum = 0;

    for (size_t first = 0; first < words.size(); first += perMessage)
    {
        const auto count = std::min (perMessage, words.size() - first);
        Bytes data;
        appendPacked (data, (juce::uint32) count, 2);

        for (size_t i = 0; i < perMessage; ++i)
            appendPacked (data, i < count ? words[first + i] : 0u, 5);

        for (size_t i = 0; i < count; ++i)
            sum ^= words[first + i];

        append (dump, makeSysExMessage (model, cabData, data));
    }

    if (withEnd)
    {
        Bytes end;
        appendPacked (end, sum, 5);
        append (dump, makeSysExMessage (model, cabEnd, end));
    }

    return dump;
}

juce::MemoryBlock makeCabBankDump (juce::uint8 model, int firstSlot, int count)
{
    juce::MemoryBlock dump;

    for (int i = 0; i < count; ++i)
    {
        const int slot = firstSlot + i;
        append (dump, makeCabDump (model, makeCabWords ("Cab " + juce::String (slot), (juce::uint32) slot), slot));
    }

    return dump;
}

bool readCabDump (const juce::MemoryBlock& dump, int& slot, int& wordCountField,
                  std::vector<juce::uint32>& words)
{
    words.clear();

    for (const auto& message : splitMessages (dump))
    {
        const auto* bytes = static_cast<const juce::uint8*> (message.getData());
        const auto size = message.getSize();

        if (size < 8 || bytes[0] != 0xF0 || bytes[size - 1] != 0xF7
            || bytes[size - 2] != sysExChecksum (bytes, size - 2))
            return false;

        const auto model = bytes[4];

        if (bytes[5] == cabStart)
        {
            if (model >= 16)
            {
                slot = (int) unpack (bytes + 6, 2);
                wordCountField = (int) unpack (bytes + 8, 2);
            }
            else if (model == 6 || model == 7 || model == 8)
            {
                slot = (int) ((bytes[6] & 0x7F) << 7 | (bytes[7] & 0x7F));
                wordCountField = (int) unpack (bytes + 8, 2);
            }
            else
            {
                slot = (int) unpack (bytes + 6, 1);
                wordCountField = (int) unpack (bytes + 7, 2);
            }
        }
        else if (bytes[5] == cabData)
        {
            const auto count = (size_t) unpack (bytes + 6, 2);

            if (8 + 5 * count + 2 > size)
                return false;

            for (size_t i = 0; i < count; ++i)
                words.push_back (unpack (bytes + 8 + 5 * i, 5));
        }
        else if (bytes[5] != cabEnd)
        {
            return false;
        }
    }

    return true;
}

//==============================================================================
namespace
{
struct HuffmanNode
{
    int value = -1;
    size_t frequency = 0;
    std::unique_ptr<HuffmanNode> first, second;
};

void writeTree (const HuffmanNode& node, CompressedBitWriter& writer, std::vector<std::vector<int>>& codes,
                std::vector<int>& path)
{
    if (node.value >= 0)
    {
        writer.write (1);
        writer.writeByte (node.value);
        codes[(size_t) node.value] = path;
        return;
    }

    writer.write (0);
    path.push_back (0);
    writeTree (*node.first, writer, codes, path);
    path.back() = 1;
    writeTree (*node.second, writer, codes, path);
    path.pop_back();
}
} // namespace

void CompressedBitWriter::write (int bit)
{
    if (bitsInLast == 8)
    {
        bytes.push_back (0);
        bitsInLast = 0;
    }

    if (bit != 0)
        bytes.back() = (juce::uint8) (bytes.back() | (0x80 >> bitsInLast));

    ++bitsInLast;
}

void CompressedBitWriter::writeByte (int value)
{
    for (int i = 7; i >= 0; --i)
        write ((value >> i) & 1);
}

Bytes compressPresetValues (const std::vector<juce::uint8>& values)
{
    std::vector<size_t> frequencies (256, 0);

    for (auto value : values)
        ++frequencies[value];

    // Orders the pending nodes by frequency, then by the order they were made in, so that the
    // tree is the same on every run.
    using Pending = std::pair<std::pair<size_t, int>, HuffmanNode*>;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> queue;
    std::vector<std::unique_ptr<HuffmanNode>> owned;
    int order = 0;

    for (int value = 0; value < 256; ++value)
    {
        if (frequencies[(size_t) value] == 0)
            continue;

        auto leaf = std::make_unique<HuffmanNode>();
        leaf->value = value;
        leaf->frequency = frequencies[(size_t) value];
        queue.push ({ { leaf->frequency, order++ }, leaf.get() });
        owned.push_back (std::move (leaf));
    }

    if (queue.empty())
        return {};

    auto take = [&owned] (HuffmanNode* wanted)
    {
        for (auto& candidate : owned)
            if (candidate.get() == wanted)
                return std::move (candidate);

        return std::unique_ptr<HuffmanNode>();
    };

    while (queue.size() > 1)
    {
        auto* a = queue.top().second;
        queue.pop();
        auto* b = queue.top().second;
        queue.pop();

        auto inner = std::make_unique<HuffmanNode>();
        inner->frequency = a->frequency + b->frequency;
        inner->first = take (a);
        inner->second = take (b);
        queue.push ({ { inner->frequency, order++ }, inner.get() });
        owned.push_back (std::move (inner));
    }

    auto root = take (queue.top().second);

    CompressedBitWriter writer;
    std::vector<std::vector<int>> codes (256);
    std::vector<int> path;
    writeTree (*root, writer, codes, path);

    if (root->value < 0)
        for (auto value : values)
            for (auto bit : codes[value])
                writer.write (bit);

    return writer.bytes;
}

bool placeCompressedStream (std::vector<juce::uint16>& words, const Bytes& stream)
{
    // The stream may not run into the part that is carried over as it is (words 1024-2047).
    if (words.size() < 2048 || 34 + stream.size() / 2 + 1 > 1024)
        return false;

    for (size_t i = 34; i < 1024; ++i)
        words[i] = 0;

    words[1] = (juce::uint16) stream.size();

    for (size_t i = 0; i < stream.size(); ++i)
        words[34 + i / 2] = (juce::uint16) (words[34 + i / 2] | (stream[i] << (8 * (i % 2))));

    return true;
}

std::vector<juce::uint16> makeCompressedOrvixIIPreset (const juce::String& name,
                                                        const std::vector<juce::uint8>& values,
                                                        juce::uint32 seed)
{
    auto words = makePresetWords (3, name, seed);

    if (! placeCompressedStream (words, compressPresetValues (values)))
        return {};

    return words;
}

std::vector<juce::uint8> makeCompressibleValues (juce::uint32 seed)
{
    std::vector<juce::uint8> values (8124, 0);
    auto state = seed;

    for (auto& value : values)
    {
        const auto r = nextRandom (state) % 16;

        if (r < 10)
            value = 0;
        else if (r < 13)
            value = 0x7F;
        else
            value = (juce::uint8) (1 + nextRandom (state) % 5);
    }

    return values;
}
} // namespace morvane::test
