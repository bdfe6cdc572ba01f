#include "SimulatedDevice.h"
#include "SysExStream.h"

#include <gtest/gtest.h>

using morvane::test::SimulatedDevice;

namespace
{
    void append (juce::MemoryBlock& block, const juce::MidiMessage& message)
    {
        block.append (message.getRawData(), (size_t) message.getRawDataSize());
    }

    juce::MemoryBlock bytesOf (const juce::MidiMessage& message)
    {
        return { message.getRawData(), (size_t) message.getRawDataSize() };
    }

    juce::MemoryBlock nextOf (SysExStream& stream)
    {
        juce::MemoryBlock out;
        EXPECT_TRUE (stream.next (out));
        return out;
    }

    bool load (SysExStream& stream, const juce::MemoryBlock& block, juce::uint8 model)
    {
        return stream.load (static_cast<const juce::uint8*> (block.getData()), (juce::uint32) block.getSize(), model);
    }
} // namespace

TEST (SysExStream, CutsMessagesOfOneModelAndSkipsJunkInFront)
{
    const auto first = SimulatedDevice::makeMessage (3, 0x77, { 0, 1, 2, 3 });
    const auto second = SimulatedDevice::makeMessage (3, 0x78, { 5, 6, 7 });
    const auto third = SimulatedDevice::makeMessage (3, 0x79, { 9 });

    juce::MemoryBlock block;
    block.append ("\x12\x34", 2);
    append (block, first);
    append (block, second);
    append (block, third);

    SysExStream stream;
    ASSERT_TRUE (load (stream, block, 3));
    EXPECT_EQ (stream.count(), 3u);

    EXPECT_EQ (nextOf (stream), bytesOf (first));
    EXPECT_EQ (nextOf (stream), bytesOf (second));
    EXPECT_EQ (nextOf (stream), bytesOf (third));
    EXPECT_TRUE (stream.isAtEnd());

    juce::MemoryBlock none;
    EXPECT_FALSE (stream.next (none));
    EXPECT_FALSE (stream.hasNext());

    stream.rewind();
    EXPECT_EQ (nextOf (stream), bytesOf (first));
}

