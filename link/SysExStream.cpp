#include "SysExStream.h"

#include "SysExMessage.h"

bool SysExStream::load (const juce::uint8* newData, juce::uint32 size, juce::uint8 model)
{
    if (newData == nullptr)
        return false;

    const juce::uint8 header[] = { 0xF0, 0x00, 0x01, 0x74, model };
    const size_t headerLength = model == anySysEx ? 1 : (model == anyModel ? 4 : 5);
    pattern.replaceAll (header, headerLength);
    data.replaceAll (newData, size);
    readPosition = 0;

    // Counted by the same walk that next makes, so that the count is what the sender will send.
    messageCount = 0;

    for (auto found = findMessage (0); found.length > 0; found = findMessage (found.start + found.length))
        ++messageCount;

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

SysExStream::Found SysExStream::findMessage (size_t from) const noexcept
{
    const auto dataLength = data.getSize();
    const auto* bytes = static_cast<const juce::uint8*> (data.getData());

    // Each byte is looked at at most twice: a broken message ends at its first status byte,
    // and the search goes on from there.
    for (auto p = from; p < dataLength; ++p)
    {
        if (bytes[p] != 0xF0)
            continue;

        const auto length = wholeSysExMessageLength (bytes + p, dataLength - p);

        // A whole message has its F7 after the header, so the header lies wholly inside it.
        if (length > pattern.getSize() && patternMatchesAt (p))
            return { p, length };
    }

    return {};
}

bool SysExStream::hasNext() const
{
    return ! isAtEnd() && findMessage (readPosition).length > 0;
}

bool SysExStream::next (juce::MemoryBlock& out)
{
    if (isAtEnd())
        return false;

    const auto found = findMessage (readPosition);

    if (found.length == 0)
        return false;

    out.append (static_cast<const juce::uint8*> (data.getData()) + found.start, found.length);
    readPosition = (juce::uint32) (found.start + found.length);
    return true;
}
