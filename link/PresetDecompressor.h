#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <cstddef>

/** How many values the compressed part of an Orvix II preset unpacks to. */
constexpr int compressedPresetValueCount = 8124;

/** Elements in each of the decompressor's work buffers (one byte value per element). */
constexpr int presetWorkBufferElements = 0x20600 / 4;

/** The most nodes a code tree may use: a full tree over the 256 byte values. */
constexpr int maxCodeTreeNodes = 511;

/** One node of the code tree that prefixes a compressed preset stream.
    An inner node has the value -1 and two children; a leaf has a byte value (0-255) and none.
*/
struct CodeTreeNode
{
    int firstChild = -1;   // pool index of the child taken on a 0 bit
    int secondChild = -1;  // pool index of the child taken on a 1 bit
    int value = -1;
};

/** The fixed pool that holds the nodes of one decoding. */
struct CodeTreePool
{
    std::array<CodeTreeNode, maxCodeTreeNodes> nodes {};
    int used = 0;
};

/** Reads a compressed preset stream bit by bit, most significant bit first, from a buffer that
    holds one byte value per element. It never reads past the end of its buffer: once the bits
    run out every read fails.
*/
struct PresetBitReader
{
    PresetBitReader (const juce::uint32* data, size_t numElements) noexcept;

    /** Reads one bit; false when the buffer has no bit left. */
    bool readBit (int& bit) noexcept;

    /** Reads the next eight bits as one byte; false (and nothing moved) when fewer are left. */
    bool readByte (int& value) noexcept;

    const juce::uint32* data = nullptr;
    size_t size = 0;
    size_t position = 0;
    int bitIndex = 0;
};

/** Builds the code tree that the stream stores in pre-order: a 1 bit makes a leaf whose value is
    the next eight bits, a 0 bit an inner node whose first and then second child follow.

    Returns the pool index of the node built, or -1 when the stream runs out of bits or the tree
    needs more nodes than the pool holds (so the recursion never goes deeper than the pool).
*/
int buildCodeTree (PresetBitReader& reader, CodeTreePool& pool);

/** Unpacks the compressed part of an Orvix II preset: the code tree, then, without alignment,
    one code per output value. A tree whose root is a leaf yields that leaf's value throughout.

    input holds one byte value per element; outputCount values are written to output.
    Returns false when the tree is invalid or the bits run out before the last value; the
    output may then hold some values.
*/
bool decodeCompressedPreset (const juce::uint32* input, size_t inputSize,
                             juce::uint32* output, size_t outputCount);
