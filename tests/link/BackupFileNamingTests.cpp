#include "BackupFileNaming.h"

#include <gtest/gtest.h>

namespace
{
    using namespace BackupJobTypes;

    struct TempFolder
    {
        TempFolder() { folder.createDirectory(); }
        ~TempFolder() { folder.deleteRecursively(); }

        void touch (const juce::String& name) const { folder.getChildFile (name).replaceWithText ("x"); }

        const juce::File folder = juce::File::createTempFile ("morvane-naming");
    };
} // namespace

TEST (BackupFileSuffix, NamesEveryBankAndSystemJobOfEachFamily)
{
    const std::pair<BackupJobType, const char*> expected[] = {
        { 1, "-bank-A" }, { 6, "-bank-F" }, { 7, "-cab-bank-A" }, { 14, "-cab-bank-H" }, { 15, "-system" },
        { 20, "-All-Banks" }, { 24, "-system" },
        { 25, "-All-Preset-Banks" }, { 26, "-All-Cab-Banks" }, { 32, "-system" },
        { 37, "-bank-A" }, { 40, "-bank-D" }, { 43, "-system+gb+fc" }, { 44, "-system" }, { 45, "-fc" },
        { 46, "-user-cab-bank-1" }, { 47, "-user-cab-bank-2" }
    };

    for (const auto& [jobType, suffix] : expected)
    {
        EXPECT_EQ (getBackupFileSuffix (jobType, 0), suffix) << "job " << jobType;
        EXPECT_EQ (getBackupNameRule (jobType), BackupNameRule::suffix) << "job " << jobType;
    }
}

TEST (BackupFileSuffix, NumberedBanksTakeTheNumberTheConsolePasses)
{
    EXPECT_EQ (getBackupFileSuffix (lm6OnePresetBank, 3), "-bank-D");
    EXPECT_EQ (getBackupFileSuffix (lm6OnePresetBank, 0), "-bank-A");
    EXPECT_EQ (getBackupFileSuffix (lm6OnePresetBank, 15), "-bank-P");
    EXPECT_EQ (getBackupFileSuffix (lm6OnePresetBank, 16), "-unknown-bank");

    EXPECT_EQ (getBackupFileSuffix (kt4OnePresetBank, 12), "-preset-bank-12");
    EXPECT_EQ (getBackupFileSuffix (kt4OneCabBank, 3), "-cab-bank-3");

    for (BackupJobType set = kt4BankSet1; set <= kt4BankSet4; ++set)
        EXPECT_EQ (getBackupFileSuffix (set, 64), "-preset-bank-64");
}

TEST (BackupFileSuffix, JobsNamedByTheirDataOrUnknownHaveNone)
{
    for (auto jobType : { 16, 17, 22, 23, 29, 31, 41, 42 })
        EXPECT_EQ (getBackupNameRule (jobType), BackupNameRule::presetName) << "job " << jobType;

    for (auto jobType : { 18, 30, 48 })
        EXPECT_EQ (getBackupNameRule (jobType), BackupNameRule::cabName) << "job " << jobType;

    EXPECT_EQ (getBackupNameRule (19), BackupNameRule::numberedCabName);

    for (auto jobType : { 0, -1, 49, 1000 })
    {
        EXPECT_EQ (getBackupNameRule (jobType), BackupNameRule::none) << "job " << jobType;
        EXPECT_TRUE (getBackupFileSuffix (jobType, 1).isEmpty());
    }
}

TEST (BackupAppendMode, OnlyTheSteppedOrvixIIIJobsShareAFile)
{
    for (BackupJobType jobType = -2; jobType <= 50; ++jobType)
    {
        const bool expected = (jobType >= 37 && jobType <= 40) || jobType == 46 || jobType == 47;
        EXPECT_EQ (isAppendingBackupJob (jobType), expected) << "job " << jobType;
    }
}

TEST (BackupPresetModels, AreTriedInTheFamilysOrder)
{
    EXPECT_EQ (getPresetModelsForBackupJob (16), (juce::Array<juce::uint8> { 3, 6, 7 }));
    EXPECT_EQ (getPresetModelsForBackupJob (17), (juce::Array<juce::uint8> { 3, 6, 7 }));
    EXPECT_EQ (getPresetModelsForBackupJob (22), (juce::Array<juce::uint8> { 5, 10 }));
    EXPECT_EQ (getPresetModelsForBackupJob (31), (juce::Array<juce::uint8> { 8 }));
    EXPECT_EQ (getPresetModelsForBackupJob (42), (juce::Array<juce::uint8> { 16 }));
    EXPECT_TRUE (getPresetModelsForBackupJob (18).isEmpty());
}

TEST (CabFileName, ReplacesWhatNoFileNameMayHold)
{
    EXPECT_EQ (makeLegalCabFileName ("A/B:C?"), "A-B-C-");
    EXPECT_EQ (makeLegalCabFileName ("a\\b*c\"d<e>f|g"), "a-b-c-d-e-f-g");
    EXPECT_EQ (makeLegalCabFileName (juce::String::fromUTF8 ("Caf\xc3\xa9 4x12")), "Caf  4x12");
    EXPECT_EQ (makeLegalCabFileName ("Room\t\x01x"), "Room  x");
    EXPECT_EQ (makeLegalCabFileName ("Room   "), "Room");
    EXPECT_EQ (makeLegalCabFileName ("\x01\x02"), "EMPTY");
    EXPECT_EQ (makeLegalCabFileName (""), "EMPTY");
}

