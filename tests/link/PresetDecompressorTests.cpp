#include "DumpBuilders.h"
#include "PresetDecompressor.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
std::vector<juce::uint32> elementsOf (const morvane::test::Bytes& bytes)
{
    return std::vector<juce::uint32> (bytes.begin(), bytes.end());
}

// Worked out by hand: a tree with the leaves 0x41 (code 0), 0x00 (code 10) and 0xFF (code 11),
// then the codes of 0x41, 0xFF, 0x00, 0x41. The leaf values straddle element boundaries.
//   root 0 | leaf 1 01000001 | inner 0 | leaf 1 00000000 | leaf 1 11111111 | 0 11 10 0
const std::vector<juce::uint32> handWorkedStream { 0x50, 0x50, 0x0F, 0xFB, 0x80 };
} // namespace

TEST (PresetDecompressor, DecodesAHandWorkedStream)
{
    std::vector<juce::uint32> output (4, 0xDEAD);
    ASSERT_TRUE (decodeCompressedPreset (handWorkedStream.data(), handWorkedStream.size(), output.data(), output.size()));
    EXPECT_EQ (output, (std::vector<juce::uint32> { 0x41, 0xFF, 0x00, 0x41 }));
}

TEST (PresetDecompressor, RootLeafFillsEveryValueWithoutReadingCodes)
{
    // 1 01011010: a leaf holding 0x5A, and nothing after it.
    const std::vector<juce::uint32> stream { 0xAD, 0x00 };
    std::vector<juce::uint32> output ((size_t) compressedPresetValueCount, 0);

    ASSERT_TRUE (decodeCompressedPreset (stream.data(), stream.size(), output.data(), output.size()));
    EXPECT_EQ (output, std::vector<juce::uint32> ((size_t) compressedPresetValueCount, 0x5A));
}

TEST (PresetDecompressor, UnpacksWhatTheEncoderPacked)
{
    const auto values = morvane::test::makeCompressibleValues (7);
    auto input = elementsOf (morvane::test::compressPresetValues (values));
    std::vector<juce::uint32> output (values.size(), 0);

    ASSERT_TRUE (decodeCompressedPreset (input.data(), input.size(), output.data(), output.size()));
    EXPECT_EQ (output, std::vector<juce::uint32> (values.begin(), values.end()));
}

TEST (PresetDecompressor, AcceptsAFullTreeOfAllByteValues)
{
    std::vector<juce::uint8> values;

    for (int i = 0; i < compressedPresetValueCount; ++i)
        values.push_back ((juce::uint8) ((i * 37) % 256));

    auto input = elementsOf (morvane::test::compressPresetValues (values));
    std::vector<juce::uint32> output (values.size(), 0);

    ASSERT_TRUE (decodeCompressedPreset (input.data(), input.size(), output.data(), output.size()));
    EXPECT_EQ (output, std::vector<juce::uint32> (values.begin(), values.end()));
}

TEST (PresetDecompressor, StopsAtTheEndOfItsInput)
{
    // Exactly sized buffers, so that a read past the end shows up under the address sanitizer.
    std::vector<juce::uint32> output ((size_t) compressedPresetValueCount, 0);
    EXPECT_FALSE (decodeCompressedPreset (handWorkedStream.data(), handWorkedStream.size(), output.data(), output.size()));

    // The tree's first leaf announces eight bits that are not there.
    const std::vector<juce::uint32> cutInLeaf { 0x40 };
    EXPECT_FALSE (decodeCompressedPreset (cutInLeaf.data(), cutInLeaf.size(), output.data(), output.size()));

    EXPECT_FALSE (decodeCompressedPreset (cutInLeaf.data(), 0, output.data(), output.size()));
    EXPECT_FALSE (decodeCompressedPreset (nullptr, 10, output.data(), output.size()));
}

TEST (PresetDecompressor, RefusesATreeLargerThanItsPool)
{
    // All zero bits describe inner nodes without end: the pool runs out long before the input.
    const std::vector<juce::uint32> zeros ((size_t) presetWorkBufferElements, 0);
    std::vector<juce::uint32> output ((size_t) compressedPresetValueCount, 0);
    EXPECT_FALSE (decodeCompressedPreset (zeros.data(), zeros.size(), output.data(), output.size()));

    PresetBitReader reader (zeros.data(), zeros.size());
    CodeTreePool pool;
    EXPECT_EQ (buildCodeTree (reader, pool), -1);
    EXPECT_EQ (pool.used, maxCodeTreeNodes);
}

TEST (PresetDecompressor, BitReaderReadsMostSignificantBitFirstAcrossElements)
{
    const std::vector<juce::uint32> data { 0xA5, 0x3C };
    PresetBitReader reader (data.data(), data.size());

    int bit = -1;
    ASSERT_TRUE (reader.readBit (bit));
    EXPECT_EQ (bit, 1);
    ASSERT_TRUE (reader.readBit (bit));
    EXPECT_EQ (bit, 0);

    int value = 0;
    ASSERT_TRUE (reader.readByte (value));
    EXPECT_EQ (value, 0x94); // 100101 from 0xA5, then 00 from 0x3C
    EXPECT_EQ (reader.position, 1u);
    EXPECT_EQ (reader.bitIndex, 2);

    EXPECT_FALSE (reader.readByte (value)); // only six bits are left
    EXPECT_EQ (value, 0x94);

    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE (reader.readBit (bit));

    EXPECT_FALSE (reader.readBit (bit));
}
