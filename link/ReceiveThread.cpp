#include "ReceiveThread.h"

#include "BackupFileNaming.h"
#include "CabIR.h"
#include "ReplyFileWriter.h"
#include "SysExDecoders.h"
#include "SysExRequest.h"

#include <vector>

namespace
{
    constexpr int pollIntervalMs = 100;
} // namespace

ReceiveThread::ReceiveThread (SysExRequest* requestToWatch,
                              std::atomic<double>* progressValue,
                              const juce::String& backupFolder,
                              BackupJobType type,
                              juce::uint16 jobNumber,
                              const juce::String& runBaseName,
                              bool isFirstStep)
    : juce::Thread ("Receive Thread")
    , request (requestToWatch)
    , progress (progressValue)
    , folder (backupFolder)
    , baseName (runBaseName)
    , jobType (type)
    , number (jobNumber)
    , firstStep (isFirstStep)
{
}

ReceiveThread::~ReceiveThread()
{
    // run() takes its listener off the request before it ends: the request may be gone by the
    // time this thread object is deleted.
    stopThread (stopTimeoutMs);
}

void ReceiveThread::run()
{
    if (request == nullptr)
        return;

    // Deleted, with its temporary file, whenever the thread ends without putting it in place.
    auto earlyWriter = startWritingEarly();

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
        updateProgress();

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
    if (state == SysExRequest::failed || isStatusReplyOnly())
    {
        report (ReceiveResults::requestFailed);
        return;
    }

    report (ReceiveResults::saving);

    const auto file = chooseFile();

    {
        const juce::ScopedLock sl (pathLock);
        filePath = file.getFullPathName();
    }

    if (threadShouldExit())
        return;

    if (file == juce::File())
    {
        report (ReceiveResults::writeFailed);
        return;
    }

    // The stepped Orvix III jobs add one preset or cab per request to one file; their first
    // request starts the file afresh, so that a run never continues an older run's file.
    request->setAppendToFile (isAppendingBackupJob (jobType) && ! firstStep);

    report (writeFile (file, earlyWriter.get()) ? ReceiveResults::written : ReceiveResults::writeFailed);
}

std::unique_ptr<ReplyFileWriter> ReceiveThread::startWritingEarly()
{
    // Only where the file is known before the data, and writing it needs nothing that the write
    // at the end would do otherwise (no folder to create, no older content to keep).
    if (getBackupNameRule (jobType) != BackupNameRule::suffix
        || (isAppendingBackupJob (jobType) && ! firstStep))
        return {};

    const auto file = chooseFile();

    if (file == juce::File() || ! file.getParentDirectory().isDirectory() || file.isDirectory())
        return {};

    auto writer = std::make_unique<ReplyFileWriter> (file);

    if (! writer->isOk())
        return {};

    return writer;
}

bool ReceiveThread::writeFile (const juce::File& file, ReplyFileWriter* earlyWriter)
{
    if (earlyWriter != nullptr && earlyWriter->isOk() && earlyWriter->getTarget() == file
        && earlyWriter->finish (*request))
        return true;

    // Not written while it arrived, or that went wrong: the whole write, as it always was.
    return request->writeRepliesToFile (file.getFullPathName());
}

bool ReceiveThread::isStatusReplyOnly() const
{
    juce::MidiMessage reply;
    StatusReply status;
    return request->getReplyCount() == 1 && request->getReply (0, reply) && decodeStatusReply (reply, &status);
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

void ReceiveThread::updateProgress()
{
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
    result = newResult;
    sendChangeMessage();
}

juce::File ReceiveThread::getFolder() const
{
    if (folder.isEmpty())
        return {};

    return juce::File::getCurrentWorkingDirectory().getChildFile (folder);
}

juce::File ReceiveThread::chooseFile()
{
    const auto backupFolder = getFolder();

    if (backupFolder == juce::File())
        return {};

    switch (getBackupNameRule (jobType))
    {
        case BackupNameRule::suffix:
            return backupFolder.getChildFile (baseName + getBackupFileSuffix (jobType, number) + ".syx");

        case BackupNameRule::presetName:
            return chooseFileForPreset();

        case BackupNameRule::cabName:
            return chooseFileForCab (false);

        case BackupNameRule::numberedCabName:
            return chooseFileForCab (true);

        case BackupNameRule::none:
        default:
            return {};
    }
}

juce::File ReceiveThread::chooseFileForPreset()
{
    juce::MemoryBlock dump;
    request->appendRepliesTo (dump);

    juce::String name;

    for (auto model : getPresetModelsForBackupJob (jobType))
    {
        if (converter.loadPatchDump (dump, model))
        {
            converter.getPresetName (name);
            break;
        }
    }

    return findUniqueBackupFile (getFolder(), makeLegalPresetFileName (name));
}

juce::File ReceiveThread::chooseFileForCab (bool numbered)
{
    replyBytes.reset();
    request->appendRepliesTo (replyBytes);

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
        return getFolder().getChildFile (formatNumberedCabFileName (number, legalName) + ".syx");

    return findUniqueBackupFile (getFolder(), legalName);
}
