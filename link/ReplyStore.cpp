#include "ReplyStore.h"

void ReplyStore::add (const juce::MidiMessage& message)
{
    const auto size = (size_t) juce::jmax (0, message.getRawDataSize());

    if (blocks.empty() || blocks.back().writable == nullptr || blocks.back().capacity - blocks.back().used < size)
    {
        Block block;
        block.capacity = juce::jmax (blockBytes, size);
        std::shared_ptr<juce::uint8[]> own (new juce::uint8[block.capacity]);
        block.writable = own.get();
        block.data = std::move (own);
        blocks.push_back (std::move (block));
    }

    auto& block = blocks.back();

    if (size > 0)
        std::memcpy (block.writable + block.used, message.getRawData(), size);

    entries.push_back ({ (juce::uint32) (blocks.size() - 1), (juce::uint32) block.used, (juce::uint32) size });
    block.used += size;
    totalBytes += (juce::int64) size;
}

void ReplyStore::addShared (const SharedBytes& block, size_t offset, int size)
{
    if (block == nullptr)
        return;

    // Consecutive replies mostly lie in one block: it is held once.
    if (blocks.empty() || blocks.back().data != block)
    {
        Block shared;
        shared.data = block;
        blocks.push_back (std::move (shared));
    }

    const auto bytes = (juce::uint32) juce::jmax (0, size);
    entries.push_back ({ (juce::uint32) (blocks.size() - 1), (juce::uint32) offset, bytes });
    totalBytes += (juce::int64) bytes;
}

bool ReplyStore::get (int n, juce::MidiMessage& out) const
{
    if (n < 0 || n >= (int) entries.size())
        return false;

    const auto& entry = entries[(size_t) n];
    out = entry.size > 0 ? juce::MidiMessage (dataOf (entry), (int) entry.size, 0.0) : juce::MidiMessage();
    return true;
}

const juce::uint8* ReplyStore::getData (int n, int& size) const noexcept
{
    if (n < 0 || n >= (int) entries.size())
        return nullptr;

    const auto& entry = entries[(size_t) n];
    size = (int) entry.size;
    return dataOf (entry);
}

bool ReplyStore::writeTo (juce::OutputStream& stream) const
{
    for (const auto& entry : entries)
        if (entry.size > 0 && ! stream.write (dataOf (entry), entry.size))
            return false;

    return true;
}
