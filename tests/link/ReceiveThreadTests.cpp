#include "AppendedBackupFile.h"
#include "DumpBuilders.h"
#include "LinkTestRig.h"
#include "ManualLinkClock.h"
#include "MessageLoop.h"
#include "ReceiveThread.h"
#include "SmallDisk.h"
#include "SysExBuilders.h"
#include "SysExRequest.h"

#include <gtest/gtest.h>

#include <atomic>

using morvane::test::runMessageLoopFor;
using morvane::test::runMessageLoopUntil;
using morvane::test::runWhileMoving;
namespace dumps = morvane::test;

namespace
{
    using namespace BackupJobTypes;

    /** A request driven by the test in place of the link worker: queued, fed replies, retired. */
    struct WorkerStandIn
    {
        explicit WorkerStandIn (int expectedReplies)
        {
            request.setExpectedReplies (expectedReplies);
            request.setInFlight (true);
        }

        void deliver (const juce::MemoryBlock& dump, int maxMessages = -1)
        {
            for (const auto& message : dumps::splitMessages (dump))
            {
                if (maxMessages-- == 0)
                    break;

                request.addReply (juce::MidiMessage (message.getData(), (int) message.getSize()));
            }
        }

        void retire() { request.setInFlight (false); }

        void timeOut()
        {
            request.setState (SysExRequest::failed);
            request.setInFlight (false);
        }

        SysExRequest request;
    };

    /** Counts the change messages a thread sends and notes the result each one found. */
    struct ResultRecorder : public juce::ChangeListener
    {
        void changeListenerCallback (juce::ChangeBroadcaster* source) override
        {
            results.add (static_cast<ReceiveThread*> (source)->getResult());
        }

        juce::Array<ReceiveResult> results;
    };

    bool isFinal (ReceiveResult result)
    {
        return result == ReceiveResults::written
            || result == ReceiveResults::requestFailed
            || result == ReceiveResults::writeFailed;
    }

    class ReceiveThreadTest : public ::testing::Test
    {
    protected:
        ~ReceiveThreadTest() override { folder.deleteRecursively(); }

        /** Runs one job on a request that the stand-in has already retired and returns its
            result once the listener has heard of it.
        */
        ReceiveResult receive (WorkerStandIn& worker, BackupJobType jobType, juce::uint16 number = 0,
                               bool firstStep = false, AppendedBackupFile* steppedFile = nullptr, bool lastStep = false)
        {
            ReceiveThread::Job job { &worker.request, &progress, folder.getFullPathName(), jobType, number, baseName, firstStep };
            job.steppedFile = steppedFile;
            job.lastStep = lastStep;
            ReceiveThread thread (job);
            ResultRecorder recorder;
            thread.addChangeListener (&recorder);
            thread.startThread();

            const bool reported = runMessageLoopUntil ([&] { return ! recorder.results.isEmpty()
                                                                    && isFinal (recorder.results.getLast()); },
                                                       20000);
            EXPECT_TRUE (reported);

            savedFile = juce::File();
            hasSavedFile = thread.getSavedFile (savedFile);
            warning = thread.getWarningText();
            writeFailure = thread.getWriteFailure();
            thread.removeChangeListener (&recorder);
            return thread.getResult();
        }

        juce::StringArray filesInFolder() const
        {
            juce::StringArray names;

            for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
                names.add (entry.getFile().getFileName());

            names.sort (false);
            return names;
        }

        juce::MemoryBlock fileContent (const juce::String& name) const
        {
            juce::MemoryBlock block;
            folder.getChildFile (name).loadFileAsData (block);
            return block;
        }

        static juce::MemoryBlock presetDump (juce::uint8 model, const juce::String& name)
        {
            return dumps::makePresetDump (model, dumps::makePresetWords (model, name, 7), 5);
        }

        static juce::MemoryBlock cabDump (juce::uint8 model, const juce::String& name)
        {
            return dumps::makeCabDump (model, dumps::makeCabWords (name, 11), 3);
        }

