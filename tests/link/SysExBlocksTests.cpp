#include "SysExTestMessages.h"

#include "SysExBlocks.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
int find (const Bytes& text, const Bytes& pattern)
{
    return findPattern (text.data(), (int) text.size(), pattern.data(), (int) pattern.size());
}

Bytes retarget (const Bytes& in, juce::uint8 model)
{
    juce::MemoryBlock out;
    retargetSysExModel (toBlock (in), model, out);
    return bytesOf (out);
}

std::vector<Bytes> split (const Bytes& in, juce::uint8 functionId, juce::uint8 model)
{
    juce::OwnedArray<juce::MemoryBlock> pieces;
    splitSysExByHeader (toBlock (in), functionId, model, pieces);
    std::vector<Bytes> result;

    for (auto* piece : pieces)
        result.push_back (bytesOf (*piece));

    return result;
}
} // namespace

TEST (FindPattern, FindsTheFirstOccurrence)
{
    EXPECT_EQ (find ({ 1, 2, 3, 1, 2, 3 }, { 2, 3 }), 1);
    EXPECT_EQ (find ({ 1, 1, 1, 2 }, { 1, 1, 2 }), 1);
    EXPECT_EQ (find ({ 0xF0, 0xF0, 0x00, 0xF0, 0x00, 0x01 }, { 0xF0, 0x00, 0x01 }), 3);
    EXPECT_EQ (find ({ 1, 2, 1, 2, 1, 3 }, { 1, 2, 1, 3 }), 2);
    EXPECT_EQ (find ({ 5 }, { 5 }), 0);
}

TEST (FindPattern, GivesMinusOneWhenAbsentOrArgumentsAreUnusable)
{
    const Bytes text { 1, 2, 3 };
    const Bytes pattern { 2, 3 };
    EXPECT_EQ (find (text, { 3, 2 }), -1);
    EXPECT_EQ (find ({ 1, 2 }, { 1, 2, 3 }), -1);
    EXPECT_EQ (findPattern (nullptr, 3, pattern.data(), 2), -1);
    EXPECT_EQ (findPattern (text.data(), 3, nullptr, 2), -1);
    EXPECT_EQ (findPattern (text.data(), 3, pattern.data(), 0), -1);
    EXPECT_EQ (findPattern (text.data(), 0, pattern.data(), 2), -1);
    EXPECT_EQ (findPattern (text.data(), -4, pattern.data(), 2), -1);
}

TEST (RetargetSysExModel, MessagesOfTheTargetModelAreCopiedLessLeadingJunk)
{
    const auto first = zandrelBytes (6, 0x77, { 1, 2, 3, 4 });
    const auto second = zandrelBytes (6, 0x78, { 5, 6 });
    EXPECT_EQ (retarget (concat ({ { 0x11, 0x22 }, first, second }), 6), concat ({ first, second }));
}

TEST (RetargetSysExModel, ChangedMessagesGetTheirOwnNewChecksum)
{
    const auto in = concat ({ zandrelBytes (3, 0x77, { 1, 2, 3, 4 }), zandrelBytes (3, 0x79, { 9, 9, 9 }) });
    const auto out = retarget (in, 7);
    EXPECT_EQ (out, concat ({ zandrelBytes (7, 0x77, { 1, 2, 3, 4 }), zandrelBytes (7, 0x79, { 9, 9, 9 }) }));
}

TEST (RetargetSysExModel, BytesBetweenAnF7AndTheNextHeaderAreDropped)
{
    // Read as gluing the junk to the first message, the first checksum would land on a junk byte.
    const auto in = concat ({ zandrelBytes (3, 0x7A, { 1, 0, 16 }), { 0x00, 0x42, 0x13 }, zandrelBytes (3, 0x7B, { 2, 0, 7, 7, 7, 7, 7 }), { 0x55 } });
    const auto out = retarget (in, 6);
    EXPECT_EQ (out, concat ({ zandrelBytes (6, 0x7A, { 1, 0, 16 }), zandrelBytes (6, 0x7B, { 2, 0, 7, 7, 7, 7, 7 }) }));
}

