#include "ReceiveThread.h"

#include "AppendedBackupFile.h"
#include "BackupFileNaming.h"
#include "CabIR.h"
#include "HeldFolder.h"
#include "ReplyFileWriter.h"
#include "SysExDecoders.h"
#include "SysExRequest.h"

#include <vector>

namespace
{
    constexpr int pollIntervalMs = 100;

    ReceiveThread::WriteFailure toWriteFailure (AppendedBackupFile::Outcome outcome)
    {
        switch (outcome)
        {
            case AppendedBackupFile::Outcome::ok:            return ReceiveThread::WriteFailure::none;
            case AppendedBackupFile::Outcome::folderMissing: return ReceiveThread::WriteFailure::folderMissing;
            case AppendedBackupFile::Outcome::fileGone:      return ReceiveThread::WriteFailure::fileGone;
            case AppendedBackupFile::Outcome::writeFailed:
            default:                                         return ReceiveThread::WriteFailure::diskError;
        }
    }
} // namespace

ReceiveThread::ReceiveThread (const Job& firstJob)
    : juce::Thread ("Receive Thread")
    , nextJob (firstJob)
    , hasNextJob (true)
    , jobInHand (true)
    , waitsForNextJob (firstJob.waitForNextJob)
{
}

ReceiveThread::ReceiveThread (SysExRequest* requestToWatch,
                              std::atomic<double>* progressValue,
                              const juce::String& backupFolder,
                              BackupJobType type,
                              juce::uint16 jobNumber,
                              const juce::String& runBaseName,
                              bool isFirstStep)
    : ReceiveThread (Job { requestToWatch, progressValue, backupFolder, type, jobNumber, runBaseName, isFirstStep })
{
}

ReceiveThread::~ReceiveThread()
{
    // receive() takes its listeners off the request before it ends: the request may be gone by
    // the time this thread object is deleted.
    stopThread (stopTimeoutMs);
}

void ReceiveThread::run()
{
    Job job;

    while (takeJob (job))
    {
        receive (job);

        if (! waitsForNextJob)
            return;
    }
}

bool ReceiveThread::takeJob (Job& into)
{
    while (! threadShouldExit())
    {
        {
            const juce::ScopedLock sl (jobLock);

            if (hasNextJob)
            {
                into = nextJob;
                nextJob = {};
                hasNextJob = false;
                return true;
            }
        }

        // Woken by receiveNext, or by a request to stop.
        wait (-1);
    }

    return false;
}

bool ReceiveThread::receiveNext (const Job& next)
{
    {
        const juce::ScopedLock sl (jobLock);

        if (! waitsForNextJob || jobInHand || hasNextJob || threadShouldExit() || ! isThreadRunning())
            return false;

        {
            const juce::ScopedLock pl (pathLock);
            filePath.clear();
            warningText.clear();
            writeFailure = WriteFailure::none;
        }

        result = ReceiveResults::running;
        nextJob = next;
        hasNextJob = true;
        jobInHand = true;
    }

    notify();
    return true;
}

bool ReceiveThread::isWaitingForNextJob() const
{
    const juce::ScopedLock sl (jobLock);
    return waitsForNextJob && ! jobInHand && ! hasNextJob && ! threadShouldExit();
}

