#include "TPXFirmwareUpdateDownloadThread.h"

#include "DownloadResult.h"

TPXFirmwareUpdateDownloadThread::TPXFirmwareUpdateDownloadThread (const juce::URL& downloadAddress, std::atomic<double>* progressValue,
                                                                  juce::int64 sizeCap)
    : UpdateDownloadThread (downloadAddress, progressValue, sizeCap)
{
}

TPXFirmwareUpdateDownloadThread::~TPXFirmwareUpdateDownloadThread()
{
    stopDownload();
}

int TPXFirmwareUpdateDownloadThread::beginBody (juce::int64)
{
    return DownloadResult::notFinished;
}

int TPXFirmwareUpdateDownloadThread::takeChunk (const void* bytes, size_t size)
{
    data.append (bytes, size);
    return DownloadResult::notFinished;
}

int TPXFirmwareUpdateDownloadThread::finishDownload()
{
    return DownloadResult::complete;
}

void TPXFirmwareUpdateDownloadThread::discardDownload()
{
    data.reset();
}

bool TPXFirmwareUpdateDownloadThread::copyDownloadedData (juce::MemoryBlock& destination) const
{
    if (isThreadRunning() || getResult() != DownloadResult::complete || data.isEmpty())
        return false;

    if (destination.getSize() < data.getSize())
        destination.setSize (data.getSize(), true);

    destination.copyFrom (data.getData(), 0, data.getSize());
    return true;
}