        ReceiveResult receiveDump (const juce::MemoryBlock& dump, BackupJobType jobType, juce::uint16 number = 0,
                                   bool firstStep = false, AppendedBackupFile* steppedFile = nullptr, bool lastStep = false)
        {
            WorkerStandIn worker ((int) dumps::splitMessages (dump).size());
            worker.deliver (dump);
            worker.retire();
            return receive (worker, jobType, number, firstStep, steppedFile, lastStep);
        }

        juce::File folder = juce::File::createTempFile ("morvane-receive");
        const juce::String baseName = "250314-093005";
        std::atomic<double> progress { 0.0 };
        juce::File savedFile;
        bool hasSavedFile = false;
        juce::String warning;
        ReceiveThread::WriteFailure writeFailure = ReceiveThread::WriteFailure::none;
    };
} // namespace

//==============================================================================
TEST_F (ReceiveThreadTest, WritesABankJobsRepliesUnderItsSuffix)
{
    const auto dump = dumps::makeBankDump (3, 0, 2);

    EXPECT_EQ (receiveDump (dump, orvixIIBankA), ReceiveResults::written);

    EXPECT_EQ (filesInFolder(), juce::StringArray ("250314-093005-bank-A.syx"));
    EXPECT_EQ (fileContent ("250314-093005-bank-A.syx"), dump);
    EXPECT_TRUE (hasSavedFile);
    EXPECT_EQ (savedFile, folder.getChildFile ("250314-093005-bank-A.syx"));
    EXPECT_DOUBLE_EQ (progress.load(), 1.0);
}

TEST_F (ReceiveThreadTest, ATimeOutAfterSomeRepliesWritesNoFileAndKeepsTheProgress)
{
    const auto dump = presetDump (3, "Clean");
    WorkerStandIn worker (34);
    worker.deliver (dump, 17);
    worker.timeOut();

    EXPECT_EQ (receive (worker, orvixIIOnePreset), ReceiveResults::requestFailed);

    EXPECT_TRUE (filesInFolder().isEmpty());
    EXPECT_FALSE (hasSavedFile);
    EXPECT_DOUBLE_EQ (progress.load(), 0.5);
}

TEST_F (ReceiveThreadTest, FollowsTheRepliesWhileTheyArrive)
{
    const auto dump = dumps::makeBankDump (3, 1, 1);
    WorkerStandIn worker (34);

    ReceiveThread thread (&worker.request, &progress, folder.getFullPathName(), 2, 0, baseName);
    ResultRecorder recorder;
    thread.addChangeListener (&recorder);
    thread.startThread();

    worker.deliver (dump, 17);
    EXPECT_TRUE (runMessageLoopUntil ([&] { return progress.load() == 0.5; }, 20000));
    EXPECT_TRUE (recorder.results.isEmpty());
    EXPECT_EQ (thread.getResult(), ReceiveResults::running);

    // The reply matching may lower the expected count below what has arrived: never above 1.
    worker.request.setExpectedReplies (10);
    EXPECT_TRUE (runMessageLoopUntil ([&] { return progress.load() == 1.0; }, 20000));

    // A count of 0 must not be divided by: the value stays as it was.
    worker.request.setExpectedReplies (0);
    runMessageLoopFor (250);
    EXPECT_DOUBLE_EQ (progress.load(), 1.0);
    EXPECT_EQ (thread.getResult(), ReceiveResults::running);

    worker.request.setExpectedReplies (34);
    worker.deliver (dump);
    worker.retire();

    EXPECT_TRUE (runMessageLoopUntil ([&] { return thread.getResult() == ReceiveResults::written; }, 20000));
    EXPECT_TRUE (folder.getChildFile ("250314-093005-bank-B.syx").existsAsFile());
    thread.removeChangeListener (&recorder);
}

