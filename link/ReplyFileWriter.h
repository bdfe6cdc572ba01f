#pragma once

#include "DurableFile.h"

#include <juce_core/juce_core.h>

#include <memory>

class SysExRequest;

/** Writes a request's replies, end to end and exactly as received, into a file that replaces an
    older one only when it is complete.

    The bytes go into a temporary file beside the target (see DurableFile), which takes the
    target's place in finish, replacing an older file but nothing else; a writer that is not finished (the request failed, the thread was stopped) deletes
    its temporary file and leaves any older file as it was. It can be fed while the replies still
    arrive (writeNewReplies), so that a long dump is mostly on disk by the time its last reply
    comes in and finish has little left to do. Used by one thread at a time.
*/
class ReplyFileWriter
{
public:
    /** Opens the temporary file beside target; see isOk. The target's folder must exist. With a
        held folder, the target must lie directly in it, and the file is written there even when
        the folder's path comes to lead elsewhere (finish then fails).
    */
    explicit ReplyFileWriter (const juce::File& target, std::shared_ptr<HeldFolder> folder = nullptr);

    /** Deletes the temporary file unless finish put it in place. */
    ~ReplyFileWriter();

    /** False once opening or a write has failed; nothing more is then written. */
    bool isOk() const noexcept { return ! failed; }

    const juce::File& getTarget() const noexcept { return target; }

    /** Writes the replies that have arrived since the last call. Returns isOk(). */
    bool writeNewReplies (const SysExRequest& request);

    /** Once the request has been retired: writes the replies not yet written, syncs, checks
        that every byte landed and that the folder is still at its path, and puts the file in
        place of the target. False, with the older file left as it was, when anything fails.
    */
    bool finish (const SysExRequest& request);

    /** While replies arrive, the file is flushed to the disk after each this many bytes, so that
        finish has only the rest to flush.
    */
    static constexpr juce::int64 flushStepBytes = 1024 * 1024;

private:
    bool writeUpTo (const SysExRequest& request, int endReply);

    const juce::File target;
    std::unique_ptr<DurableFile> file;
    int repliesWritten = 0;
    juce::int64 bytesFlushed = 0;
    bool failed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ReplyFileWriter)
};
