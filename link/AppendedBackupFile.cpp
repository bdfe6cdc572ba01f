#include "AppendedBackupFile.h"

#include "SysExRequest.h"

AppendedBackupFile::AppendedBackupFile (std::shared_ptr<HeldFolder> heldFolder)
    : folder (std::move (heldFolder))
{
}

AppendedBackupFile::~AppendedBackupFile()
{
    const juce::ScopedLock sl (lock);
    file.reset();
}

AppendedBackupFile::Outcome AppendedBackupFile::fail (DurableFile::Outcome why)
{
    failed = true;

    switch (why)
    {
        case DurableFile::Outcome::ok:            return Outcome::ok;
        case DurableFile::Outcome::folderChanged: return Outcome::folderMissing;
        case DurableFile::Outcome::fileGone:      return Outcome::fileGone;
        case DurableFile::Outcome::nameTaken:
        case DurableFile::Outcome::writeFailed:
        default:                                  return Outcome::writeFailed;
    }
}

AppendedBackupFile::Outcome AppendedBackupFile::append (const juce::File& targetFile, const SysExRequest& request)
{
    const juce::ScopedLock sl (lock);

    if (failed || done || (file != nullptr && targetFile != target))
        return Outcome::writeFailed;

    if (file == nullptr)
    {
        target = targetFile;

        if (folder == nullptr)
            folder = HeldFolder::open (target.getParentDirectory());

        if (folder == nullptr || ! folder->holds (target))
            return fail (DurableFile::Outcome::folderChanged);

        file = std::make_unique<DurableFile> (folder, target.getFileName());

        if (! file->isOk())
            return fail (DurableFile::Outcome::writeFailed);
    }

    if (const auto found = file->checkStillWhole(); found != DurableFile::Outcome::ok)
        return fail (found);

    scratch.reset();
    request.appendRepliesTo (scratch);

    if (! file->write (scratch.getData(), scratch.getSize()))
        return fail (DurableFile::Outcome::writeFailed);

    ++appends;
    return Outcome::ok;
}

AppendedBackupFile::Outcome AppendedBackupFile::putInPlace()
{
    const juce::ScopedLock sl (lock);

    if (done || file == nullptr)
    {
        done = true;
        return failed ? Outcome::writeFailed : Outcome::ok;
    }

    if (failed)
        return Outcome::writeFailed;

    // The file's whole length is checked there before it takes the job's name.
    if (const auto outcome = file->putInPlace (target.getFileName(), DurableFile::Replace::olderFile);
        outcome != DurableFile::Outcome::ok)
        return fail (outcome);

    done = true;
    return Outcome::ok;
}

juce::File AppendedBackupFile::getTarget() const
{
    const juce::ScopedLock sl (lock);
    return target;
}

int AppendedBackupFile::getAppendCount() const
{
    const juce::ScopedLock sl (lock);
    return appends;
}

juce::int64 AppendedBackupFile::getBytesWritten() const
{
    const juce::ScopedLock sl (lock);
    return file != nullptr ? file->getBytesWritten() : 0;
}