TEST_F (ReceiveThreadTest, StoppedWhileWaitingItEndsWithoutResultOrFile)
{
    WorkerStandIn worker (34);
    worker.deliver (presetDump (3, "Clean"), 3);

    auto thread = std::make_unique<ReceiveThread> (&worker.request, &progress, folder.getFullPathName(),
                                                   orvixIIOnePreset, 0, baseName);
    ResultRecorder recorder;
    thread->addChangeListener (&recorder);
    thread->startThread();

    EXPECT_TRUE (runMessageLoopUntil ([&] { return progress.load() > 0.0; }, 20000));
    EXPECT_TRUE (thread->stopThread (20000));
    EXPECT_EQ (thread->getResult(), ReceiveResults::running);

    thread->removeChangeListener (&recorder);
    thread.reset();
    runMessageLoopFor (50);

    EXPECT_TRUE (recorder.results.isEmpty());
    EXPECT_TRUE (filesInFolder().isEmpty());
    worker.retire();
}

//==============================================================================
TEST_F (ReceiveThreadTest, PresetsAreNamedAfterThemselvesAndNeverOverwriteEachOther)
{
    const auto clean = presetDump (6, "Clean");

    EXPECT_EQ (receiveDump (clean, orvixIIOnePreset), ReceiveResults::written);
    EXPECT_EQ (receiveDump (clean, orvixIIOnePreset), ReceiveResults::written);
    EXPECT_EQ (receiveDump (clean, orvixIIEditBuffer), ReceiveResults::written);
    EXPECT_EQ (savedFile, folder.getChildFile ("Clean (2).syx"));

    EXPECT_EQ (filesInFolder(), juce::StringArray ("Clean (1).syx", "Clean (2).syx", "Clean.syx"));
    EXPECT_EQ (fileContent ("Clean (1).syx"), clean);
}

TEST_F (ReceiveThreadTest, EachFamilyTriesItsOwnModels)
{
    EXPECT_EQ (receiveDump (presetDump (7, "XL Plus"), orvixIIOnePreset), ReceiveResults::written);
    EXPECT_EQ (receiveDump (presetDump (10, "Mark Two"), lm6CurrentPreset), ReceiveResults::written);
    EXPECT_EQ (receiveDump (presetDump (8, "Kay"), kt4OnePreset), ReceiveResults::written);
    EXPECT_EQ (receiveDump (presetDump (16, "Three"), orvixIIIOnePreset), ReceiveResults::written);

    // An Orvix II preset received by an LM6 job loads under neither LM6 model.
    EXPECT_EQ (receiveDump (presetDump (3, "Stray"), lm6OnePreset), ReceiveResults::written);

    EXPECT_EQ (filesInFolder(), juce::StringArray ("Kay.syx", "Mark Two.syx", "Three.syx", "XL Plus.syx", "unnamed.syx"));
}

TEST_F (ReceiveThreadTest, UnnamedAndUnsafePresetNames)
{
    EXPECT_EQ (receiveDump (presetDump (3, ""), orvixIIOnePreset), ReceiveResults::written);
    EXPECT_EQ (savedFile.getFileName(), "EMPTY.syx");

    EXPECT_EQ (receiveDump (presetDump (3, "Lead/Dist: 2?"), orvixIIOnePreset), ReceiveResults::written);
    EXPECT_EQ (savedFile.getFileName(), "LeadDist 2.syx");

    EXPECT_EQ (receiveDump (presetDump (16, "Tab\tBell\x07"), orvixIIIOnePreset), ReceiveResults::written);
    EXPECT_EQ (savedFile.getFileName(), "Tab Bell.syx");

    EXPECT_EQ (receiveDump (presetDump (5, "CON"), lm6OnePreset), ReceiveResults::written);
    EXPECT_EQ (savedFile.getFileName(), "_CON.syx");
}

