#include "IncomingMessageLog.h"

juce::MidiMessage IncomingMessageLog::Message::toMidiMessage() const
{
    return size > 0 ? juce::MidiMessage (getData(), size, 0.0) : juce::MidiMessage();
}

void IncomingMessageLog::append (const juce::uint8* data, int size)
{
    const auto bytes = (size_t) juce::jmax (0, size);
    const auto needed = sizeFieldBytes + bytes;

    if (blocks.empty() || blocks.back().capacity - blocks.back().used < needed)
    {
        // A full block that is entirely taken is no longer needed here.
        if (blocks.size() == 1 && takenInFront == blocks.front().used)
        {
            blocks.pop_front();
            takenInFront = 0;
        }

        Block block;
        block.capacity = juce::jmax (blockBytes, needed);
        block.data.reset (new juce::uint8[block.capacity]);
        blocks.push_back (std::move (block));
    }

    auto& block = blocks.back();
    juce::writeUnaligned<juce::uint32> (block.data.get() + block.used, (juce::uint32) bytes);

    if (bytes > 0)
        std::memcpy (block.data.get() + block.used + sizeFieldBytes, data, bytes);

    block.used += needed;
}

bool IncomingMessageLog::isEmpty() const noexcept
{
    return blocks.empty() || (blocks.size() == 1 && takenInFront == blocks.front().used);
}

void IncomingMessageLog::takeAll (std::vector<Range>& out)
{
    for (size_t i = 0; i < blocks.size(); ++i)
    {
        const auto begin = i == 0 ? takenInFront : (size_t) 0;

        if (begin < blocks[i].used)
            out.push_back ({ blocks[i].data, begin, blocks[i].used });
    }

    // Only the block that takes the next messages stays; the others live on in what was taken.
    while (blocks.size() > 1)
        blocks.pop_front();

    takenInFront = blocks.empty() ? 0 : blocks.front().used;
}
