#include "BackupRun.h"

#include "AppendedBackupFile.h"
#include "BackupFileNaming.h"
#include "DeviceQueries.h"
#include "DurableFile.h"
#include "HeldFolder.h"
#include "MidiProcessing.h"
#include "ReceiveThread.h"
#include "SysExDecoders.h"
#include "SysExRequest.h"
#include "SysExTables.h"

namespace
{
namespace J = BackupJobTypes;

const char* const timeoutText = "Message timeout.";
const char* const writeErrorText = "An error was encountered while writing the file to disk.";
const char* const noUserCabsText = "The device reports no user cabs, so there is nothing to back up.";
const char* const cancelAfterBankText = "The backup will cancel following the completion of the current bank.";

bool isOrvixII (juce::uint8 model) noexcept  { return model == 3 || model == 6 || model == 7; }

juce::File folderOf (const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

bool inRange (BackupJobType job, BackupJobType first, BackupJobType last) noexcept
{
    return job >= first && job <= last;
}
} // namespace

BackupRun::BackupRun (MidiProcessing& linkToUse, DeviceQueries& queriesToUse, TransferView& viewToUse)
    : link (linkToUse), queries (queriesToUse), view (viewToUse)
{
}

BackupRun::~BackupRun()
{
    stop();
}

void BackupRun::stop()
{
    stopTimer();
    running = false;
    recallPending = false;

    // The threads use their request until they are deleted; the link worker retires every
    // request it holds before it lets go of it, so the last request waits until it is retired.
    retireThread();
    retiredThread.reset();

    // A request still in the worker's hands (a device that goes on sending) is taken back by
    // giving up the ports: the worker retires every request it holds when it stops.
    if (retiredRequest != nullptr && retiredRequest->getState() == SysExRequest::pending)
    {
        link.closeInputPort();
        link.closeOutputPort();
    }

    if (retiredRequest != nullptr)
    {
        const auto limit = juce::Time::getMillisecondCounter() + retiredRequest->getTimeoutMs() + 5000;

        while (retiredRequest->getState() == SysExRequest::pending && juce::Time::getMillisecondCounter() < limit)
            juce::Thread::sleep (1);

        if (retiredRequest->getState() == SysExRequest::pending)
            (void) retiredRequest.release();   // still held by a stopped worker: never freed under it

        retiredRequest.reset();
    }
}

juce::String BackupRun::makeTimeStamp (juce::Time time)
{
    return time.formatted ("%y%m%d") + "-" + time.formatted ("%H%M%S");
}

//==============================================================================
bool BackupRun::startOrvixIIBackup (const OrvixIIBackupSelection& selection, BackupJobPlan::Context c, const juce::String& folder)
{
    c.orvixII = selection;
    auto newJobs = BackupJobPlan::jobsFor (selection, c.userCabCount);

    // All user cabs of a device without any is the one choice the dialog lets through that
    // leaves no job: say so rather than do nothing.
    if (newJobs.isEmpty() && selection.allUserCabs != 0 && ! running)
    {
        view.tell (Severity::warning, noUserCabsText);
        return false;
    }

    return start (std::move (newJobs), c, folder, BackupJobPlan::needsPatchQuery (selection));
}

bool BackupRun::startOrvixIIIBackup (const OrvixIIIBackupSelection& selection, BackupJobPlan::Context c, const juce::String& folder)
{
    c.orvixIII = selection;
    return start (BackupJobPlan::jobsFor (selection), c, folder, BackupJobPlan::needsPatchQuery (selection));
}

bool BackupRun::startKT4Backup (const KT4BackupSelection& selection, BackupJobPlan::Context c, const juce::String& folder)
{
    c.kt4 = selection;
    return start (BackupJobPlan::jobsFor (selection), c, folder, false);
}

bool BackupRun::queueLM6BackupJobs (const LM6BackupSelection& selection, BackupJobPlan::Context c, const juce::String& folder)
{
    c.lm6 = selection;
    return start (BackupJobPlan::jobsFor (selection), c, folder, false);
}

bool BackupRun::start (juce::Array<int> newJobs, const BackupJobPlan::Context& newContext, const juce::String& folder, bool queryPatch)
{
    if (running || newJobs.isEmpty())
        return false;

    context = newContext;
    jobs = std::move (newJobs);
    currentJob = 0;
    jobStep = jobRetries = banksWritten = 0;
    cancelRequested = recallPending = patchQueried = lastStepWroteFile = false;
    lastSavedFile = juce::File();
    multiJobRun = jobs.size() > 1;
    receiveFolder = folder;

    const auto now = juce::Time::getCurrentTime();
    baseName = makeTimeStamp (now);

    if (jobs.contains (J::orvixIIAllUserCabs))
        userCabFolder = receiveFolder + juce::File::getSeparatorString() + makeTimeStamp (now) + "-usercabs";

    // The run makes its folders now and never again, and holds them: one that goes away while
    // it runs, or whose path comes to lead to another folder, stops it, rather than being made
    // anew or getting the rest of the files. One that cannot be made shows as a write error at
    // the first file.
    heldReceiveFolder.reset();
    heldUserCabFolder.reset();

    if (receiveFolder.isNotEmpty() && folderOf (receiveFolder).createDirectory().wasOk())
        heldReceiveFolder = HeldFolder::open (folderOf (receiveFolder));

    if (heldReceiveFolder != nullptr && jobs.contains (J::orvixIIAllUserCabs)
        && folderOf (userCabFolder).createDirectory().wasOk())
        heldUserCabFolder = HeldFolder::open (folderOf (userCabFolder));

    foldersMade = heldReceiveFolder != nullptr && (! jobs.contains (J::orvixIIAllUserCabs) || heldUserCabFolder != nullptr);

    // What an earlier run left half-written when it was killed is never taken for a backup.
    if (heldReceiveFolder != nullptr)
        DurableFile::removeStaleTemporaries (*heldReceiveFolder, ".syx");

    running = true;
    view.lockPage (true);
    startTimer (progressPeriodMs);

    if (queryPatch)
        patchQueried = queries.queryCurrentPatch();

    sendJob();
    return true;
}

bool BackupRun::canCancel() const noexcept
{
    return running && BackupJobPlan::isCancellable (context.model, currentJob);
}

void BackupRun::cancel()
{
    if (! canCancel())
        return;

    cancelRequested = true;

    if (context.model == 8)
        view.showStatus (cancelAfterBankText);
}

//==============================================================================
void BackupRun::retireThread()
{
    if (receiveThread == nullptr)
        return;

    // This may run inside the thread's own change message. The thread, which waits for its next
    // job by then, is asked to end now; it is joined and deleted when the next run retires its
    // successor or the run goes, long after it has ended, so that no join waits. Its last
    // request goes with it, after it.
    receiveThread->removeChangeListener (this);
    receiveThread->signalThreadShouldExit();
    receiveThread->notify();
    retiredThread.reset();
    retiredRequest.reset();
    retiredThread = std::move (receiveThread);
    retiredRequest = std::move (request);
}

void BackupRun::sendJob()
{
    if (jobs.isEmpty())
    {
        completeRun();
        return;
    }

    const auto job = jobs.getFirst();

    if (job != currentJob)
    {
        jobStep = 0;
        jobRetries = 0;

        // A job whose requests add to one file collects it beside its name until it is whole.
        steppedFile.reset();

        if (isAppendingBackupJob (job))
            steppedFile = std::make_unique<AppendedBackupFile> (heldReceiveFolder);
    }

    currentJob = job;

    // One thread serves the whole run: it has reported the end of the step before, whose request
    // it no longer uses, and waits for this one.
    if (receiveThread != nullptr && ! receiveThread->isWaitingForNextJob())
        retireThread();

    const auto previousRequest = std::move (request);
    request = BackupJobPlan::makeRequest (job, jobStep, context);

    if (request == nullptr)
    {
        endRun ("Morvane could not make the request for \"" + BackupJobPlan::progressText (job, jobStep, context)
                    + "\", so the backup has stopped.",
                Severity::warning, TransferEnding::Kind::deviceError);
        return;
    }

    const bool runCounts = BackupJobPlan::runCountsProgress (job);

    if (! runCounts)
        progress = 0.0;

    request->setTimeoutMs (stepTimeoutMs);
    link.enqueueRequest (request.get());
    view.showStatus ("Now receiving: " + BackupJobPlan::progressText (job, jobStep, context));

    ReceiveThread::Job step;
    step.request = request.get();
    step.progress = runCounts ? nullptr : &progress;
    step.folder = job == J::orvixIIAllUserCabs ? userCabFolder : receiveFolder;
    step.jobType = job;
    step.number = BackupJobPlan::receiveNumber (job, jobStep, context);
    step.baseName = baseName;
    step.firstStep = jobStep == 0;
    step.steppedFile = steppedFile.get();
    step.lastStep = jobStep + 1 >= BackupJobPlan::stepCount (job, context);
    step.mayCreateFolder = false;
    step.heldFolder = job == J::orvixIIAllUserCabs ? heldUserCabFolder : heldReceiveFolder;
    step.waitForNextJob = true;
    resultHandled = false;

    if (receiveThread == nullptr || ! receiveThread->receiveNext (step))
    {
        retireThread();
        receiveThread = std::make_unique<ReceiveThread> (step);
        receiveThread->addChangeListener (this);
        receiveThread->startThread();
    }

    view.setCancelEnabled (BackupJobPlan::isCancellable (context.model, job));
}

void BackupRun::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (receiveThread == nullptr || source != receiveThread.get() || resultHandled)
        return;