//==============================================================================
TEST_F (ReceiveThreadTest, CabsAreNamedAfterThemselvesWithUnsafeCharactersReplaced)
{
    EXPECT_EQ (receiveDump (cabDump (6, "A/B:C?"), orvixIIOneUserCab), ReceiveResults::written);
    EXPECT_EQ (savedFile.getFileName(), "A-B-C-.syx");

    EXPECT_EQ (receiveDump (cabDump (8, "A/B:C?"), kt4OneUserCab), ReceiveResults::written);
    EXPECT_EQ (savedFile.getFileName(), "A-B-C- (1).syx");

    EXPECT_EQ (receiveDump (cabDump (16, "Room   "), orvixIIIOneUserCab), ReceiveResults::written);
    EXPECT_EQ (savedFile.getFileName(), "Room.syx");
    EXPECT_EQ (fileContent ("Room.syx"), cabDump (16, "Room   "));
}

TEST_F (ReceiveThreadTest, AnEmptyOrUnreadableCabSlotIsSavedAsEmpty)
{
    auto words = dumps::makeCabWords ("", 1);
    words[0] = 0xFFFFFFFFu;
    EXPECT_EQ (receiveDump (dumps::makeCabDump (3, words, 4), orvixIIOneUserCab), ReceiveResults::written);
    EXPECT_EQ (savedFile.getFileName(), "EMPTY.syx");

    // A dump with a broken checksum does not parse.
    auto broken = cabDump (3, "Room");
    static_cast<juce::uint8*> (broken.getData())[20] ^= 0x01;
    EXPECT_EQ (receiveDump (broken, orvixIIOneUserCab), ReceiveResults::written);
    EXPECT_EQ (savedFile.getFileName(), "EMPTY (1).syx");
    EXPECT_TRUE (warning.isEmpty());
}

TEST_F (ReceiveThreadTest, AllUserCabsAreNumberedAndReplaceOlderFiles)
{
    EXPECT_EQ (receiveDump (cabDump (3, "Room"), orvixIIAllUserCabs, 7), ReceiveResults::written);
    EXPECT_EQ (receiveDump (cabDump (3, "Room"), orvixIIAllUserCabs, 123), ReceiveResults::written);

    const auto other = cabDump (6, "Room");
    EXPECT_EQ (receiveDump (other, orvixIIAllUserCabs, 7), ReceiveResults::written);

    // Behind its number a device name is harmless and keeps its own spelling.
    EXPECT_EQ (receiveDump (cabDump (3, "CON"), orvixIIAllUserCabs, 5), ReceiveResults::written);

    EXPECT_EQ (filesInFolder(), juce::StringArray ("005-CON.syx", "007-Room.syx", "123-Room.syx"));
    EXPECT_EQ (fileContent ("007-Room.syx"), other);
}

//==============================================================================
TEST_F (ReceiveThreadTest, SteppedOrvixIIIJobsAddToTheirFileOnlyThroughTheSteppedFile)
{
    const auto first = presetDump (16, "One");
    const auto second = presetDump (16, "Two");
    juce::MemoryBlock both (first);
    both.append (second.getData(), second.getSize());

    // An older file of the same name, such as another run's within the same second.
    folder.createDirectory();
    const juce::String bankC ("250314-093005-bank-C.syx");
    folder.getChildFile (bankC).replaceWithText ("older run");

    {
        AppendedBackupFile stepped;
        EXPECT_EQ (receiveDump (first, 39, 0, true, &stepped, false), ReceiveResults::written);
        EXPECT_EQ (folder.getChildFile (bankC).loadFileAsString(), "older run") << "until the last step";
        EXPECT_EQ (receiveDump (second, 39, 1, false, &stepped, true), ReceiveResults::written);
    }

    EXPECT_EQ (fileContent (bankC), both);

    // Without the stepped file a later step has nothing to add to: the file where it lies is
    // never added to.
    EXPECT_EQ (receiveDump (second, 39, 2, false), ReceiveResults::writeFailed);
    EXPECT_EQ (writeFailure, ReceiveThread::WriteFailure::fileGone);
    EXPECT_EQ (fileContent (bankC), both);

    // A first step without one is the whole file, and replaces the older.
    EXPECT_EQ (receiveDump (second, 39, 0, true), ReceiveResults::written);
    EXPECT_EQ (fileContent (bankC), second);

    const auto cab = cabDump (16, "Slot");

    {
        AppendedBackupFile stepped;
        EXPECT_EQ (receiveDump (cab, orvixIIIUserCabBank2, 1, true, &stepped, false), ReceiveResults::written);
        EXPECT_EQ (receiveDump (cab, orvixIIIUserCabBank2, 2, false, &stepped, true), ReceiveResults::written);
    }

    EXPECT_EQ (fileContent ("250314-093005-user-cab-bank-2.syx").getSize(), 2 * cab.getSize());
    EXPECT_EQ (filesInFolder(), juce::StringArray (bankC, "250314-093005-user-cab-bank-2.syx")) << "no temporary file is left";
}

