#pragma once

#include "DurableFile.h"

#include <juce_core/juce_core.h>

#include <memory>

class SysExRequest;

/** The file of a backup job that arrives one request at a time (an Orvix III preset bank or user
    cab bank, one preset or cab per request), collected in a temporary file beside the job's file.

    Each append adds one request's replies, end to end, after what the earlier ones wrote; it
    first checks that the folder is still at its path and the temporary file still holds all
    that was written, so that a file that went away is never continued as a new, shorter one, and
    a folder that was renamed and replaced never gets the rest. putInPlace checks the same, syncs
    the file to the disk once and gives it the job's file name (see DurableFile), replacing an
    older file of that name but nothing else (a folder there fails it); until then nothing stands
    under that name. An object that was never put in place deletes its temporary file, leaving
    any older file as it was.

    A receive thread appends while the run waits for it; the run puts the file in place (or drops
    it) once that thread has reported. Each call is made under the object's own lock.
*/
class AppendedBackupFile
{
public:
    /** What an append or putInPlace found. */
    enum class Outcome
    {
        ok,
        folderMissing,  // the folder of the file is not there (removed or renamed)
        fileGone,       // the temporary file was removed or cut short since the last append
        writeFailed     // the disk refused a write or the sync (a full disk), or the rename
    };

    /** A file in the folder that the run holds; without one, the folder of the first append's
        target is held from then on.
    */
    explicit AppendedBackupFile (std::shared_ptr<HeldFolder> folder = nullptr);

    /** Deletes the temporary file unless it was put in place. */
    ~AppendedBackupFile();

    /** Adds the request's replies. The first append starts the temporary file beside target,
        whose folder must exist; later ones must name the same target. After a failure nothing
        more is written.
    */
    Outcome append (const juce::File& target, const SysExRequest& request);

    /** Syncs what was appended to the disk and gives it the target's name. Nothing appended
        gives ok without a file. Once put in place, the object is done: later calls do nothing.
    */
    Outcome putInPlace();

    /** The job's file, once the first append has named it. */
    juce::File getTarget() const;

    /** The number of appends that wrote their replies. */
    int getAppendCount() const;

    /** The bytes written so far. */
    juce::int64 getBytesWritten() const;

private:
    Outcome fail (DurableFile::Outcome why);

    mutable juce::CriticalSection lock;
    std::shared_ptr<HeldFolder> folder;
    juce::File target;
    std::unique_ptr<DurableFile> file;
    juce::MemoryBlock scratch;
    int appends = 0;
    bool failed = false;
    bool done = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AppendedBackupFile)
};
