#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <deque>
#include <memory>
#include <vector>

/** Incoming MIDI messages on their way from the driver's thread to the link worker, kept as
    their raw bytes end to end in shared blocks of 64 KiB.

    The driver's thread appends each message once; the worker takes what has arrived since its
    last take and reads it in place. A block is never moved or written again below its fill
    level, so a message that the worker keeps (a reply) can stay where it is: the request that
    keeps it holds the block, and the dump is never copied a second time. Once nobody holds a
    block any more it is freed.

    Not thread-safe on its own: MidiPortManager guards it with its received lock.
*/
class IncomingMessageLog
{
public:
    using SharedBytes = std::shared_ptr<const juce::uint8[]>;

    /** Taken messages that lie end to end in one block, which the range keeps alive. */
    struct Range
    {
        SharedBytes block;
        size_t begin = 0;
        size_t end = 0;
    };

    /** One taken message, seen inside its range's block (valid while the range lives). */
    struct Message
    {
        const SharedBytes* block = nullptr;
        size_t offset = 0;
        int size = 0;

        const juce::uint8* getData() const noexcept { return block->get() + offset; }
        juce::MidiMessage toMidiMessage() const;
    };

    IncomingMessageLog() = default;

    /** Keeps a copy of the message's bytes, after every message appended before. */
    void append (const juce::uint8* data, int size);

    /** True when nothing has been appended since the last take. */
    bool isEmpty() const noexcept;

    /** Adds the ranges that hold every message appended since the last take to the end of
        out, oldest first.
    */
    void takeAll (std::vector<Range>& out);

    /** Calls fn (const Message&) for every message of the ranges, in order. */
    template <typename Fn>
    static void forEachMessage (const std::vector<Range>& ranges, Fn&& fn)
    {
        for (const auto& range : ranges)
        {
            auto position = range.begin;

            while (position < range.end)
            {
                const auto size = juce::readUnaligned<juce::uint32> (range.block.get() + position);
                fn (Message { &range.block, position + sizeFieldBytes, (int) size });
                position += sizeFieldBytes + size;
            }
        }
    }

    /** The size of the blocks that messages are laid out in; a longer message gets a block of
        its own.
    */
    static constexpr size_t blockBytes = 64 * 1024;

private:
    static constexpr size_t sizeFieldBytes = sizeof (juce::uint32);

    struct Block
    {
        std::shared_ptr<juce::uint8[]> data;
        size_t capacity = 0;
        size_t used = 0;
    };

    std::deque<Block> blocks;   // the front may be partly taken; the back takes new messages
    size_t takenInFront = 0;    // bytes of the front block already taken

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (IncomingMessageLog)
};
