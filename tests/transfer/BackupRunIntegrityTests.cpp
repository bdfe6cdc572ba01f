#include "BackupRunRig.h"
#include "SmallDisk.h"

#include <functional>
#include <set>

namespace morvane::test
{
namespace
{
bool startOrvixIIIBankA (BackupRunRig& rig, const juce::File& folder)
{
    OrvixIIIBackupSelection s;
    s.banks[0] = 1;
    return rig.run.startOrvixIIIBackup (s, rig.context, folder.getFullPathName());
}

/** Every file below the folder, relative to it, in name order (temporary files included). */
juce::StringArray allFiles (const juce::File& folder)
{
    juce::StringArray names;

    for (const auto& file : folder.findChildFiles (juce::File::findFiles, true, "*", juce::File::FollowSymlinks::no))
        names.add (file.getRelativePathFrom (folder));

    names.sort (false);
    return names;
}

/** The bytes the device sent for the first n dump requests, end to end. */
juce::MemoryBlock firstReplies (const BackupDumpServer& server, size_t n)
{
    juce::MemoryBlock block;
    const auto exchanges = server.getExchanges();

    for (size_t i = 0; i < n && i < exchanges.size(); ++i)
        block.append (exchanges[i].replies.getData(), exchanges[i].replies.getSize());

    return block;
}

/** The receive folder removed while the n-th dump request is in hand. */
struct FolderCase
{
    const char* name;
    juce::uint8 model;
    std::function<bool (BackupRunRig&)> start;
    int requestInHand;