TEST_F (ReceiveThreadTest, OtherJobsReplaceAnOlderFileWhateverTheStep)
{
    folder.createDirectory();
    folder.getChildFile ("250314-093005-fc.syx").replaceWithText ("older run");

    const auto dump = dumps::makeBankDump (16, 0, 1);
    EXPECT_EQ (receiveDump (dump, orvixIIIFootControllerOnly, 0, false), ReceiveResults::written);
    EXPECT_EQ (fileContent ("250314-093005-fc.syx"), dump);
}

TEST_F (ReceiveThreadTest, AFileThatCannotBeWrittenOrNamedGivesWriteFailed)
{
    // A folder where the file should go.
    folder.getChildFile ("250314-093005-system.syx").createDirectory();
    EXPECT_EQ (receiveDump (dumps::makeBankDump (6, 0, 1), orvixIISystem), ReceiveResults::writeFailed);

    // A code that names no job has no file name.
    EXPECT_EQ (receiveDump (dumps::makeBankDump (6, 0, 1), 49), ReceiveResults::writeFailed);
    EXPECT_FALSE (hasSavedFile);

    EXPECT_EQ (filesInFolder(), juce::StringArray ("250314-093005-system.syx"));
}

TEST_F (ReceiveThreadTest, OnAFullDiskNoJobLeavesAnyPartOfItsFileUnderAName)
{
    morvane::test::SmallDisk disk (512);

    if (! disk.isMounted())
        GTEST_SKIP() << "no RAM disk could be mounted";

    folder = disk.getFolder().getChildFile ("backups");
    ASSERT_TRUE (folder.createDirectory().wasOk());

    const juce::StringArray older { "250314-093005-bank-A.syx", "250314-093005-bank-C.syx", "007-Room.syx" };

    for (const auto& name : older)
        ASSERT_TRUE (folder.getChildFile (name).replaceWithText ("older run"));

    struct Case
    {
        const char* what;
        BackupJobType jobType;
        juce::uint16 number;
        juce::MemoryBlock dump;
        bool stepped;
    };

    // Every way a job names and writes its file: by its suffix (written while it arrives), by the
    // preset or cab it holds, by number over an older file, and the steps of a bank.
    const std::vector<Case> cases {
        { "a bank under its suffix", orvixIIBankA, 0, dumps::makeBankDump (3, 0, 2), false },
        { "a preset under its name", orvixIIOnePreset, 0, presetDump (6, "Clean"), false },
        { "a cab under its name", kt4OneUserCab, 0, cabDump (8, "Room"), false },
        { "a numbered cab over an older file", orvixIIAllUserCabs, 7, cabDump (3, "Room"), false },
        { "the first step of a bank, alone", 39, 0, presetDump (16, "One"), false },
        { "the steps of a bank", 39, 0, presetDump (16, "One"), true },
    };

    // Less room than any of the dumps needs.
    disk.fillLeaving (1024);

    for (const auto& c : cases)
    {
        ASSERT_GT (c.dump.getSize(), 4096u) << c.what;

        if (c.stepped)
        {
            // The stepped file keeps its temporary file until it goes, as a run's does.
            AppendedBackupFile stepped;
            const auto first = receiveDump (c.dump, c.jobType, 0, true, &stepped, false);
            EXPECT_EQ (first == ReceiveResults::writeFailed ? first : receiveDump (c.dump, c.jobType, 1, false, &stepped, true),
                       ReceiveResults::writeFailed) << c.what;
        }
        else
        {
            EXPECT_EQ (receiveDump (c.dump, c.jobType, c.number, true), ReceiveResults::writeFailed) << c.what;
        }

        EXPECT_EQ (filesInFolder(), juce::StringArray ("007-Room.syx", "250314-093005-bank-A.syx", "250314-093005-bank-C.syx"))
            << c.what << ": " << filesInFolder().joinIntoString (" ");

        for (const auto& name : older)
            EXPECT_EQ (folder.getChildFile (name).loadFileAsString(), "older run") << c.what << ": " << name;
    }

    folder.deleteRecursively();
}

