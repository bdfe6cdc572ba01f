#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

/** The download loop that the installer and firmware downloads share: one plain GET, read in
    chunks of at most 1024 bytes with progress, until the announced length or the end of the
    stream.

    A download fails (DownloadResult::failed) when the address is not http or https, no
    connection opens, the status is not 2xx,
    the body is larger than the size cap, empty, shorter than announced, or the stream breaks.
    The connection and every read have a time-out. cancel() is honoured at any time, also while
    the connection is still opening: it aborts the stream, so the thread ends promptly and is
    never killed in the middle of a read.

    run() executes on the download thread; progress, the cancel flag and the result are atomics
    that the owner reads and writes on the message thread. The downloaded bytes belong to the
    thread until its run has ended.
*/
class UpdateDownloadThread : public juce::Thread
{
public:
    /** progress may be null; maxBytes caps the body. */
    UpdateDownloadThread (const juce::URL& address, std::atomic<double>* progress, juce::int64 maxBytes);

    /** Aborts a running download and waits for the thread to end. */
    ~UpdateDownloadThread() override;

    /** Asks the download to stop (any thread); the result becomes DownloadResult::cancelled. */
    void cancel();

    bool isCancelled() const noexcept { return cancelFlag.load(); }

    /** The DownloadResult; valid once isThreadRunning() is false. */
    int getResult() const noexcept { return result.load(); }

    void run() override;

protected:
    /** Called on the download thread once the whole body is in `data`; returns the result. */
    virtual int finishDownload() = 0;

    /** Stops the thread without marking the download cancelled; derived destructors call it
        before their members go.
    */
    void stopDownload();

    juce::MemoryBlock data;

private:
    int download();
    void abortStream();

    const juce::URL address;
    std::atomic<double>* const progress;
    const juce::int64 maxBytes;
    std::atomic<bool> cancelFlag { false };
    std::atomic<int> result { 0 };

    juce::CriticalSection streamLock;
    juce::WebInputStream* activeStream = nullptr;   // guarded by streamLock
    bool streamAborted = false;                      // guarded by streamLock

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateDownloadThread)
};