void ReceiveThread::receive (const Job& job)
{
    auto* const request = job.request;

    if (request == nullptr)
    {
        const juce::ScopedLock sl (jobLock);
        jobInHand = false;
        return;
    }

    // Deleted, with its temporary file, whenever the thread ends without putting it in place.
    auto earlyWriter = startWritingEarly (job);

    // The link worker wakes the thread when it retires the request, so that the file is written
    // at once rather than at the next look at the request, and while a long dump arrives.
    request->setRetireListener ([this] { notify(); });

    if (earlyWriter != nullptr)
        request->setArrivalListener ([this] { notify(); });

    int state = SysExRequest::pending;

    while (! threadShouldExit())
    {
        // 0 while the request is queued or in flight; 1 or 2 once the worker has retired it.
        state = request->getState();
        updateProgress (job);

        if (state != SysExRequest::pending)
            break;

        if (earlyWriter != nullptr)
            earlyWriter->writeNewReplies (*request);

        wait (pollIntervalMs);
    }

    // Taken off again while the request is certainly alive: its owner deletes it only after this
    // thread has reported (or been stopped). This also waits for a call in progress.
    request->setRetireListener (nullptr);
    request->setArrivalListener (nullptr);

    // Asked to stop while the request was still out: nothing to report.
    if (state == SysExRequest::pending)
        return;

    // A device that does not hold the item, or refuses the request, answers with its status
    // reply alone: that is no backup, and no file is written for it.
    int statusCode = 0;

    if (state == SysExRequest::failed || isStatusReplyOnly (job, &statusCode))
    {
        // Its temporary file goes before the end is told: whoever hears it finds nothing left.
        earlyWriter.reset();

        // An empty last slot of a stepped job still completes its file.
        if (state != SysExRequest::failed && statusCode == 0 && job.lastStep && job.steppedFile != nullptr
            && isAppendingBackupJob (job.jobType))
        {
            if (const auto outcome = job.steppedFile->putInPlace(); outcome != AppendedBackupFile::Outcome::ok)
            {
                fail (toWriteFailure (outcome));
                return;
            }
        }

        report (ReceiveResults::requestFailed);
        return;
    }

    report (ReceiveResults::saving);

    const auto file = chooseFile (job);

    {
        const juce::ScopedLock sl (pathLock);
        filePath = file.getFullPathName();
    }

    if (threadShouldExit())
        return;

    if (file == juce::File())
    {
        fail (WriteFailure::notNamed);
        return;
    }

    const auto failure = job.steppedFile != nullptr && isAppendingBackupJob (job.jobType)
                             ? appendStep (job, file)
                             : writeFile (job, file, earlyWriter.get());

    earlyWriter.reset();   // a temporary file not put in place goes before the end is told

    if (failure != WriteFailure::none)
        fail (failure);
    else
        report (ReceiveResults::written);
}

std::unique_ptr<ReplyFileWriter> ReceiveThread::startWritingEarly (const Job& job)
{
    // Only where the file is known before the data, and writing it needs nothing that the write
    // at the end would do otherwise (no folder to make, no stepped file to add to).
    if (getBackupNameRule (job.jobType) != BackupNameRule::suffix
        || (isAppendingBackupJob (job.jobType) && (job.steppedFile != nullptr || ! job.firstStep)))
        return {};

    const auto file = chooseFile (job);

    if (file == juce::File() || ! file.getParentDirectory().isDirectory() || file.isDirectory())
        return {};

    if (job.heldFolder != nullptr && ! job.heldFolder->holds (file))
        return {};

    auto writer = std::make_unique<ReplyFileWriter> (file, job.heldFolder);

    if (! writer->isOk())
        return {};

    return writer;
}

ReceiveThread::WriteFailure ReceiveThread::writeFile (const Job& job, const juce::File& file, ReplyFileWriter* earlyWriter)
{
    auto& request = *job.request;

    if (earlyWriter != nullptr && earlyWriter->isOk() && earlyWriter->getTarget() == file
        && earlyWriter->finish (request))
        return WriteFailure::none;

    // A later step adds to the file its first step began, which only a stepped file keeps aside
    // until it is whole (appendStep): a backup's file is never added to where it lies.
    if (isAppendingBackupJob (job.jobType) && ! job.firstStep)
        return WriteFailure::fileGone;

    // A job of its own may make its missing folder. A run's folder that went away, or whose path
    // now leads to another, is not made again or written to: the files already saved are in the
    // folder the run began in.
    const auto folder = file.getParentDirectory();

    if (job.mayCreateFolder && job.heldFolder == nullptr && ! folder.isDirectory())
        folder.createDirectory();   // a failure shows as a missing folder below

    const auto held = job.heldFolder != nullptr ? job.heldFolder : HeldFolder::open (folder);

    if (held == nullptr || ! held->holds (file))
        return WriteFailure::folderMissing;

    if (held->lookUp (file.getFileName()) == HeldFolder::Entry::other)
        return WriteFailure::diskError;

    ReplyFileWriter writer (file, held);

    if (writer.isOk() && writer.finish (request))
        return WriteFailure::none;

    return held->isStillAtItsPath() ? WriteFailure::diskError : WriteFailure::folderMissing;
}

ReceiveThread::WriteFailure ReceiveThread::appendStep (const Job& job, const juce::File& file)
{
    auto outcome = job.steppedFile->append (file, *job.request);

    if (outcome == AppendedBackupFile::Outcome::ok && job.lastStep)
        outcome = job.steppedFile->putInPlace();

    return toWriteFailure (outcome);
}

