#pragma once

#include "UpdateHttpSession.h"

#include <juce_core/juce_core.h>

#include <atomic>

/** The download loop that the installer and firmware downloads share: one plain GET (redirects
    followed by HttpReplyRules), read in chunks of at most 1024 bytes with progress, until the
    announced length or the end of the stream. Each chunk goes to the derived class as it
    arrives: the firmware keeps it in memory, the installer writes it to its file.

    A download fails (DownloadResult::failed) when the address is not http or https, no
    connection opens, a redirect breaks the rules, the status is not 2xx, lengths conflict, the
    body is larger than the size cap, empty, shorter than announced, or the stream breaks. The
    connection and every read have a time-out. cancel() is honoured at any time, also while the
    connection is still opening: the reads wait only for the session's own network thread (see
    UpdateHttpSession), never for the network itself, so this thread ends promptly whatever the
    network does and is never killed in the middle of a read.

    Progress is the fraction read while the length is known; without a length it is
    indeterminateProgress (below 0) until the body has ended, then 1.0.

    run() executes on the download thread; progress, the cancel flag and the result are atomics
    that the owner reads and writes on the message thread.
*/
class UpdateDownloadThread : public juce::Thread
{
public:
    static constexpr double indeterminateProgress = -1.0;

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
    /** Called on the download thread when the reply has been accepted (length -1 when none);
        returns a DownloadResult to end with, or notFinished to go on.
    */
    virtual int beginBody (juce::int64 length) = 0;

    /** Takes the next chunk; returns a DownloadResult to end with, or notFinished to go on. */
    virtual int takeChunk (const void* bytes, size_t size) = 0;

    /** Called once the whole body has arrived; returns the result. */
    virtual int finishDownload() = 0;

    /** Called when the download ended any other way, to drop what arrived. */
    virtual void discardDownload() = 0;

    /** Stops the thread without marking the download cancelled; derived destructors call it
        before their members go.
    */
    void stopDownload();

private:
    int download();

    const juce::URL address;
    std::atomic<double>* const progress;
    const juce::int64 maxBytes;
    std::atomic<bool> cancelFlag { false };
    std::atomic<int> result { 0 };
    UpdateHttpSession session;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UpdateDownloadThread)
};