TEST (SysExStream, WhatIsNotAWholeMessageOfTheHeaderIsSkippedAndNeverGluedToAMessage)
{
    const auto before = bytesOf (SimulatedDevice::makeMessage (3, 0x77, { 1, 2, 3 }));
    const auto after = bytesOf (SimulatedDevice::makeMessage (3, 0x79, { 4, 5 }));
    const auto otherModel = bytesOf (SimulatedDevice::makeMessage (6, 0x78, { 7 }));

    auto brokenByStatus = bytesOf (SimulatedDevice::makeMessage (3, 0x78, { 1, 2, 3, 4 }));
    brokenByStatus[7] = (char) 0x90;
    auto withoutF0 = bytesOf (SimulatedDevice::makeMessage (3, 0x78, { 1, 2 }));
    withoutF0.removeSection (0, 1);
    auto withoutF7 = bytesOf (SimulatedDevice::makeMessage (3, 0x78, { 1, 2 }));
    withoutF7.setSize (withoutF7.getSize() - 1);

    struct Case
    {
        const char* what;
        juce::MemoryBlock between;
    };

    const Case cases[] = {
        { "three stray bytes", juce::MemoryBlock ("\x01\x02\x03", 3) },
        { "a line end", juce::MemoryBlock ("\r\n", 2) },
        { "a stray F7", juce::MemoryBlock ("\xF7", 1) },
        { "data bytes and an F7", juce::MemoryBlock ("\x00\x11\xF7", 3) },
        { "a message of another model", otherModel },
        { "a message broken by a note status byte", brokenByStatus },
        { "a message that lost its F0", withoutF0 },
        { "a message that lost its F7", withoutF7 },
        { "a real-time byte", juce::MemoryBlock ("\xF8", 1) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        juce::MemoryBlock block (before);
        block.append (c.between.getData(), c.between.getSize());
        block.append (after.getData(), after.getSize());

        SysExStream stream;
        ASSERT_TRUE (load (stream, block, 3));
        EXPECT_EQ (stream.count(), 2u) << "the count is what next hands out";
        EXPECT_EQ (nextOf (stream), before) << "nothing is glued to the message before";
        EXPECT_EQ (nextOf (stream), after);
        EXPECT_TRUE (stream.isAtEnd());

        // The same junk at the very end is never handed out either.
        juce::MemoryBlock trailing (before);
        trailing.append (c.between.getData(), c.between.getSize());
        ASSERT_TRUE (load (stream, trailing, 3));
        EXPECT_EQ (stream.count(), 1u);
        EXPECT_EQ (nextOf (stream), before);
        juce::MemoryBlock none;
        EXPECT_FALSE (stream.next (none));
        EXPECT_TRUE (none.isEmpty());
    }

    // Any of the maker's models: the message of another model is a message of its own.
    juce::MemoryBlock mixed (before);
    mixed.append (otherModel.getData(), otherModel.getSize());
    mixed.append (after.getData(), after.getSize());
    SysExStream stream;
    load (stream, mixed, SysExStream::anyModel);
    EXPECT_EQ (stream.count(), 3u);
    EXPECT_EQ (nextOf (stream), before);
    EXPECT_EQ (nextOf (stream), otherModel);
}

TEST (SysExStream, AnySysExPatternTakesOtherMakersMessagesTooAnyModelSkipsThem)
{
    const juce::uint8 universal[] = { 0xF0, 0x7E, 0x00, 0xF7 };
    const auto makers = SimulatedDevice::makeMessage (2, 0x7D, { 1, 2 });

    juce::MemoryBlock block (universal, sizeof (universal));
    append (block, makers);

    SysExStream stream;
    load (stream, block, SysExStream::anySysEx);
    EXPECT_EQ (stream.count(), 2u);
    EXPECT_EQ (nextOf (stream), juce::MemoryBlock (universal, sizeof (universal)));
    EXPECT_EQ (nextOf (stream), bytesOf (makers));

    load (stream, block, SysExStream::anyModel);
    EXPECT_EQ (stream.count(), 1u);
    EXPECT_EQ (nextOf (stream), bytesOf (makers));
}

TEST (SysExStream, ReportsNoFurtherMessageWhereNoneCanStart)
{
    SysExStream stream;
    EXPECT_FALSE (stream.load (nullptr, 10, 3));

    // A bare header on the last bytes is no message: next fails without moving and the read
    // position never reaches the end.
    const auto message = SimulatedDevice::makeMessage (3, 0x77, { 1 });
    juce::MemoryBlock block = bytesOf (message);
    const juce::uint8 bareHeader[] = { 0xF0, 0x00, 0x01, 0x74, 0x03 };
    block.append (bareHeader, sizeof (bareHeader));

    load (stream, block, 3);
    EXPECT_EQ (stream.count(), 1u);
    EXPECT_EQ (nextOf (stream), bytesOf (message));
    EXPECT_FALSE (stream.hasNext());

    juce::MemoryBlock none;
    const auto position = stream.getReadPosition();
    EXPECT_FALSE (stream.next (none));
    EXPECT_EQ (stream.getReadPosition(), position);
    EXPECT_FALSE (stream.isAtEnd());
    EXPECT_TRUE (none.isEmpty());

    // A block without a header of the model.
    const auto other = SimulatedDevice::makeMessage (6, 0x77, { 1 });
    load (stream, bytesOf (other), 3);
    EXPECT_EQ (stream.count(), 0u);
    EXPECT_FALSE (stream.hasNext());
    EXPECT_FALSE (stream.next (none));

    // An empty block.
    const juce::uint8 nothing[] = { 0 };
    EXPECT_TRUE (stream.load (nothing, 0, 3));
    EXPECT_EQ (stream.count(), 0u);
    EXPECT_FALSE (stream.next (none));
}
