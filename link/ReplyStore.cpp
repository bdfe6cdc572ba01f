#include "ReplyStore.h"

void ReplyStore::add (const juce::MidiMessage& message)
{
    const auto size = (size_t) juce::jmax (0, message.getRawDataSize());

    if (blocks.empty() || blocks.back().capacity - blocks.back().used < size)
    {
        Block block;
        block.capacity = juce::jmax (blockBytes, size);
        block.data.reset (new juce::uint8[block.capacity]);
        blocks.push_back (std::move (block));
    }

    auto& block = blocks.back();

    if (size > 0)
        std::memcpy (block.data.get() + block.used, message.getRawData(), size);

    entries.push_back ({ (juce::uint32) (blocks.size() - 1), (juce::uint32) block.used, (juce::uint32) size });
    block.used += size;
    totalBytes += (juce::int64) size;
}

bool ReplyStore::get (int n, juce::MidiMessage& out) const
{
    if (n < 0 || n >= (int) entries.size())
        return false;

    const auto& entry = entries[(size_t) n];
    out = entry.size > 0 ? juce::MidiMessage (dataOf (entry), (int) entry.size, 0.0) : juce::MidiMessage();
    return true;
}

bool ReplyStore::writeTo (juce::OutputStream& stream) const
{
    for (const auto& entry : entries)
        if (entry.size > 0 && ! stream.write (dataOf (entry), entry.size))
            return false;

    return true;
}
