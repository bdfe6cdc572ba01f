#include "PresetDecompressor.h"

PresetBitReader::PresetBitReader (const juce::uint32* bufferData, size_t numElements) noexcept
    : data (bufferData), size (bufferData != nullptr ? numElements : 0)
{
}

bool PresetBitReader::readBit (int& bit) noexcept
{
    if (position >= size)
        return false;

    bit = (int) ((data[position] >> (7 - bitIndex)) & 1u);

    if (++bitIndex > 7)
    {
        bitIndex = 0;
        ++position;
    }

    return true;
}

bool PresetBitReader::readByte (int& value) noexcept
{
    // Eight bits from bit index p end at element position + 1 (p = 0) or within it (p > 0).
    const size_t lastElement = bitIndex == 0 ? position : position + 1;

    if (lastElement >= size)
        return false;

    int result = 0;

    for (int i = 0; i < 8; ++i)
    {
        int bit = 0;
        readBit (bit);
        result = (result << 1) | bit;
    }

    value = result;
    return true;
}

int buildCodeTree (PresetBitReader& reader, CodeTreePool& pool)
{
    if (pool.used >= maxCodeTreeNodes)
        return -1;

    const int index = pool.used++;
    auto& node = pool.nodes[(size_t) index];
    node = {};

    int bit = 0;

    if (! reader.readBit (bit))
        return -1;

    if (bit == 1)
    {
        int value = 0;

        if (! reader.readByte (value))
            return -1;

        node.value = value;
        return index;
    }

    // Each level of recursion takes a node from the pool, so the depth is bounded by its size.
    const int first = buildCodeTree (reader, pool);

    if (first < 0)
        return -1;

    const int second = buildCodeTree (reader, pool);

    if (second < 0)
        return -1;

    node.firstChild = first;
    node.secondChild = second;
    return index;
}

bool decodeCompressedPreset (const juce::uint32* input, size_t inputSize,
                             juce::uint32* output, size_t outputCount)
{
    if (input == nullptr || output == nullptr)
        return false;

    PresetBitReader reader (input, inputSize);
    CodeTreePool pool;

    const int root = buildCodeTree (reader, pool);

    if (root < 0)
        return false;

    for (size_t i = 0; i < outputCount; ++i)
    {
        const CodeTreeNode* node = &pool.nodes[(size_t) root];

        while (node->value < 0)
        {
            int bit = 0;

            if (! reader.readBit (bit))
                return false;

            node = &pool.nodes[(size_t) (bit == 1 ? node->secondChild : node->firstChild)];
        }

        output[i] = (juce::uint32) node->value;
    }

    return true;
}
