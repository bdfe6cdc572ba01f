#include "UpdateDownloadThread.h"

#include "DownloadResult.h"

namespace
{
constexpr int chunkBytes = 1024;

// Far longer than any step of a cancelled run (none waits for the network), so the thread is
// never killed.
constexpr int stopWaitMs = 30000;
} // namespace

UpdateDownloadThread::UpdateDownloadThread (const juce::URL& addressToUse, std::atomic<double>* progressToUse,
                                            juce::int64 maxBytesToUse)
    : juce::Thread ("Download Thread"),
      address (addressToUse),
      progress (progressToUse),
      maxBytes (maxBytesToUse)
{
}

UpdateDownloadThread::~UpdateDownloadThread()
{
    stopDownload();
}

void UpdateDownloadThread::stopDownload()
{
    signalThreadShouldExit();
    session.cancel();
    stopThread (stopWaitMs);
}

void UpdateDownloadThread::cancel()
{
    cancelFlag.store (true);
    session.cancel();
}

void UpdateDownloadThread::run()
{
    result.store (DownloadResult::notFinished);
    const int outcome = download();

    // What arrived of a failed or cancelled download is of no use to anyone.
    if (outcome != DownloadResult::complete)
        discardDownload();

    result.store (outcome);
}

int UpdateDownloadThread::download()
{
    auto setProgress = [this] (double value)
    {
        if (progress != nullptr)
            progress->store (value);
    };

    auto ended = [this] (int fallback) { return cancelFlag.load() ? (int) DownloadResult::cancelled : fallback; };

    juce::String problem;

    if (cancelFlag.load() || ! session.open (address, problem) || threadShouldExit())
        return ended (DownloadResult::failed);

    const auto total = session.getLength();

    if (total > maxBytes || total == 0)
        return DownloadResult::failed;

    if (const int begun = beginBody (total); begun != DownloadResult::notFinished)
        return ended (begun);

    setProgress (total > 0 ? 0.0 : indeterminateProgress);

    juce::int64 bytesRead = 0;
    char chunk[chunkBytes];

    while (! session.isComplete())
    {
        if (threadShouldExit() || cancelFlag.load())
            return ended (DownloadResult::failed);

        const int read = session.read (chunk, chunkBytes);

        if (read < 0)
            return ended (DownloadResult::failed);

        bytesRead += read;

        if (bytesRead > maxBytes)
            return ended (DownloadResult::failed);

        if (read > 0)
            if (const int taken = takeChunk (chunk, (size_t) read); taken != DownloadResult::notFinished)
                return ended (taken);

        if (total > 0)
            setProgress ((double) bytesRead / (double) total);
        else if (read == 0 && ! session.isComplete())
            return ended (DownloadResult::failed);
    }

    if (bytesRead == 0)
        return DownloadResult::failed;

    setProgress (1.0);

    if (cancelFlag.load())
        return DownloadResult::cancelled;

    return finishDownload();
}