    const auto result = receiveThread->getResult();

    if (result == ReceiveResults::saving)
    {
        view.showProgressText ("Saving...");
        return;
    }

    if (result == ReceiveResults::running)
        return;

    // A late message of the same thread sees the same final result: it is handled once only.
    resultHandled = true;
    handleFinalResult (result);
}

void BackupRun::handleFinalResult (int result)
{
    switch (result)
    {
        case ReceiveResults::written:
        {
            juce::File saved;
            lastStepWroteFile = receiveThread->getSavedFile (saved);
            lastSavedFile = saved;
            finishStep (true);
            break;
        }

        case ReceiveResults::requestFailed:
            handleFailedRequest();
            break;

        case ReceiveResults::writeFailed:
        {
            view.showProgressText ({});
            progress = 0.0;

            const auto warning = receiveThread->getWarningText();

            if (warning.isNotEmpty())
                view.tell (Severity::warning, warning);

            // Every step would fail alike (a missing or unwritable folder): the run stops here.
            endRun (writeFailureText (receiveThread->getWriteFailure()), Severity::warning, TransferEnding::Kind::folderError);
            break;
        }

        default:
            break;
    }
}

void BackupRun::handleFailedRequest()
{
    // A device that does not hold the item, or refuses the request, answers with its status
    // reply alone, which is never saved as a backup.
    juce::MidiMessage reply;
    StatusReply status;

    if (request->getReplyCount() == 1 && request->getReply (0, reply) && decodeStatusReply (reply, &status))
    {
        if (status.resultCode != 0)
        {
            const auto name = lookupNameById (DeviceResultCodes, status.resultCode);
            endRun ("The device did not send \"" + BackupJobPlan::progressText (currentJob, jobStep, context) + "\""
                        + (name.isNotEmpty() ? " (" + name + ")" : juce::String()) + ".\n"
                        + juce::String::formatted ("(Status code: %d)", (int) status.resultCode),
                    Severity::warning, TransferEnding::Kind::deviceError);
            return;
        }

        lastStepWroteFile = false;
        lastSavedFile = juce::File();
        finishStep (false);
        return;
    }

    if (BackupJobPlan::allowsRetry (context.model, currentJob) && jobRetries < 3)
    {
        ++jobRetries;
        sendJob();
        return;
    }

    endRun (timeoutText, Severity::warning, TransferEnding::Kind::timedOut);
}

