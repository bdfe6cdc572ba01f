#pragma once

#include <juce_core/juce_core.h>

/** Reads a file through one handle that is opened without waiting and read only when it holds an
    ordinary file, so that whatever is put at the path after it was looked at (a pipe without a
    writer, an endless device) can neither block the read nor feed it without end.

    The platform part of the send file's intake. On POSIX systems the path is opened with
    O_NONBLOCK and what was opened is told by fstat; elsewhere, where no pipe or device can stand
    at a file's path, the framework's file stream reads it.
*/
class RegularFileReader
{
public:
    enum class Outcome
    {
        read,        // data holds the whole file
        notOpened,   // nothing at the path could be opened
        folder,      // what was opened is a folder
        notAFile,    // what was opened is a device, a pipe or a socket
        tooLarge,    // the file holds more than maxBytes, by its size or by what was read
        failed       // the file could not be read
    };

    /** Opens the path, reads at most maxBytes + 1 bytes of it into data when it is an ordinary
        file, and says what it found; data is left empty unless the file was read. Never waits on
        what the path names.
    */
    static Outcome read (const juce::File& file, juce::int64 maxBytes, juce::MemoryBlock& data);

private:
    RegularFileReader() = delete;
};