    /** The files below the folder once the run has that request's step in hand: those of the
        steps before, and the temporary file of a step that writes its replies as they arrive,
        which the run's thread starts on its own once the request is on its way.
    */
    int filesWhileHeld;
};

void PrintTo (const FolderCase& row, std::ostream* out) { *out << row.name; }

const FolderCase folderCases[] = {
    { "OrvixIIIBankAtPreset40", 16, [] (BackupRunRig& r) { return startOrvixIIIBankA (r, r.folder); }, 40, 1 },
    { "LM6SystemThenBanks", 5, [] (BackupRunRig& r) { LM6BackupSelection s; s.system = s.allPresetBanks = 1;
                                                       return r.run.queueLM6BackupJobs (s, r.context, r.folder.getFullPathName()); }, 2, 2 },
    { "KT4BankSet", 8, [] (BackupRunRig& r) { KT4BackupSelection s; s.bankSets[0] = 1;
                                               return r.run.startKT4Backup (s, r.context, r.folder.getFullPathName()); }, 5, 5 },
    { "OrvixIIUserCabs", 3, [] (BackupRunRig& r) { r.context.userCabCount = 6; OrvixIIBackupSelection s; s.allUserCabs = 1;
                                                    return r.run.startOrvixIIBackup (s, r.context, r.folder.getFullPathName()); }, 3, 2 },
};

class BackupRunFolderGone : public ::testing::TestWithParam<FolderCase> {};
} // namespace

TEST_P (BackupRunFolderGone, StopsSayingSoAndNeverMakesTheFolderAgain)
{
    const auto& row = GetParam();
    BackupRunRig rig (row.model);

    // The device is silent while the request is held, and on a busy machine the steps before may
    // also wait longer than the run's usual patience: a step that timed out would be asked for
    // again, or end the run, before the folder goes. The run gets more.
    rig.run.setStepTimeoutMs (60000);
    ASSERT_TRUE (rig.startHoldingRequest (row.requestInHand, row.start));

    // Removed only once nothing more is made in it until the device answers: a file made while
    // the folder's entries are deleted would make the removal itself fail.
    ASSERT_TRUE (runMessageLoopUntil ([&] { return allFiles (rig.folder).size() == row.filesWhileHeld; }, 60000))
        << joined (allFiles (rig.folder));

    ASSERT_TRUE (rig.folder.deleteRecursively()) << joined (allFiles (rig.folder));
    rig.server.release();
    ASSERT_TRUE (rig.waitForEnd());

    EXPECT_FALSE (rig.folder.exists());
    EXPECT_TRUE (rig.host.infos.isEmpty()) << joined (rig.host.infos);
    ASSERT_EQ (rig.host.warnings.size(), 1) << joined (rig.host.warnings);
    EXPECT_TRUE (rig.host.warnings[0].startsWith ("The backup has stopped: its folder \"" + rig.folder.getFullPathName()))
        << joined (rig.host.warnings);
    EXPECT_EQ (rig.server.getRequestCount(), row.requestInHand) << "nothing is asked for after the folder went";
    EXPECT_EQ (rig.host.ended, 1);
}

INSTANTIATE_TEST_SUITE_P (Jobs, BackupRunFolderGone, ::testing::ValuesIn (folderCases),
                          [] (const ::testing::TestParamInfo<FolderCase>& row) { return std::string (row.param.name); });

//==============================================================================
namespace
{
/** While the run waits on a request, its folder is renamed and its path given to a new folder
    or to a link to another one.
*/
enum class Swap { folderMadeAgain, linkToAnother };

class BackupRunFolderSwapped : public ::testing::TestWithParam<std::tuple<FolderCase, Swap>> {};
} // namespace

TEST_P (BackupRunFolderSwapped, StopsAndNothingGoesIntoTheFolderNowAtItsPath)
{
    const auto& row = std::get<0> (GetParam());
    BackupRunRig rig (row.model);
    const auto moved = rig.folder.getSiblingFile (rig.folder.getFileName() + "-moved");
    const auto other = rig.folder.getSiblingFile (rig.folder.getFileName() + "-other");

    struct Cleanup
    {
        juce::File a, b;
        ~Cleanup() { a.deleteRecursively(); b.deleteRecursively(); }
    } cleanup { moved, other };

    rig.run.setStepTimeoutMs (60000);
    ASSERT_TRUE (rig.startHoldingRequest (row.requestInHand, row.start));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return allFiles (rig.folder).size() == row.filesWhileHeld; }, 60000))
        << joined (allFiles (rig.folder));

    ASSERT_TRUE (rig.folder.moveFileTo (moved));

    if (std::get<1> (GetParam()) == Swap::folderMadeAgain)
        ASSERT_TRUE (rig.folder.createDirectory());
    else
        ASSERT_TRUE (other.createDirectory() && other.createSymbolicLink (rig.folder, false));

    rig.server.release();
    ASSERT_TRUE (rig.waitForEnd());

    EXPECT_TRUE (rig.host.infos.isEmpty()) << joined (rig.host.infos);
    ASSERT_EQ (rig.host.warnings.size(), 1) << joined (rig.host.warnings);
    EXPECT_TRUE (rig.host.warnings[0].startsWith ("The backup has stopped: its folder \"" + rig.folder.getFullPathName()))
        << joined (rig.host.warnings);
    EXPECT_EQ (rig.server.getRequestCount(), row.requestInHand);
    EXPECT_TRUE (allFiles (rig.folder).isEmpty()) << joined (allFiles (rig.folder));
    EXPECT_TRUE (allFiles (other).isEmpty()) << joined (allFiles (other));

    // The files saved before stay where they went, and nothing half-written beside them.
    const auto kept = allFiles (moved);
    EXPECT_EQ (kept.size(), row.filesWhileHeld - 1) << joined (kept);
    EXPECT_FALSE (kept.joinIntoString ("|").contains (".part-")) << joined (kept);
}

INSTANTIATE_TEST_SUITE_P (Jobs, BackupRunFolderSwapped,
                          ::testing::Combine (::testing::Values (folderCases[0], folderCases[1], folderCases[2]),
                                              ::testing::Values (Swap::folderMadeAgain, Swap::linkToAnother)),
                          [] (const ::testing::TestParamInfo<std::tuple<FolderCase, Swap>>& row)
                          {
                              return std::string (std::get<0> (row.param).name)
                                   + (std::get<1> (row.param) == Swap::folderMadeAgain ? "FolderMadeAgain" : "LinkToAnother");
                          });

