#include "TPXAutoUpdateDownloadThread.h"

#include "DownloadResult.h"

namespace
{
    constexpr int maxNameAttempts = 100;
    constexpr size_t bufferBytes = 16384;
} // namespace

TPXAutoUpdateDownloadThread::TPXAutoUpdateDownloadThread (const juce::URL& downloadAddress, const juce::File& installerPath,
                                                          std::atomic<double>* progressValue, juce::int64 sizeCap)
    : UpdateDownloadThread (downloadAddress, progressValue, sizeCap),
      targetFile (installerPath)
{
}

TPXAutoUpdateDownloadThread::~TPXAutoUpdateDownloadThread()
{
    stopDownload();
    discardDownload();
}

juce::String TPXAutoUpdateDownloadThread::getTargetPath() const
{
    if (! isThreadRunning() && getResult() == DownloadResult::complete)
        return savedFile.getFullPathName();

    return targetFile.getFullPathName();
}

juce::File TPXAutoUpdateDownloadThread::findFreeName (const juce::File& wanted)
{
    auto candidate = wanted;
    const auto folder = wanted.getParentDirectory();

    // A link that leads nowhere, or to itself, does not "exist" to the framework, but it is the
    // user's all the same.
    for (int n = 2; candidate.exists() || candidate.isSymbolicLink(); ++n)
        candidate = folder.getChildFile (wanted.getFileNameWithoutExtension() + " (" + juce::String (n) + ")"
                                         + wanted.getFileExtension());

    return candidate;
}

int TPXAutoUpdateDownloadThread::beginBody (juce::int64)
{
    if (targetFile == juce::File() || ! targetFile.getParentDirectory().isDirectory())
        return DownloadResult::writeFailed;

    out = std::make_unique<DurableFile> (HeldFolder::open (targetFile.getParentDirectory()), targetFile.getFileName());

    return out->isOk() ? DownloadResult::notFinished : DownloadResult::writeFailed;
}

int TPXAutoUpdateDownloadThread::takeChunk (const void* bytes, size_t size)
{
    for (size_t i = 0; i < size && headBytes < 2; ++i)
        head[headBytes++] = static_cast<const char*> (bytes)[i];

    // Anything but a Windows program (an error or sign-in page, say) is not saved at all.
    if (headBytes == 2 && (head[0] != 'M' || head[1] != 'Z'))
        return DownloadResult::notAnInstaller;

    // Written through a buffer of its own: chunks are small.
    pending.write (bytes, size);

    if (pending.getDataSize() >= bufferBytes && ! writePending())
        return DownloadResult::writeFailed;

    return DownloadResult::notFinished;
}

bool TPXAutoUpdateDownloadThread::writePending()
{
    const bool written = out->write (pending.getData(), pending.getDataSize());
    pending.reset();
    return written;
}

int TPXAutoUpdateDownloadThread::finishDownload()
{
    if (headBytes < 2)
        return DownloadResult::notAnInstaller;

    if (! writePending())
        return DownloadResult::writeFailed;

    if (isCancelled())
        return DownloadResult::cancelled;

    // A name taken between the look and the rename is never replaced: the next one is tried.
    for (int attempt = 0; attempt < maxNameAttempts; ++attempt)
    {
        const auto destination = findFreeName (targetFile);
        const auto outcome = out->putInPlace (destination.getFileName(), DurableFile::Replace::never);

        if (outcome == DurableFile::Outcome::ok)
        {
            savedFile = destination;
            out.reset();
            return DownloadResult::complete;
        }

        if (outcome != DurableFile::Outcome::nameTaken)
            break;
    }

    return DownloadResult::writeFailed;
}

void TPXAutoUpdateDownloadThread::discardDownload()
{
    pending.reset();
    out.reset();   // deletes what was written
}
