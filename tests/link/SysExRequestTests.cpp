#include "SysExTestMessages.h"

#include "ManualLinkClock.h"
#include "SysExRequest.h"

#include <gtest/gtest.h>

#include <thread>

using namespace morvane::test;

namespace
{
juce::MidiMessage reply (juce::uint8 tag)
{
    return zandrelMessage (3, 0x78, { tag });
}

/** A request as the worker holds it: queued, then sent. */
void queueAndSend (SysExRequest& request)
{
    request.setInFlight (true);
    request.markSent();
}
} // namespace

TEST (SysExRequest, NewRequestDefaults)
{
    SysExRequest request;
    EXPECT_EQ (bytesOf (request.getMessage()), (Bytes { 0xF0, 0xF7 }));
    EXPECT_EQ (request.getFunctionId(), 0);
    EXPECT_EQ (request.getTimeoutMs(), 3000u);
    EXPECT_EQ (request.getExpectedReplies(), 1);
    EXPECT_EQ (request.getState(), SysExRequest::pending);
    EXPECT_FALSE (request.getAppendToFile());
    EXPECT_EQ (request.getReplyCount(), 0);

    SysExRequest withTimeout (60000);
    EXPECT_EQ (withTimeout.getTimeoutMs(), 60000u);

    SysExRequest withMessage (zandrelMessage (16, 0x47));
    EXPECT_EQ (withMessage.getFunctionId(), 0x47);
    EXPECT_EQ (withMessage.getTimeoutMs(), 3000u);
}

TEST (SysExRequest, FunctionIdNeedsASysExMessageOfSixBytes)
{
    SysExRequest request (toMessage ({ 0xF0, 0x00, 0x01, 0x74, 0x03 }));
    EXPECT_EQ (request.getFunctionId(), 0);
    request.setMessage (toMessage ({ 0xF1, 0x00, 0x01, 0x74, 0x03, 0x08, 0x00, 0xF7 }));
    EXPECT_EQ (request.getFunctionId(), 0);
    request.setMessage (zandrelMessage (3, 0x08));
    EXPECT_EQ (request.getFunctionId(), 0x08);
}

TEST (SysExRequest, CompletesAtTheExpectedCountAndRefusesFurtherReplies)
{
    ManualLinkClock clock (5000);
    SysExRequest request (zandrelMessage (3, 0x03));
    request.setExpectedReplies (2);
    queueAndSend (request);

    clock.advance (100);
    EXPECT_FALSE (request.addReply (reply (1)));
    EXPECT_EQ (request.getLastActivity(), 5100u);
    EXPECT_EQ (request.getState(), SysExRequest::pending);

    clock.advance (100);
    EXPECT_TRUE (request.addReply (reply (2)));
    EXPECT_EQ (request.getCompletedAt(), 5200u);
    EXPECT_EQ (request.getState(), SysExRequest::pending) << "still in flight until the worker retires it";

    EXPECT_FALSE (request.addReply (reply (3)));
    EXPECT_EQ (request.getReplyCount(), 2);

    request.setInFlight (false);
    EXPECT_EQ (request.getState(), SysExRequest::complete);

    juce::MidiMessage second;
    ASSERT_TRUE (request.getReply (1, second));
    EXPECT_EQ (bytesOf (second), bytesOf (reply (2)));

    juce::MidiMessage unchanged = reply (9);
    EXPECT_FALSE (request.getReply (2, unchanged));
    EXPECT_FALSE (request.getReply (-1, unchanged));
    EXPECT_EQ (bytesOf (unchanged), bytesOf (reply (9)));

    EXPECT_FALSE (request.checkTimeout()) << "a complete request never times out";
    clock.advance (100000);
    EXPECT_FALSE (request.checkTimeout());
}

