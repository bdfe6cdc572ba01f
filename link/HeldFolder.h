#pragma once

#include <juce_core/juce_core.h>

#include <map>
#include <memory>

// Where the system offers calls relative to an open folder, the folder is held by them.
#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
 #define MORVANE_FOLDER_CALLS 1
#else
 #define MORVANE_FOLDER_CALLS 0
#endif

/** A folder held by what it is rather than by its path.

    A backup writes its files into the folder it opened at its start, even when that folder is
    renamed or moved while it runs and another folder (or a link) takes its path; isStillAtItsPath
    tells whether the path still leads to it, so that the writer can stop instead of splitting a
    backup between two folders.

    This is the one place where files are made, written, synced and renamed through the system's
    own calls, relative to the open folder: the framework reaches files only by path. Names are
    plain names inside the folder, never paths. Where the platform has no such calls, the folder is
    reached by its path and its identity is the framework's file identifier.

    A folder may be used from several threads; each call stands alone.
*/
class HeldFolder
{
public:
    /** Opens the folder; empty when it is not an existing folder. */
    static std::shared_ptr<HeldFolder> open (const juce::File& folder);

    ~HeldFolder();

    const juce::File& getFile() const noexcept { return path; }

    /** True while the folder's path leads to this folder: false once it was removed, or renamed
        with another folder or a link put in its place.
    */
    bool isStillAtItsPath() const;

    /** True when the file's folder is this folder and its path still leads here. */
    bool holds (const juce::File& file) const { return path == file.getParentDirectory() && isStillAtItsPath(); }

    /** What stands under a name in the folder; links are not followed. */
    enum class Entry { nothing, file, other };
    Entry lookUp (const juce::String& name) const;

    /** The size of the regular file of that name, -1 when there is none (a link is none). */
    juce::int64 sizeOfFile (const juce::String& name) const;

    /** Makes a new, empty file; fails (-1) when anything stands under the name. The file is
        locked (an exclusive flock) for as long as it is open, so that removeFileNobodyWrites
        passes it over, in this process and in any other.
    */
    int createFile (const juce::String& name);

    bool write (int file, const void* data, size_t size);

    /** Syncs the file's bytes to the disk. */
    bool sync (int file);

    void close (int file);

    /** Gives a file another name in the folder. With mayReplaceFile an older regular file of the
        new name is replaced; nothing else ever is (a folder, a link or any other entry there makes
        the rename fail).
    */
    bool rename (const juce::String& from, const juce::String& to, bool mayReplaceFile);

    /** Syncs the folder's entries (a rename) to the disk. */
    bool syncEntries();

    /** Removes a regular file; anything else under the name is left alone. */
    bool removeFile (const juce::String& name);

    /** Removes a regular file that no writer holds open: one made by createFile and not yet
        closed, here or in another process, is left alone, and so is every file where the system
        cannot tell (a file system without locks).
    */
    bool removeFileNobodyWrites (const juce::String& name);

private:
    explicit HeldFolder (const juce::File& folder);

    const juce::File path;

   #if MORVANE_FOLDER_CALLS
    int descriptor = -1;
    juce::uint64 device = 0, inode = 0;
   #else
    juce::uint64 inode = 0;

    // The open files, by number.
    juce::CriticalSection streamLock;
    std::map<int, std::unique_ptr<juce::FileOutputStream>> streams;
    int nextStream = 1;
   #endif

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HeldFolder)
};