TEST (ReceiveThreadWithoutFolder, WritesNothing)
{
    WorkerStandIn worker (1);
    worker.deliver (morvane::test::makeBankDump (6, 0, 1), 1);
    worker.retire();

    ReceiveThread thread (&worker.request, nullptr, {}, orvixIISystem, 0, "base");
    thread.startThread();
    EXPECT_TRUE (thread.waitForThreadToExit (20000));
    EXPECT_EQ (thread.getResult(), ReceiveResults::writeFailed);
}

//==============================================================================
// Backup jobs received from a simulated device through the link worker.

namespace
{
    using Rig = morvane::test::LinkRig<MidiProcessing>;

    std::vector<juce::MidiMessage> toMessages (const juce::MemoryBlock& dump)
    {
        std::vector<juce::MidiMessage> messages;

        for (const auto& message : dumps::splitMessages (dump))
            messages.emplace_back (message.getData(), (int) message.getSize());

        return messages;
    }

    class BackupEndToEnd : public ReceiveThreadTest
    {
    protected:
        /** Queues the request, runs a ReceiveThread on it and returns its final result. */
        ReceiveResult runJob (Rig& rig, SysExRequest& request, BackupJobType jobType, juce::uint16 number = 0)
        {
            EXPECT_TRUE (rig.link->enqueueRequest (&request));

            ReceiveThread thread (&request, &progress, folder.getFullPathName(), jobType, number, baseName);
            thread.startThread();
            EXPECT_TRUE (rig.runUntil ([&] { return isFinal (thread.getResult()); }, 20000));

            hasSavedFile = thread.getSavedFile (savedFile);
            return thread.getResult();
        }
    };
} // namespace

TEST_F (BackupEndToEnd, APresetIsReceivedIntoAFileNamedAfterIt)
{
    Rig rig (6);
    const auto dump = dumps::makePresetDump (6, dumps::makePresetWords (6, "Clean", 3), 12);
    rig.device->setReplyGenerator (0x03, [dump] (const juce::MidiMessage&) { return toMessages (dump); });
    ASSERT_TRUE (rig.connect());

    SysExRequest request (3000);
    const juce::uint32 preset[3] = { 0, 12, 1 };
    ASSERT_TRUE (buildPatchDumpRequest (&request, preset));

    EXPECT_EQ (runJob (rig, request, orvixIIOnePreset), ReceiveResults::written);
    EXPECT_EQ (savedFile, folder.getChildFile ("Clean.syx"));
    EXPECT_EQ (fileContent ("Clean.syx"), dump);
    EXPECT_DOUBLE_EQ (progress.load(), 1.0);
}

TEST_F (BackupEndToEnd, ABankIsReceivedWhole)
{
    Rig rig (3);
    ASSERT_TRUE (rig.connect());

    SysExRequest request (3000);
    const juce::uint32 bank = 2;
    ASSERT_TRUE (buildBankDumpRequest (&request, &bank));

    juce::MemoryBlock expected;

    for (const auto& reply : rig.device->defaultRepliesTo (request.getMessage()))
        expected.append (reply.getRawData(), (size_t) reply.getRawDataSize());

    EXPECT_EQ (runJob (rig, request, orvixIIBankA + 2), ReceiveResults::written);
    EXPECT_EQ (request.getReplyCount(), 34 * 128);
    EXPECT_EQ (fileContent ("250314-093005-bank-C.syx"), expected);
}