TEST (SysExRequest, SilenceOfExactlyTheTimeoutKeepsTheRequestOnlyLongerFailsIt)
{
    ManualLinkClock clock (10000);
    SysExRequest request (zandrelMessage (3, 0x1C));
    request.setExpectedReplies (3);
    queueAndSend (request);

    clock.advance (2999);
    EXPECT_FALSE (request.checkTimeout());
    EXPECT_FALSE (request.addReply (reply (1)));

    clock.advance (2999);
    EXPECT_FALSE (request.checkTimeout()) << "each reply restarts the time-out";
    EXPECT_FALSE (request.addReply (reply (2)));

    clock.advance (3000);
    EXPECT_FALSE (request.checkTimeout());

    clock.advance (1);
    EXPECT_TRUE (request.checkTimeout());
    request.setInFlight (false);
    EXPECT_EQ (request.getState(), SysExRequest::failed);
}

TEST (SysExRequest, AGivenTimeoutReplacesTheDefault)
{
    ManualLinkClock clock (0x1000);
    SysExRequest request (60000u);
    queueAndSend (request);

    clock.advance (59999);
    EXPECT_FALSE (request.checkTimeout());
    clock.advance (2);
    EXPECT_TRUE (request.checkTimeout());
}

TEST (SysExRequest, AQueuedRequestNeverSentCannotTimeOut)
{
    ManualLinkClock clock (100);
    SysExRequest request (zandrelMessage (3, 0x08));
    request.setInFlight (true);

    clock.advance (1000000);
    EXPECT_FALSE (request.checkTimeout());
    EXPECT_EQ (request.getLastActivity(), 0u);
}

TEST (SysExRequest, TimeoutSurvivesTheWrapOfTheCounter)
{
    ManualLinkClock clock (0xFFFFFF00u);
    SysExRequest request (zandrelMessage (3, 0x08));
    queueAndSend (request);

    clock.advance (3000); // the counter wraps to 2744
    EXPECT_LT (clock.getMillisecondCounter(), 0xFFFFFF00u);
    EXPECT_FALSE (request.checkTimeout());

    clock.advance (1);
    EXPECT_TRUE (request.checkTimeout());
}

TEST (SysExRequest, ReplyJustBeforeTheWrapRestartsTheTimeout)
{
    ManualLinkClock clock (0xFFFFF000u);
    SysExRequest request (zandrelMessage (3, 0x43));
    request.setExpectedReplies (5);
    queueAndSend (request);

    clock.set (0xFFFFFFFFu);
    request.addReply (reply (1));
    clock.set (2999);
    EXPECT_FALSE (request.checkTimeout());
    clock.set (3000);
    EXPECT_TRUE (request.checkTimeout());
}

TEST (SysExRequest, ASendAtCounterZeroStillTimesOut)
{
    ManualLinkClock clock (0);
    SysExRequest request (zandrelMessage (3, 0x08));
    queueAndSend (request);

    clock.set (3001);
    EXPECT_TRUE (request.checkTimeout());
}

TEST (SysExRequest, InFlightHidesTheFinalState)
{
    SysExRequest request;
    request.setExpectedReplies (0);
    request.setInFlight (true);
    request.setState (SysExRequest::complete);
    EXPECT_EQ (request.getState(), SysExRequest::pending);
    request.setInFlight (false);
    EXPECT_EQ (request.getState(), SysExRequest::complete);
}

TEST (SysExRequest, RepliesKeptInPlaceCountCompleteAndOutliveTheirBlock)
{
    ManualLinkClock clock (5000);
    SysExRequest request (zandrelMessage (3, 0x03));
    request.setExpectedReplies (3);
    queueAndSend (request);

    // Two received replies side by side in one block of bytes, as the link receives them.
    const auto first = bytesOf (reply (1));
    const auto third = bytesOf (reply (3));

    {
        std::shared_ptr<juce::uint8[]> block (new juce::uint8[first.size() + third.size() + 4]);
        std::memcpy (block.get() + 2, first.data(), first.size());
        std::memcpy (block.get() + 4 + first.size(), third.data(), third.size());

        clock.advance (100);
        EXPECT_FALSE (request.addReply (block, 2, (int) first.size()));
        EXPECT_EQ (request.getLastActivity(), 5100u);
        EXPECT_FALSE (request.addReply (reply (2)));
        clock.advance (100);
        EXPECT_TRUE (request.addReply (block, 4 + first.size(), (int) third.size()));
        EXPECT_EQ (request.getCompletedAt(), 5200u);
        EXPECT_FALSE (request.addReply (block, 2, (int) first.size())) << "complete: refused";
    }

    request.setInFlight (false);
    EXPECT_EQ (request.getState(), SysExRequest::complete);
    EXPECT_EQ (request.getReplyCount(), 3);

    juce::MemoryBlock all;
    request.appendRepliesTo (all);
    EXPECT_EQ (bytesOf (all), concat ({ first, bytesOf (reply (2)), third }));
}