//==============================================================================
void BackupRun::finishStep (bool wroteFile)
{
    view.showProgressText ({});
    progress = 0.0;
    const auto job = currentJob;

    if (BackupJobPlan::isSteppedJob (job))
    {
        ++jobStep;
        jobRetries = 0;

        if (wroteFile && inRange (job, J::kt4BankSet1, J::kt4BankSet4))
            ++banksWritten;

        if (BackupJobPlan::runCountsProgress (job))
            progress = juce::jmin (0.999, (double) (jobStep + 1) / (double) BackupJobPlan::stepCount (job, context));

        if (jobStep >= BackupJobPlan::stepCount (job, context))
            jobs.remove (0);
    }
    else
    {
        // Only a recall of a patch that this run asked for is ever made.
        if ((inRange (job, J::orvixIIBankA, J::orvixIIBankF) || job == J::orvixIIOnePreset || job == J::orvixIIIOnePreset)
            && wroteFile)
            recallPending = patchQueried;

        jobs.remove (0);
    }

    if (jobs.isEmpty())
    {
        completeRun();
        return;
    }

    if (! stopAfterCancel())
        sendJob();
}

juce::String BackupRun::writeFailureText (ReceiveThread::WriteFailure failure) const
{
    const auto folder = currentJob == J::orvixIIAllUserCabs ? userCabFolder : receiveFolder;

    if (failure == ReceiveThread::WriteFailure::folderMissing && foldersMade)
        return "The backup has stopped: its folder \"" + folderOf (folder).getFullPathName()
             + "\" was removed or renamed while the backup ran. Morvane has not made it again; "
               "the files saved before this went with the folder.";

    if (failure == ReceiveThread::WriteFailure::fileGone)
        return "The backup has stopped: the file that collects \""
             + (steppedFile != nullptr ? steppedFile->getTarget().getFileName() : juce::String())
             + "\" was removed or cut short while the backup ran, so it has not been saved.";

    return writeErrorText;
}

