#include "RegularFileReader.h"

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
 #include <cerrno>
 #include <fcntl.h>
 #include <sys/stat.h>
 #include <unistd.h>
#endif

namespace
{
using Outcome = RegularFileReader::Outcome;

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
/** Closes the descriptor when it goes. */
struct Descriptor
{
    explicit Descriptor (int descriptorToOwn) noexcept : fd (descriptorToOwn) {}
    ~Descriptor() { if (fd >= 0) ::close (fd); }

    const int fd;
};

Outcome readOpened (int fd, juce::int64 maxBytes, juce::MemoryBlock& data)
{
    struct stat info {};

    if (::fstat (fd, &info) != 0)
        return Outcome::failed;

    if (S_ISDIR (info.st_mode))
        return Outcome::folder;

    if (! S_ISREG (info.st_mode))
        return Outcome::notAFile;

    if ((juce::int64) info.st_size > maxBytes)
        return Outcome::tooLarge;

    // The size is not trusted: one byte past the limit tells that the file holds more.
    juce::MemoryOutputStream out (data, false);
    char buffer[65536];

    for (juce::int64 left = maxBytes + 1; left > 0;)
    {
        const auto got = ::read (fd, buffer, (size_t) juce::jmin ((juce::int64) sizeof (buffer), left));

        if (got < 0 && errno == EINTR)
            continue;

        if (got < 0)
            return Outcome::failed;

        if (got == 0)
            break;

        out.write (buffer, (size_t) got);
        left -= got;
    }

    out.flush();
    return (juce::int64) data.getSize() > maxBytes ? Outcome::tooLarge : Outcome::read;
}

Outcome readPath (const juce::File& file, juce::int64 maxBytes, juce::MemoryBlock& data)
{
    // A pipe opened for reading waits for a writer unless it is opened without waiting; whatever
    // was opened is told by the handle, not by the path, which may name something else by now.
    Descriptor descriptor (::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));

    if (descriptor.fd < 0)
        return Outcome::notOpened;

    return readOpened (descriptor.fd, maxBytes, data);
}
#else
Outcome readPath (const juce::File& file, juce::int64 maxBytes, juce::MemoryBlock& data)
{
    if (file.isDirectory())
        return Outcome::folder;

    juce::FileInputStream in (file);

    if (in.failedToOpen())
        return Outcome::notOpened;

    if (in.getTotalLength() > maxBytes)
        return Outcome::tooLarge;

    in.readIntoMemoryBlock (data, (ssize_t) maxBytes + 1);

    if (in.getStatus().failed())
        return Outcome::failed;

    return (juce::int64) data.getSize() > maxBytes ? Outcome::tooLarge : Outcome::read;
}
#endif
} // namespace

RegularFileReader::Outcome RegularFileReader::read (const juce::File& file, juce::int64 maxBytes, juce::MemoryBlock& data)
{
    data.reset();
    const auto outcome = readPath (file, maxBytes, data);

    if (outcome != Outcome::read)
        data.reset();

    return outcome;
}
