#include "SysExBlocks.h"

#include "SysExMessage.h"

#include <algorithm>
#include <vector>

namespace
{
constexpr juce::uint8 anyModelHeader[] = { 0xF0, 0x00, 0x01, 0x74 };
constexpr int anyModelHeaderLength = 4;

/** Where the next maker's message starts at or after from, or -1. */
int findHeaderFrom (const juce::uint8* data, int size, int from)
{
    if (from >= size)
        return -1;

    const auto hit = findPattern (data + from, size - from, anyModelHeader, anyModelHeaderLength);
    return hit < 0 ? -1 : from + hit;
}

void appendRetargeted (const juce::uint8* message, int size, juce::uint8 model, juce::MemoryBlock& out)
{
    if (size < 5)
        return;

    const bool endsWithF7 = message[size - 1] == 0xF7;

    if (size < sysExFrameOverhead || ! endsWithF7 || message[4] == model)
    {
        out.append (message, (size_t) size);
        return;
    }

    juce::MemoryBlock copy (message, (size_t) size);
    auto* bytes = static_cast<juce::uint8*> (copy.getData());
    bytes[4] = model;
    bytes[size - 2] = computeSysExChecksum (bytes, size - 2);
    out.append (copy.getData(), copy.getSize());
}
} // namespace

void retargetSysExModel (const juce::MemoryBlock& in, juce::uint8 model, juce::MemoryBlock& out)
{
    const auto* data = static_cast<const juce::uint8*> (in.getData());
    const auto size = (int) in.getSize();

    if (data == nullptr || size <= 0)
        return;

    auto start = findHeaderFrom (data, size, 0);

    while (start >= 0)
    {
        // A message ends at its own first F7; without one it runs to the next header or the end.
        int end = -1;

        for (int i = start + anyModelHeaderLength; i < size; ++i)
        {
            if (data[i] == 0xF7)
            {
                end = i + 1;
                break;
            }

            if (i + anyModelHeaderLength <= size
                && std::equal (anyModelHeader, anyModelHeader + anyModelHeaderLength, data + i))
                break;
        }

        const auto next = findHeaderFrom (data, size, end > 0 ? end : start + anyModelHeaderLength);
        const auto stop = end > 0 ? end : (next >= 0 ? next : size);

        appendRetargeted (data + start, stop - start, model, out);
        start = next;
    }
}

int findPattern (const juce::uint8* text, int textLength, const juce::uint8* pattern, int patternLength)
{
    if (text == nullptr || pattern == nullptr || textLength < 1 || patternLength < 1 || patternLength > textLength)
        return -1;

    // Knuth-Morris-Pratt: failure[i] is the length of the longest proper prefix of
    // pattern[0..i] that is also its suffix.
    std::vector<int> failure ((size_t) patternLength, 0);

    for (int i = 1, k = 0; i < patternLength; ++i)
    {
        while (k > 0 && pattern[i] != pattern[k])
            k = failure[(size_t) k - 1];

        if (pattern[i] == pattern[k])
            ++k;

        failure[(size_t) i] = k;
    }

    for (int i = 0, k = 0; i < textLength; ++i)
    {
        while (k > 0 && text[i] != pattern[k])
            k = failure[(size_t) k - 1];

        if (text[i] == pattern[k])
            ++k;

        if (k == patternLength)
            return i - patternLength + 1;
    }

    return -1;
}

namespace
{
template <typename AddPiece>
void splitByHeader (const juce::MemoryBlock& in, juce::uint8 functionId, juce::uint8 model, AddPiece&& addPiece)
{
    const auto* data = static_cast<const juce::uint8*> (in.getData());
    const auto size = (int) in.getSize();

    if (data == nullptr || size <= 0)
        return;

    const juce::uint8 header[] = { 0xF0, zandrelManufacturerId[0], zandrelManufacturerId[1], zandrelManufacturerId[2], model, functionId };
    constexpr int headerLength = (int) sizeof (header);

    int lastCut = 0;
    int searchFrom = 0;

    while (searchFrom < size)
    {
        const auto hit = findPattern (data + searchFrom, size - searchFrom, header, headerLength);

        if (hit < 0)
            break;

        const auto position = searchFrom + hit;

        if (position > lastCut)
        {
            addPiece (data + lastCut, position - lastCut);
            lastCut = position;
        }

        searchFrom = position + headerLength;
    }

    if (lastCut < size)
        addPiece (data + lastCut, size - lastCut);
}
} // namespace

void splitSysExByHeader (const juce::MemoryBlock& in, juce::uint8 functionId, juce::uint8 model, juce::Array<juce::MemoryBlock*>& out)
{
    splitByHeader (in, functionId, model, [&out] (const juce::uint8* piece, int length)
                   { out.add (new juce::MemoryBlock (piece, (size_t) length)); });
}

void splitSysExByHeader (const juce::MemoryBlock& in, juce::uint8 functionId, juce::uint8 model, juce::OwnedArray<juce::MemoryBlock>& out)
{
    splitByHeader (in, functionId, model, [&out] (const juce::uint8* piece, int length)
                   { out.add (std::make_unique<juce::MemoryBlock> (piece, (size_t) length)); });
}