TEST_F (BackupEndToEnd, ACabFallingSilentMidDumpWritesNothing)
{
    ManualLinkClock clock;
    Rig rig (8);
    rig.device->setSilentAfterReplies (33);
    ASSERT_TRUE (rig.connect());

    SysExRequest request (3000);
    const juce::uint32 cab = 4;
    ASSERT_TRUE (buildCabDumpRequest (&request, &cab));
    ASSERT_TRUE (rig.link->enqueueRequest (&request));

    ReceiveThread thread (&request, &progress, folder.getFullPathName(), kt4OneUserCab, 0, baseName);
    thread.startThread();

    ASSERT_TRUE (rig.runUntil ([&] { return progress.load() == 0.5; }, 20000));
    clock.advance (3001);
    ASSERT_TRUE (rig.runUntil ([&] { return isFinal (thread.getResult()); }, 20000));

    EXPECT_EQ (thread.getResult(), ReceiveResults::requestFailed);
    EXPECT_DOUBLE_EQ (progress.load(), 0.5);
    EXPECT_FALSE (folder.exists());
}

//==============================================================================
TEST_F (ReceiveThreadTest, ALongDumpReplacesTheOlderFileOnlyOnceItHasAllArrived)
{
    // A dump of several MiB into an existing folder, where an older backup of the same name
    // lies. However the job ends, the older file is never left half replaced.
    enum class Ending { retired, timedOut, stopped };

    struct Case
    {
        const char* what;
        Ending ending;
    };

    const std::vector<Case> cases {
        { "all replies arrive", Ending::retired },
        { "the device falls silent halfway", Ending::timedOut },
        { "the thread is stopped halfway", Ending::stopped },
    };

    std::vector<juce::MidiMessage> replies;
    juce::MemoryBlock dump;

    for (int n = 0; n < 20000; ++n)
    {
        std::vector<juce::uint8> bytes { 0xF0, 0x00, 0x01, 0x74, 0x08, 0x45 };

        for (int i = 0; i < 159; ++i)
            bytes.push_back ((juce::uint8) ((n * 13 + i) & 0x7F));

        bytes.push_back (0xF7);
        replies.emplace_back (bytes.data(), (int) bytes.size());
        dump.append (bytes.data(), bytes.size());
    }

    const juce::String name ("250314-093005-All-Cab-Banks.syx");
    const juce::String older ("an older backup");

    for (const auto& c : cases)
    {
        folder.deleteRecursively();
        ASSERT_TRUE (folder.createDirectory()) << c.what;
        ASSERT_TRUE (folder.getChildFile (name).replaceWithText (older)) << c.what;

        WorkerStandIn worker ((int) replies.size());
        auto thread = std::make_unique<ReceiveThread> (&worker.request, &progress, folder.getFullPathName(),
                                                       kt4AllCabBanks, 0, baseName);
        ResultRecorder recorder;
        thread->addChangeListener (&recorder);
        thread->startThread();

        const auto half = replies.size() / 2;

        for (size_t n = 0; n < half; ++n)
            worker.request.addReply (replies[n]);

        // Megabytes through a sanitizer on a busy machine: the waits last while the job moves.
        const auto moved = [&] { return (double) progress.load(); };
        EXPECT_TRUE (runWhileMoving ([&] { return progress.load() >= 0.5; }, moved)) << c.what;
        EXPECT_EQ (folder.getChildFile (name).loadFileAsString(), older) << c.what;

        if (c.ending == Ending::stopped)
        {
            EXPECT_TRUE (thread->stopThread (20000)) << c.what;
            EXPECT_EQ (thread->getResult(), ReceiveResults::running) << c.what;
        }
        else
        {
            if (c.ending == Ending::retired)
            {
                for (size_t n = half; n < replies.size(); ++n)
                    worker.request.addReply (replies[n]);

                worker.retire();
            }
            else
            {
                worker.timeOut();
            }

            // The change message that reports the end reaches the listener on the message thread.
            EXPECT_TRUE (runWhileMoving ([&] { return ! recorder.results.isEmpty() && isFinal (recorder.results.getLast()); },
                                         moved)) << c.what;
        }

        thread->removeChangeListener (&recorder);
        thread.reset();
        worker.retire();

        if (c.ending == Ending::retired)
        {
            EXPECT_EQ (recorder.results.getLast(), ReceiveResults::written) << c.what;
            EXPECT_TRUE (fileContent (name) == dump) << c.what;
        }
        else
        {
            if (c.ending == Ending::timedOut)
            {
                EXPECT_EQ (recorder.results.getLast(), ReceiveResults::requestFailed) << c.what;
            }

            EXPECT_EQ (folder.getChildFile (name).loadFileAsString(), older) << c.what;
        }

        // Nothing but the backup itself is left in the folder.
        EXPECT_EQ (filesInFolder(), juce::StringArray (name)) << c.what;
    }
}

