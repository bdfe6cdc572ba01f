#include "DurableFile.h"

namespace
{
    const juce::String partMark (".part-");
    constexpr int randomDigits = 8;
    constexpr int namesTried = 16;
} // namespace

DurableFile::Disk& DurableFile::Disk::system()
{
    static Disk calls;
    return calls;
}

DurableFile::DurableFile (std::shared_ptr<HeldFolder> heldFolder, const juce::String& name, Disk& diskToUse)
    : folder (std::move (heldFolder)), disk (diskToUse)
{
    if (folder == nullptr || name.isEmpty())
        return;

    // A name that a crash leaves behind is found again by the next run, and removed. The shared
    // generator is not for many threads: each file seeds its own.
    juce::Random random;

    for (int i = 0; i < namesTried && file < 0; ++i)
    {
        temporaryName = "." + name + partMark
                      + juce::String::toHexString (random.nextInt()).paddedLeft ('0', randomDigits);
        file = folder->createFile (temporaryName);
    }

    if (file < 0)
        temporaryName.clear();
}

DurableFile::~DurableFile()
{
    if (folder == nullptr)
        return;

    folder->close (file);

    if (! placed && temporaryName.isNotEmpty())
        folder->removeFile (temporaryName);
}

bool DurableFile::write (const void* data, size_t size)
{
    if (! isOk() || placed)
        return false;

    if (size > 0 && ! disk.write (*folder, file, data, size))
        failed = true;
    else
        bytesWritten += (juce::int64) size;

    return ! failed;
}

bool DurableFile::sync()
{
    if (! isOk() || placed)
        return false;

    failed = ! disk.sync (*folder, file);
    return ! failed;
}

DurableFile::Outcome DurableFile::checkStillWhole() const
{
    if (! folder->isStillAtItsPath())
        return Outcome::folderChanged;

    if (folder->sizeOfFile (temporaryName) != bytesWritten)
        return Outcome::fileGone;

    return Outcome::ok;
}

DurableFile::Outcome DurableFile::putInPlace (const juce::String& finalName, Replace replace)
{
    if (placed)
        return Outcome::ok;

    if (! isOk())
        return Outcome::writeFailed;

    // Whole, on the disk, and still in the folder that the caller chose, before it takes the name.
    if (const auto found = checkStillWhole(); found != Outcome::ok)
    {
        failed = true;
        return found;
    }

    if (! disk.sync (*folder, file))
    {
        failed = true;
        return Outcome::writeFailed;
    }

    if (! folder->isStillAtItsPath())
    {
        failed = true;
        return Outcome::folderChanged;
    }

    if (! disk.rename (*folder, temporaryName, finalName, replace == Replace::olderFile))
    {
        const auto there = folder->lookUp (finalName);

        if (there == HeldFolder::Entry::other || (there == HeldFolder::Entry::file && replace == Replace::never))
            return Outcome::nameTaken;

        failed = true;
        return folder->isStillAtItsPath() ? Outcome::writeFailed : Outcome::folderChanged;
    }

    placed = true;
    folder->close (file);
    file = -1;

    return disk.syncFolder (*folder) ? Outcome::ok : Outcome::writeFailed;
}

bool DurableFile::isTemporaryName (const juce::String& name, const juce::String& extension)
{
    const auto markAt = name.length() - randomDigits - partMark.length();

    if (! name.startsWithChar ('.') || markAt <= 1 + extension.length()
        || name.substring (markAt, markAt + partMark.length()) != partMark
        || ! name.substring (markAt + partMark.length()).containsOnly ("0123456789abcdef"))
        return false;

    return name.substring (1, markAt).endsWithIgnoreCase (extension);
}

int DurableFile::removeStaleTemporaries (HeldFolder& folder, const juce::String& extension)
{
    int removed = 0;

    for (const auto& entry : juce::RangedDirectoryIterator (folder.getFile(), false, "*", juce::File::findFiles))
    {
        const auto name = entry.getFile().getFileName();

        if (isTemporaryName (name, extension) && folder.removeFileNobodyWrites (name))
            ++removed;
    }

    return removed;
}
