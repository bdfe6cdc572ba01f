#include "DurableFile.h"

#include <gtest/gtest.h>

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
 #include <csignal>
 #include <fcntl.h>
 #include <sys/file.h>
 #include <sys/wait.h>
 #include <unistd.h>
#endif

namespace
{
using Outcome = DurableFile::Outcome;
using Replace = DurableFile::Replace;

/** The real calls, each named in a list as it is made. */
struct RecordingDisk : DurableFile::Disk
{
    bool write (HeldFolder& f, int file, const void* data, size_t size) override { calls.add ("write"); return Disk::write (f, file, data, size); }
    bool sync (HeldFolder& f, int file) override { calls.add ("sync"); return Disk::sync (f, file); }
    bool rename (HeldFolder& f, const juce::String& from, const juce::String& to, bool replace) override
    {
        calls.add ("rename");
        return Disk::rename (f, from, to, replace);
    }
    bool syncFolder (HeldFolder& f) override { calls.add ("syncFolder"); return Disk::syncFolder (f); }

    juce::StringArray calls;
};

class DurableFileTest : public ::testing::Test
{
protected:
    DurableFileTest() { folder.createDirectory(); }
    ~DurableFileTest() override
    {
        folder.deleteRecursively();
        moved.deleteRecursively();
    }

    juce::StringArray names() const
    {
        juce::StringArray found;

        for (const auto& entry : juce::RangedDirectoryIterator (folder, false, "*", juce::File::findFilesAndDirectories))
            found.add (entry.getFile().getFileName());

        found.sort (false);
        return found;
    }

    const juce::File folder = juce::File::createTempFile ("durable");
    const juce::File moved = folder.getSiblingFile (folder.getFileName() + "-moved");
};
} // namespace

TEST_F (DurableFileTest, IsSyncedBeforeItTakesItsNameAndTheFolderAfter)
{
    RecordingDisk disk;

    {
        DurableFile file (HeldFolder::open (folder), "a.syx", disk);
        ASSERT_TRUE (file.write ("one", 3));
        ASSERT_TRUE (file.write ("two", 3));

        // Until then it is hidden and not taken for a backup.
        ASSERT_EQ (names().size(), 1);
        EXPECT_TRUE (names()[0].startsWith (".a.syx.part-")) << names()[0];
        EXPECT_TRUE (DurableFile::isTemporaryName (names()[0], ".syx"));

        EXPECT_EQ (file.putInPlace ("a.syx", Replace::never), Outcome::ok);
    }

    EXPECT_EQ (disk.calls.joinIntoString (" "), "write write sync rename syncFolder");
    EXPECT_EQ (folder.getChildFile ("a.syx").loadFileAsString(), "onetwo");
    EXPECT_EQ (names().joinIntoString (" "), "a.syx");
}

TEST_F (DurableFileTest, ReplacesOnlyWhatTheCallerMeantToReplace)
{
    const auto held = HeldFolder::open (folder);
    ASSERT_TRUE (folder.getChildFile ("older.syx").replaceWithText ("older"));
    ASSERT_TRUE (folder.getChildFile ("empty.syx").createDirectory());
    ASSERT_TRUE (juce::File::createSymbolicLink (folder.getChildFile ("dangling.exe"), "nowhere/at/all", false));
    ASSERT_TRUE (juce::File::createSymbolicLink (folder.getChildFile ("loop.exe"), folder.getChildFile ("loop.exe").getFullPathName(), false));

    struct Case { const char* name; Replace replace; Outcome outcome; };
    const Case cases[] = {
        { "older.syx", Replace::olderFile, Outcome::ok },
        { "empty.syx", Replace::olderFile, Outcome::nameTaken },
        { "dangling.exe", Replace::olderFile, Outcome::nameTaken },
        { "older.syx", Replace::never, Outcome::nameTaken },
        { "dangling.exe", Replace::never, Outcome::nameTaken },
        { "loop.exe", Replace::never, Outcome::nameTaken },
    };

    for (const auto& c : cases)
    {
        DurableFile file (held, c.name);
        ASSERT_TRUE (file.write ("new", 3));
        EXPECT_EQ (file.putInPlace (c.name, c.replace), c.outcome) << c.name;
    }

    EXPECT_EQ (folder.getChildFile ("older.syx").loadFileAsString(), "new");
    EXPECT_TRUE (folder.getChildFile ("empty.syx").isDirectory());
    EXPECT_TRUE (folder.getChildFile ("dangling.exe").isSymbolicLink());
    EXPECT_TRUE (folder.getChildFile ("loop.exe").isSymbolicLink());
    EXPECT_EQ (names().joinIntoString (" "), "dangling.exe empty.syx loop.exe older.syx") << "no temporary file is left";
}

TEST_F (DurableFileTest, AFolderReplacedAtItsPathGetsNothingAndKeepsNothingHalfWritten)
{
    DurableFile file (HeldFolder::open (folder), "b.syx");
    ASSERT_TRUE (file.write ("bytes", 5));

    // Renamed, and a new folder made under the old name.
    ASSERT_TRUE (folder.moveFileTo (moved));
    ASSERT_TRUE (folder.createDirectory());

    EXPECT_EQ (file.putInPlace ("b.syx", Replace::olderFile), Outcome::folderChanged);
    EXPECT_TRUE (names().isEmpty());
    EXPECT_EQ (moved.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 1) << "the temporary file until the object goes";
}