//==============================================================================
TEST_F (ReceiveThreadTest, ARunsThreadServesJobAfterJobAndEndsWhenStopped)
{
    folder.createDirectory();
    const auto first = dumps::makeBankDump (3, 0, 1);
    const auto second = dumps::makeBankDump (3, 1, 1);
    WorkerStandIn one ((int) dumps::splitMessages (first).size());
    WorkerStandIn two ((int) dumps::splitMessages (second).size());

    ReceiveThread::Job job;
    job.request = &one.request;
    job.progress = &progress;
    job.folder = folder.getFullPathName();
    job.jobType = orvixIIBankA;
    job.baseName = baseName;
    job.mayCreateFolder = false;
    job.waitForNextJob = true;

    ReceiveThread thread (job);
    ResultRecorder recorder;
    thread.addChangeListener (&recorder);
    thread.startThread();

    // Not before the job in hand has reported its end.
    job.request = &two.request;
    job.jobType = orvixIIBankA + 1;
    EXPECT_FALSE (thread.receiveNext (job));

    one.deliver (first);
    one.retire();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return thread.getResult() == ReceiveResults::written; }, 20000));
    EXPECT_TRUE (thread.isThreadRunning()) << "it waits for the next job";

    ASSERT_TRUE (thread.receiveNext (job));
    EXPECT_EQ (thread.getResult(), ReceiveResults::running);
    two.deliver (second);
    two.retire();
    ASSERT_TRUE (runMessageLoopUntil ([&] { return thread.getResult() == ReceiveResults::written; }, 20000));

    juce::File saved;
    ASSERT_TRUE (thread.getSavedFile (saved));
    EXPECT_EQ (saved.getFileName(), "250314-093005-bank-B.syx");
    EXPECT_EQ (fileContent ("250314-093005-bank-A.syx"), first);
    EXPECT_EQ (fileContent ("250314-093005-bank-B.syx"), second);

    // Waiting for a job that never comes, it stops at once when asked.
    EXPECT_TRUE (thread.stopThread (20000));
    EXPECT_FALSE (thread.isThreadRunning());
    thread.removeChangeListener (&recorder);
}

TEST_F (ReceiveThreadTest, ARunsFolderThatWentAwayIsNotMadeAgain)
{
    ReceiveThread::Job job;
    WorkerStandIn worker (1);
    worker.deliver (dumps::makeBankDump (6, 0, 1), 1);
    worker.retire();
    job.request = &worker.request;
    job.folder = folder.getFullPathName();
    job.jobType = orvixIISystem;
    job.baseName = baseName;
    job.mayCreateFolder = false;

    ReceiveThread thread (job);
    thread.startThread();
    ASSERT_TRUE (thread.waitForThreadToExit (20000));
    EXPECT_EQ (thread.getResult(), ReceiveResults::writeFailed);
    EXPECT_EQ (thread.getWriteFailure(), ReceiveThread::WriteFailure::folderMissing);
    EXPECT_FALSE (folder.exists());
}
