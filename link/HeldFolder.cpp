#include "HeldFolder.h"

#if MORVANE_FOLDER_CALLS
 #include <cerrno>
 #include <cstdio>
 #include <fcntl.h>
 #include <sys/file.h>
 #include <sys/stat.h>
 #include <unistd.h>
#endif

std::shared_ptr<HeldFolder> HeldFolder::open (const juce::File& folder)
{
    std::shared_ptr<HeldFolder> held (new HeldFolder (folder));

   #if MORVANE_FOLDER_CALLS
    if (held->descriptor < 0)
        return {};
   #else
    if (! folder.isDirectory())
        return {};
   #endif

    return held;
}

#if MORVANE_FOLDER_CALLS

namespace
{
    bool sameEntry (const struct stat& info, juce::uint64 device, juce::uint64 inode)
    {
        return (juce::uint64) info.st_dev == device && (juce::uint64) info.st_ino == inode;
    }
} // namespace

HeldFolder::HeldFolder (const juce::File& folder)
    : path (folder)
{
    descriptor = ::open (folder.getFullPathName().toRawUTF8(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info {};

    if (descriptor >= 0 && ::fstat (descriptor, &info) == 0)
    {
        device = (juce::uint64) info.st_dev;
        inode = (juce::uint64) info.st_ino;
    }
    else if (descriptor >= 0)
    {
        ::close (descriptor);
        descriptor = -1;
    }
}

HeldFolder::~HeldFolder()
{
    if (descriptor >= 0)
        ::close (descriptor);
}

bool HeldFolder::isStillAtItsPath() const
{
    struct stat info {};
    return ::stat (path.getFullPathName().toRawUTF8(), &info) == 0 && S_ISDIR (info.st_mode)
        && sameEntry (info, device, inode);
}

HeldFolder::Entry HeldFolder::lookUp (const juce::String& name) const
{
    struct stat info {};

    if (::fstatat (descriptor, name.toRawUTF8(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? Entry::nothing : Entry::other;

    return S_ISREG (info.st_mode) ? Entry::file : Entry::other;
}

juce::int64 HeldFolder::sizeOfFile (const juce::String& name) const
{
    struct stat info {};

    if (::fstatat (descriptor, name.toRawUTF8(), &info, AT_SYMLINK_NOFOLLOW) != 0 || ! S_ISREG (info.st_mode))
        return -1;

    return (juce::int64) info.st_size;
}

int HeldFolder::createFile (const juce::String& name)
{
    const auto file = ::openat (descriptor, name.toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);

    // Nobody else can know the new name yet, so the lock is free. Where the file system has no
    // locks the file is still written: the sweep then removes nothing (removeFileNobodyWrites).
    if (file >= 0)
        ::flock (file, LOCK_EX | LOCK_NB);

    return file;
}

bool HeldFolder::write (int file, const void* data, size_t size)
{
    auto* bytes = static_cast<const char*> (data);

    while (size > 0)
    {
        const auto written = ::write (file, bytes, size);

        if (written < 0 && errno == EINTR)
            continue;

        if (written <= 0)
            return false;

        bytes += written;
        size -= (size_t) written;
    }

    return true;
}

bool HeldFolder::sync (int file)
{
    return ::fsync (file) == 0;
}

void HeldFolder::close (int file)
{
    if (file >= 0)
        ::close (file);
}

bool HeldFolder::rename (const juce::String& from, const juce::String& to, bool mayReplaceFile)
{
    const auto* const source = from.toRawUTF8();
    const auto* const destination = to.toRawUTF8();
    const auto there = lookUp (to);

    if (there == Entry::file && mayReplaceFile)
        return ::renameat (descriptor, source, descriptor, destination) == 0;

    if (there != Entry::nothing)
        return false;

   #ifdef RENAME_NOREPLACE
    if (::renameat2 (descriptor, source, descriptor, destination, RENAME_NOREPLACE) == 0)
        return true;

    if (errno != EINVAL && errno != ENOSYS)
        return false;
   #endif

    // A second name that fails when the name is taken, then the first name goes.
    if (::linkat (descriptor, source, descriptor, destination, 0) == 0)
        return ::unlinkat (descriptor, source, 0) == 0;

    if (errno == EEXIST)
        return false;

    // A file system without links: the name was free a moment ago.
    return lookUp (to) == Entry::nothing && ::renameat (descriptor, source, descriptor, destination) == 0;
}

bool HeldFolder::syncEntries()
{
    // Some file systems cannot sync a folder, and say so: they have nothing to sync.
    return ::fsync (descriptor) == 0 || errno == EINVAL;
}

bool HeldFolder::removeFile (const juce::String& name)
{
    return lookUp (name) == Entry::file && ::unlinkat (descriptor, name.toRawUTF8(), 0) == 0;
}

bool HeldFolder::removeFileNobodyWrites (const juce::String& name)
{
    const auto* const rawName = name.toRawUTF8();
    const auto file = ::openat (descriptor, rawName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);

    if (file < 0)
        return false;

    // The lock is taken on the file itself; the name is then checked to lead to it still, so
    // that a file put under that name meanwhile is not the one removed.
    struct stat opened {}, named {};
    const bool removed = ::fstat (file, &opened) == 0 && S_ISREG (opened.st_mode)
                      && ::flock (file, LOCK_EX | LOCK_NB) == 0
                      && ::fstatat (descriptor, rawName, &named, AT_SYMLINK_NOFOLLOW) == 0
                      && sameEntry (named, (juce::uint64) opened.st_dev, (juce::uint64) opened.st_ino)
                      && ::unlinkat (descriptor, rawName, 0) == 0;

    ::close (file);
    return removed;
}

#else

HeldFolder::HeldFolder (const juce::File& folder)
    : path (folder), inode (folder.getFileIdentifier())
{
}

HeldFolder::~HeldFolder() = default;

bool HeldFolder::isStillAtItsPath() const
{
    return path.isDirectory() && path.getFileIdentifier() == inode;
}

HeldFolder::Entry HeldFolder::lookUp (const juce::String& name) const
{
    const auto file = path.getChildFile (name);

    if (file.isSymbolicLink())
        return Entry::other;

    return file.existsAsFile() ? Entry::file : (file.exists() ? Entry::other : Entry::nothing);
}

juce::int64 HeldFolder::sizeOfFile (const juce::String& name) const
{
    return lookUp (name) == Entry::file ? path.getChildFile (name).getSize() : -1;
}

int HeldFolder::createFile (const juce::String& name)
{
    if (lookUp (name) != Entry::nothing)
        return -1;

    auto stream = std::make_unique<juce::FileOutputStream> (path.getChildFile (name), 0);

    if (! stream->openedOk())
        return -1;

    const juce::ScopedLock sl (streamLock);
    streams[nextStream] = std::move (stream);
    return nextStream++;
}

bool HeldFolder::write (int file, const void* data, size_t size)
{
    const juce::ScopedLock sl (streamLock);
    const auto found = streams.find (file);
    return found != streams.end() && found->second->write (data, size);
}

bool HeldFolder::sync (int file)
{
    const juce::ScopedLock sl (streamLock);
    const auto found = streams.find (file);

    if (found == streams.end())
        return false;

    found->second->flush();
    return found->second->getStatus().wasOk();
}

void HeldFolder::close (int file)
{
    const juce::ScopedLock sl (streamLock);
    streams.erase (file);
}

bool HeldFolder::rename (const juce::String& from, const juce::String& to, bool mayReplaceFile)
{
    const auto there = lookUp (to);

    if (there == Entry::other || (there == Entry::file && ! mayReplaceFile))
        return false;

    return path.getChildFile (from).moveFileTo (path.getChildFile (to));
}

bool HeldFolder::syncEntries()
{
    return true;
}

bool HeldFolder::removeFile (const juce::String& name)
{
    return lookUp (name) == Entry::file && path.getChildFile (name).deleteFile();
}

bool HeldFolder::removeFileNobodyWrites (const juce::String& name)
{
    // The framework's streams open their files without letting others delete them: a file that
    // is being written refuses to go.
    return removeFile (name);
}

#endif