TEST (SysExRequest, TellsItsArrivalListenerOncePerStepOfReplies)
{
    SysExRequest request;
    request.setExpectedReplies (100000);
    int calls = 0;
    request.setArrivalListener ([&calls] { ++calls; });

    // 1000-byte replies: the steps are crossed at replies 263, 525, 787 and 1049.
    std::vector<juce::uint8> bytes (1000, 0x11);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    const juce::MidiMessage big (bytes.data(), (int) bytes.size());

    for (int n = 0; n < 1100; ++n)
        request.addReply (big);

    EXPECT_EQ (calls, 4);

    request.setArrivalListener (nullptr);

    for (int n = 0; n < 300; ++n)
        request.addReply (big);

    EXPECT_EQ (calls, 4);

    juce::MemoryOutputStream part;
    EXPECT_TRUE (request.writeRepliesTo (part, 1398, 5000)) << "only the replies that exist";
    EXPECT_EQ (part.getDataSize(), (size_t) 2000);
}

TEST (SysExRequest, AppendRepliesToConcatenatesInArrivalOrder)
{
    SysExRequest request;
    request.setExpectedReplies (3);
    request.addReply (reply (1));
    request.addReply (reply (2));

    juce::MemoryBlock block (Bytes { 0x99 }.data(), 1);
    request.appendRepliesTo (block);
    EXPECT_EQ (bytesOf (block), concat ({ { 0x99 }, bytesOf (reply (1)), bytesOf (reply (2)) }));
}

TEST (SysExRequest, ClientsReadWhileTheWorkerAddsReplies)
{
    ManualLinkClock clock (1);
    SysExRequest request (zandrelMessage (3, 0x1C));
    constexpr int total = 500;
    request.setExpectedReplies (total);
    queueAndSend (request);

    std::thread worker ([&]
                        {
        for (int i = 0; i < total; ++i)
        {
            clock.advance (1);
            request.addReply (reply ((juce::uint8) (i & 0x7F)));
            request.checkTimeout();
        }

        request.setInFlight (false); });

    int lastCount = 0;

    while (request.getState() == SysExRequest::pending)
    {
        const auto count = request.getReplyCount();
        EXPECT_GE (count, lastCount);
        lastCount = count;

        juce::MemoryBlock block;
        request.appendRepliesTo (block);
        EXPECT_EQ (block.getSize() % 9, 0u);
        EXPECT_GE (request.getExpectedReplies(), 1);
    }

    worker.join();
    EXPECT_EQ (request.getState(), SysExRequest::complete);
    EXPECT_EQ (request.getReplyCount(), total);
}

//==============================================================================
class SysExRequestFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::createTempFile ("replies");
        ASSERT_TRUE (folder.createDirectory());
    }

    void TearDown() override { folder.deleteRecursively(); }

    static std::unique_ptr<SysExRequest> requestWithReplies (std::initializer_list<juce::uint8> tags)
    {
        auto request = std::make_unique<SysExRequest> (zandrelMessage (3, 0x1C));
        request->setExpectedReplies ((juce::int32) tags.size() + 1);

        for (auto tag : tags)
            request->addReply (reply (tag));

        return request;
    }

    static Bytes contentOf (const juce::File& file)
    {
        juce::MemoryBlock block;
        file.loadFileAsData (block);
        return bytesOf (block);
    }

    int filesIn (const juce::File& dir) const
    {
        return dir.getNumberOfChildFiles (juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*")
               + dir.getNumberOfChildFiles (juce::File::findFilesAndDirectories, ".*");
    }

    juce::File folder;
};

