#include "SysExTestMessages.h"

#include "ReplyMatcher.h"
#include "SysExRequest.h"

#include <gtest/gtest.h>

using namespace morvane::test;

namespace
{
std::unique_ptr<SysExRequest> requestFor (juce::uint8 q, juce::uint8 model = 3) { return requestInFlight (q, model); }
bool counts (juce::uint8 q, const juce::MidiMessage& message) { return matcherCounts<ReplyMatcher> (3, q, message); }

bool counts (juce::uint8 q, juce::uint8 r)
{
    return counts (q, zandrelMessage (3, r, { 0x01, 0x02 }));
}

class ReplyMatcherTest : public ::testing::Test
{
protected:
    ReplyMatcher matcher;
    ScopedDeviceModel model { 3 };
};
} // namespace

TEST_F (ReplyMatcherTest, RepliesThatAnswerOnlyTheirOwnFunction)
{
    const juce::uint8 own[] = { 0x01, 0x08, 0x0F, 0x11, 0x12, 0x13, 0x15, 0x16, 0x17, 0x18, 0x1A, 0x1C, 0x20, 0x28, 0x2A, 0x2F, 0x30, 0x31, 0x35, 0x36, 0x3A, 0x44, 0x45, 0x47, 0x48, 0x0E, 0x14, 0x23, 0x38, 0x39 };

    for (auto r : own)
        for (int q = 0; q < 0x80; ++q)
            EXPECT_EQ (counts ((juce::uint8) q, r), q == r) << "r " << std::hex << (int) r << " q " << q;
}

