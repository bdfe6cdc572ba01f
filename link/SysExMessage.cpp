#include "SysExMessage.h"

#include <cstring>

std::atomic<ModelId> currentDeviceModel { 3 };

namespace
{
void ensureSize (juce::MemoryBlock& block, size_t size)
{
    if (block.getSize() < size)
        block.setSize (size, true);
}
} // namespace

int writeSysExHeader (juce::MemoryBlock& block, juce::uint8 functionId, juce::uint8 model)
{
    ensureSize (block, 6);
    auto* bytes = static_cast<juce::uint8*> (block.getData());
    bytes[0] = 0xF0;
    bytes[1] = zandrelManufacturerId[0];
    bytes[2] = zandrelManufacturerId[1];
    bytes[3] = zandrelManufacturerId[2];
    bytes[4] = model;
    bytes[5] = functionId;
    return 6;
}

juce::uint8 computeSysExChecksum (const juce::uint8* data, int n) noexcept
{
    if (data == nullptr || n <= 0)
        return 0;

    // Eight bytes at a time, folded at the end: every reply of a long dump is checked here.
    juce::uint64 wide = 0;
    int i = 0;

    for (; i + 8 <= n; i += 8)
    {
        juce::uint64 word;
        std::memcpy (&word, data + i, sizeof (word));
        wide ^= word;
    }

    wide ^= wide >> 32;
    wide ^= wide >> 16;
    wide ^= wide >> 8;
    auto sum = (juce::uint8) wide;

    for (; i < n; ++i)
        sum ^= data[i];

    return (juce::uint8) (sum & 0x7F);
}

int appendSysExChecksum (juce::MemoryBlock& block, int n)
{
    n = juce::jmax (0, n);
    ensureSize (block, (size_t) n + 2);
    auto* bytes = static_cast<juce::uint8*> (block.getData());
    bytes[n] = computeSysExChecksum (bytes, n);
    bytes[n + 1] = 0xF7;
    return n + 2;
}

bool hasValidSysExChecksum (const juce::uint8* data, int size) noexcept
{
    if (data == nullptr || size < 3)
        return false;

    return computeSysExChecksum (data, size - 2) == data[size - 2];
}

size_t wholeSysExMessageLength (const juce::uint8* data, size_t size) noexcept
{
    if (data == nullptr || size < 2 || data[0] != 0xF0)
        return 0;

    for (size_t i = 1; i < size; ++i)
    {
        if (data[i] == 0xF7)
            return i + 1;

        if (data[i] >= 0x80)
            return 0;
    }

    return 0;
}

bool isZandrelSysEx (const juce::uint8* data, int size) noexcept
{
    return data != nullptr && size >= 6
           && data[0] == 0xF0
           && data[1] == zandrelManufacturerId[0]
           && data[2] == zandrelManufacturerId[1]
           && data[3] == zandrelManufacturerId[2];
}

int buildSysExMessage (juce::MidiMessage& out, juce::uint8 functionId, const juce::uint8* payload, int length, juce::uint8 model)
{
    if (payload == nullptr || length < 0)
        length = 0;

    juce::MemoryBlock block ((size_t) length + sysExFrameOverhead, true);
    writeSysExHeader (block, functionId, model);

    if (length > 0)
        block.copyFrom (payload, 6, (size_t) length);

    appendSysExChecksum (block, 6 + length);
    // Copy-assigned on purpose: JUCE 7.0.5's move assignment of MidiMessage leaks the data that
    // the target held before.
    const juce::MidiMessage built (block.getData(), (int) block.getSize(), 0.0);
    out = built;
    return length + sysExFrameOverhead;
}

juce::uint32 unpack7BitValue (const juce::uint8* data, int size, int offset, int count) noexcept
{
    if (data == nullptr || offset < 0 || count < 1 || (juce::int64) offset + count > size)
        return 0;

    juce::uint32 value = 0;

    for (int i = 0; i < count; ++i)
    {
        const auto shift = 7 * i;

        if (shift >= 32)
            break;

        value |= (juce::uint32) (data[offset + i] & 0x7F) << shift;
    }

    return value;
}

juce::uint32 unpack7BitValue (const juce::MidiMessage& message, int offset, int count) noexcept
{
    return unpack7BitValue (message.getRawData(), message.getRawDataSize(), offset, count);
}

bool pack7BitValue (juce::MemoryBlock& block, int offset, juce::uint32 value, int count)
{
    if (offset < 0 || count < 1)
        return false;

    ensureSize (block, (size_t) offset + (size_t) count);
    auto* bytes = static_cast<juce::uint8*> (block.getData()) + offset;

    for (int i = 0; i < count; ++i)
    {
        const auto shift = 7 * i;
        bytes[i] = shift < 32 ? (juce::uint8) ((value >> shift) & 0x7F) : 0;
    }

    return true;
}

juce::String getApplicationDirectory()
{
    return juce::File::getSpecialLocation (juce::File::currentExecutableFile)
        .getParentDirectory()
        .getFullPathName();
}
