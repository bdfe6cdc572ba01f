#include "AppendedBackupFile.h"
#include "SmallDisk.h"
#include "SysExRequest.h"

#include <gtest/gtest.h>

namespace
{
using Outcome = AppendedBackupFile::Outcome;

/** A request holding one reply of this many bytes, each the given value. */
std::unique_ptr<SysExRequest> requestWith (int size, juce::uint8 value)
{
    juce::MemoryBlock bytes ((size_t) size);
    bytes.fillWith (value);
    auto* data = static_cast<juce::uint8*> (bytes.getData());
    data[0] = 0xF0;
    data[size - 1] = 0xF7;

    auto request = std::make_unique<SysExRequest>();
    request->addReply (juce::MidiMessage (bytes.getData(), size, 0.0));
    return request;
}

juce::MemoryBlock bytesOf (const SysExRequest& request)
{
    juce::MemoryBlock block;
    request.appendRepliesTo (block);
    return block;
}

class AppendedBackupFileTest : public ::testing::Test
{
protected:
    AppendedBackupFileTest() { folder.createDirectory(); }
    ~AppendedBackupFileTest() override { folder.deleteRecursively(); }

    int filesInFolder() const { return folder.getNumberOfChildFiles (juce::File::findFilesAndDirectories); }

    const juce::File folder = juce::File::createTempFile ("appended");
    const juce::File target = folder.getChildFile ("251207-180000-bank-A.syx");
};
} // namespace

TEST_F (AppendedBackupFileTest, StepsGoEndToEndUnderTheNameOnlyOnceWholeReplacingAnOlderFile)
{
    ASSERT_TRUE (target.replaceWithText ("an older run"));
    const auto one = requestWith (40, 1);
    const auto two = requestWith (70, 2);

    {
        AppendedBackupFile file;
        EXPECT_EQ (file.append (target, *one), Outcome::ok);
        EXPECT_EQ (file.append (target, *two), Outcome::ok);
        EXPECT_EQ (file.getAppendCount(), 2);
        EXPECT_EQ (target.loadFileAsString(), "an older run") << "nothing under the name before it is whole";

        EXPECT_EQ (file.putInPlace(), Outcome::ok);
        EXPECT_EQ (file.putInPlace(), Outcome::ok) << "a second call does nothing";
    }

    auto expected = bytesOf (*one);
    expected.append (bytesOf (*two).getData(), 70);
    juce::MemoryBlock written;
    ASSERT_TRUE (target.loadFileAsData (written));
    EXPECT_EQ (written, expected);
    EXPECT_EQ (filesInFolder(), 1) << "no temporary file is left";
}

TEST_F (AppendedBackupFileTest, AFileNeverPutInPlaceLeavesNothingAndTheOlderFileAsItWas)
{
    ASSERT_TRUE (target.replaceWithText ("an older run"));

    {
        AppendedBackupFile file;
        EXPECT_EQ (file.append (target, *requestWith (40, 1)), Outcome::ok);
    }

    EXPECT_EQ (target.loadFileAsString(), "an older run");
    EXPECT_EQ (filesInFolder(), 1);

    AppendedBackupFile nothing;
    EXPECT_EQ (nothing.putInPlace(), Outcome::ok);
    EXPECT_EQ (filesInFolder(), 1) << "nothing appended makes no file";
}

TEST_F (AppendedBackupFileTest, WhatWentAwayIsNeverContinued)
{
    const auto step = requestWith (40, 3);

    // The temporary file removed, or cut short, between two steps.
    for (const bool removeIt : { true, false })
    {
        AppendedBackupFile file;
        ASSERT_EQ (file.append (target, *step), Outcome::ok);

        for (const auto& entry : juce::RangedDirectoryIterator (folder, false))
        {
            if (removeIt)
                entry.getFile().deleteFile();
            else
                entry.getFile().replaceWithText ("x");
        }

        EXPECT_EQ (file.append (target, *step), Outcome::fileGone);
        EXPECT_EQ (file.append (target, *step), Outcome::writeFailed) << "nothing more after a failure";
        EXPECT_NE (file.putInPlace(), Outcome::ok);
        EXPECT_FALSE (target.exists());
    }

    // The folder removed: it is not made again.
    AppendedBackupFile file;
    ASSERT_EQ (file.append (target, *step), Outcome::ok);
    ASSERT_TRUE (folder.deleteRecursively());
    EXPECT_EQ (file.append (target, *step), Outcome::folderMissing);
    EXPECT_FALSE (folder.exists());

    AppendedBackupFile late;
    ASSERT_TRUE (folder.createDirectory());
    ASSERT_EQ (late.append (target, *step), Outcome::ok);
    ASSERT_TRUE (folder.deleteRecursively());
    EXPECT_EQ (late.putInPlace(), Outcome::folderMissing);
    EXPECT_FALSE (folder.exists());

    AppendedBackupFile neverThere;
    EXPECT_EQ (neverThere.append (target, *step), Outcome::folderMissing);
    EXPECT_FALSE (folder.exists());
}

TEST_F (AppendedBackupFileTest, IsCheckedWholeJustBeforeItTakesItsNameAndReplacesOnlyAFile)
{
    const auto step = requestWith (40, 5);

    // Cut short after the last append.
    {
        AppendedBackupFile file;
        ASSERT_EQ (file.append (target, *step), Outcome::ok);

        for (const auto& entry : juce::RangedDirectoryIterator (folder, false))
            ASSERT_TRUE (entry.getFile().replaceWithText ("x"));

        EXPECT_EQ (file.putInPlace(), Outcome::fileGone);
        EXPECT_FALSE (target.exists());
    }

    EXPECT_EQ (filesInFolder(), 0);

    // An empty folder under the bank's name is the user's: it stays, and the bank is not saved.
    ASSERT_TRUE (target.createDirectory());
    AppendedBackupFile file;
    ASSERT_EQ (file.append (target, *step), Outcome::ok);
    EXPECT_EQ (file.putInPlace(), Outcome::writeFailed);
    EXPECT_TRUE (target.isDirectory());
}

TEST (AppendedBackupFileOnAFullDisk, FailsAndLeavesNothing)
{
    morvane::test::SmallDisk disk (64);

    if (! disk.isMounted())
        GTEST_SKIP() << "no RAM disk could be mounted";

    const auto target = disk.getFolder().getChildFile ("bank-A.syx");
    const auto step = requestWith (16 * 1024, 4);
    AppendedBackupFile file;
    auto outcome = Outcome::ok;
    int appended = 0;

    for (; appended < 10 && outcome == Outcome::ok; ++appended)
        outcome = file.append (target, *step);

    EXPECT_EQ (outcome, Outcome::writeFailed);
    EXPECT_LT (appended, 10);
    EXPECT_EQ (file.putInPlace(), Outcome::writeFailed);
    EXPECT_FALSE (target.exists());
}