bool BackupRun::stopAfterCancel()
{
    if (! cancelRequested)
        return false;

    const auto first = jobs.getFirst();
    juce::String text;

    if (isOrvixII (context.model) && first == J::orvixIIAllUserCabs
        && jobStep + 1 < BackupJobPlan::stepCount (first, context))
        text = "Backup canceled. The first " + juce::String (jobStep) + " user cabs have been written to disk.";
    else if (context.model == 16 && inRange (first, J::orvixIIIBankA, J::orvixIIIBankD) && jobStep + 1 < 1024)
        text = "Backup canceled. The first " + juce::String (jobStep) + " patches have been written to disk.";
    else if (context.model == 16 && inRange (first, J::orvixIIIUserCabBank1, J::orvixIIIUserCabBank2) && jobStep + 1 < 1024)
        text = "Backup canceled. The first " + juce::String (jobStep) + " user cabs have been written to disk.";
    else if (context.model == 8 && inRange (first, J::kt4BankSet1, J::kt4BankSet4))
        text = "Backup canceled. " + juce::String (banksWritten) + " preset bank(s) written to disk.";

    if (text.isEmpty())
        return false;

    // The preset or cab bank in hand keeps what it holds, as the message says.
    if (steppedFile != nullptr && isAppendingBackupJob (first))
    {
        const auto outcome = steppedFile->putInPlace();

        if (outcome != AppendedBackupFile::Outcome::ok)
        {
            const auto failure = outcome == AppendedBackupFile::Outcome::folderMissing ? ReceiveThread::WriteFailure::folderMissing
                               : outcome == AppendedBackupFile::Outcome::fileGone      ? ReceiveThread::WriteFailure::fileGone
                                                                                       : ReceiveThread::WriteFailure::diskError;
            endRun (writeFailureText (failure), Severity::warning, TransferEnding::Kind::folderError);
            return true;
        }
    }

    endRun (text, Severity::info, TransferEnding::Kind::canceled);
    return true;
}

juce::String BackupRun::completionText() const
{
    juce::String text ("Backup complete.");

    // The Orvix II's cab request carries the cab number in 7 bits: cabs beyond 128 are left out
    // rather than fetched as the wrong ones.
    const auto all = context.userCabCount;
    const auto done = BackupJobPlan::stepCount (J::orvixIIAllUserCabs, context);

    if (currentJob == J::orvixIIAllUserCabs && all > done)
        text << "\n\n" << (all - done) << " of the device's " << all << " user cabs could not be backed up: "
             << "Morvane can request only the first " << done << " user cabs from this device.";

    return text;
}

void BackupRun::completeRun()
{
    const auto job = currentJob;
    const bool stepped = BackupJobPlan::isSteppedJob (job);
    juce::String text;
    auto severity = Severity::info;

    if (multiJobRun || stepped)
    {
        text = completionText();
    }
    else if (lastStepWroteFile)
    {
        text = lastSavedFile.getFileName() + " has been saved.";
    }
    else
    {
        text = BackupJobPlan::emptyItemText (job);
        severity = Severity::warning;
    }

    if (recallPending)
    {
        recallPending = false;
        queries.recallPreviousPatch();
    }

    multiJobRun = false;

    // A run that found only an empty item saved nothing: it is not told as a success.
    endRun (text, severity, severity == Severity::info ? TransferEnding::Kind::complete : TransferEnding::Kind::deviceError);
}

void BackupRun::endRun (const juce::String& message, Severity severity, TransferEnding::Kind kind)
{
    // A run that did not complete recalls nothing.
    recallPending = false;
    multiJobRun = false;
    running = false;
    progress = 0.0;

    // A stepped job's file that is not whole is dropped: nothing stands under its name. The
    // folders are let go (a removable disk can then be taken out).
    steppedFile.reset();
    heldReceiveFolder.reset();
    heldUserCabFolder.reset();

    // The run's thread ends with it.
    retireThread();
    stopTimer();
    view.showProgressText ({});
    view.showPercentage();

    // The line says how the run ended (its message's first line), and the bar and the mark go
    // with it, before anything is told; they stay until the user changes something. A step's
    // share is not the run's, so only a complete run shows a full bar.
    view.showEnding ({ kind, message.upToFirstOccurrenceOf ("\n", false, false), 0.0, false });

    if (message.isNotEmpty())
        view.tell (severity, message);

    view.lockPage (false);
}

void BackupRun::timerCallback()
{
    view.showProgress (progress.load());
}
