#include "TPXAutoUpdateDownloadThread.h"

#include "DownloadResult.h"

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

    for (int n = 2; candidate.exists(); ++n)
        candidate = folder.getChildFile (wanted.getFileNameWithoutExtension() + " (" + juce::String (n) + ")"
                                         + wanted.getFileExtension());

    return candidate;
}

int TPXAutoUpdateDownloadThread::beginBody (juce::int64)
{
    if (targetFile == juce::File() || ! targetFile.getParentDirectory().isDirectory())
        return DownloadResult::writeFailed;

    temporary = std::make_unique<juce::TemporaryFile> (targetFile, juce::TemporaryFile::useHiddenFile);
    out = std::make_unique<juce::FileOutputStream> (temporary->getFile(), 16384);

    return out->openedOk() ? DownloadResult::notFinished : DownloadResult::writeFailed;
}

int TPXAutoUpdateDownloadThread::takeChunk (const void* bytes, size_t size)
{
    for (size_t i = 0; i < size && headBytes < 2; ++i)
        head[headBytes++] = static_cast<const char*> (bytes)[i];

    // Anything but a Windows program (an error or sign-in page, say) is not saved at all.
    if (headBytes == 2 && (head[0] != 'M' || head[1] != 'Z'))
        return DownloadResult::notAnInstaller;

    return out->write (bytes, size) ? DownloadResult::notFinished : DownloadResult::writeFailed;
}

int TPXAutoUpdateDownloadThread::finishDownload()
{
    if (headBytes < 2)
        return DownloadResult::notAnInstaller;

    out->flush();
    const bool written = out->getStatus().wasOk();
    out.reset();

    if (! written)
        return DownloadResult::writeFailed;

    if (isCancelled())
        return DownloadResult::cancelled;

    const auto destination = findFreeName (targetFile);

    if (! temporary->getFile().moveFileTo (destination))
        return DownloadResult::writeFailed;

    savedFile = destination;
    temporary.reset();
    return DownloadResult::complete;
}

void TPXAutoUpdateDownloadThread::discardDownload()
{
    out.reset();
    temporary.reset();   // deletes what was written
}