TEST_F (ReplyMatcherTest, RepliesThatAnswerRelatedFunctions)
{
    struct Case
    {
        juce::uint8 r;
        std::vector<juce::uint8> q;
    };
    const Case cases[] = {
        { 0x02, { 0x02, 0x2E } }, { 0x07, { 0x07, 0x3B } }, { 0x29, { 0x29, 0x0E } }, { 0x2C, { 0x2C, 0x2B } }, { 0x33, { 0x12, 0x2B, 0x01 } }, { 0x62, { 0x43 } }, { 0x63, { 0x43 } }, { 0x67, { 0x40 } }, { 0x68, { 0x40 } }, { 0x69, { 0x40 } }, { 0x75, { 0x1F } }, { 0x76, { 0x1F } }, { 0x77, { 0x03, 0x46, 0x1C } }, { 0x78, { 0x03, 0x46, 0x1C } }, { 0x79, { 0x03, 0x46, 0x1C } }, { 0x7A, { 0x19, 0x44, 0x46, 0x40 } }, { 0x7B, { 0x19, 0x44, 0x46, 0x40 } }, { 0x7C, { 0x19, 0x44, 0x46, 0x40 } }
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

TEST_F (ReplyMatcherTest, ReportsAndUnknownFunctionsNeverCount)
{
    for (juce::uint8 r : { 0x00, 0x0D, 0x10, 0x21, 0x03, 0x19, 0x7D, 0x7E, 0x7F })
        EXPECT_FALSE (counts (r, r)) << std::hex << (int) r;

    // The tuner's checksum is not even looked at.
    auto tuner = zandrelBytes (3, 0x0D, { 1 });
    tuner[tuner.size() - 2] ^= 0x01;
    EXPECT_FALSE (counts (0x0D, toMessage (tuner)));
}

TEST_F (ReplyMatcherTest, ChecksumIsCheckedExceptForTheStateReports)
{
    auto version = zandrelBytes (3, 0x08, { 21, 5 });
    version[version.size() - 2] ^= 0x01;
    EXPECT_FALSE (counts (0x08, toMessage (version)));

    auto states = zandrelBytes (3, 0x0E, { 1, 2 });
    states[states.size() - 2] ^= 0x01;
    EXPECT_TRUE (counts (0x0E, toMessage (states)));
}

TEST_F (ReplyMatcherTest, MalformedMessagesNeverCount)
{
    auto request = requestFor (0x08);
    const auto good = zandrelBytes (3, 0x08, { 21, 5 });
    EXPECT_TRUE (matcher.matchReply (request.get(), toMessage (good)));

    EXPECT_FALSE (matcher.matchReply (request.get(), toMessage ({ 0xF0, 0x00, 0x01, 0x74, 0x08 })));
    EXPECT_FALSE (matcher.matchReply (request.get(), toMessage (Bytes (good.begin(), good.end() - 1)))) << "no F7";

    // Another maker's SysEx, even with a checksum that holds and function byte 0x08.
    Bytes other { 0xF0, 0x7E, 0x00, 0x06, 0x03, 0x08, 21, 5 };
    other.push_back (xorChecksum (other, other.size()));
    other.push_back (0xF7);
    EXPECT_FALSE (matcher.matchReply (request.get(), toMessage (other)));

    EXPECT_FALSE (matcher.matchReply (nullptr, toMessage (good))) << "nothing counts without a request";
}

TEST_F (ReplyMatcherTest, SystemDataStartSetsTheCountShiftedBySix)
{
    auto request = requestFor (0x43);
    ASSERT_TRUE (matcher.matchReply (request.get(), zandrelMessage (3, 0x61, sevenBit (6400, 3))));
    EXPECT_EQ (request->getExpectedReplies(), 102);

    ASSERT_TRUE (matcher.matchReply (request.get(), zandrelMessage (3, 0x61, sevenBit (0x3FC0, 3))));
    EXPECT_EQ (request->getExpectedReplies(), 255 + 2);

    auto other = requestFor (0x1C);
    EXPECT_FALSE (matcher.matchReply (other.get(), zandrelMessage (3, 0x61, sevenBit (6400, 3))));
    EXPECT_EQ (other->getExpectedReplies(), 7);
}

TEST_F (ReplyMatcherTest, ASystemBackupCompletesWithTheAnnouncedCount)
{
    auto request = requestFor (0x43);
    request->setExpectedReplies (1);
    request->setInFlight (true);
    request->markSent();

    const auto start = zandrelMessage (3, 0x61, sevenBit (6400, 3));
    ASSERT_TRUE (matcher.matchReply (request.get(), start));
    EXPECT_FALSE (request->addReply (start));

    bool done = false;

    for (int i = 1; i < 102 && ! done; ++i)
    {
        const auto message = zandrelMessage (3, i == 101 ? 0x63 : 0x62, { (juce::uint8) (i & 0x7F) });
        ASSERT_TRUE (matcher.matchReply (request.get(), message));
        done = request->addReply (message);
        EXPECT_EQ (done, i == 101);
    }

    EXPECT_TRUE (done);
    EXPECT_EQ (request->getReplyCount(), 102);
}

TEST_F (ReplyMatcherTest, EffectStartSetsTheCountShiftedBySix)
{
    auto request = requestFor (0x1F);
    ASSERT_TRUE (matcher.matchReply (request.get(), zandrelMessage (3, 0x74, concat ({ sevenBit (1, 2), sevenBit (0x3FC0, 2), { 0 } }))));
    EXPECT_EQ (request->getExpectedReplies(), 255 + 3);

    ASSERT_TRUE (matcher.matchReply (request.get(), zandrelMessage (3, 0x74, concat ({ sevenBit (1, 2), sevenBit (1000, 2), { 0 } }))));
    EXPECT_EQ (request->getExpectedReplies(), 15 + 3);
}

TEST_F (ReplyMatcherTest, MultiMessageStartSetsTheCountPlusTwo)
{
    for (juce::uint8 q : { 0x12, 0x2B, 0x01 })
    {
        auto request = requestFor (q);
        ASSERT_TRUE (matcher.matchReply (request.get(), zandrelMessage (3, 0x32, concat ({ { 0 }, sevenBit (300, 2) }))));
        EXPECT_EQ (request->getExpectedReplies(), 302);
    }

    EXPECT_FALSE (counts (0x32, zandrelMessage (3, 0x32, concat ({ { 0 }, sevenBit (300, 2) }))));
}

TEST_F (ReplyMatcherTest, PatchPlusCabDumpCountsPresetAndFlaggedCabs)
{
    struct Case
    {
        juce::uint8 model;
        juce::uint8 flags;
        juce::int32 expected;
    };
    const Case cases[] = {
        { 6, 0x05, 199 }, // 66 + 1 + 2 x 66
        { 3, 0x01, 34 + 1 + 66 },
        { 8, 0x0F, 66 + 1 + 4 * 66 },
        { 16, 0x0F, 18 + 1 + 4 * 10 },
        { 16, 0x02, 18 + 1 + 10 },
        { 10, 0x00, 34 + 1 },
        { 6, 0x70, 66 + 1 }, // only the four low flags name cabs
        { 2, 0x01, -1 + 1 + 66 }
    };

    for (const auto& c : cases)
    {
        model.set (c.model);
        auto request = requestFor (0x46, c.model);
        ASSERT_TRUE (matcher.matchReply (request.get(), zandrelMessage (c.model, 0x46, { c.flags, 0 })));
        EXPECT_EQ (request->getExpectedReplies(), c.expected)
            << "model " << (int) c.model << " flags " << (int) c.flags;
    }
}

TEST_F (ReplyMatcherTest, StatusReplyCountsWhenItEchoesTheRequest)
{
    auto request = requestFor (0x3C);
    EXPECT_TRUE (matcher.matchReply (request.get(), zandrelMessage (3, 0x64, { 0x3C, 0 })));
    EXPECT_EQ (request->getExpectedReplies(), 7);
    EXPECT_FALSE (matcher.matchReply (request.get(), zandrelMessage (3, 0x64, { 0x3E, 0 })));

    auto allParams = requestFor (0x1F);
    allParams->setExpectedReplies (3);
    ASSERT_TRUE (matcher.matchReply (allParams.get(), zandrelMessage (3, 0x64, { 0x1F, 26 })));
    EXPECT_EQ (allParams->getExpectedReplies(), 1);
    EXPECT_TRUE (allParams->addReply (zandrelMessage (3, 0x64, { 0x1F, 26 })));
}

TEST_F (ReplyMatcherTest, ALateStatusReplyBelowTheArrivedCountCompletesTheRequest)
{
    // The effect dump starts and two replies arrive; then the device refuses with a status reply,
    // which lowers the expectation to 1, below what has arrived: the request completes at once.
    auto request = requestFor (0x1F);
    const auto start = zandrelMessage (3, 0x74, concat ({ sevenBit (1, 2), sevenBit (1000, 2), { 0 } }));
    ASSERT_TRUE (matcher.matchReply (request.get(), start));
    EXPECT_FALSE (request->addReply (start));
    EXPECT_FALSE (request->addReply (start));

    const auto status = zandrelMessage (3, 0x64, { 0x1F, 26 });
    ASSERT_TRUE (matcher.matchReply (request.get(), status));
    EXPECT_TRUE (request->addReply (status));
    EXPECT_EQ (request->getState(), SysExRequest::complete);
    EXPECT_EQ (request->getReplyCount(), 3);
    EXPECT_FALSE (request->addReply (status));
}
