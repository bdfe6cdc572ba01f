#include "SysExTestMessages.h"

#include "ReplyMatcher16.h"
#include "SysExRequest.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
std::unique_ptr<SysExRequest> requestFor (juce::uint8 q) { return requestInFlight (q, 16); }
bool counts (juce::uint8 q, const juce::MidiMessage& message) { return matcherCounts<ReplyMatcher16> (16, q, message); }

bool counts (juce::uint8 q, juce::uint8 r)
{
    return counts (q, zandrelMessage (16, r, { 0x01, 0x02 }));
}

juce::MidiMessage gridStart (juce::uint32 length)
{
    return zandrelMessage (16, 0x61, concat ({ sevenBit (0, 2), sevenBit (0, 3), sevenBit (0, 3), sevenBit (0, 3), sevenBit (length, 3) }));
}

class ReplyMatcher16Test : public ::testing::Test
{
protected:
    ReplyMatcher16 matcher;
    ScopedDeviceModel model { 16 };
};
} // namespace

TEST_F (ReplyMatcher16Test, WhichRequestsEachReplyAnswers)
{
    struct Case
    {
        juce::uint8 r;
        std::vector<juce::uint8> q;
    };
    const Case cases[] = {
        { 0x01, { 0x01 } }, { 0x08, { 0x08 } }, { 0x14, { 0x14 } }, { 0x47, { 0x47 } }, { 0x52, { 0x43 } }, { 0x53, { 0x43 } }, { 0x62, { 0x20 } }, { 0x63, { 0x20 } }, { 0x67, { 0x40 } }, { 0x68, { 0x40 } }, { 0x69, { 0x40 } }, { 0x75, { 0x1F } }, { 0x76, { 0x1F } }, { 0x77, { 0x03 } }, { 0x78, { 0x03 } }, { 0x79, { 0x03 } }, { 0x7A, { 0x19, 0x44, 0x40 } }, { 0x7B, { 0x19, 0x44, 0x40 } }, { 0x7C, { 0x19, 0x44, 0x40 } }, { 0x02, {} }, { 0x0D, {} }, { 0x1C, {} }, { 0x35, {} }, { 0x00, {} }, { 0x7D, {} }, { 0x7F, {} }
    };

    for (const auto& c : cases)
    {
        for (int q = 0; q < 0x80; ++q)
        {
            const bool expected = std::find (c.q.begin(), c.q.end(), (juce::uint8) q) != c.q.end();
            EXPECT_EQ (counts ((juce::uint8) q, c.r), expected) << "r " << std::hex << (int) c.r << " q " << q;
        }
    }
}

TEST_F (ReplyMatcher16Test, CurrentPatchReplyCountsForTheCurrentPatchQuery)
{
    auto request = requestFor (0x14);
    request->setExpectedReplies (1);
    const auto reply = zandrelMessage (16, 0x14, { 1, 5 });
    ASSERT_TRUE (matcher.matchReply (request.get(), reply));
    EXPECT_TRUE (request->addReply (reply));
}

TEST_F (ReplyMatcher16Test, StateReportsNeverCountWhateverTheirChecksum)
{
    auto report = zandrelBytes (16, 0x02, { 3, 4 });
    EXPECT_FALSE (counts (0x02, toMessage (report)));
    report[report.size() - 2] ^= 0x01;
    EXPECT_FALSE (counts (0x02, toMessage (report)));
}

TEST_F (ReplyMatcher16Test, MalformedMessagesNeverCount)
{
    auto version = zandrelBytes (16, 0x08, { 1, 3 });
    EXPECT_TRUE (counts (0x08, toMessage (version)));

    auto badChecksum = version;
    badChecksum[badChecksum.size() - 2] ^= 0x01;
    EXPECT_FALSE (counts (0x08, toMessage (badChecksum)));
    EXPECT_FALSE (counts (0x08, toMessage (Bytes (version.begin(), version.end() - 1))));
    EXPECT_FALSE (counts (0x08, toMessage ({ 0xF0, 0x00, 0x01, 0x74, 0x10 })));

    Bytes otherMaker { 0xF0, 0x00, 0x01, 0x75, 0x10, 0x08, 1, 3 };
    otherMaker.push_back (xorChecksum (otherMaker, otherMaker.size()));
    otherMaker.push_back (0xF7);
    EXPECT_FALSE (counts (0x08, toMessage (otherMaker)));

    EXPECT_FALSE (matcher.matchReply (nullptr, toMessage (version)));
}

TEST_F (ReplyMatcher16Test, GridStartCountsDataMessagesRoundedUpPlusStartAndEnd)
{
    struct Case
    {
        juce::uint32 length;
        juce::int32 expected;
    };
    const Case cases[] = { { 1024, 4 }, { 1026, 5 }, { 512, 3 }, { 0, 2 }, { 2, 3 }, { 0x10400, 4 } };

    for (const auto& c : cases)
    {
        auto request = requestFor (0x20);
        ASSERT_TRUE (matcher.matchReply (request.get(), gridStart (c.length)));
        EXPECT_EQ (request->getExpectedReplies(), c.expected) << "length " << c.length;
    }

    auto other = requestFor (0x43);
    EXPECT_FALSE (matcher.matchReply (other.get(), gridStart (1024)));
    EXPECT_EQ (other->getExpectedReplies(), 7);
}

TEST_F (ReplyMatcher16Test, SystemDataStartSetsTheCountShiftedByTen)
{
    auto request = requestFor (0x43);
    ASSERT_TRUE (matcher.matchReply (request.get(), zandrelMessage (16, 0x51, sevenBit (0x3FC00, 3))));
    EXPECT_EQ (request->getExpectedReplies(), 255 + 2);

    EXPECT_FALSE (counts (0x20, zandrelMessage (16, 0x51, sevenBit (0x3FC00, 3))));
}

TEST_F (ReplyMatcher16Test, EffectStartSetsTheCountShiftedByEight)
{
    auto request = requestFor (0x1F);
    ASSERT_TRUE (matcher.matchReply (request.get(), zandrelMessage (16, 0x74, concat ({ sevenBit (1, 2), sevenBit (0x3F00, 2) }))));
    EXPECT_EQ (request->getExpectedReplies(), 63 + 3);
}

TEST_F (ReplyMatcher16Test, StatusReplyCountsWithoutChangingTheCount)
{
    auto request = requestFor (0x1F);
    EXPECT_TRUE (matcher.matchReply (request.get(), zandrelMessage (16, 0x64, { 0x1F, 5 })));
    EXPECT_EQ (request->getExpectedReplies(), 7);
    EXPECT_FALSE (matcher.matchReply (request.get(), zandrelMessage (16, 0x64, { 0x20, 0 })));
}