TEST_F (SysExRequestFileTest, WritesTheRepliesEndToEndCreatingMissingFolders)
{
    const auto file = folder.getChildFile ("a/b/backup.syx");
    auto request = requestWithReplies ({ 1, 2 });

    ASSERT_TRUE (request->writeRepliesToFile (file.getFullPathName()));
    EXPECT_EQ (contentOf (file), concat ({ bytesOf (reply (1)), bytesOf (reply (2)) }));
    EXPECT_EQ (filesIn (file.getParentDirectory()), 1) << "no temporary file is left behind";
}

TEST_F (SysExRequestFileTest, ReplacesAnOlderFileOrAppendsToIt)
{
    const auto file = folder.getChildFile ("bank.syx");
    ASSERT_TRUE (file.replaceWithText ("older content that is longer than the new"));

    auto first = requestWithReplies ({ 1 });
    ASSERT_TRUE (first->writeRepliesToFile (file.getFullPathName()));
    EXPECT_EQ (contentOf (file), bytesOf (reply (1)));

    auto second = requestWithReplies ({ 2, 3 });
    second->setAppendToFile (true);
    ASSERT_TRUE (second->writeRepliesToFile (file.getFullPathName()));
    EXPECT_EQ (contentOf (file), concat ({ bytesOf (reply (1)), bytesOf (reply (2)), bytesOf (reply (3)) }));

    auto fresh = requestWithReplies ({ 4 });
    fresh->setAppendToFile (true);
    ASSERT_TRUE (fresh->writeRepliesToFile (folder.getChildFile ("new.syx").getFullPathName()));
    EXPECT_EQ (contentOf (folder.getChildFile ("new.syx")), bytesOf (reply (4)));
    EXPECT_EQ (filesIn (folder), 2);
}

TEST_F (SysExRequestFileTest, AFolderWhereTheFileShouldGoFailsAndIsLeftAlone)
{
    const auto blocked = folder.getChildFile ("blocked.syx");
    ASSERT_TRUE (blocked.createDirectory());
    ASSERT_TRUE (blocked.getChildFile ("keep.txt").replaceWithText ("keep"));

    for (bool append : { false, true })
    {
        auto request = requestWithReplies ({ 1 });
        request->setAppendToFile (append);
        EXPECT_FALSE (request->writeRepliesToFile (blocked.getFullPathName()));
        EXPECT_TRUE (blocked.isDirectory());
        EXPECT_EQ (blocked.getChildFile ("keep.txt").loadFileAsString(), "keep");
        EXPECT_EQ (filesIn (folder), 1) << "no temporary file is left behind";
    }
}

TEST_F (SysExRequestFileTest, AFolderThatCannotBeCreatedFails)
{
    const auto notAFolder = folder.getChildFile ("plain.txt");
    ASSERT_TRUE (notAFolder.replaceWithText ("x"));

    auto request = requestWithReplies ({ 1 });
    EXPECT_FALSE (request->writeRepliesToFile (notAFolder.getChildFile ("backup.syx").getFullPathName()));
    EXPECT_EQ (notAFolder.loadFileAsString(), "x");
    EXPECT_FALSE (request->writeRepliesToFile (""));
}

TEST_F (SysExRequestFileTest, NoRepliesWriteAnEmptyFile)
{
    SysExRequest request;
    const auto file = folder.getChildFile ("empty.syx");
    ASSERT_TRUE (file.replaceWithText ("old"));
    ASSERT_TRUE (request.writeRepliesToFile (file.getFullPathName()));
    EXPECT_TRUE (file.existsAsFile());
    EXPECT_EQ (file.getSize(), 0);
}
