#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <deque>
#include <memory>
#include <vector>

/** The replies of one request, kept as their raw bytes in arrival order.

    A dump of tens of thousands of messages is held in blocks of 64 KiB that are filled one after
    another, each message whole inside one block (a longer message gets a block of its own), so
    the store grows without ever copying what it holds and takes little more than the dump's own
    size. A reply can also be kept where it already lies, in a shared block of received bytes
    that is never written again (see IncomingMessageLog): the store then holds that block
    instead of copying the reply. Not thread-safe: SysExRequest guards it with its replies lock.
*/
class ReplyStore
{
public:
    ReplyStore() = default;

    using SharedBytes = std::shared_ptr<const juce::uint8[]>;

    /** Keeps a copy of the message's bytes as the next reply. */
    void add (const juce::MidiMessage& message);

    /** Keeps size bytes at offset in the shared block as the next reply, without copying them:
        the store holds the block from now on. The bytes must never change.
    */
    void addShared (const SharedBytes& block, size_t offset, int size);

    int size() const noexcept { return (int) entries.size(); }

    /** The total of the replies' bytes. */
    juce::int64 getTotalBytes() const noexcept { return totalBytes; }

    /** Reply n as a message; false when n is out of range. */
    bool get (int n, juce::MidiMessage& out) const;

    /** Writes every reply's bytes, in order; false at the first failed write. */
    bool writeTo (juce::OutputStream& stream) const;

    /** The bytes of reply n, or nullptr when n is out of range. They stay where they are, and
        unchanged, for as long as the store lives, whatever is added later.
    */
    const juce::uint8* getData (int n, int& size) const noexcept;

    static constexpr size_t blockBytes = 64 * 1024;

private:
    struct Entry
    {
        juce::uint32 block;
        juce::uint32 offset;
        juce::uint32 size;
    };

    struct Block
    {
        SharedBytes data;
        juce::uint8* writable = nullptr;    // a block of the store's own, which takes copies
        size_t capacity = 0;
        size_t used = 0;
    };

    const juce::uint8* dataOf (const Entry& entry) const noexcept { return blocks[entry.block].data.get() + entry.offset; }

    std::vector<Block> blocks;
    std::deque<Entry> entries;  // grows piece by piece: no reallocation of every entry at once
    juce::int64 totalBytes = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ReplyStore)
};
