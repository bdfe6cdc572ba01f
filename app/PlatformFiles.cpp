#include "PlatformFiles.h"

#if JUCE_LINUX || JUCE_BSD || JUCE_MAC
 #include <cerrno>
 #include <fcntl.h>
 #include <sys/file.h>
 #include <sys/stat.h>
 #include <unistd.h>

/*  The framework has no call for a file's owner and mode, or for a lock that reports a file it
    could not open (its InterProcessLock then says it holds the lock); these are POSIX calls.
*/
namespace
{
/** True when the path is a real folder (not a link) of this user's that only this user may enter. */
bool isOwnPrivateFolder (const juce::File& folder)
{
    struct stat info {};
    return ::lstat (folder.getFullPathName().toRawUTF8(), &info) == 0 && S_ISDIR (info.st_mode)
           && info.st_uid == ::geteuid() && (info.st_mode & 0777) == 0700;
}
} // namespace

juce::File PlatformFiles::findRuntimeFolder (const juce::String& runtimeDirVariable, const juce::File& tempFolder)
{
    if (juce::File::isAbsolutePath (runtimeDirVariable) && isOwnPrivateFolder (juce::File (runtimeDirVariable)))
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

    return isOwnPrivateFolder (own) ? own : juce::File();
}

std::unique_ptr<PlatformFiles::Lock> PlatformFiles::Lock::take (const juce::File& file)
{
    // Never through a link: someone else's file is not opened in its place.
    const auto descriptor = ::open (file.getFullPathName().toRawUTF8(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);

    if (descriptor < 0)
        return nullptr;

    // flock rather than fcntl: a second lock of the same process conflicts too, and closing
    // another descriptor of the file does not drop it.
    if (::flock (descriptor, LOCK_EX | LOCK_NB) != 0)
    {
        ::close (descriptor);
        return nullptr;
    }

    std::unique_ptr<Lock> lock (new Lock());
    lock->descriptor = descriptor;
    return lock;
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

std::unique_ptr<PlatformFiles::Lock> PlatformFiles::Lock::take (const juce::File& file)
{
    auto fallback = std::make_unique<juce::InterProcessLock> ("Morvane-" + juce::String::toHexString (file.getFullPathName().hashCode64()));

    if (! fallback->enter (0))
        return nullptr;

    std::unique_ptr<Lock> lock (new Lock());
    lock->fallback = std::move (fallback);
    return lock;
}

PlatformFiles::Lock::~Lock() = default;

#endif

juce::File PlatformFiles::findRuntimeFolder()
{
    return findRuntimeFolder (juce::SystemStats::getEnvironmentVariable ("XDG_RUNTIME_DIR", {}),
                              juce::File::getSpecialLocation (juce::File::tempDirectory));
}