TEST (PresetFileName, IsLegalTrimmedAndFreeOfControlCharacters)
{
    EXPECT_EQ (makeLegalPresetFileName ("Clean"), "Clean");
    EXPECT_EQ (makeLegalPresetFileName ("Lead: <hot>?"), "Lead hot");
    EXPECT_EQ (makeLegalPresetFileName ("Big\nRoom\x7f"), "Big Room");
    EXPECT_EQ (makeLegalPresetFileName ("\x03\x04"), "");
    EXPECT_EQ (makeLegalPresetFileName ("a/b"), "ab");
}

TEST (ReservedFileNames, GetALeadingUnderscore)
{
    for (auto name : { "CON", "con", "Prn", "AUX", "NUL", "COM1", "com9", "LPT1", "LPT9", "NUL.bak", "CON " })
        EXPECT_EQ (avoidReservedFileName (name), "_" + juce::String (name)) << name;

    for (auto name : { "CONSOLE", "COM10", "COM0", "LPT", "A CON", "Clean", "" })
        EXPECT_EQ (avoidReservedFileName (name), name) << name;

    EXPECT_EQ (makeLegalPresetFileName ("aux"), "_aux");
    EXPECT_EQ (makeLegalCabFileName ("NUL"), "_NUL");
}

TEST (NumberedCabFileName, PadsTheNumberToThreeDigits)
{
    EXPECT_EQ (formatNumberedCabFileName (7, "Room"), "007-Room");
    EXPECT_EQ (formatNumberedCabFileName (42, "Room"), "042-Room");
    EXPECT_EQ (formatNumberedCabFileName (123, "Room"), "123-Room");
    EXPECT_EQ (formatNumberedCabFileName (1024, "EMPTY"), "1024-EMPTY");
}

TEST (UniqueBackupFile, CountsUpPastEveryTakenName)
{
    TempFolder temp;

    EXPECT_EQ (findUniqueBackupFile (temp.folder, "Clean").getFileName(), "Clean.syx");
    temp.touch ("Clean.syx");
    EXPECT_EQ (findUniqueBackupFile (temp.folder, "Clean").getFileName(), "Clean (1).syx");
    temp.touch ("Clean (1).syx");
    EXPECT_EQ (findUniqueBackupFile (temp.folder, "Clean").getFileName(), "Clean (2).syx");

    // A folder of that name is as much in the way as a file.
    temp.folder.getChildFile ("Clean (2).syx").createDirectory();
    EXPECT_EQ (findUniqueBackupFile (temp.folder, "Clean").getFileName(), "Clean (3).syx");

    EXPECT_EQ (findUniqueBackupFile (temp.folder, "").getFileName(), "unnamed.syx");
    EXPECT_EQ (findUniqueBackupFile (temp.folder, "Clean").getParentDirectory(), temp.folder);
}

TEST (UniqueBackupFile, NamesFromTheDeviceNeverLeaveTheChosenFolder)
{
    TempFolder temp;
    const juce::String hostile[] = {
        "~", "~root", "~/escaped", "..", "../escaped", "..\\escaped", "a/../../b", "/etc/passwd", "\\\\server\\share",
        "...", ". .", "", "   ", "~.", "C:\\Windows", "dir/", "./x", "\x01~", "~\t",
    };

    for (const auto& name : hostile)
    {
        // Every way a device's preset or cab name becomes a backup file.
        const juce::File files[] = {
            findUniqueBackupFile (temp.folder, makeLegalPresetFileName (name)),
            findUniqueBackupFile (temp.folder, makeLegalCabFileName (name)),
            temp.folder.getChildFile (formatNumberedCabFileName (7, makeLegalCabFileName (name, false)) + ".syx"),
            findUniqueBackupFile (temp.folder, name),
        };

        for (const auto& file : files)
        {
            EXPECT_EQ (file.getParentDirectory(), temp.folder) << name << " -> " << file.getFullPathName();
            EXPECT_TRUE (file.getFileName().endsWith (".syx")) << name;
        }

        const auto stem = makeFileNameStayInFolder (name);
        EXPECT_FALSE (stem.startsWithChar ('~') || stem.contains ("..") || stem.containsAnyOf ("/\\")) << name;
    }

    EXPECT_EQ (makeFileNameStayInFolder ("Clean Lead"), "Clean Lead");
    EXPECT_EQ (makeFileNameStayInFolder ("~Ambient..Pad"), "_Ambient__Pad");
    EXPECT_EQ (findUniqueBackupFile (temp.folder, "~").getFileName(), "_.syx");
    EXPECT_EQ (findUniqueBackupFile (temp.folder, " ").getFileName(), "unnamed.syx");
}