TEST_F (DurableFileTest, StaleTemporariesOfItsOwnKindAreRemovedAndNothingElse)
{
    const juce::StringArray kept { "x.syx", ".hidden.syx", ".a.syx.part-zz12ab34", ".a.exe.part-1234abcd",
                                   "a.syx.part-1234abcd", "bank_temp5c1f2e3a.syx", ".syx.part-1234abcd" };

    for (const auto& name : kept)
        ASSERT_TRUE (folder.getChildFile (name).replaceWithText ("the user's"));

    ASSERT_TRUE (folder.getChildFile (".b.syx.part-1234abcd").createDirectory());
    ASSERT_TRUE (folder.getChildFile ("outside").replaceWithText ("the user's"));
    ASSERT_TRUE (juce::File::createSymbolicLink (folder.getChildFile (".c.syx.part-1234abcd"),
                                                 folder.getChildFile ("outside").getFullPathName(), false));
    ASSERT_TRUE (folder.getChildFile (".260101-120000-bank-A.syx.part-5c1f2e3a").replaceWithText ("stale"));
    ASSERT_TRUE (folder.getChildFile (".Clean (2).SYX.part-00000001").replaceWithText ("stale"));

    EXPECT_EQ (DurableFile::removeStaleTemporaries (*HeldFolder::open (folder), ".syx"), 2);
    EXPECT_EQ (names().size(), kept.size() + 3);
    EXPECT_EQ (folder.getChildFile ("outside").loadFileAsString(), "the user's") << "a link is not followed";
}

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
TEST_F (DurableFileTest, TheSweepLeavesEveryTemporaryThatIsStillBeingWritten)
{
    // Another run in the same folder, whatever holds its temporary file open: it is never
    // taken for the leftover of a run that died, and the sweep leaves it alone.
    const auto held = HeldFolder::open (folder);
    const juce::String stale (".250314-093005-bank-A.syx.part-0badf00d");
    const juce::String otherDescriptor (".250314-093005-bank-B.syx.part-0000beef");
    const juce::String otherProcess (".250314-093005-bank-C.syx.part-00c0ffee");

    for (const auto& name : { stale, otherDescriptor, otherProcess })
        ASSERT_TRUE (folder.getChildFile (name).replaceWithText ("half a bank"));

    DurableFile writing (held, "250314-093005-bank-D.syx");
    ASSERT_TRUE (writing.write ("half", 4));

    // The same file opened again, as another program opens it: a lock of its own.
    const auto path = [this] (const juce::String& name) { return folder.getChildFile (name).getFullPathName(); };
    const auto descriptor = ::open (path (otherDescriptor).toRawUTF8(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE (descriptor, 0);
    ASSERT_EQ (::flock (descriptor, LOCK_EX | LOCK_NB), 0);

    // A process that holds its file locked until it is killed; it tells through the pipe when
    // it holds it. The child makes only calls that are safe after a fork.
    int ready[2] = { -1, -1 };
    ASSERT_EQ (::pipe (ready), 0);
    const auto otherPath = path (otherProcess);
    const auto* const rawOtherPath = otherPath.toRawUTF8();
    const auto child = ::fork();
    ASSERT_GE (child, 0);

    if (child == 0)
    {
        ::alarm (60);   // never outlives a test that died before it killed the child
        const auto file = ::open (rawOtherPath, O_RDONLY);
        const char told = (file >= 0 && ::flock (file, LOCK_EX) == 0) ? 'y' : 'n';
        [[maybe_unused]] const auto wrote = ::write (ready[1], &told, 1);

        for (;;)
            ::pause();
    }

    char told = 0;
    const auto heard = ::read (ready[0], &told, 1);
    ::close (ready[0]);
    ::close (ready[1]);

    const auto sweptWhileHeld = DurableFile::removeStaleTemporaries (*held, ".syx");
    const auto namesWhileHeld = names();

    ::kill (child, SIGKILL);
    ::waitpid (child, nullptr, 0);

    ASSERT_EQ (heard, 1);
    ASSERT_EQ (told, 'y');
    EXPECT_EQ (sweptWhileHeld, 1) << "only the stale one";
    EXPECT_FALSE (namesWhileHeld.contains (stale));
    EXPECT_TRUE (namesWhileHeld.contains (otherDescriptor));
    EXPECT_TRUE (namesWhileHeld.contains (otherProcess));
    EXPECT_EQ (namesWhileHeld.size(), 3) << namesWhileHeld.joinIntoString (" ");

    EXPECT_EQ (writing.putInPlace ("250314-093005-bank-D.syx", Replace::never), Outcome::ok)
        << "the run that was writing ends whole";
    EXPECT_EQ (folder.getChildFile ("250314-093005-bank-D.syx").loadFileAsString(), "half");

    // Once their writers are gone, the sweep takes what they left.
    ::close (descriptor);
    EXPECT_EQ (DurableFile::removeStaleTemporaries (*held, ".syx"), 2);
    EXPECT_EQ (names().joinIntoString (" "), "250314-093005-bank-D.syx");
}
#endif
