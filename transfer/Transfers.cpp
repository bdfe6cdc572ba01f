#include "Transfers.h"

#include "BackupRun.h"
#include "DeviceQueries.h"
#include "MidiProcessing.h"
#include "SendFile.h"
#include "SendRoad.h"
#include "SysExMultiMsgTimer.h"
#include "SysExRequest.h"

namespace
{
const char* const closeDuringTransferText = "Closing the application will cancel the current transfer.";
} // namespace

Transfers::Transfers (MidiProcessing* linkToUse, TransferView& viewToUse, std::function<void()> letGo)
    : link (linkToUse),
      view (viewToUse),
      letGoOfRequests (std::move (letGo))
{
    if (! letGoOfRequests)
    {
        letGoOfRequests = [this]
        {
            if (link != nullptr)
            {
                link->closeInputPort();
                link->closeOutputPort();
            }
        };
    }

    // A request the worker may still hold is let go of by giving up the ports.
    queries = std::make_unique<DeviceQueries> (link, view, pendingRequest, [this] { letGoOfRequests(); });
    sendFile = std::make_unique<SendFile> (view);
    sendRoad = std::make_unique<SendRoad> (link, *queries, view);

    if (link != nullptr)
        backupRun = std::make_unique<BackupRun> (*link, *queries, view);
}

Transfers::~Transfers()
{
    stopAll();

    // The threads are gone: only now is the request taken from the link worker and deleted.
    backupRun.reset();
    sendRoad.reset();
    sendFile.reset();
    queries.reset();
    deletePendingRequest();
}

//==============================================================================
bool Transfers::isSendRunning() const
{
    if (sendRoad != nullptr && sendRoad->isRunning())
        return true;

    return link != nullptr && link->getMultiMsgTimer().getState() == TransferStates::running;
}

bool Transfers::isBackupRunning() const
{
    return backupRun != nullptr && backupRun->isRunning();
}

bool Transfers::isDumpRunning() const
{
    return dumpProgressThread != nullptr && dumpProgressThread->isThreadRunning();
}

bool Transfers::isWorkRunning() const
{
    return isSendRunning() || isBackupRunning() || isDumpRunning();
}

bool Transfers::stopSend()
{
    return sendRoad->stop();
}

void Transfers::cancel()
{
    if (isSendRunning() && ! stopSend())
        view.tell (Severity::warning, "Transfer could not be canceled.");

    // A backup of many steps stops after the step in progress.
    if (backupRun != nullptr)
        backupRun->cancel();
}

bool Transfers::confirmClose()
{
    const bool sending = isSendRunning();

    if (! sending && ! isBackupRunning() && ! isDumpRunning())
        return true;

    if (! view.ask (Severity::warning, closeDuringTransferText))
        return false;

    // A backup step or a dump is stopped as the window goes, after a file write in progress.
    if (sending && ! stopSend()
        && ! view.ask (Severity::warning, "Transfer could not be canceled.  Press 'OK' to force quit."))
        return false;

    return true;
}

void Transfers::stopAll()
{
    // Each thread is given the time of its longest step, a file write included, so that none is
    // ever killed in the middle of one.
    if (sendRoad != nullptr)
        sendRoad->stopThread();

    if (backupRun != nullptr)
        backupRun->stop();

    stopDumpThread();
}

//==============================================================================
bool Transfers::startDumpCounter (DumpProgressThread::Listener& listener)
{
    if (link == nullptr)
        return false;

    dumpProgressThread.reset();
    link->startMonitoring();

    auto* linkToCount = link;
    dumpProgressThread = std::make_unique<DumpProgressThread> (listener, [linkToCount] { return linkToCount->getReceivedByteCount(); });
    dumpProgressThread->startThread();

    view.lockPage (true);
    return true;
}

void Transfers::stopDumpCounter()
{
    view.showProgress (0.0);
    stopDumpThread();
    view.lockPage (false);
}

void Transfers::stopDumpThread()
{
    if (dumpProgressThread == nullptr)
        return;

    dumpProgressThread.reset();

    // Nothing is recorded once nobody counts.
    if (link != nullptr)
        link->stopMonitoring();
}

void Transfers::deletePendingRequest()
{
    if (pendingRequest == nullptr)
        return;

    // Every request made here is queued at once, so a pending one is in the link worker's
    // hands. The worker lets go of a request only by retiring it, and stopping the worker
    // retires every request it holds.
    if (link != nullptr && pendingRequest->getState() == SysExRequest::pending)
        letGoOfRequests();

    pendingRequest.reset();
}
