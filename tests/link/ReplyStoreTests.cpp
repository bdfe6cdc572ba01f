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
} // namespace
