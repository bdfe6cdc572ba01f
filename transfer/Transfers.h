#pragma once

#include "DumpProgressThread.h"
#include "TransferView.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

class BackupRun;
class DeviceQueries;
class MidiProcessing;
class SendFile;
class SendRoad;
class SysExRequest;

/** The one owner of the roads of work and their threads: the device queries with the request
    slot they use, the send, the backup run and the counter of the foot controller's dump.

    It knows whether work runs, carries out the page's Cancel, asks before the window closes while
    work runs, and stops every thread with enough time to finish the step it is in before the
    pending request is given up. Everything it shows goes through the view, which must outlive it.

    Message thread only; the threads it starts report through their roads.
*/
class Transfers
{
public:
    /** The link may be null (tests): nothing is ever sent or received then, and there is no
        backup run. letGoOfRequests makes the link worker retire every request it holds (the
        console gives up its ports); when empty, both ports of the link are closed instead.
    */
    Transfers (MidiProcessing* link, TransferView& view, std::function<void()> letGoOfRequests = {});

    /** Stops every thread, then gives up the pending request only once the link worker no
        longer holds it.
    */
    ~Transfers();

    //==============================================================================
    DeviceQueries& getQueries() noexcept { return *queries; }
    TransferView& getView() noexcept { return view; }
    SendRoad& getSendRoad() noexcept { return *sendRoad; }

    /** The file that the next send sends. */
    SendFile& getSendFile() noexcept { return *sendFile; }

    /** The backup run, or null without a link. */
    BackupRun* getBackupRun() noexcept { return backupRun.get(); }

    //==============================================================================
    /** True while a send, a backup run or the foot controller's dump counter runs. */
    bool isWorkRunning() const;
    bool isSendRunning() const;
    bool isBackupRunning() const;
    bool isDumpRunning() const;

    /** The page's Cancel: stops a running send ("Transfer could not be canceled." when it
        cannot be), and asks a backup run of many steps to stop after the step in hand.
    */
    void cancel();

    /** Asks the user before the window closes while work runs ("Closing the application will
        cancel the current transfer."); a send is stopped at once, and when it cannot be, the user
        may still force the quit. False when the window must stay.
    */
    bool confirmClose();

    /** Stops the send thread, the backup run's receive thread and the dump counter, each given
        the time of its longest step.
    */
    void stopAll();

    //==============================================================================
    /** Starts counting the foot controller's dump: the link's monitor is switched on and a
        DumpProgressThread tells the listener the byte count; the page is locked. The listener
        must outlive the counter. False without a link.
    */
    bool startDumpCounter (DumpProgressThread::Listener& listener);

    /** Stops the dump counter (if any) and its recording, and hands the page back. */
    void stopDumpCounter();

private:
    bool stopSend();
    void stopDumpThread();
    void deletePendingRequest();

    MidiProcessing* link = nullptr;
    TransferView& view;
    std::function<void()> letGoOfRequests;

    std::unique_ptr<SysExRequest> pendingRequest;   // the queries' slot
    std::unique_ptr<DeviceQueries> queries;         // declared after the slot it shares
    std::unique_ptr<SendFile> sendFile;
    std::unique_ptr<SendRoad> sendRoad;
    std::unique_ptr<BackupRun> backupRun;
    std::unique_ptr<DumpProgressThread> dumpProgressThread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Transfers)
};
