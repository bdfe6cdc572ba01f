#pragma once

#include "UpdateDownloadThread.h"

/** Downloads a firmware file into memory, where it stays until the thread object is deleted. */
class TPXFirmwareUpdateDownloadThread : public UpdateDownloadThread
{
public:
    static constexpr juce::int64 defaultMaxBytes = 32 * 1024 * 1024;

    TPXFirmwareUpdateDownloadThread (const juce::URL& address, std::atomic<double>* progress,
                                     juce::int64 maxBytes = defaultMaxBytes);
    ~TPXFirmwareUpdateDownloadThread() override;

    /** Copies the downloaded bytes to the start of destination, growing it (with zeros) when it
        is smaller; a larger destination keeps its tail. False, copying nothing, unless the run has
        ended complete (a partial body or an error page is never handed out).
    */
    bool copyDownloadedData (juce::MemoryBlock& destination) const;

protected:
    int beginBody (juce::int64 length) override;
    int takeChunk (const void* bytes, size_t size) override;
    int finishDownload() override;
    void discardDownload() override;

private:
    juce::MemoryBlock data;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXFirmwareUpdateDownloadThread)
};
