#pragma once

#include <juce_core/juce_core.h>

/** Reads a file that the user chose or dropped on the send page, and says why when it cannot.

    Only an ordinary file is read: a folder, a link that leads nowhere or round in a circle, a
    device, a pipe or a socket is refused by its type before anything is opened, so that nothing
    can block (a pipe without a writer) or stream without end (/dev/zero). What takes the file's
    place between that look and the opening is told by the opened handle and refused the same
    way, without waiting (RegularFileReader). At most one byte more than the send path accepts is
    read, whatever size the file claims, so a file that grows or lies about its size (the files
    of /proc claim 0 bytes) is refused without being held whole.

    Needs no window: called on the message thread by the send page, directly by the tests.
*/
class SendFileIntake
{
public:
    /** Why a file was not taken; none when it was. */
    enum class Refusal
    {
        none,
        missing,       // nothing at the path
        folder,        // the path names a folder
        brokenLink,    // a link whose target does not exist
        linkLoop,      // links that lead round in a circle
        notAFile,      // a device, a pipe or a socket
        unreadable,    // the file could not be opened or read
        empty,         // no bytes at all
        tooLarge       // more than the send path accepts
    };

    struct Result
    {
        Refusal refusal = Refusal::none;
        juce::MemoryBlock data;

        bool isAccepted() const noexcept { return refusal == Refusal::none; }
        /** The warning that tells the user why; empty when the file was taken. */
        juce::String getText() const { return textFor (refusal); }
    };

    /** The file's bytes, or the refusal; never reads more than maxBytes + 1 bytes.
        betweenCheckAndOpen, when given, runs after the path's type was looked at and before it
        is opened: the tests put something else at the path there.
    */
    static Result read (const juce::File& file, juce::int64 maxBytes,
                        const std::function<void()>& betweenCheckAndOpen = nullptr);

    /** The user-facing text of a refusal (empty for none). */
    static juce::String textFor (Refusal refusal);

private:
    SendFileIntake() = delete;
};
