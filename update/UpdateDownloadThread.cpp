#include "UpdateDownloadThread.h"

#include "DownloadResult.h"
#include "UpdateServer.h"

namespace
{
constexpr int chunkBytes = 1024;

// Longer than any step of a run once its stream has been aborted, so the thread is never killed.
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
    abortStream();
    stopThread (stopWaitMs);
}

void UpdateDownloadThread::cancel()
{
    cancelFlag.store (true);
    abortStream();
}

void UpdateDownloadThread::abortStream()
{
    const juce::ScopedLock sl (streamLock);
    streamAborted = true;

    if (activeStream != nullptr)
        activeStream->cancel();
}

void UpdateDownloadThread::run()
{
    result.store (DownloadResult::notFinished);
    const int outcome = download();

    // What arrived of a failed or cancelled download is of no use to anyone.
    if (outcome != DownloadResult::complete)
        data.reset();

    result.store (outcome);
}

int UpdateDownloadThread::download()
{
    auto setProgress = [this] (double value)
    {
        if (progress != nullptr)
            progress->store (value);
    };

    if (! UpdateServer::isWebAddress (address))
        return DownloadResult::failed;

    juce::WebInputStream stream (address, false);
    stream.withConnectionTimeout (UpdateServer::getTimeoutMs());
    stream.withNumRedirectsToFollow (5);

    {
        const juce::ScopedLock sl (streamLock);

        if (streamAborted || cancelFlag.load())
            return cancelFlag.load() ? DownloadResult::cancelled : DownloadResult::failed;

        activeStream = &stream;
    }

    // The stream leaves the lock's reach before it is destroyed, so cancel() never touches it after.
    struct Release
    {
        UpdateDownloadThread& owner;
        ~Release()
        {
            const juce::ScopedLock sl (owner.streamLock);
            owner.activeStream = nullptr;
        }
    };

    bool complete = false;
    juce::int64 remaining = -1;

    {
        Release release { *this };

        const bool connected = stream.connect (nullptr);

        if (cancelFlag.load())
            return DownloadResult::cancelled;

        const int status = connected ? stream.getStatusCode() : 0;

        if (! connected || status < 200 || status > 299 || threadShouldExit())
            return DownloadResult::failed;

        const auto total = stream.getTotalLength();

        if (total > maxBytes || total == 0)
            return DownloadResult::failed;

        const bool knownLength = total > 0;
        remaining = knownLength ? total - stream.getPosition() : -1;
        const auto expected = (double) remaining;

        if (! knownLength)
            setProgress (1.0);

        juce::int64 bytesRead = 0;
        char chunk[chunkBytes];

        while (! threadShouldExit() && ! cancelFlag.load() && (! knownLength || remaining > 0))
        {
            const auto wanted = knownLength ? (int) juce::jmin (remaining, (juce::int64) chunkBytes) : chunkBytes;
            const int read = stream.read (chunk, wanted);

            if (read <= 0)
                break;

            data.append (chunk, (size_t) read);
            bytesRead += read;

            if (bytesRead > maxBytes)
                return DownloadResult::failed;

            if (knownLength)
            {
                remaining = total - stream.getPosition();
                setProgress ((double) bytesRead / expected);
            }
        }

        if (cancelFlag.load())
            return DownloadResult::cancelled;

        complete = ! threadShouldExit() && ! stream.isError() && data.getSize() > 0
                   && (! knownLength || remaining == 0);
    }

    if (! complete)
        return DownloadResult::failed;

    return finishDownload();
}
