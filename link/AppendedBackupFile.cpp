#include "AppendedBackupFile.h"

#include "SysExRequest.h"

AppendedBackupFile::~AppendedBackupFile()
{
    const juce::ScopedLock sl (lock);

    // Closed before the temporary file is deleted.
    stream.reset();
    temporary.reset();
}

AppendedBackupFile::Outcome AppendedBackupFile::checkStillWhole() const
{
    if (! target.getParentDirectory().isDirectory())
        return Outcome::folderMissing;

    // The stream writes without a buffer of its own, so the file holds every byte written.
    const auto file = temporary->getFile();

    if (! file.existsAsFile() || file.getSize() != bytesWritten)
        return Outcome::fileGone;

    return Outcome::ok;
}

AppendedBackupFile::Outcome AppendedBackupFile::append (const juce::File& targetFile, const SysExRequest& request)
{
    const juce::ScopedLock sl (lock);

    if (failed || done || (temporary != nullptr && targetFile != target))
        return Outcome::writeFailed;

    if (temporary == nullptr)
    {
        target = targetFile;

        if (! target.getParentDirectory().isDirectory())
        {
            failed = true;
            return Outcome::folderMissing;
        }

        temporary = std::make_unique<juce::TemporaryFile> (target);

        // No buffer: each request's replies go to the file in one write, and its size on the
        // disk tells at once whether anything went away.
        stream = std::make_unique<juce::FileOutputStream> (temporary->getFile(), 0);

        if (stream->failedToOpen())
        {
            failed = true;
            return Outcome::writeFailed;
        }
    }

    if (const auto found = checkStillWhole(); found != Outcome::ok)
    {
        failed = true;
        return found;
    }

    scratch.reset();
    request.appendRepliesTo (scratch);

    if (scratch.getSize() > 0 && ! stream->write (scratch.getData(), scratch.getSize()))
    {
        failed = true;
        return Outcome::writeFailed;
    }

    bytesWritten += (juce::int64) scratch.getSize();
    ++appends;
    return Outcome::ok;
}

AppendedBackupFile::Outcome AppendedBackupFile::putInPlace()
{
    const juce::ScopedLock sl (lock);

    if (done || temporary == nullptr)
    {
        done = true;
        return failed ? Outcome::writeFailed : Outcome::ok;
    }

    if (failed)
        return Outcome::writeFailed;

    if (const auto found = checkStillWhole(); found != Outcome::ok)
    {
        failed = true;
        return found;
    }

    // The one sync of the whole file, before it takes the job's name.
    stream->flush();
    const bool synced = stream->getStatus().wasOk();
    stream.reset();

    if (! synced)
    {
        failed = true;
        return Outcome::writeFailed;
    }

    if (! temporary->getFile().replaceFileIn (target))
    {
        failed = true;
        return target.getParentDirectory().isDirectory() ? Outcome::writeFailed : Outcome::folderMissing;
    }

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
    return bytesWritten;
}
