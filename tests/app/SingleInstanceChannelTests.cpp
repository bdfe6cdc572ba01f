#include "MessageLoop.h"
#include "PlatformFiles.h"
#include "SingleInstanceChannel.h"

#include <gtest/gtest.h>

#if JUCE_LINUX
 #include <sys/stat.h>
 #include <unistd.h>
#endif

namespace
{
TEST (SingleInstanceChannel, RunningInstanceHearsEveryLaterStart)
{
    const auto folder = juce::File::createTempFile ("instance");
    SingleInstanceChannel running (folder, folder);
    int starts = 0;
    running.onAnotherInstance = [&starts] { ++starts; };
    ASSERT_TRUE (running.claim());

    SingleInstanceChannel later (folder, folder);
    EXPECT_TRUE (later.signalRunningInstance());
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == 1; }));

    SingleInstanceChannel third (folder, folder);
    EXPECT_TRUE (third.signalRunningInstance());
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == 2; }));

    folder.deleteRecursively();
}

TEST (SingleInstanceChannel, OnlyTheChannelsOwnMessageCountsAndAClosedChannelCanBeClaimedAgain)
{
    const auto folder = juce::File::createTempFile ("instance");
    int starts = 0;

    {
        SingleInstanceChannel running (folder, folder);
        running.onAnotherInstance = [&starts] { ++starts; };
        ASSERT_TRUE (running.claim());

        // Another program's message on the same pipe, then a later start: only the start counts.
        struct Stranger : public juce::InterprocessConnection
        {
            Stranger() : juce::InterprocessConnection (true, 0x12345678) {}
            ~Stranger() override { disconnect(); }
            void connectionMade() override {}
            void connectionLost() override {}
            void messageReceived (const juce::MemoryBlock&) override {}
        };

        juce::File pipeFile;

        for (const auto& file : folder.findChildFiles (juce::File::findFiles, false, "Morvane-*_in"))
            pipeFile = file;

        ASSERT_TRUE (pipeFile.getFullPathName().isNotEmpty());
        Stranger stranger;
        ASSERT_TRUE (stranger.connectToPipe (pipeFile.getFullPathName().dropLastCharacters (3), 2000));
        EXPECT_TRUE (stranger.sendMessage (juce::MemoryBlock ("another instance", 16)));

        SingleInstanceChannel later (folder, folder);
        EXPECT_TRUE (later.signalRunningInstance());
        EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == 1; }));
        morvane::test::runMessageLoopFor (200);
        EXPECT_EQ (starts, 1);
    }

    // The channel closed with its program: the next start runs and hears later ones again.
    SingleInstanceChannel next (folder, folder);
    next.onAnotherInstance = [&starts] { ++starts; };
    ASSERT_TRUE (next.claim());
    SingleInstanceChannel later (folder, folder);
    EXPECT_TRUE (later.signalRunningInstance());
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == 2; }));
    folder.deleteRecursively();
}

TEST (SingleInstanceChannel, SignalWithoutARunningInstanceFailsWithinItsTimeOut)
{
    const auto folder = juce::File::createTempFile ("instance");
    SingleInstanceChannel lonely (folder, folder);
    const auto start = juce::Time::getMillisecondCounter();
    EXPECT_FALSE (lonely.signalRunningInstance (300));
    EXPECT_LT (juce::Time::getMillisecondCounter() - start, 5000u);
}

#if JUCE_LINUX
TEST (SingleInstanceChannel, ALockThatCannotBeTakenMeansAnotherInstanceAndLeftoversDoNotBreakTheNextStart)
{
    const auto folder = juce::File::createTempFile ("instance");
    SingleInstanceChannel blocked (folder, folder);

    // A lock file that cannot be opened (a folder stands there; root may open anything else).
    ASSERT_TRUE (blocked.getLockFile().createDirectory().wasOk());
    EXPECT_FALSE (blocked.claim());
    ASSERT_TRUE (blocked.getLockFile().deleteRecursively());

    {
        SingleInstanceChannel running (folder, folder);
        ASSERT_TRUE (running.claim());
        SingleInstanceChannel again (folder, folder);
        EXPECT_FALSE (again.claim()) << "a lock held elsewhere in this process counts as held";
    }

    // What a crash leaves where the pipe goes, or anything else that stands there: the next
    // start still hears later ones.
    const auto pipe = blocked.getLockFile().getFullPathName().dropLastCharacters (5);
    ASSERT_EQ (::mkfifo ((pipe + "_in").toRawUTF8(), 0600), 0);
    ASSERT_TRUE (juce::File (pipe + "_out").createDirectory().wasOk());

    int starts = 0;
    SingleInstanceChannel next (folder, folder);
    next.onAnotherInstance = [&starts] { ++starts; };
    ASSERT_TRUE (next.claim());
    SingleInstanceChannel later (folder, folder);
    EXPECT_TRUE (later.signalRunningInstance());
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == 1; }));
    folder.deleteRecursively();
}

TEST (SingleInstanceChannel, TheRuntimeFolderIsOneOnlyThisUserMayEnter)
{
    const auto scratch = juce::File::createTempFile ("runtime");
    const auto runtimeDir = scratch.getChildFile ("run"), temp = scratch.getChildFile ("tmp");
    ASSERT_TRUE (runtimeDir.createDirectory().wasOk() && temp.createDirectory().wasOk());
    const auto path = [] (const juce::File& f) { return f.getFullPathName().toRawUTF8(); };

    ::chmod (path (runtimeDir), 0700);
    EXPECT_EQ (PlatformFiles::findRuntimeFolder (runtimeDir.getFullPathName(), temp), runtimeDir);

    // Open to others: a folder of the user's own, made in the temporary folder, closed to them.
    ::chmod (path (runtimeDir), 0755);
    const auto own = temp.getChildFile ("morvane-" + juce::String ((int) ::geteuid()));
    EXPECT_EQ (PlatformFiles::findRuntimeFolder (runtimeDir.getFullPathName(), temp), own);
    struct stat info {};
    EXPECT_TRUE (::stat (path (own), &info) == 0 && (info.st_mode & 0777) == 0700);

    // Another user's folder under that name is never used.
    ASSERT_EQ (::chown (path (own), 12345, 12345), 0);
    EXPECT_EQ (PlatformFiles::findRuntimeFolder ({}, temp), juce::File());
    scratch.deleteRecursively();
}
#endif
} // namespace
