#include "DumpBuilders.h"
#include "RecordingView.h"
#include "SendFile.h"

#include <gtest/gtest.h>

namespace
{
using morvane::test::makeBankDump;

struct SendFileRig
{
    SendFileRig() { folder.createDirectory(); }
    ~SendFileRig() { folder.deleteRecursively(); }

    juce::File write (const juce::String& name, const juce::MemoryBlock& bytes)
    {
        const auto file = folder.getChildFile (name);
        file.replaceWithData (bytes.getData(), bytes.getSize());
        return file;
    }

    juce::File folder { juce::File::createTempFile ("send-file") };
    RecordingView view;
    SendFile sendFile { view };
};

TEST (SendFile, ARefusedFileKeepsTheFileHeldBeforeAndSaysWhy)
{
    SendFileRig rig;
    const auto kt4Bank = rig.write ("kt4.syx", makeBankDump (8, 0, 8));
    ASSERT_TRUE (rig.sendFile.takeFile (kt4Bank, 8, 2));
    EXPECT_TRUE (rig.sendFile.isLoaded() && ! rig.sendFile.isInMemory());
    EXPECT_EQ (rig.sendFile.getShownText(), "kt4.syx");
    EXPECT_EQ (rig.sendFile.getLinkText(), kt4Bank.getFullPathName());
    EXPECT_TRUE (rig.view.boxes.empty());

    // Another model's bank, a folder, and firmware for another model: each refused with its reason.
    EXPECT_FALSE (rig.sendFile.takeFile (rig.write ("lm6.syx", makeBankDump (10, 0, 8)), 8, 2));
    EXPECT_FALSE (rig.sendFile.takeFile (rig.folder, 8, 2));
    EXPECT_FALSE (rig.sendFile.takeImage (makeBankDump (10, 0, 8), "LM6 firmware", 8, 2));
    ASSERT_EQ (rig.view.warnings.size(), 3);

    for (const auto& warning : rig.view.warnings)
        EXPECT_TRUE (warning.isNotEmpty());

    EXPECT_EQ (rig.sendFile.getPath(), kt4Bank.getFullPathName()) << "the file held before stays";
    EXPECT_EQ (rig.sendFile.classify (8), PayloadKinds::kt4Bank);
}

TEST (SendFile, BytesFromMemoryAreShownByTheirDescriptionAndHaveNoPath)
{
    SendFileRig rig;
    ASSERT_TRUE (rig.sendFile.takeImage (makeBankDump (8, 0, 8), "KT4 bank from memory", 8, 2));
    EXPECT_TRUE (rig.sendFile.isInMemory());
    EXPECT_TRUE (rig.sendFile.getPath().isEmpty());
    EXPECT_EQ (rig.sendFile.getShownText(), "KT4 bank from memory");
    EXPECT_EQ (rig.sendFile.getLinkText(), "KT4 bank from memory");

    rig.sendFile.holdDownload (makeBankDump (8, 0, 8), PayloadKinds::kt4Firmware, "KT4 firmware 2.10");
    EXPECT_EQ (rig.sendFile.getKind(), PayloadKinds::kt4Firmware) << "a download keeps the kind it was checked as";
    EXPECT_EQ (rig.sendFile.getShownText(), "KT4 firmware 2.10");

    // BEGIN's check refuses what the device cannot take; the Utility takes anything of the maker's.
    ASSERT_TRUE (rig.sendFile.takeImage (makeBankDump (8, 0, 8), "bank", 8, 2));
    EXPECT_TRUE (rig.sendFile.check (255, 0));
    EXPECT_TRUE (rig.view.warnings.isEmpty());
}
} // namespace
