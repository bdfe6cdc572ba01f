#include "BackupRunRig.h"

#include <functional>

namespace morvane::test
{
namespace
{
/** Starts the Orvix II all-user-cabs job on a device with this many user cabs. */
bool startAllUserCabs (BackupRunRig& rig, int cabs)
{
    rig.context.userCabCount = cabs;
    OrvixIIBackupSelection s;
    s.allUserCabs = 1;
    return rig.run.startOrvixIIBackup (s, rig.context, rig.folder.getFullPathName());
}

bool startOrvixIIIBankA (BackupRunRig& rig)
{
    OrvixIIIBackupSelection s;
    s.banks[0] = 1;
    return rig.run.startOrvixIIIBackup (s, rig.context, rig.folder.getFullPathName());
}

bool startKT4Sets (BackupRunRig& rig, bool set1, bool set2)
{
    KT4BackupSelection s;
    s.bankSets[0] = set1 ? 1 : 0;
    s.bankSets[1] = set2 ? 1 : 0;
    return rig.run.startKT4Backup (s, rig.context, rig.folder.getFullPathName());
}

bool startLM6System (BackupRunRig& rig)
{
    LM6BackupSelection s;
    s.system = 1;
    return rig.run.queueLM6BackupJobs (s, rig.context, rig.folder.getFullPathName());
}

/** The time-out of the steps in tests that wait out several: what counts is how often a step
    is sent, not how long it waits, and every answer that comes comes well within it.
*/
constexpr juce::uint32 quickStepTimeoutMs = 1500;

/** A step that gets no answer: how often the same request is sent, and how the run ends. */
struct RetryCase
{
    const char* name;
    juce::uint8 model;
    std::function<bool (BackupRunRig&)> start;
    std::vector<int> dropped;       // dump requests (from 1) that get no answer
    int sendsOfFirstDroppedStep;
    const char* warning;            // empty when the run completes
};

const RetryCase retryCases[] = {
    { "OrvixIIUserCabRecoversAfterOneRetry", 3, [] (BackupRunRig& r) { return startAllUserCabs (r, 3); }, { 2 }, 2, "" },
    { "OrvixIIUserCabGivesUpAfterThreeRetries", 3, [] (BackupRunRig& r) { return startAllUserCabs (r, 3); }, { 2, 3, 4, 5 }, 4, "Message timeout." },
    { "OrvixIIIBankStepGivesUpAfterThreeRetries", 16, startOrvixIIIBankA, { 1, 2, 3, 4 }, 4, "Message timeout." },
    { "KT4BankSetGivesUpAfterThreeRetries", 8, [] (BackupRunRig& r) { return startKT4Sets (r, true, false); }, { 1, 2, 3, 4 }, 4, "Message timeout." },
    { "LM6SystemIsNotRetried", 5, startLM6System, { 1 }, 1, "Message timeout." },
    { "OrvixIIBankIsNotRetried", 6, [] (BackupRunRig& r) { OrvixIIBackupSelection s; s.banks[0] = 1; r.server.setCurrentPatch (3, 4);
                                                          return r.run.startOrvixIIBackup (s, r.context, r.folder.getFullPathName()); },
      { 1 }, 1, "Message timeout." },
};

class BackupRunRetries : public ::testing::TestWithParam<RetryCase> {};
} // namespace

TEST_P (BackupRunRetries, RetryOnlyTheStepsThatAllowIt)
{
    const auto& row = GetParam();
    BackupRunRig rig (row.model);
    ASSERT_TRUE (rig.connected);
    rig.run.setStepTimeoutMs (quickStepTimeoutMs);

    for (auto n : row.dropped)
        rig.server.dropRequest (n);

    ASSERT_TRUE (row.start (rig));
    ASSERT_TRUE (rig.waitForEnd());

    // The dropped request, and how often the very same bytes were sent.
    const auto requests = rig.requestsReceived();
    const auto firstDropped = requests[requests.indexOf ("14") >= 0 ? row.dropped.front() : row.dropped.front() - 1];
    int sends = 0;

    for (const auto& request : requests)
        sends += request == firstDropped ? 1 : 0;

    EXPECT_EQ (sends, row.sendsOfFirstDroppedStep) << joined (requests);

    if (juce::String (row.warning).isEmpty())
    {
        EXPECT_EQ (joined (rig.host.infos), "Backup complete.");
        EXPECT_TRUE (rig.host.warnings.isEmpty());
    }
    else
    {
        EXPECT_EQ (joined (rig.host.warnings), row.warning);
        EXPECT_TRUE (rig.host.infos.isEmpty());
        EXPECT_EQ (requests.indexOf ("3c0304"), -1) << "a failed run recalls no patch";
    }

    EXPECT_EQ (rig.host.ended, 1);
}

INSTANTIATE_TEST_SUITE_P (Jobs, BackupRunRetries, ::testing::ValuesIn (retryCases),
                          [] (const ::testing::TestParamInfo<RetryCase>& row) { return std::string (row.param.name); });

//==============================================================================
namespace
{
/** Cancel pressed while the n-th dump request is in hand (its answer held back until then). */
struct CancelCase
{
    const char* name;
    juce::uint8 model;
    std::function<bool (BackupRunRig&)> start;
    int requestInHand;
    const char* message;
    int filesWritten;
};

const CancelCase cancelCases[] = {
    { "OrvixIIStopsAfterTheCabInHand", 3, [] (BackupRunRig& r) { return startAllUserCabs (r, 5); }, 3,
      "Backup canceled. The first 3 user cabs have been written to disk.", 3 },
    { "OrvixIILastCabCompletesTheRun", 3, [] (BackupRunRig& r) { return startAllUserCabs (r, 5); }, 5, "Backup complete.", 5 },
    { "OrvixIIIStopsAfterThePresetInHand", 16, startOrvixIIIBankA, 3,
      "Backup canceled. The first 3 patches have been written to disk.", 1 },
    { "KT4CountsTheBanksOfEverySet", 8, [] (BackupRunRig& r) { return startKT4Sets (r, true, true); }, 18,
      "Backup canceled. 18 preset bank(s) written to disk.", 18 },
    { "LM6CannotBeCanceled", 5, startLM6System, 1, "B-system.syx has been saved.", 1 },
};

class BackupRunCancel : public ::testing::TestWithParam<CancelCase> {};
} // namespace

TEST_P (BackupRunCancel, StopsOnlyAfterTheStepInHand)
{
    const auto& row = GetParam();
    BackupRunRig rig (row.model);
    ASSERT_TRUE (rig.startHoldingRequest (row.requestInHand, row.start));

    const bool cancellable = row.model != 5;
    EXPECT_EQ (rig.host.cancelEnabled, cancellable);
    rig.run.cancel();

    if (row.model == 8)
    {
        EXPECT_EQ (rig.host.statuses[rig.host.statuses.size() - 1], "The backup will cancel following the completion of the current bank.");
    }

    rig.server.release();
    ASSERT_TRUE (rig.waitForEnd());

    const auto base = rig.run.getBaseName();
    const auto message = juce::String (row.message).replace ("B-", base + "-");
    EXPECT_EQ (joined (rig.host.infos), message.toStdString());
    EXPECT_EQ (rig.filesWritten().size(), row.filesWritten) << joined (rig.filesWritten());
    EXPECT_EQ (rig.server.getRequestCount(), row.requestInHand);
    EXPECT_FALSE (rig.host.cancelEnabled);
}

INSTANTIATE_TEST_SUITE_P (Jobs, BackupRunCancel, ::testing::ValuesIn (cancelCases),
                          [] (const ::testing::TestParamInfo<CancelCase>& row) { return std::string (row.param.name); });

//==============================================================================
TEST (BackupRunFaults, DeviceAnswersThatEndARunWithTheirOwnMessage)
{
    struct Case
    {
        const char* what;
        std::function<void (BackupDumpServer&)> setUp;
        const char* warning;
        int files;
    };

    const Case cases[] = {
        { "a system dump refused with code 4", [] (BackupDumpServer& s) { s.setSystemRefusal (4); },
          "The device did not send \"System\" (MIDI_ERROR_BAD_ARGUMENT).\n(Status code: 4)", 0 },
        { "a start that announces too many", [] (BackupDumpServer& s) { s.setSystemDataMessages (4, 2); }, "Message timeout.", 0 },
        { "a device that falls silent", [] (BackupDumpServer& s) { s.setSystemDataMessages (40); }, "Message timeout.", 0 },
    };

    for (const auto& row : cases)
    {
        SCOPED_TRACE (row.what);
        BackupRunRig rig (5);
        ASSERT_TRUE (rig.connected);
        rig.run.setStepTimeoutMs (quickStepTimeoutMs);
        row.setUp (rig.server);

        if (juce::String (row.what).contains ("silent"))
            rig.device.setSilentAfterReplies (10);

        ASSERT_TRUE (startLM6System (rig));
        ASSERT_TRUE (rig.waitForEnd());
        EXPECT_EQ (joined (rig.host.warnings), row.warning);
        EXPECT_EQ (rig.filesWritten().size(), row.files) << joined (rig.filesWritten());
        EXPECT_EQ (rig.host.ended, 1);
    }
}

TEST (BackupRunFaults, AWriteFailureStopsTheRun)
{
    for (const juce::uint8 model : { (juce::uint8) 3, (juce::uint8) 5 })
    {
        BackupRunRig rig (model);
        ASSERT_TRUE (rig.connected);

        // A file stands where the backup folder's sub-folder must go.
        const auto blocker = rig.folder.getChildFile ("blocker");
        ASSERT_TRUE (blocker.replaceWithText ("x"));
        rig.context.userCabCount = 3;

        if (model == 3)
        {
            OrvixIIBackupSelection s;
            s.allUserCabs = 1;
            ASSERT_TRUE (rig.run.startOrvixIIBackup (s, rig.context, blocker.getChildFile ("sub").getFullPathName()));
        }
        else
        {
            LM6BackupSelection s;
            s.system = s.allPresetBanks = 1;
            ASSERT_TRUE (rig.run.queueLM6BackupJobs (s, rig.context, blocker.getChildFile ("sub").getFullPathName()));
        }

        ASSERT_TRUE (rig.waitForEnd());
        EXPECT_EQ (joined (rig.host.warnings), "An error was encountered while writing the file to disk.");
        EXPECT_EQ (rig.server.getRequestCount(), 1) << "no request after the failed write";
    }
}

TEST (BackupRunFaults, AStepWithoutARequestEndsTheRunAndUnlocksTheConsole)
{
    BackupRunRig rig (5);
    ASSERT_TRUE (rig.connected);
    LM6BackupSelection s;
    s.onePresetBank = 1;    // with no bank: nothing can be asked for
    ASSERT_TRUE (rig.run.queueLM6BackupJobs (s, rig.context, rig.folder.getFullPathName()));
    ASSERT_TRUE (rig.waitForEnd (10000));
    EXPECT_EQ (rig.host.warnings.size(), 1);
    EXPECT_EQ (rig.host.ended, 1);
    EXPECT_EQ (rig.device.getReceivedCount(), 0);
}

TEST (BackupRunFaults, RecallOnlyWhatThisRunQueried)
{
    // The device does not answer the patch query: the run goes on and recalls nothing.
    BackupRunRig rig (3);
    ASSERT_TRUE (rig.connected);
    rig.server.setCurrentPatch (0, 0, false);
    OrvixIIBackupSelection s;
    s.banks[0] = 1;
    ASSERT_TRUE (rig.run.startOrvixIIBackup (s, rig.context, rig.folder.getFullPathName()));
    ASSERT_TRUE (rig.waitForEnd());
    EXPECT_EQ (joined (rig.host.warnings),
               "Unable to query the current patch number. Please make sure the Orvix II Original/MK II is connected and powered on");
    EXPECT_EQ (rig.device.getReceivedCount (0x3C), 0);
    EXPECT_EQ (rig.host.infos.size(), 1);
}

TEST (BackupRunFaults, OrvixIICabsBeyondWhatItsRequestCanAddressAreReported)
{
    BackupRunRig rig (3);
    ASSERT_TRUE (rig.connected);
    ASSERT_TRUE (startAllUserCabs (rig, 130));
    ASSERT_TRUE (rig.waitForEnd());

    const auto requests = rig.requestsReceived();
    EXPECT_EQ (requests.size(), 128);
    EXPECT_EQ (requests[127], "197f");
    EXPECT_EQ (rig.filesWritten().size(), 128);
    EXPECT_EQ (joined (rig.host.infos), "Backup complete.\n\n2 of the device's 130 user cabs could not be backed up: "
                                        "Morvane can request only the first 128 user cabs from this device.");
}

TEST (BackupRunFaults, NoUserCabsMeansNoAllUserCabsJob)
{
    BackupRunRig rig (3);
    ASSERT_TRUE (rig.connected);
    EXPECT_FALSE (startAllUserCabs (rig, 0));
    EXPECT_EQ (rig.host.started, 0);
    EXPECT_EQ (rig.requestsReceived().size(), 0);
    ASSERT_EQ (rig.host.boxes.size(), 1u) << "not a silent nothing";
    EXPECT_EQ (rig.host.boxes[0].severity, Severity::warning);
    EXPECT_EQ (rig.host.boxes[0].text, "The device reports no user cabs, so there is nothing to back up.");
}

TEST (BackupRunFaults, TwoRunsInOneSecondReplaceRatherThanAppend)
{
    BackupRunRig rig (16);
    ASSERT_TRUE (rig.connected);

    for (int attempt = 0; attempt < 5; ++attempt)
    {
        OrvixIIIBackupSelection s;
        s.global = 1;
        rig.host.ended = 0;
        ASSERT_TRUE (rig.run.startOrvixIIIBackup (s, rig.context, rig.folder.getFullPathName()));
        ASSERT_TRUE (rig.waitForEnd());
        const auto first = rig.run.getBaseName();
        rig.host.ended = 0;
        ASSERT_TRUE (rig.run.startOrvixIIIBackup (s, rig.context, rig.folder.getFullPathName()));
        ASSERT_TRUE (rig.waitForEnd());

        if (rig.run.getBaseName() != first)
            continue;   // the second began in the next second: try again

        const auto file = rig.folder.getChildFile (first + "-system.syx");
        juce::MemoryBlock one;

        for (const auto& reply : rig.device.defaultRepliesTo (rig.device.getReceived().back()))
            one.append (reply.getRawData(), (size_t) reply.getRawDataSize());

        EXPECT_EQ (file.getSize(), (juce::int64) one.getSize());
        return;
    }

    FAIL() << "no two runs began within one second";
}
} // namespace morvane::test
