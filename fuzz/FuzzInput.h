#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>

/** Takes a fuzzer's input apart: single bytes for choices, length-prefixed chunks for messages and
    names, the rest as one block. Reading past the end gives zeros and empty chunks.
*/
class FuzzInput
{
public:
    FuzzInput (const uint8_t* bytes, size_t numBytes) noexcept : data (bytes), size (numBytes) {}

    bool isEmpty() const noexcept { return position >= size; }
    size_t remaining() const noexcept { return size - position; }

    juce::uint8 byte() noexcept { return isEmpty() ? 0 : data[position++]; }

    juce::uint16 word() noexcept
    {
        const auto low = byte();
        return (juce::uint16) (low | (byte() << 8));
    }

    /** A chunk whose length is the next byte (at most 255 bytes). */
    juce::MemoryBlock chunk()
    {
        const auto length = juce::jmin ((size_t) byte(), remaining());
        juce::MemoryBlock block (data + position, length);
        position += length;
        return block;
    }

    /** Everything not read yet. */
    juce::MemoryBlock rest()
    {
        juce::MemoryBlock block (data + position, remaining());
        position = size;
        return block;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;

    JUCE_DECLARE_NON_COPYABLE (FuzzInput)
};
