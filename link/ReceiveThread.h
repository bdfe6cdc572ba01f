#pragma once

#include "BackupJobType.h"
#include "PresetConverter.h"

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>

class AppendedBackupFile;
class HeldFolder;
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

/** Receives backup jobs into .syx files.

    The console queues the job's SysExRequest with MidiProcessing and starts a ReceiveThread on
    it. The thread watches the request until the link worker retires it (woken by the worker, and
    at the latest every 100 ms, when it writes the share of replies received to the progress
    value). A failed request, and one that the device answered with its status reply alone, give
    ReceiveResults::requestFailed and no file. Otherwise it reports ReceiveResults::saving, names
    the file by the job type (see BackupFileNaming.h), writes the replies into it and reports
    ReceiveResults::written or ReceiveResults::writeFailed. Each report is a change message to the
    listeners, delivered on the message thread.

    A thread made for a whole run (see Job::waitForNextJob) does not end after its job: once it
    has reported the job's final result it waits, without polling, for the next job
    (receiveNext) or for the request to stop, so that a run of many requests starts one thread.

    A request is borrowed: it must outlive the job. The console stops and deletes the thread
    before it deletes the request in hand; a request whose final result has been reported is no
    longer touched.
*/
class ReceiveThread : public juce::Thread,
                      public juce::ChangeBroadcaster
{
public:
    /** The warning that the console shows, before its write-error message, when a user cab's
        name could not be read (see getWarningText).
    */
    static constexpr const char* cabNameErrorText = "An error was encountered while parsing the Cab name.";

    /** One job: a request and where its replies go. */
    struct Job
    {
        SysExRequest* request = nullptr;            ///< already queued; borrowed
        std::atomic<double>* progress = nullptr;    ///< where the share of replies received goes; may be null
        juce::String folder;                        ///< the backup folder (an absolute path)
        BackupJobType jobType = 0;
        juce::uint16 number = 0;                    ///< the bank, preset or cab number that names some jobs' files
        juce::String baseName;                      ///< the run's time-stamp base name

        /** For the Orvix III bank and user-cab-bank jobs, whose requests each add one preset or
            cab to a shared file: true for the job's first request, which starts the file afresh;
            the later requests add to it through steppedFile. Ignored for every other job, whose
            file is always replaced.
        */
        bool firstStep = false;

        /** The file that the steps of such a job add to, kept beside the job's file until
            lastStep puts it in place (see AppendedBackupFile). Without it the first step's
            replies are the whole file, and a later step fails (WriteFailure::fileGone): a
            backup's file is never added to where it lies.
        */
        AppendedBackupFile* steppedFile = nullptr;
        bool lastStep = false;

        /** Whether a job without a held folder may make its missing folder. False for a run,
            which makes its folders before it starts: a folder that has gone away then fails the
            job (WriteFailure::folderMissing) instead of being made again. Every file is written
            beside its name and takes it only when whole (see ReplyFileWriter).
        */
        bool mayCreateFolder = true;

        /** For a run: the folder it opened at its start, which its files go into. A folder
            whose path no longer leads to it (renamed, with another folder or a link put in its
            place) fails the job as a missing one, so that a run never ends up split between two
            folders.
        */
        std::shared_ptr<HeldFolder> heldFolder;

        /** True for a thread that serves a whole run (see receiveNext). */
        bool waitForNextJob = false;
    };

    /** Why a job ended with ReceiveResults::writeFailed. */
    enum class WriteFailure
    {
        none,
        notNamed,       // no file name (a job code without one, or an unreadable cab name)
        folderMissing,  // the backup folder is not there
        fileGone,       // the file that the job's steps add to went away or was cut short
        diskError       // the disk refused the file
    };

    /** Stores the job; the caller starts the thread. */
    explicit ReceiveThread (const Job& firstJob);

    /** One job, after which the thread ends (see Job for the parameters). */
    ReceiveThread (SysExRequest* request,
                   std::atomic<double>* progress,
                   const juce::String& folder,
                   BackupJobType jobType,
                   juce::uint16 number,
                   const juce::String& baseName,
                   bool firstStep = false);

    /** Asks the thread to stop and waits for it. The thread stops at once while it waits for the
        request or the next job, and only after a write it has begun.
    */
    ~ReceiveThread() override;

    void run() override;

    /** Hands a thread made with Job::waitForNextJob its next job, once it has reported the final
        result of the one before. Message thread. False, changing nothing, while a job is in hand,
        when the thread does not wait for more, or when it is not running (or asked to stop).
    */
    bool receiveNext (const Job& next);

    /** True when a thread made with Job::waitForNextJob has reported the final result of its job
        and takes the next with receiveNext. Any thread.
    */
    bool isWaitingForNextJob() const;

    /** The last ReceiveResult of the job in hand. Safe to read from any thread. */
    ReceiveResult getResult() const noexcept { return result.load(); }

    /** False while no file path has been chosen for the job in hand; otherwise that file and true. */
    bool getSavedFile (juce::File& file) const;

    /** A warning for the user that goes with ReceiveResults::writeFailed: cabNameErrorText when
        a user cab's name could not be read; empty otherwise.
    */
    juce::String getWarningText() const;

    /** Why the job in hand ended with ReceiveResults::writeFailed; none otherwise. */
    WriteFailure getWriteFailure() const;

    /** The longest time the destructor waits for the thread: enough to finish any file write,
        so that the thread is never killed.
    */
    static constexpr int stopTimeoutMs = 10000;

private:
    bool takeJob (Job& into);
    void receive (const Job& job);
    std::unique_ptr<ReplyFileWriter> startWritingEarly (const Job& job);
    WriteFailure writeFile (const Job& job, const juce::File& file, ReplyFileWriter* earlyWriter);
    WriteFailure appendStep (const Job& job, const juce::File& file);
    bool isStatusReplyOnly (const Job& job, int* resultCode = nullptr) const;
    void updateProgress (const Job& job);
    void report (ReceiveResult newResult);
    void fail (WriteFailure why);
    juce::File chooseFile (const Job& job);
    juce::File chooseFileForPreset (const Job& job);
    juce::File chooseFileForCab (const Job& job, bool numbered);
    static juce::File getFolder (const Job& job);

    juce::MemoryBlock replyBytes;
    std::atomic<ReceiveResult> result { ReceiveResults::running };
    PresetConverter converter;

    mutable juce::CriticalSection jobLock;
    Job nextJob;
    bool hasNextJob = false;
    bool jobInHand = false;
    const bool waitsForNextJob;

    mutable juce::CriticalSection pathLock;
    juce::String filePath;
    juce::String warningText;
    WriteFailure writeFailure = WriteFailure::none;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ReceiveThread)
};