TEST (BackupRunSteppedFile, AnEmptyFolderUnderTheBanksNameIsLeftAndTheRunSaysItCouldNotWrite)
{
    BackupRunRig rig (16);
    ASSERT_TRUE (rig.startHoldingRequest (1, [] (BackupRunRig& r) { return startOrvixIIIBankA (r, r.folder); }));
    const auto bank = rig.folder.getChildFile (rig.run.getBaseName() + "-bank-A.syx");
    ASSERT_TRUE (bank.createDirectory());
    rig.server.release();
    ASSERT_TRUE (rig.waitForEnd());

    EXPECT_EQ (joined (rig.host.warnings), "An error was encountered while writing the file to disk.");
    EXPECT_TRUE (rig.host.infos.isEmpty()) << joined (rig.host.infos);
    EXPECT_TRUE (bank.isDirectory());
    EXPECT_TRUE (allFiles (rig.folder).isEmpty()) << joined (allFiles (rig.folder));
}

//==============================================================================
TEST (BackupRunSteppedFile, ABankFileGoneBetweenStepsStopsTheRun)
{
    BackupRunRig rig (16);
    ASSERT_TRUE (rig.startHoldingRequest (10, [] (BackupRunRig& r) { return startOrvixIIIBankA (r, r.folder); }));

    // Whatever collects the bank so far is removed; the folder stays.
    for (const auto& file : rig.folder.findChildFiles (juce::File::findFiles, false))
        file.deleteFile();

    rig.server.release();
    ASSERT_TRUE (rig.waitForEnd());

    EXPECT_EQ (joined (rig.host.warnings), "The backup has stopped: the file that collects \"" + rig.run.getBaseName()
                                               + "-bank-A.syx\" was removed or cut short while the backup ran, so it has not been saved.");
    EXPECT_TRUE (allFiles (rig.folder).isEmpty()) << joined (allFiles (rig.folder));
    EXPECT_EQ (rig.server.getRequestCount(), 10);
}

TEST (BackupRunSteppedFile, AFullDiskLeavesNoPartialBankUnderItsName)
{
    SmallDisk disk (512);

    if (! disk.isMounted())
        GTEST_SKIP() << "no RAM disk could be mounted";

    BackupRunRig rig (16, 512);
    ASSERT_TRUE (rig.connected);

    // Room for some presets of the bank, far from all of them.
    disk.fillLeaving (64 * 1024);
    ASSERT_TRUE (startOrvixIIIBankA (rig, disk.getFolder()));
    ASSERT_TRUE (rig.waitForEnd());

    EXPECT_EQ (joined (rig.host.warnings), "An error was encountered while writing the file to disk.");
    EXPECT_TRUE (rig.host.infos.isEmpty());
    EXPECT_GT (rig.server.getRequestCount(), 2);
    EXPECT_LT (rig.server.getRequestCount(), 128);
    EXPECT_EQ (joined (allFiles (disk.getFolder())), "filler") << "neither the bank nor its temporary file is left";
}

TEST (BackupRunSteppedFile, ADeviceLostMidBankLeavesNoPartialBankUnderItsName)
{
    BackupRunRig rig (16);
    ASSERT_TRUE (rig.connected);
    rig.run.setStepTimeoutMs (1500);
    rig.server.holdRequest (40);

    // The system settings come whole before the bank.
    OrvixIIIBackupSelection s;
    s.global = 1;
    s.banks[0] = 1;
    ASSERT_TRUE (rig.run.startOrvixIIIBackup (s, rig.context, rig.folder.getFullPathName()));
    ASSERT_TRUE (runMessageLoopUntil ([&] { return rig.server.getRequestCount() >= 40; }, 60000));

    rig.device.unplug();
    rig.server.release();
    ASSERT_TRUE (rig.waitForEnd());

    EXPECT_EQ (joined (rig.host.warnings), "Message timeout.");
    EXPECT_EQ (joined (allFiles (rig.folder)), (rig.run.getBaseName() + "-system.syx").toStdString());
}

TEST (BackupRunSteppedFile, ACanceledBankKeepsExactlyThePresetsItReports)
{
    BackupRunRig rig (16);
    ASSERT_TRUE (rig.startHoldingRequest (5, [] (BackupRunRig& r) { return startOrvixIIIBankA (r, r.folder); }));
    rig.run.cancel();
    rig.server.release();
    ASSERT_TRUE (rig.waitForEnd());

    EXPECT_EQ (joined (rig.host.infos), "Backup canceled. The first 5 patches have been written to disk.");
    const auto name = rig.run.getBaseName() + "-bank-A.syx";
    ASSERT_EQ (joined (allFiles (rig.folder)), name.toStdString());

    juce::MemoryBlock written;
    ASSERT_TRUE (rig.folder.getChildFile (name).loadFileAsData (written));
    EXPECT_EQ (written, firstReplies (rig.server, 5));
}

