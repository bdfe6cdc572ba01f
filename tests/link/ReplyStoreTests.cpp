#include "ReplyStore.h"

#include <gtest/gtest.h>

namespace
{
juce::MidiMessage sysExOf (size_t dataBytes, juce::uint8 seed)
{
    std::vector<juce::uint8> bytes { 0xF0 };

    for (size_t i = 0; i < dataBytes; ++i)
        bytes.push_back ((juce::uint8) ((i + seed) & 0x7F));

    bytes.push_back (0xF7);
    return juce::MidiMessage (bytes.data(), (int) bytes.size());
}

TEST (ReplyStore, KeepsEveryReplyWholeAndInOrderAcrossBlocks)
{
    struct Case
    {
        const char* what;
        std::vector<size_t> sizes;
    };

    const std::vector<Case> cases {
        { "nothing", {} },
        { "short replies filling several blocks", std::vector<size_t> (3000, 163) },
        { "a reply longer than a block between short ones", { 10, ReplyStore::blockBytes * 2 + 5, 10 } },
        { "a reply that just fits the rest of a block", { ReplyStore::blockBytes - 102, 100, 1 } },
        { "one-byte messages", std::vector<size_t> (5, 0) },
    };

    for (const auto& c : cases)
    {
        ReplyStore store;
        juce::MemoryBlock expected;
        std::vector<juce::MidiMessage> added;

        for (size_t i = 0; i < c.sizes.size(); ++i)
        {
            const auto message = c.sizes[i] == 0 ? juce::MidiMessage::midiClock() : sysExOf (c.sizes[i], (juce::uint8) i);
            store.add (message);
            added.push_back (message);
            expected.append (message.getRawData(), (size_t) message.getRawDataSize());
        }

        EXPECT_EQ (store.size(), (int) added.size()) << c.what;
        EXPECT_EQ (store.getTotalBytes(), (juce::int64) expected.getSize()) << c.what;

        for (int i = 0; i < store.size(); ++i)
        {
            juce::MidiMessage out;
            ASSERT_TRUE (store.get (i, out)) << c.what;
            ASSERT_EQ (out.getRawDataSize(), added[(size_t) i].getRawDataSize()) << c.what << " reply " << i;
            EXPECT_EQ (std::memcmp (out.getRawData(), added[(size_t) i].getRawData(), (size_t) out.getRawDataSize()), 0) << c.what;
        }

        juce::MidiMessage untouched = juce::MidiMessage::midiStart();
        EXPECT_FALSE (store.get (store.size(), untouched)) << c.what;
        EXPECT_FALSE (store.get (-1, untouched)) << c.what;
        EXPECT_TRUE (untouched.isMidiStart());

        juce::MemoryOutputStream written;
        EXPECT_TRUE (store.writeTo (written)) << c.what;
        // Compared only when not empty: the framework's comparison hands memcmp a null pointer then.
        EXPECT_EQ (written.getDataSize(), expected.getSize()) << c.what;
        EXPECT_TRUE (expected.isEmpty() || written.getMemoryBlock() == expected) << c.what;
    }
}
TEST (ReplyStore, KeepsSharedRepliesInPlaceBesideCopiedOnes)
{
    // Three received messages in one shared block, a copied reply, then two more shared ones
    // from a second block; the block owners let go of them at once.
    auto makeBlock = [] (const std::vector<juce::MidiMessage>& messages, std::vector<size_t>& offsets)
    {
        size_t total = 0;

        for (const auto& m : messages)
            total += (size_t) m.getRawDataSize() + 3;   // a gap, as between received messages

        std::shared_ptr<juce::uint8[]> block (new juce::uint8[total]);
        size_t position = 0;

        for (const auto& m : messages)
        {
            position += 3;
            offsets.push_back (position);
            std::memcpy (block.get() + position, m.getRawData(), (size_t) m.getRawDataSize());
            position += (size_t) m.getRawDataSize();
        }

        return ReplyStore::SharedBytes (block);
    };

    const std::vector<juce::MidiMessage> first { sysExOf (163, 1), sysExOf (10, 2), sysExOf (0, 3) };
    const std::vector<juce::MidiMessage> second { sysExOf (ReplyStore::blockBytes + 9, 4), sysExOf (5, 5) };
    const auto copied = sysExOf (20, 6);
    std::vector<juce::MidiMessage> order;
    ReplyStore store;

    {
        std::vector<size_t> offsets;
        auto block = makeBlock (first, offsets);

        for (size_t i = 0; i < first.size(); ++i)
        {
            store.addShared (block, offsets[i], first[i].getRawDataSize());
            order.push_back (first[i]);
        }
    }

    store.add (copied);
    order.push_back (copied);

    {
        std::vector<size_t> offsets;
        auto block = makeBlock (second, offsets);

        for (size_t i = 0; i < second.size(); ++i)
        {
            store.addShared (block, offsets[i], second[i].getRawDataSize());
            order.push_back (second[i]);
        }
    }

    store.add (copied);
    order.push_back (copied);

    juce::MemoryBlock expected;

    for (const auto& m : order)
        expected.append (m.getRawData(), (size_t) m.getRawDataSize());

    ASSERT_EQ (store.size(), (int) order.size());
    EXPECT_EQ (store.getTotalBytes(), (juce::int64) expected.getSize());

    for (int i = 0; i < store.size(); ++i)
    {
        juce::MidiMessage out;
        ASSERT_TRUE (store.get (i, out));
        ASSERT_EQ (out.getRawDataSize(), order[(size_t) i].getRawDataSize()) << "reply " << i;
        EXPECT_EQ (std::memcmp (out.getRawData(), order[(size_t) i].getRawData(), (size_t) out.getRawDataSize()), 0) << "reply " << i;
    }

    juce::MemoryOutputStream written;
    EXPECT_TRUE (store.writeTo (written));
    EXPECT_TRUE (written.getMemoryBlock() == expected);
}
} // namespace
