#pragma once

#include "HeldFolder.h"

#include <juce_core/juce_core.h>

#include <memory>

/** A file that takes its name only when it is whole and on the disk.

    Its bytes go into a temporary file beside the final name, hidden and named so that it is
    never taken for the file itself (".<name>.part-<8 hex digits>"). putInPlace syncs it, checks
    that the folder is still at its path, renames it without replacing anything the caller did
    not mean to replace, and syncs the folder so that the new name survives a power cut. A file
    that is never put in place removes its temporary file. While it is written, the temporary
    file is locked, so that removeStaleTemporaries leaves it alone.

    Every call that reaches the disk goes through a Disk, which a test may replace to see the
    order of the calls. Used by one thread at a time.
*/
class DurableFile
{
public:
    /** The calls through which the file reaches the disk. */
    class Disk
    {
    public:
        virtual ~Disk() = default;
        virtual bool write (HeldFolder& in, int fileNumber, const void* data, size_t size) { return in.write (fileNumber, data, size); }
        virtual bool sync (HeldFolder& in, int fileNumber)                                  { return in.sync (fileNumber); }
        virtual bool rename (HeldFolder& in, const juce::String& from, const juce::String& to, bool mayReplaceFile)
        {
            return in.rename (from, to, mayReplaceFile);
        }
        virtual bool syncFolder (HeldFolder& held)                                          { return held.syncEntries(); }

        /** The real calls. */
        static Disk& system();
    };

    /** What may stand under the final name. */
    enum class Replace
    {
        never,      // nothing: a taken name fails with nameTaken
        olderFile   // an older regular file (a backup's own earlier file); nothing else
    };

    enum class Outcome
    {
        ok,
        folderChanged,  // the folder's path no longer leads to the folder the file was begun in
        fileGone,       // the temporary file was removed or cut short
        nameTaken,      // something that may not be replaced stands under the name
        writeFailed     // the disk refused a write, the sync or the rename
    };

    /** Begins the temporary file for name in folder; see isOk. */
    DurableFile (std::shared_ptr<HeldFolder> folder, const juce::String& name, Disk& disk = Disk::system());

    /** Removes the temporary file unless it was put in place. */
    ~DurableFile();

    /** False once beginning or a write has failed. */
    bool isOk() const noexcept { return file >= 0 && ! failed; }

    /** Adds bytes at the end. Returns isOk(). */
    bool write (const void* data, size_t size);

    /** Syncs what was written so far (a long file, so that the last sync has little to do). */
    bool sync();

    juce::int64 getBytesWritten() const noexcept { return bytesWritten; }

    /** ok while the folder is still at its path and the temporary file holds exactly what was
        written; otherwise why not.
    */
    Outcome checkStillWhole() const;

    /** Syncs, checks and gives the file the name finalName in its folder. After ok the object is
        done; after a failure the temporary file is removed when the object goes, except after
        nameTaken, when another name may be tried.
    */
    Outcome putInPlace (const juce::String& finalName, Replace replace);

    const std::shared_ptr<HeldFolder>& getFolder() const noexcept { return folder; }

    /** True for a name that a DurableFile gives a temporary file for a name ending in extension. */
    static bool isTemporaryName (const juce::String& name, const juce::String& extension);

    /** Removes the regular files in folder that are temporary files for names ending in extension,
        left by a run that never ended. One that a DurableFile is writing (in this process or in
        another: the file is locked while it is open) is left alone. Returns how many were removed.
    */
    static int removeStaleTemporaries (HeldFolder& folder, const juce::String& extension);

private:
    const std::shared_ptr<HeldFolder> folder;
    Disk& disk;
    juce::String temporaryName;
    int file = -1;
    juce::int64 bytesWritten = 0;
    bool failed = false;
    bool placed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DurableFile)
};
