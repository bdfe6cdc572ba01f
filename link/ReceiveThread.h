#pragma once

#include "BackupJobType.h"
#include "PresetConverter.h"

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>

class ReplyFileWriter;
class SysExRequest;

/** What a ReceiveThread has to report; the console reads it in its change callback. */
using ReceiveResult = juce::int32;

/** The ReceiveResult codes. */
namespace ReceiveResults
{
    constexpr ReceiveResult running = -1;       // nothing to report yet
    constexpr ReceiveResult written = 0;        // the file was written
    constexpr ReceiveResult requestFailed = 1;  // the request failed or timed out; no file was written
    constexpr ReceiveResult saving = 2;         // all replies received; the file is being named and written
    constexpr ReceiveResult writeFailed = 3;    // the file could not be named or written
} // namespace ReceiveResults

/** Receives one backup job into a .syx file.

    The console queues the job's SysExRequest with MidiProcessing and starts one ReceiveThread on
    it. The thread watches the request until the link worker retires it, writing the share of
    replies received to the progress value every 100 ms. A failed request, and one that the
    device answered with its status reply alone, give ReceiveResults::requestFailed and no file.
    Otherwise it reports ReceiveResults::saving, names the file by the job type (see
    BackupFileNaming.h), writes the replies into it and reports
    ReceiveResults::written or ReceiveResults::writeFailed. Each report is a change message to the
    listeners, delivered on the message thread.

    The request is borrowed: it must outlive the thread. The console stops and deletes the thread
    before it deletes the request.
*/
class ReceiveThread : public juce::Thread,
                      public juce::ChangeBroadcaster
{
public:
    /** The warning that the console shows, before its write-error message, when a user cab's
        name could not be read (see getWarningText).
    */
    static constexpr const char* cabNameErrorText = "An error was encountered while parsing the Cab name.";

    /** Stores the job; the caller starts the thread.

        @param request      the job's request, already queued; borrowed
        @param progress     where the share of replies received (0..1) is written; may be null
        @param folder       the backup folder (an absolute path)
        @param jobType      the job's BackupJobType
        @param number       the bank, preset or cab number that names some jobs' files
        @param baseName     the run's time-stamp base name
        @param firstStep    for the Orvix III bank and user-cab-bank jobs, whose requests each add one
                            preset or cab to a shared file: true for the job's first request, which
                            starts the file afresh; the later requests append to it. Ignored for
                            every other job, whose file is always replaced.
    */
    ReceiveThread (SysExRequest* request,
                   std::atomic<double>* progress,
                   const juce::String& folder,
                   BackupJobType jobType,
                   juce::uint16 number,
                   const juce::String& baseName,
                   bool firstStep = false);

    /** Asks the thread to stop and waits for it. The thread stops at once while it waits for the
        request, and only after a write it has begun.
    */
    ~ReceiveThread() override;

    void run() override;

    /** The last ReceiveResult. Safe to read from any thread. */
    ReceiveResult getResult() const noexcept { return result.load(); }

    /** False while no file path has been chosen; otherwise the chosen file and true. */
    bool getSavedFile (juce::File& file) const;

    /** A warning for the user that goes with ReceiveResults::writeFailed: cabNameErrorText when
        a user cab's name could not be read; empty otherwise.
    */
    juce::String getWarningText() const;

    /** The longest time the destructor waits for the thread: enough to finish any file write,
        so that the thread is never killed.
    */
    static constexpr int stopTimeoutMs = 10000;

private:
    std::unique_ptr<ReplyFileWriter> startWritingEarly();
    bool writeFile (const juce::File& file, ReplyFileWriter* earlyWriter);
    bool isStatusReplyOnly() const;
    void updateProgress();
    void report (ReceiveResult newResult);
    juce::File chooseFile();
    juce::File chooseFileForPreset();
    juce::File chooseFileForCab (bool numbered);
    juce::File getFolder() const;

    SysExRequest* const request;
    juce::MemoryBlock replyBytes;
    std::atomic<double>* const progress;
    const juce::String folder;
    const juce::String baseName;
    const BackupJobType jobType;
    const juce::uint16 number;
    const bool firstStep;
    std::atomic<ReceiveResult> result { ReceiveResults::running };
    PresetConverter converter;

    juce::CriticalSection pathLock;
    juce::String filePath;
    juce::String warningText;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ReceiveThread)
};
