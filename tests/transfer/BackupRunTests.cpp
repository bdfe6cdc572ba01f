#include "BackupRunRig.h"
#include "DumpBuilders.h"

#include <functional>

namespace morvane::test
{
namespace
{
/** One complete run: the device, what the user chose, and what must come of it. Requests are
    the function id and payload in hex, in the order the device received them; files are named
    relative to the folder with "B" standing for the run's base name, one per dump request (an
    appending job names its file once per request).
*/
struct GoldenRun
{
    const char* name;
    juce::uint8 model;
    int userCabCount;
    int displayOffset;
    std::function<bool (BackupRunRig&)> start;
    juce::Array<int> jobs;
    std::function<juce::StringArray()> requests;
    std::function<juce::StringArray()> files;
    juce::String message;
};

juce::StringArray list (std::initializer_list<const char*> items)
{
    juce::StringArray result;

    for (auto* item : items)
        result.add (item);

    return result;
}

juce::String hex2 (int value)
{
    return juce::String::toHexString (value).paddedLeft ('0', 2);
}

const GoldenRun goldenRuns[] = {
    { "OrvixIIWholeDevice", 3, 3, 0,
      [] (BackupRunRig& rig) { OrvixIIBackupSelection s; s.system = 1; s.banks[0] = s.banks[1] = s.banks[2] = 1; s.allUserCabs = 1;
                               rig.server.setCurrentPatch (5, 9); return rig.run.startOrvixIIBackup (s, rig.context, rig.folder.getFullPathName()); },
      { 15, 1, 2, 3, 19 },
      [] { return list ({ "14", "1c03", "1c00", "1c01", "1c02", "1900", "1901", "1902", "3c0509" }); },
      [] { return list ({ "B-system.syx", "B-bank-A.syx", "B-bank-B.syx", "B-bank-C.syx",
                          "B-usercabs/001-Cab 0.syx", "B-usercabs/002-Cab 1.syx", "B-usercabs/003-Cab 2.syx" }); },
      "Backup complete." },
    { "OrvixIIXLSystemBankAndCabBank", 6, 512, 0,
      [] (BackupRunRig& rig) { OrvixIIBackupSelection s; s.system = 1; s.banks[0] = 1; s.cabBanks[1] = 1;
                               return rig.run.startOrvixIIBackup (s, rig.context, rig.folder.getFullPathName()); },
      { 15, 1, 8 },
      [] { return list ({ "14", "43", "1c00", "4401", "3c0000" }); },
      [] { return list ({ "B-system.syx", "B-bank-A.syx", "B-cab-bank-B.syx" }); },
      "Backup complete." },
    { "OrvixIIOnePresetNumberedFromOne", 3, 100, 1,
      [] (BackupRunRig& rig) { OrvixIIBackupSelection s; s.onePreset = 1; s.preset = 130; rig.server.setCurrentPatch (1, 2);
                               return rig.run.startOrvixIIBackup (s, rig.context, rig.folder.getFullPathName()); },
      { 16 },
      [] { return list ({ "14", "030101", "3c0102" }); },
      [] { return list ({ "Preset 129.syx" }); },
      "Preset 129.syx has been saved." },
    { "OrvixIIOneUserCabWithUnsafeName", 3, 100, 0,
      [] (BackupRunRig& rig) { OrvixIIBackupSelection s; s.oneUserCab = 1; s.userCab = 5; rig.server.setCabName (4, "A\x01" "B/C");
                               return rig.run.startOrvixIIBackup (s, rig.context, rig.folder.getFullPathName()); },
      { 18 },
      [] { return list ({ "1904" }); },
      [] { return list ({ "A B-C.syx" }); },
      "A B-C.syx has been saved." },
    { "OrvixIIISystemGlobalFootControllerAndBankA", 16, 0, 0,
      [] (BackupRunRig& rig) { OrvixIIIBackupSelection s; s.system = s.global = s.footswitch = 1; s.banks[0] = 1;
                               return rig.run.startOrvixIIIBackup (s, rig.context, rig.folder.getFullPathName()); },
      { 43, 44, 45, 37 },
      [] { auto r = list ({ "43", "1f0100", "200000" }); for (int i = 0; i < 128; ++i) r.add ("0300" + hex2 (i) + "00"); return r; },
      [] { auto f = list ({ "B-system+gb+fc.syx", "B-system.syx", "B-fc.syx" }); for (int i = 0; i < 128; ++i) f.add ("B-bank-A.syx"); return f; },
      "Backup complete." },
    { "OrvixIIIOnePreset", 16, 0, 0,
      [] (BackupRunRig& rig) { OrvixIIIBackupSelection s; s.onePreset = 1; s.preset = 300; rig.server.setCurrentPatch (2, 44);
                               return rig.run.startOrvixIIIBackup (s, rig.context, rig.folder.getFullPathName()); },
      { 41 },
      [] { return list ({ "14", "03022c01", "3c022c" }); },
      [] { return list ({ "Preset 300.syx" }); },
      "Preset 300.syx has been saved." },
    { "KT4SystemAllBanksAndSet2", 8, 512, 0,
      [] (BackupRunRig& rig) { KT4BackupSelection s; s.system = 1; s.allPresetBanks = 1; s.bankSets[1] = 1;
                               return rig.run.startKT4Backup (s, rig.context, rig.folder.getFullPathName()); },
      { 32, 25, 34 },
      [] { auto r = list ({ "43", "1c7f" }); for (int b = 16; b < 32; ++b) r.add ("1c" + hex2 (b)); return r; },
      [] { auto f = list ({ "B-system.syx", "B-All-Preset-Banks.syx" }); for (int b = 17; b <= 32; ++b) f.add ("B-preset-bank-" + juce::String (b) + ".syx"); return f; },
      "Backup complete." },
    { "KT4OnePresetBank", 8, 512, 0,
      [] (BackupRunRig& rig) { KT4BackupSelection s; s.onePresetBank = 1; s.presetBank = 2;
                               return rig.run.startKT4Backup (s, rig.context, rig.folder.getFullPathName()); },
      { 27 },
      [] { return list ({ "1c02" }); },
      [] { return list ({ "B-preset-bank-3.syx" }); },
      "B-preset-bank-3.syx has been saved." },
    { "LM6SystemAndAllBanks", 5, 0, 0,
      [] (BackupRunRig& rig) { LM6BackupSelection s; s.system = 1; s.allPresetBanks = 1;
                               return rig.run.queueLM6BackupJobs (s, rig.context, rig.folder.getFullPathName()); },
      { 24, 20 },
      [] { return list ({ "43", "1c7f" }); },
      [] { return list ({ "B-system.syx", "B-All-Banks.syx" }); },
      "Backup complete." },
    { "LM6MkIIOneBankAndOnePreset", 10, 0, 0,
      [] (BackupRunRig& rig) { LM6BackupSelection s; s.onePresetBank = 1; s.presetBank = 3; s.onePreset = 1; s.preset = 9;
                               return rig.run.queueLM6BackupJobs (s, rig.context, rig.folder.getFullPathName()); },
      { 21, 22 },
      [] { return list ({ "1c03", "030009" }); },
      [] { return list ({ "B-bank-D.syx", "Preset 9.syx" }); },
      "Backup complete." },
};

class BackupRunGolden : public ::testing::TestWithParam<GoldenRun> {};
} // namespace

TEST_P (BackupRunGolden, RunsTheJobsSendsTheRequestsAndWritesTheFiles)
{
    const auto& golden = GetParam();
    BackupRunRig rig (golden.model);
    ASSERT_TRUE (rig.connected);
    rig.context.userCabCount = golden.userCabCount;
    rig.context.displayOffset = golden.displayOffset;

    ASSERT_TRUE (golden.start (rig));
    EXPECT_TRUE (rig.run.getJobs() == golden.jobs);
    ASSERT_TRUE (rig.waitForEnd());

    EXPECT_EQ (joined (rig.requestsReceived()), joined (golden.requests()));
    const auto base = rig.run.getBaseName();
    const auto message = golden.message.startsWith ("B-") ? base + golden.message.substring (1) : golden.message;
    EXPECT_EQ (joined (rig.host.infos), message.toStdString());
    EXPECT_TRUE (rig.host.warnings.isEmpty()) << rig.host.warnings.joinIntoString ("|").toStdString();
    EXPECT_EQ (rig.host.started, 1);
    EXPECT_EQ (rig.host.ended, 1);

    // Each file holds exactly the replies of its requests, in order.
    auto files = golden.files();
    std::map<juce::String, juce::MemoryBlock> expected;
    const auto exchanges = rig.server.getExchanges();
    size_t served = 0;
    int dump = 0;

    for (const auto& request : rig.device.getReceived())
    {
        const auto function = request.getRawData()[5];

        if (function == 0x14 || function == 0x3C)
            continue;

        juce::MemoryBlock replies;

        if (function == 0x1F || function == 0x20)
        {
            for (const auto& reply : rig.device.defaultRepliesTo (request))
                replies.append (reply.getRawData(), (size_t) reply.getRawDataSize());
        }
        else
        {
            ASSERT_LT (served, exchanges.size());
            replies = exchanges[served++].replies;
        }

        auto name = files[dump++];

        if (name.startsWith ("B"))
            name = base + name.substring (1);

        expected[name].append (replies.getData(), replies.getSize());
    }

    juce::StringArray expectedNames;

    for (const auto& [name, data] : expected)
        expectedNames.add (name);

    expectedNames.sort (false);
    EXPECT_EQ (joined (rig.filesWritten()), joined (expectedNames));

    for (const auto& [name, data] : expected)
    {
        juce::MemoryBlock written;
        rig.folder.getChildFile (name).loadFileAsData (written);
        EXPECT_TRUE (written == data) << name.toStdString() << ": " << written.getSize() << " bytes, expected " << data.getSize();
    }
}

INSTANTIATE_TEST_SUITE_P (Families, BackupRunGolden, ::testing::ValuesIn (goldenRuns),
                          [] (const ::testing::TestParamInfo<GoldenRun>& row) { return std::string (row.param.name); });
} // namespace morvane::test
