#include "MessageLoop.h"
#include "PlatformFiles.h"
#include "SingleInstanceChannel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#if JUCE_LINUX
 #include <sys/stat.h>
 #include <unistd.h>
#endif

namespace
{
constexpr auto claimed = SingleInstanceChannel::Claim::claimed;
constexpr auto heldElsewhere = SingleInstanceChannel::Claim::heldElsewhere;
constexpr auto failed = SingleInstanceChannel::Claim::failed;

TEST (SingleInstanceChannel, RunningInstanceHearsEveryLaterStart)
{
    const auto folder = juce::File::createTempFile ("instance");
    SingleInstanceChannel running (folder, folder);
    int starts = 0;
    running.onAnotherInstance = [&starts] { ++starts; };
    ASSERT_EQ (running.claim(), claimed);

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
        ASSERT_EQ (running.claim(), claimed);

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
    ASSERT_EQ (next.claim(), claimed);
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
const char* path (const juce::File& file)
{
    return file.getFullPathName().toRawUTF8();
}

TEST (SingleInstanceChannel, EveryThingThatCanStandAtTheLocksPlaceIsToldApartFromAnotherInstance)
{
    const auto scratch = juce::File::createTempFile ("instance");
    const auto settings = scratch.getChildFile ("settings"), runtime = scratch.getChildFile ("run");
    const auto elsewhere = scratch.getChildFile ("elsewhere");
    ASSERT_TRUE (scratch.createDirectory().wasOk() && elsewhere.replaceWithText ("someone else's"));
    const auto lockFile = SingleInstanceChannel (settings, runtime).getLockFile();
    EXPECT_EQ (lockFile.getParentDirectory(), settings) << "the lock lives with the settings";

    struct Case
    {
        const char* what;
        std::function<bool()> plant;
    };

    const auto inFolder = [&] (std::function<bool()> plant)
    {
        return [&settings, plant] { return settings.createDirectory().wasOk() && plant(); };
    };

    const Case cases[] = {
        { "a folder", [&] { return lockFile.createDirectory().wasOk(); } },
        { "a link to a file elsewhere", inFolder ([&] { return elsewhere.createSymbolicLink (lockFile, true); }) },
        { "a link to nowhere", inFolder ([&] { return scratch.getChildFile ("nowhere").createSymbolicLink (lockFile, true); }) },
        { "a pipe", inFolder ([&] { return ::mkfifo (path (lockFile), 0600) == 0; }) },
        { "another user's file", inFolder ([&] { return lockFile.replaceWithText ({}) && ::chown (path (lockFile), 12345, 12345) == 0; }) },
        { "a file where the settings folder goes", [&] { return settings.replaceWithText ("not a folder"); } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);

        // Another user's file can be planted by root alone.
        if (juce::String (c.what) == "another user's file" && ::geteuid() != 0)
            continue;

        ASSERT_TRUE (c.plant());
        SingleInstanceChannel start (settings, runtime);
        EXPECT_EQ (start.claim(), failed);
        EXPECT_TRUE (start.getClaimError().isNotEmpty());
        EXPECT_EQ (elsewhere.loadFileAsString(), "someone else's") << "the file a link points to was written";

        ASSERT_TRUE (settings.deleteRecursively());
        struct stat info {};
        ASSERT_NE (::lstat (path (lockFile), &info), 0);
    }

    // Once the place is clear the start runs; while it runs, a start finds the lock held.
    juce::String pipe;

    {
        SingleInstanceChannel running (settings, runtime);
        ASSERT_EQ (running.claim(), claimed);

        for (const auto& file : runtime.findChildFiles (juce::File::findFiles, false, "Morvane-*_in"))
            pipe = file.getFullPathName().dropLastCharacters (3);

        SingleInstanceChannel again (settings, runtime);
        EXPECT_EQ (again.claim(), heldElsewhere) << "a lock held elsewhere in this process counts as held";
        EXPECT_TRUE (again.getClaimError().isEmpty());
    }

    // What a crash leaves where the pipe goes, or anything else that stands there: the next
    // start still hears later ones.
    ASSERT_TRUE (pipe.isNotEmpty());
    ASSERT_EQ (::mkfifo ((pipe + "_in").toRawUTF8(), 0600), 0);
    ASSERT_TRUE (juce::File (pipe + "_out").createDirectory().wasOk());

    int starts = 0;
    SingleInstanceChannel next (settings, runtime);
    next.onAnotherInstance = [&starts] { ++starts; };
    ASSERT_EQ (next.claim(), claimed);
    SingleInstanceChannel later (settings, runtime);
    EXPECT_EQ (later.claim(), heldElsewhere);
    EXPECT_TRUE (later.signalRunningInstance());
    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == 1; }));
    scratch.deleteRecursively();
}

