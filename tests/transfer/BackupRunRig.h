#pragma once

#include "BackupDumpServer.h"
#include "BackupRun.h"
#include "DeviceQueries.h"
#include "MessageLoop.h"
#include "MidiProcessing.h"
#include "RecordingView.h"
#include "SysExMessage.h"
#include "SysExRequest.h"
#include "VirtualMidiPorts.h"

#include <gtest/gtest.h>

#include <functional>

namespace morvane::test
{
/** The console's side of a run, recorded, with the queries that the run puts to the device
    around it on the same link. The queries' slot is given up safely when the rig goes.
*/
struct RecordingPage
{
    explicit RecordingPage (MidiProcessing& linkToUse)
        : link (linkToUse), queries (&linkToUse, view, pendingRequest)
    {
    }

    ~RecordingPage()
    {
        // The link worker lets go of a request only by retiring it.
        if (pendingRequest != nullptr && pendingRequest->getState() == SysExRequest::pending)
        {
            link.closeInputPort();
            link.closeOutputPort();
        }
    }

    MidiProcessing& link;
    RecordingView view;
    std::unique_ptr<SysExRequest> pendingRequest;
    DeviceQueries queries;
};

/** The items in one line, for comparisons and failure messages. */
inline std::string joined (const juce::StringArray& items)
{
    return items.joinIntoString (" | ").toStdString();
}

/** A simulated device of one model serving backups on virtual ports, the link, a recording page,
    a run, and an empty backup folder. Sets currentDeviceModel while it exists.
*/
struct BackupRunRig
{
    explicit BackupRunRig (juce::uint8 deviceModel, int dataBytes = 8)
        : model (deviceModel),
          portName ("Zandrel Backup " + juce::String (deviceModel)),
          device (hub, deviceModel, portName),
          server (device, dataBytes),
          link (hub.createBackend()),
          page (link),
          host (page.view),
          run (link, page.queries, page.view),
          previousModel (currentDeviceModel.load()),
          folder (juce::File::createTempFile ("backup"))
    {
        currentDeviceModel = deviceModel;
        folder.createDirectory();
        link.timerCallback();
        auto& ports = link.getPortManager();
        connected = ports.openInputByName (portName) && ports.openOutputByName (portName) && link.openDevices (true, true);
        context.model = deviceModel;
        context.firmwareModel = deviceModel;
    }

    ~BackupRunRig()
    {
        folder.deleteRecursively();
        currentDeviceModel = previousModel;
    }

    /** Holds back the device's answer to the n-th dump request (from 1), starts the run and runs
        the message loop until that request is in hand: the run then waits on it until
        server.release(). Fails saying which of these did not come about.
    */
    ::testing::AssertionResult startHoldingRequest (int request, const std::function<bool (BackupRunRig&)>& start)
    {
        if (! connected)
            return ::testing::AssertionFailure() << "the device's ports did not open";

        server.holdRequest (request);

        if (! start (*this))
            return ::testing::AssertionFailure() << "the run did not start";

        if (! runMessageLoopUntil ([this, request] { return server.getRequestCount() >= request; }, 60000))
            return ::testing::AssertionFailure() << "dump request " << request << " never came";

        return ::testing::AssertionSuccess();
    }

    /** Runs the message loop until the run has ended (generously bounded). */
    bool waitForEnd (int timeoutMs = 100000)
    {
        return runMessageLoopUntil ([this] { return host.ended > 0 && ! run.isRunning(); }, timeoutMs);
    }

    /** The requests the device received, each as its function id and payload in hex. */
    juce::StringArray requestsReceived() const
    {
        juce::StringArray requests;

        for (const auto& message : device.getReceived())
            requests.add (juce::String::toHexString (message.getRawData() + 5, message.getRawDataSize() - 7, 0));

        return requests;
    }

    /** The files below the folder, relative to it, in name order. */
    juce::StringArray filesWritten() const
    {
        juce::StringArray names;

        for (const auto& file : folder.findChildFiles (juce::File::findFiles, true))
            names.add (file.getRelativePathFrom (folder));

        names.sort (false);
        return names;
    }

    const juce::uint8 model;
    const juce::String portName;
    VirtualMidiPorts hub;
    SimulatedDevice device;
    BackupDumpServer server;
    MidiProcessing link;
    RecordingPage page;
    RecordingView& host;   ///< what the run showed, its query warnings included
    BackupRun run;
    const juce::uint8 previousModel;
    juce::File folder;
    BackupJobPlan::Context context;
    bool connected = false;
};
} // namespace morvane::test
