#pragma once

#include "BackupJobPlan.h"
#include "ReceiveThread.h"
#include "SysExRequest.h"
#include "TransferView.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>

class AppendedBackupFile;
class DeviceQueries;
class HeldFolder;
class MidiProcessing;
class SysExRequest;

/** One backup run: turns a selection record into its ordered jobs and carries them out one
    request at a time. For each job (or each step of a job that takes many requests) it queues a
    SysExRequest with the link worker and hands it to the run's one ReceiveThread, which writes the
    replies into the job's .syx file; when that thread reports, the run retries the step, goes on
    with the next step or job, or ends with a message (and the thread ends with the run). Around
    Orvix II bank and preset runs and Orvix III one-preset runs it asks the device for its
    current patch first and recalls it at the end, but only when that query succeeded and the run
    completed.

    The run needs no window: what the user sees goes through its view, and its progress is shown
    there every 100 ms while a step runs. Message thread only; the receive threads report through change messages, and a
    thread's final result is handled once, whatever messages follow it.
*/
class BackupRun : private juce::ChangeListener,
                  private juce::Timer
{
public:
    static constexpr int progressPeriodMs = 100;

    /** A run on the link that asks and recalls the current patch through queries and reports to
        view; all three must outlive the run.
    */
    BackupRun (MidiProcessing& link, DeviceQueries& queries, TransferView& view);

    /** Stops the receive thread in hand before its request is given up; a request that the link
        worker still holds is taken back by closing the link's ports.
    */
    ~BackupRun() override;

    /** Start a run of each family into the folder: the jobs are made from the record (and
        context's device facts), a time-stamped base name is taken, and the first job is sent.
        False, starting nothing, when the record gives no job or a run is under way.
    */
    bool startOrvixIIBackup (const OrvixIIBackupSelection& selection, BackupJobPlan::Context context, const juce::String& folder);
    bool startOrvixIIIBackup (const OrvixIIIBackupSelection& selection, BackupJobPlan::Context context, const juce::String& folder);
    bool startKT4Backup (const KT4BackupSelection& selection, BackupJobPlan::Context context, const juce::String& folder);
    bool queueLM6BackupJobs (const LM6BackupSelection& selection, BackupJobPlan::Context context, const juce::String& folder);

    /** Stops the run where it is, without a word (the window goes): the receive thread in hand
        is stopped and its request taken back from the link worker. Nothing more is written.
    */
    void stop();

    /** The console's Cancel: a run in a job that Cancel can stop ends after the current step. */
    void cancel();

    bool isRunning() const noexcept { return running; }

    /** True while the job in hand can be stopped by Cancel. */
    bool canCancel() const noexcept;

    /** The codes still to do; the first is the one in hand. */
    const juce::Array<int>& getJobs() const noexcept { return jobs; }

    BackupJobType getCurrentJob() const noexcept { return currentJob; }
    juce::String getBaseName() const { return baseName; }

    /** The share of the job in hand received so far, 0..1 (written by the receive thread). */
    double getProgress() const noexcept { return progress.load(); }

    /** The time-out of silence of each step's request from the next step on
        (SysExRequest::defaultTimeoutMs unless changed).
    */
    void setStepTimeoutMs (juce::uint32 ms) noexcept { stepTimeoutMs = ms; }

    /** The "%y%m%d-%H%M%S" local-time name of a moment. */
    static juce::String makeTimeStamp (juce::Time time);

private:
    bool start (juce::Array<int> newJobs, const BackupJobPlan::Context& context, const juce::String& folder, bool queryPatch);
    void sendJob();
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void timerCallback() override;
    void handleFinalResult (int result);
    void handleFailedRequest();
    void finishStep (bool wroteFile);
    bool stopAfterCancel();
    void completeRun();
    void endRun (const juce::String& message, Severity severity, TransferEnding::Kind kind);
    void retireThread();
    juce::String completionText() const;
    juce::String writeFailureText (ReceiveThread::WriteFailure failure) const;

    MidiProcessing& link;
    DeviceQueries& queries;
    TransferView& view;

    BackupJobPlan::Context context;
    juce::Array<int> jobs;
    BackupJobType currentJob = 0;
    bool multiJobRun = false;
    bool running = false;
    juce::String baseName, receiveFolder, userCabFolder;
    int jobStep = 0;
    int jobRetries = 0;
    int banksWritten = 0;           // KT4 bank-set banks written in this run
    bool cancelRequested = false;
    bool patchQueried = false;      // this run's current-patch query succeeded
    bool recallPending = false;
    bool lastStepWroteFile = false;
    bool foldersMade = false;       // the run's folders were there when it began
    std::shared_ptr<HeldFolder> heldReceiveFolder, heldUserCabFolder;   // the folders its files go into
    juce::File lastSavedFile;
    std::unique_ptr<AppendedBackupFile> steppedFile;    // the file of the stepped job in hand

    std::atomic<double> progress { 0.0 };
    std::unique_ptr<SysExRequest> request, retiredRequest;   // each outlives its thread
    std::unique_ptr<ReceiveThread> receiveThread, retiredThread;
    bool resultHandled = false;
    juce::uint32 stepTimeoutMs = SysExRequest::defaultTimeoutMs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BackupRun)
};
