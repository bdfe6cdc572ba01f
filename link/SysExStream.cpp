#include "SysExStream.h"

bool SysExStream::load (const juce::uint8* newData, juce::uint32 size, juce::uint8 model)
{
    if (newData == nullptr)
        return false;

    const juce::uint8 header[] = { 0xF0, 0x00, 0x01, 0x74, model };
    const size_t headerLength = model == anySysEx ? 1 : (model == anyModel ? 4 : 5);
    pattern.replaceAll (header, headerLength);
    data.replaceAll (newData, size);
    readPosition = 0;

    // Count the headers, each followed by at least one byte, without overlap.
    messageCount = 0;
    const auto patternLength = pattern.getSize();
    const auto dataLength = data.getSize();

    for (size_t p = 0; p + patternLength < dataLength;)
    {
        if (patternMatchesAt (p))
        {
            ++messageCount;
            p += patternLength;
        }
        else
        {
            ++p;
        }
    }

    return true;
}

bool SysExStream::patternMatchesAt (size_t position) const noexcept
{
    const auto patternLength = pattern.getSize();

    if (patternLength == 0 || position + patternLength > data.getSize())
        return false;

    return std::memcmp (static_cast<const juce::uint8*> (data.getData()) + position,
                        pattern.getData(), patternLength) == 0;
}

juce::int64 SysExStream::findMessageStart (size_t from) const noexcept
{
    const auto patternLength = pattern.getSize();
    const auto dataLength = data.getSize();
    const auto* bytes = static_cast<const juce::uint8*> (data.getData());

    for (auto p = from; p + patternLength < dataLength; ++p)
        if (bytes[p] == 0xF0 && patternMatchesAt (p))
            return (juce::int64) p;

    return -1;
}

bool SysExStream::hasNext() const
{
    return ! isAtEnd() && findMessageStart (readPosition) >= 0;
}

bool SysExStream::next (juce::MemoryBlock& out)
{
    if (isAtEnd())
        return false;

    const auto found = findMessageStart (readPosition);

    if (found < 0)
        return false;

    const auto start = (size_t) found;
    const auto dataLength = data.getSize();
    const auto* bytes = static_cast<const juce::uint8*> (data.getData());

    // The message ends at an F7 that the next header follows, or at the block's last byte.
    auto end = start + pattern.getSize();

    while (end < dataLength - 1 && ! (bytes[end] == 0xF7 && patternMatchesAt (end + 1)))
        ++end;

    out.append (bytes + start, end - start + 1);
    readPosition = (juce::uint32) (end + 1);
    return true;
}