TEST (RetargetSysExModel, PiecesWithoutF7OrShorterThanEightBytesAreCopiedUnchanged)
{
    const auto complete = zandrelBytes (3, 0x78, { 1, 2, 3 });
    const Bytes truncated { 0xF0, 0x00, 0x01, 0x74, 0x03, 0x78, 0x01, 0x02 };
    const Bytes tiny { 0xF0, 0x00, 0x01, 0x74, 0x03, 0x43, 0xF7 };

    EXPECT_EQ (retarget (concat ({ truncated, complete }), 16), concat ({ truncated, zandrelBytes (16, 0x78, { 1, 2, 3 }) }));
    EXPECT_EQ (retarget (concat ({ complete, truncated }), 16), concat ({ zandrelBytes (16, 0x78, { 1, 2, 3 }), truncated }));
    EXPECT_EQ (retarget (tiny, 16), tiny);
}

TEST (RetargetSysExModel, ABlockEndingInsideOrRightAfterTheHeaderEnds)
{
    const auto complete = zandrelBytes (3, 0x78, { 1, 2, 3 });
    EXPECT_EQ (retarget (concat ({ complete, { 0xF0, 0x00, 0x01, 0x74 } }), 6), zandrelBytes (6, 0x78, { 1, 2, 3 }));
    EXPECT_EQ (retarget (concat ({ complete, { 0xF0, 0x00, 0x01 } }), 6), zandrelBytes (6, 0x78, { 1, 2, 3 }));
    EXPECT_EQ (retarget ({ 0xF0, 0x00, 0x01, 0x74, 0x03 }, 6), (Bytes { 0xF0, 0x00, 0x01, 0x74, 0x03 }));
    EXPECT_TRUE (retarget ({}, 6).empty());
}

TEST (RetargetSysExModel, OtherMakersMessagesAreDroppedAndOutIsAppendedTo)
{
    const Bytes universal { 0xF0, 0x7E, 0x00, 0x06, 0x01, 0xF7 };
    const auto ours = zandrelBytes (8, 0x1C, { 1 });

    juce::MemoryBlock out (Bytes { 0xAA }.data(), 1);
    retargetSysExModel (toBlock (concat ({ universal, ours, universal })), 8, out);
    EXPECT_EQ (bytesOf (out), concat ({ { 0xAA }, ours }));
}

TEST (SplitSysExByHeader, CutsBeforeEveryHeaderKeepingLeadingJunk)
{
    const auto presetOne = concat ({ zandrelBytes (6, 0x77, { 0, 1, 0, 32 }), zandrelBytes (6, 0x78, { 1 }) });
    const auto presetTwo = concat ({ zandrelBytes (6, 0x77, { 0, 2, 0, 32 }), zandrelBytes (6, 0x79, { 1 }) });

    const auto pieces = split (concat ({ { 0x01, 0x02 }, presetOne, presetTwo }), 0x77, 6);
    ASSERT_EQ (pieces.size(), 3u);
    EXPECT_EQ (pieces[0], (Bytes { 0x01, 0x02 }));
    EXPECT_EQ (pieces[1], presetOne);
    EXPECT_EQ (pieces[2], presetTwo);

    EXPECT_EQ (split (concat ({ presetOne, presetTwo }), 0x77, 6).size(), 2u);
}

TEST (SplitSysExByHeader, OtherModelsHeadersDoNotCut)
{
    const auto block = concat ({ zandrelBytes (3, 0x77, { 1 }), zandrelBytes (3, 0x77, { 2 }) });
    const auto pieces = split (block, 0x77, 6);
    ASSERT_EQ (pieces.size(), 1u);
    EXPECT_EQ (pieces[0], block);
    EXPECT_TRUE (split ({}, 0x77, 6).empty());
}

TEST (SplitSysExByHeader, RawPointerVersionHandsOwnershipToTheCaller)
{
    const auto block = concat ({ zandrelBytes (16, 0x7A, { 1 }), zandrelBytes (16, 0x7A, { 2 }), { 0x7F } });
    juce::Array<juce::MemoryBlock*> pieces;
    splitSysExByHeader (toBlock (block), 0x7A, 16, pieces);
    juce::OwnedArray<juce::MemoryBlock> owned;

    for (auto* piece : pieces)
        owned.add (piece);

    ASSERT_EQ (owned.size(), 2);
    EXPECT_EQ (bytesOf (*owned.getUnchecked (0)), zandrelBytes (16, 0x7A, { 1 }));
    EXPECT_EQ (bytesOf (*owned.getUnchecked (1)), concat ({ zandrelBytes (16, 0x7A, { 2 }), { 0x7F } }));
}
