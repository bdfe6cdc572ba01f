#pragma once

#include <juce_core/juce_core.h>

/** Cuts a block of concatenated SysEx messages into single messages by their header.

    The header is F0 00 01 74 and the model byte for a model below 254, F0 00 01 74 for 254 (any
    of the maker's models) and a bare F0 for 255 (any SysEx message). A message is a whole
    message (wholeSysExMessageLength: F0, data bytes, F7) that begins with the header. Whatever
    else the block holds (bytes between messages, a message cut short or broken by a status
    byte, a message with another header) is skipped: it is never glued to a message before it
    and never handed out. A block that is to be sent whole is checked before it is loaded (a file
    from disk in SysExFileCheck), so that nothing of it is skipped. Not thread-safe: its owner
    guards it.
*/
class SysExStream
{
public:
    /** Model values that widen the header: any of the maker's models, any SysEx message. */
    static constexpr juce::uint8 anyModel = 254;
    static constexpr juce::uint8 anySysEx = 255;

    SysExStream() = default;

    /** Copies the block, counts its messages and rewinds. False for null data. */
    bool load (const juce::uint8* data, juce::uint32 size, juce::uint8 model);

    /** The number of messages that next hands out from the start of the block. */
    juce::uint32 count() const noexcept { return messageCount; }

    /** Appends the next message to out and moves past it; false when no further message starts
        at or after the read position.
    */
    bool next (juce::MemoryBlock& out);

    /** True when next would find a message. */
    bool hasNext() const;

    /** Starts reading from the beginning again. */
    void rewind() noexcept { readPosition = 0; }

    /** True once the read position has passed the last byte. */
    bool isAtEnd() const noexcept { return readPosition >= (juce::uint32) data.getSize(); }

    juce::uint32 getReadPosition() const noexcept { return readPosition; }

private:
    bool patternMatchesAt (size_t position) const noexcept;

    /** A message found: where it starts and how many bytes it has. */
    struct Found
    {
        size_t start = 0, length = 0;
    };

    /** The first message from 'from' on; length 0 when there is none. */
    Found findMessage (size_t from) const noexcept;

    juce::MemoryBlock pattern;
    juce::MemoryBlock data;
    juce::uint32 messageCount = 0;
    juce::uint32 readPosition = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SysExStream)
};
