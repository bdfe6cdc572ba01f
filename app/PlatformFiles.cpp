#include "PlatformFiles.h"

#if JUCE_LINUX || JUCE_BSD || JUCE_MAC
 #include <cerrno>
 #include <cstring>
 #include <fcntl.h>
 #include <sys/file.h>
 #include <sys/stat.h>
 #include <unistd.h>

/*  The framework has no call for a file's owner and mode, or for a lock that reports a file it
    could not open (its InterProcessLock then says it holds the lock); these are POSIX calls.
*/
namespace
{
/** Why a lock file could not be opened or locked, in words for the user. */
juce::String describeLockFailure (int error)
{
    switch (error)
    {
        case EISDIR: return "A folder stands at its place";
        case ELOOP:  return "A link stands at its place";
        case EACCES:
        case EPERM:  return "Morvane may not open it (permission denied)";
        default:     return juce::String (std::strerror (error));
    }
}
} // namespace

bool PlatformFiles::isPrivateFolder (const juce::File& folder)
{
    struct stat info {};
    return ::lstat (folder.getFullPathName().toRawUTF8(), &info) == 0 && S_ISDIR (info.st_mode)
           && info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0700;
}

juce::File PlatformFiles::findRuntimeFolder (const juce::String& runtimeDirVariable, const juce::File& tempFolder)
{
    if (juce::File::isAbsolutePath (runtimeDirVariable) && isPrivateFolder (juce::File (runtimeDirVariable)))
        return juce::File (runtimeDirVariable);

    const auto own = tempFolder.getChildFile ("morvane-" + juce::String ((juce::int64) ::geteuid()));
    const auto path = own.getFullPathName().toRawUTF8();

    if (::mkdir (path, 0700) != 0 && errno != EEXIST)
        return {};

    // One made by someone else (or a link to one) is never used; one of ours that others may
    // enter is closed to them first.
    struct stat info {};

    if (::lstat (path, &info) != 0 || ! S_ISDIR (info.st_mode) || info.st_uid != ::geteuid())
        return {};

    if ((info.st_mode & 0777) != 0700 && ::chmod (path, 0700) != 0)
        return {};

    return isPrivateFolder (own) ? own : juce::File();
}

std::unique_ptr<PlatformFiles::Lock> PlatformFiles::Lock::take (const juce::File& file, juce::String* whyNot)
{
    const auto fail = [whyNot] (const juce::String& reason) -> std::unique_ptr<Lock>
    {
        if (whyNot != nullptr)
            *whyNot = reason;

        return nullptr;
    };

    // Never through a link: someone else's file is not opened in its place. Without waiting:
    // a pipe standing there has no writer.
    const auto descriptor = ::open (file.getFullPathName().toRawUTF8(),
                                    O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);

    if (descriptor < 0)
        return fail (describeLockFailure (errno));

    std::unique_ptr<Lock> lock (new Lock());
    lock->descriptor = descriptor;

    struct stat info {};

    if (::fstat (descriptor, &info) != 0)
        return fail (describeLockFailure (errno));

    if (! S_ISREG (info.st_mode))
        return fail ("It is not an ordinary file");

    // A lock file that someone else made could be held by them for ever.
    if (info.st_uid != ::geteuid())
        return fail ("It belongs to another user");

    // flock rather than fcntl: a second lock of the same process conflicts too, and closing
    // another descriptor of the file does not drop it.
    if (::flock (descriptor, LOCK_EX | LOCK_NB) != 0)
        return fail (errno == EWOULDBLOCK ? juce::String() : describeLockFailure (errno));

    if (whyNot != nullptr)
        whyNot->clear();

    return lock;
}

bool PlatformFiles::Lock::replaceContent (const juce::String& text)
{
    const auto size = (ssize_t) text.getNumBytesAsUTF8();

    if (::ftruncate (descriptor, 0) != 0)
        return false;

    return ::pwrite (descriptor, text.toRawUTF8(), (size_t) size, 0) == size;
}

PlatformFiles::Lock::~Lock()
{
    if (descriptor >= 0)
        ::close (descriptor);
}

#else

juce::File PlatformFiles::findRuntimeFolder (const juce::String&, const juce::File& tempFolder)
{
    // Where the framework keeps each user's temporary files apart already.
    return tempFolder;
}

bool PlatformFiles::isPrivateFolder (const juce::File& folder)
{
    return folder.isDirectory();
}

std::unique_ptr<PlatformFiles::Lock> PlatformFiles::Lock::take (const juce::File& file, juce::String* whyNot)
{
    if (whyNot != nullptr)
        whyNot->clear();

    // A folder at the path is no lock file, here as on the other platforms.
    if (file.isDirectory())
    {
        if (whyNot != nullptr)
            *whyNot = "A folder stands at its place";

        return nullptr;
    }

    auto fallback = std::make_unique<juce::InterProcessLock> ("Morvane-" + juce::String::toHexString (file.getFullPathName().hashCode64()));

    if (! fallback->enter (0))
        return nullptr;

    std::unique_ptr<Lock> lock (new Lock());
    lock->fallback = std::move (fallback);
    lock->file = file;
    return lock;
}

bool PlatformFiles::Lock::replaceContent (const juce::String& text)
{
    return file.replaceWithText (text);
}

PlatformFiles::Lock::~Lock() = default;

#endif

juce::File PlatformFiles::findRuntimeFolder()
{
    return findRuntimeFolder (juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {}),
                              juce::File::getSpecialLocation (juce::File::tempDirectory));
}
