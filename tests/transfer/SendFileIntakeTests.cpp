#include "SendFileIntake.h"
#include "SysExFileCheck.h"

#include <gtest/gtest.h>

#include <future>
#include <set>

#if JUCE_LINUX || JUCE_MAC
 #include <fcntl.h>
 #include <sys/stat.h>
 #include <unistd.h>
#endif

namespace
{
using Refusal = SendFileIntake::Refusal;

class SendFileIntakeTest : public ::testing::Test
{
protected:
    juce::File folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("send-intake", {});

    SendFileIntakeTest() { folder.createDirectory(); }
    ~SendFileIntakeTest() override { folder.deleteRecursively(); }

    juce::File write (const juce::String& name, const juce::MemoryBlock& data)
    {
        auto file = folder.getChildFile (name);

        if (data.isEmpty())
            file.create();
        else
            file.replaceWithData (data.getData(), data.getSize());

        return file;
    }

    juce::File link (const juce::String& name, const juce::String& target)
    {
        const auto file = folder.getChildFile (name);
        juce::File::createSymbolicLink (file, target, true);
        return file;
    }
};

juce::MemoryBlock bytes (size_t count)
{
    juce::MemoryBlock block (count);

    for (size_t i = 0; i < count; ++i)
        block[i] = (char) (i * 7);

    return block;
}

TEST_F (SendFileIntakeTest, AnOrdinaryFileUpToTheLimitIsReadWhole)
{
    for (const size_t size : { (size_t) 1, (size_t) 100 })
    {
        const auto result = SendFileIntake::read (write ("f.syx", bytes (size)), 100);
        EXPECT_TRUE (result.isAccepted()) << size;
        EXPECT_EQ (result.data, bytes (size));
        EXPECT_TRUE (result.getText().isEmpty());
    }

    // Through a link, as a dropped shortcut would be.
    const auto target = write ("target.syx", bytes (10));
    const auto viaLink = SendFileIntake::read (link ("shortcut.syx", target.getFullPathName()), 100);
    EXPECT_TRUE (viaLink.isAccepted());
    EXPECT_EQ (viaLink.data, bytes (10));
}

TEST_F (SendFileIntakeTest, EmptyAndOverLongFilesAreRefusedAndNothingIsKept)
{
    const auto empty = SendFileIntake::read (write ("empty.syx", {}), 100);
    EXPECT_EQ (empty.refusal, Refusal::empty);

    const auto over = SendFileIntake::read (write ("over.syx", bytes (101)), 100);
    EXPECT_EQ (over.refusal, Refusal::tooLarge);
    EXPECT_TRUE (over.data.isEmpty());
    EXPECT_EQ (over.getText(), SysExFileCheck::tooLargeText());
}

TEST_F (SendFileIntakeTest, WhatIsNoOrdinaryFileIsRefusedByItsKind)
{
    EXPECT_EQ (SendFileIntake::read (folder.getChildFile ("nothing.syx"), 100).refusal, Refusal::missing);
    EXPECT_EQ (SendFileIntake::read (folder, 100).refusal, Refusal::folder);

    const auto sub = folder.getChildFile ("sub");
    sub.createDirectory();
    EXPECT_EQ (SendFileIntake::read (link ("to-folder", sub.getFullPathName()), 100).refusal, Refusal::folder);

    EXPECT_EQ (SendFileIntake::read (link ("dangling.syx", folder.getChildFile ("gone.syx").getFullPathName()), 100).refusal,
               Refusal::brokenLink);

    // A link to itself, and two that point at each other.
    const auto self = folder.getChildFile ("self.syx");
    EXPECT_EQ (SendFileIntake::read (link ("self.syx", self.getFullPathName()), 100).refusal, Refusal::linkLoop);
    link ("a.syx", folder.getChildFile ("b.syx").getFullPathName());
    const auto b = link ("b.syx", folder.getChildFile ("a.syx").getFullPathName());
    EXPECT_EQ (SendFileIntake::read (b, 100).refusal, Refusal::linkLoop);
}

#if JUCE_LINUX || JUCE_MAC
TEST_F (SendFileIntakeTest, PipesAndDevicesAreNeverOpened)
{
    // Opening a pipe that no one writes to would wait for a writer for ever.
    const auto pipe = folder.getChildFile ("pipe.syx");
    ASSERT_EQ (::mkfifo (pipe.getFullPathName().toRawUTF8(), 0600), 0);
    const auto fromPipe = SendFileIntake::read (pipe, SysExFileCheck::maxFileBytes);
    EXPECT_EQ (fromPipe.refusal, Refusal::notAFile);
    EXPECT_TRUE (fromPipe.data.isEmpty());

    // An endless stream of zeros, directly and through a link.
    EXPECT_EQ (SendFileIntake::read (juce::File ("/dev/zero"), SysExFileCheck::maxFileBytes).refusal, Refusal::notAFile);
    EXPECT_EQ (SendFileIntake::read (link ("zeros.syx", "/dev/zero"), SysExFileCheck::maxFileBytes).refusal, Refusal::notAFile);
}
#endif

#if JUCE_LINUX || JUCE_MAC
TEST_F (SendFileIntakeTest, WhatTakesTheFilesPlaceAfterItsCheckIsRefusedWithoutWaiting)
{
    // Another process puts something else at the path after its type was looked at.
    const auto file = folder.getChildFile ("swapped.syx");
    const auto path = file.getFullPathName();

    auto readSwapped = [&] (const std::function<void()>& swap)
    {
        file.replaceWithData ("\xF0\xF7", 2);
        auto pending = std::async (std::launch::async, [&] { return SendFileIntake::read (file, SysExFileCheck::maxFileBytes, swap); });

        if (pending.wait_for (std::chrono::seconds (10)) != std::future_status::ready)
        {
            ADD_FAILURE() << "the read waits for a writer of the pipe";

            // A writer that comes and goes lets the waiting read end, so that the test can.
            while (pending.wait_for (std::chrono::milliseconds (100)) != std::future_status::ready)
                if (const int writer = ::open (path.toRawUTF8(), O_WRONLY | O_NONBLOCK); writer >= 0)
                    ::close (writer);
        }

        auto result = pending.get();
        EXPECT_TRUE (result.data.isEmpty());
        file.deleteRecursively();
        return result.refusal;
    };

    EXPECT_EQ (readSwapped ([&] { file.deleteFile(); ::mkfifo (path.toRawUTF8(), 0600); }), Refusal::notAFile);
    EXPECT_EQ (readSwapped ([&] { file.deleteFile(); juce::File::createSymbolicLink (file, "/dev/zero", true); }), Refusal::notAFile);
    EXPECT_EQ (readSwapped ([&] { file.deleteFile(); file.createDirectory(); }), Refusal::folder);
    EXPECT_EQ (readSwapped ([&] { file.deleteFile(); }), Refusal::missing);
}
#endif

#if JUCE_LINUX
TEST_F (SendFileIntakeTest, AFileThatClaimsNoSizeIsReadUpToTheLimitOnly)
{
    // The files of /proc claim 0 bytes and hold more.
    const juce::File status ("/proc/self/status");
    ASSERT_EQ (status.getSize(), 0);

    const auto whole = SendFileIntake::read (status, SysExFileCheck::maxFileBytes);
    EXPECT_TRUE (whole.isAccepted());
    EXPECT_GT (whole.data.getSize(), 16u);

    const auto cut = SendFileIntake::read (status, 16);
    EXPECT_EQ (cut.refusal, Refusal::tooLarge);
    EXPECT_TRUE (cut.data.isEmpty());
}
#endif

TEST (SendFileIntakeTexts, EveryRefusalSaysWhyInItsOwnWords)
{
    std::set<juce::String> seen;

    for (const auto refusal : { Refusal::missing, Refusal::folder, Refusal::brokenLink, Refusal::linkLoop, Refusal::notAFile,
                                Refusal::unreadable, Refusal::empty, Refusal::tooLarge })
    {
        const auto text = SendFileIntake::textFor (refusal);
        EXPECT_TRUE (text.isNotEmpty());
        EXPECT_TRUE (seen.insert (text).second) << text;
    }

    EXPECT_TRUE (SendFileIntake::textFor (Refusal::none).isEmpty());
}
} // namespace