bool ReceiveThread::isStatusReplyOnly (const Job& job, int* resultCode) const
{
    juce::MidiMessage reply;
    StatusReply status;

    if (job.request->getReplyCount() == 1 && job.request->getReply (0, reply) && decodeStatusReply (reply, &status))
    {
        if (resultCode != nullptr)
            *resultCode = (int) status.resultCode;

        return true;
    }

    return false;
}

bool ReceiveThread::getSavedFile (juce::File& file) const
{
    const juce::ScopedLock sl (pathLock);

    if (filePath.isEmpty())
        return false;

    file = juce::File (filePath);
    return true;
}

juce::String ReceiveThread::getWarningText() const
{
    const juce::ScopedLock sl (pathLock);
    return warningText;
}

ReceiveThread::WriteFailure ReceiveThread::getWriteFailure() const
{
    const juce::ScopedLock sl (pathLock);
    return writeFailure;
}

void ReceiveThread::updateProgress (const Job& job)
{
    auto* const progress = job.progress;
    const auto* const request = job.request;

    if (progress == nullptr)
        return;

    // The reply matching may correct the expected count while replies arrive: never divide by
    // zero, and keep the value within 0..1 whatever the two counts are.
    const auto expected = request->getExpectedReplies();

    if (expected <= 0)
        return;

    const auto fraction = static_cast<double> (request->getReplyCount()) / static_cast<double> (expected);
    progress->store (juce::jlimit (0.0, 1.0, fraction));
}

void ReceiveThread::report (ReceiveResult newResult)
{
    {
        // A final result ends the job: from here on the thread no longer touches its request,
        // and the next job may be handed over.
        const juce::ScopedLock sl (jobLock);
        result = newResult;

        if (newResult != ReceiveResults::saving)
            jobInHand = false;
    }

    sendChangeMessage();
}

void ReceiveThread::fail (WriteFailure why)
{
    {
        const juce::ScopedLock sl (pathLock);
        writeFailure = why;
    }

    report (ReceiveResults::writeFailed);
}

juce::File ReceiveThread::getFolder (const Job& job)
{
    if (job.folder.isEmpty())
        return {};

    return juce::File::getCurrentWorkingDirectory().getChildFile (job.folder);
}

juce::File ReceiveThread::chooseFile (const Job& job)
{
    const auto backupFolder = getFolder (job);

    if (backupFolder == juce::File())
        return {};

    switch (getBackupNameRule (job.jobType))
    {
        case BackupNameRule::suffix:
            return backupFolder.getChildFile (job.baseName + getBackupFileSuffix (job.jobType, job.number) + ".syx");

        case BackupNameRule::presetName:
            return chooseFileForPreset (job);

        case BackupNameRule::cabName:
            return chooseFileForCab (job, false);

        case BackupNameRule::numberedCabName:
            return chooseFileForCab (job, true);

        case BackupNameRule::none:
        default:
            return {};
    }
}

juce::File ReceiveThread::chooseFileForPreset (const Job& job)
{
    juce::MemoryBlock dump;
    job.request->appendRepliesTo (dump);

    juce::String name;

    for (auto model : getPresetModelsForBackupJob (job.jobType))
    {
        if (converter.loadPatchDump (dump, model))
        {
            converter.getPresetName (name);
            break;
        }
    }

    return findUniqueBackupFile (getFolder (job), makeLegalPresetFileName (name));
}

juce::File ReceiveThread::chooseFileForCab (const Job& job, bool numbered)
{
    replyBytes.reset();
    job.request->appendRepliesTo (replyBytes);

    std::vector<juce::uint32> words ((size_t) cabIRWordCount, 0);
    juce::String name;

    // A dump that does not parse, or a slot whose first half-word is 0xFFFF, holds no cab: the
    // file is then named "EMPTY".
    const bool hasCab = parseCabIR (replyBytes, words.data())
                     && (words[0] & 0xFFFFu) != 0xFFFFu;

    if (hasCab && ! readCabIRName (replyBytes, name))
    {
        const juce::ScopedLock sl (pathLock);
        warningText = cabNameErrorText;
        return {};
    }

    // After its number a name such as "CON" is no longer one that a platform reserves.
    const auto legalName = makeLegalCabFileName (name, ! numbered);

    if (numbered)
        return getFolder (job).getChildFile (formatNumberedCabFileName (job.number, legalName) + ".syx");

    return findUniqueBackupFile (getFolder (job), legalName);
}