TEST (SingleInstanceChannel, StartsThatFindDifferentRuntimeFoldersShareOneLockAndReachTheRunningInstance)
{
    const auto scratch = juce::File::createTempFile ("instance");
    const auto settings = scratch.getChildFile ("settings");
    const auto desktop = scratch.getChildFile ("desktop"), terminal = scratch.getChildFile ("terminal");
    ASSERT_TRUE (desktop.createDirectory().wasOk() && terminal.createDirectory().wasOk());
    ::chmod (path (desktop), 0700);
    ::chmod (path (terminal), 0700);

    int starts = 0;
    SingleInstanceChannel running (settings, desktop);
    running.onAnotherInstance = [&starts] { ++starts; };
    ASSERT_EQ (running.claim(), claimed);

    // A start whose environment names another runtime folder, or none at all, does not run.
    for (const auto& runtime : { terminal, juce::File() })
    {
        SingleInstanceChannel later (settings, runtime);
        EXPECT_EQ (later.claim(), heldElsewhere);
        EXPECT_TRUE (later.signalRunningInstance());
    }

    EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == 2; }));

    // The lock file names the pipe, but only this channel's own in a folder nobody else may
    // enter is written to: a pipe named there in an open folder, or under another name, is
    // passed over for the one in this start's own runtime folder.
    juce::File ownPipe;

    for (const auto& file : desktop.findChildFiles (juce::File::findFiles, false, "Morvane-*_in"))
        ownPipe = file;

    ASSERT_TRUE (ownPipe.exists());
    const auto pipeName = ownPipe.getFileName().dropLastCharacters (3);
    const auto open = scratch.getChildFile ("open"), closed = scratch.getChildFile ("closed");
    ASSERT_TRUE (open.createDirectory().wasOk() && closed.createDirectory().wasOk());
    ::chmod (path (open), 0755);
    ::chmod (path (closed), 0700);

    struct Decoy : public juce::InterprocessConnection
    {
        Decoy() : juce::InterprocessConnection (true, 0x4d6f7276) {}
        ~Decoy() override { disconnect(); }
        void connectionMade() override {}
        void connectionLost() override {}
        void messageReceived (const juce::MemoryBlock&) override { ++messages; }
        std::atomic<int> messages { 0 };
    };

    for (const auto& decoyPipe : { open.getChildFile (pipeName), closed.getChildFile ("Morvane-0") })
    {
        SCOPED_TRACE (decoyPipe.getFullPathName());
        Decoy decoy;
        ASSERT_TRUE (decoy.createPipe (decoyPipe.getFullPathName(), -1, false));

        {
            // Written in place, as the running instance writes it: its lock stays on the same file.
            juce::FileOutputStream lockFile (running.getLockFile());
            ASSERT_TRUE (lockFile.openedOk() && lockFile.setPosition (0) && lockFile.truncate().wasOk());
            ASSERT_TRUE (lockFile.writeText (decoyPipe.getFullPathName(), false, false, nullptr));
        }


        const auto before = starts;
        SingleInstanceChannel later (settings, desktop);
        EXPECT_TRUE (later.signalRunningInstance());
        EXPECT_TRUE (morvane::test::runMessageLoopUntil ([&] { return starts == before + 1; }));
        morvane::test::runMessageLoopFor (200);
        EXPECT_EQ (decoy.messages.load(), 0);
    }

    scratch.deleteRecursively();
}

TEST (SingleInstanceChannel, WithoutARuntimeFolderTheInstanceRunsAloneAndALaterStartIsToldItCannotReachIt)
{
    const auto scratch = juce::File::createTempFile ("instance");
    SingleInstanceChannel running (scratch, {});
    ASSERT_EQ (running.claim(), claimed);

    SingleInstanceChannel later (scratch, {});
    EXPECT_EQ (later.claim(), heldElsewhere);
    const auto start = juce::Time::getMillisecondCounter();
    EXPECT_FALSE (later.signalRunningInstance (300));
    EXPECT_LT (juce::Time::getMillisecondCounter() - start, 5000u);
    scratch.deleteRecursively();
}

TEST (SingleInstanceChannel, TheRuntimeFolderIsOneOnlyThisUserMayEnter)
{
    const auto scratch = juce::File::createTempFile ("runtime");
    const auto runtimeDir = scratch.getChildFile ("run"), temp = scratch.getChildFile ("tmp");
    ASSERT_TRUE (runtimeDir.createDirectory().wasOk() && temp.createDirectory().wasOk());

    ::chmod (path (runtimeDir), 0700);
    EXPECT_EQ (PlatformFiles::findRuntimeFolder (runtimeDir.getFullPathName(), temp), runtimeDir);

    // Open to others: a folder of the user's own, made in the temporary folder, closed to them.
    ::chmod (path (runtimeDir), 0755);
    const auto own = temp.getChildFile ("morvane-" + juce::String ((int) ::geteuid()));
    EXPECT_EQ (PlatformFiles::findRuntimeFolder (runtimeDir.getFullPathName(), temp), own);
    struct stat info {};
    EXPECT_TRUE (::stat (path (own), &info) == 0 && (info.st_mode & 0777) == 0700);

    // Another user's folder under that name, a link or a file there is never used.
    const auto elsewhere = scratch.getChildFile ("elsewhere");
    ASSERT_TRUE (elsewhere.createDirectory().wasOk());
    ::chmod (path (elsewhere), 0700);

    // (Another user's folder can be planted by root alone.)
    const std::function<bool()> plants[] = {
        [&] { return ::chown (path (own), 12345, 12345) == 0; },
        [&] { return own.deleteRecursively() && elsewhere.createSymbolicLink (own, true); },
        [&] { return own.deleteFile() && own.replaceWithText ("planted"); },
    };

    for (const auto& plant : plants)
    {
        if (&plant == plants && ::geteuid() != 0)
            continue;

        ASSERT_TRUE (plant());
        EXPECT_EQ (PlatformFiles::findRuntimeFolder ({}, temp), juce::File());
    }

    scratch.deleteRecursively();
}
#endif
} // namespace
