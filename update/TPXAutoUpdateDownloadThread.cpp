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
}

int TPXAutoUpdateDownloadThread::finishDownload()
{
    if (isCancelled())
        return DownloadResult::cancelled;

    return writeInstaller() ? DownloadResult::complete : DownloadResult::writeFailed;
}

bool TPXAutoUpdateDownloadThread::writeInstaller()
{
    if (targetFile == juce::File() || targetFile.isDirectory() || ! targetFile.getParentDirectory().isDirectory())
        return false;

    juce::TemporaryFile temporary (targetFile, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream out (temporary.getFile(), 16384);

        if (! out.openedOk() || ! out.write (data.getData(), data.getSize()))
            return false;

        out.flush();

        if (out.getStatus().failed())
            return false;
    }

    if (isCancelled())
        return false;

    return temporary.overwriteTargetFileWithTemporary();
}