TEST (BackupRunSteppedFile, AWholeBankHoldsEveryPresetInOrder)
{
    BackupRunRig rig (16);
    ASSERT_TRUE (rig.connected);

    // What a killed run left half-written goes; a file of the user's stays.
    ASSERT_TRUE (rig.folder.getChildFile (".251207-180000-bank-A.syx.part-0badf00d").replaceWithText ("stale"));
    ASSERT_TRUE (rig.folder.getChildFile ("user.syx").replaceWithText ("the user's"));

    ASSERT_TRUE (startOrvixIIIBankA (rig, rig.folder));
    ASSERT_TRUE (rig.waitForEnd());

    EXPECT_EQ (joined (rig.host.infos), "Backup complete.");
    const auto name = rig.run.getBaseName() + "-bank-A.syx";
    ASSERT_EQ (joined (allFiles (rig.folder)), (name + " | user.syx").toStdString());

    juce::MemoryBlock written;
    ASSERT_TRUE (rig.folder.getChildFile (name).loadFileAsData (written));
    EXPECT_EQ (written, firstReplies (rig.server, 128));
}
} // namespace morvane::test

//==============================================================================
namespace morvane::test
{
namespace
{
/** The ids of this process's threads named "Receive Thread" now. */
std::set<juce::String> receiveThreadIds()
{
    std::set<juce::String> ids;

    for (const auto& task : juce::File ("/proc/self/task").findChildFiles (juce::File::findDirectories, false))
        if (task.getChildFile ("comm").loadFileAsString().trim() == "Receive Thread")
            ids.insert (task.getFileName());

    return ids;
}

} // namespace

TEST (BackupRunThread, OneThreadServesAWholeRunAndNoneOutlivesItHoweverItEnds)
{
    ASSERT_TRUE (receiveThreadIds().empty());

    enum class Ending { completes, canceled, deviceLost, runDeleted };

    for (const auto ending : { Ending::completes, Ending::canceled, Ending::deviceLost, Ending::runDeleted })
    {
        SCOPED_TRACE ((int) ending);
        BackupRunRig rig (16);
        ASSERT_TRUE (rig.connected);
        rig.run.setStepTimeoutMs (1500);
        auto run = std::make_unique<BackupRun> (rig.link, rig.page.queries, rig.page.view);
        run->setStepTimeoutMs (1500);

        OrvixIIIBackupSelection s;
        s.system = s.global = 1;
        s.banks[0] = 1;

        if (ending != Ending::completes)
            rig.server.holdRequest (60);

        ASSERT_TRUE (run->startOrvixIIIBackup (s, rig.context, rig.folder.getFullPathName()));
        std::set<juce::String> seen;

        if (ending != Ending::completes)
        {
            ASSERT_TRUE (runMessageLoopUntil ([&]
            {
                const auto now = receiveThreadIds();
                seen.insert (now.begin(), now.end());
                return rig.server.getRequestCount() >= 60;
            }, 60000));

            EXPECT_EQ (receiveThreadIds().size(), 1u);

            if (ending == Ending::canceled)
                run->cancel();
            else if (ending == Ending::deviceLost)
                rig.device.unplug();
            else
                run.reset();    // as when the window closes

            rig.server.release();
        }

        if (run != nullptr)
        {
            ASSERT_TRUE (runMessageLoopUntil ([&]
            {
                const auto now = receiveThreadIds();
                seen.insert (now.begin(), now.end());
                return rig.host.ended > 0 && ! run->isRunning();
            }, 100000));
        }

        EXPECT_EQ (seen.size(), 1u) << "one thread for the run's 62 requests";
        EXPECT_TRUE (runMessageLoopUntil ([] { return receiveThreadIds().empty(); }, 20000)) << "no thread outlives the run";
    }
}
} // namespace morvane::test
