// A complete Orvix III backup (system, global and foot controller settings, preset banks A-D one
// preset at a time, user cab banks 1 and 2 one slot at a time: 2563 requests) against a simulated
// device on virtual ports that answers at once. Reports the run's wall time, the time the link
// and the run add to each request beyond the device's own answer (median and p99), the bytes on
// the wire and what the link adds to the time a USB-MIDI port needs for them, and the peak memory
// the run adds. `backup_bench --quick` backs up bank A only.
//
// The message loop runs as the program's does: it blocks until the next message and is woken at
// once, so the figures are the program's.

#include "BackupDumpServer.h"
#include "BenchStatistics.h"
#include "BackupRun.h"
#include "DeviceQueries.h"
#include "MidiProcessing.h"
#include "ProcessStats.h"
#include "SysExMessage.h"
#include "SysExRequest.h"
#include "VirtualMidiPorts.h"

#include <algorithm>
#include <iostream>
#include <vector>

namespace
{
using morvane::test::BackupDumpServer;

/** About what a USB-MIDI port carries. */
constexpr double usbMidiBytesPerSecond = 800000.0;

/** Records how the run ended. */
class BenchView : public TransferView
{
public:
    void lockPage (bool locked) override
    {
        ended = ! locked;

        if (ended)
            juce::MessageManager::getInstance()->stopDispatchLoop();
    }
    void showProgress (double) override {}
    void showProgressText (const juce::String&) override {}
    void showPercentage() override {}
    void showStatus (const juce::String&) override {}
    void setCancelEnabled (bool) override {}
    void tell (Severity, const juce::String& text) override { message = text; }
    bool ask (Severity, const juce::String&) override { return false; }
    void setBusy (bool) override {}
    void scheduleNotice (int) override {}

    bool ended = false;
    juce::String message;
};
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    const bool quick = argc > 1 && juce::String (argv[1]) == "--quick";

    const juce::String portName ("Orvix III Backup Bench");
    morvane::test::VirtualMidiPorts hub;
    morvane::test::SimulatedDevice device (hub, 16, portName);
    BackupDumpServer server (device, 3074);   // full-size preset data messages
    server.setRecordReplies (false);

    currentDeviceModel = 16;
    MidiProcessing link (hub.createBackend());
    link.timerCallback();

    if (! (link.getPortManager().openInputByName (portName) && link.getPortManager().openOutputByName (portName)
           && link.openDevices (true, true)))
    {
        std::cerr << "could not open the simulated device's ports\n";
        return 1;
    }

    const auto folder = juce::File::createTempFile ("backup-bench");
    folder.createDirectory();

    // Bank runs ask the device nothing around them: the queries stay unused.
    BenchView host;
    std::unique_ptr<SysExRequest> querySlot;
    DeviceQueries queries (&link, host, querySlot);
    BackupRun run (link, queries, host);
    OrvixIIIBackupSelection selection;
    selection.banks[0] = 1;

    if (! quick)
    {
        selection.banks[1] = selection.banks[2] = selection.banks[3] = 1;
        selection.cabBanks[0] = selection.cabBanks[1] = 1;
        selection.system = selection.global = selection.footswitch = 1;
    }

    BackupJobPlan::Context context;
    context.model = 16;
    context.firmwareModel = 16;

    ProcessStats::resetPeakResident();
    const auto residentBefore = ProcessStats::getResidentKiB();
    const auto start = juce::Time::getMillisecondCounterHiRes();

    if (run.startOrvixIIIBackup (selection, context, folder.getFullPathName()) && ! host.ended)
        juce::MessageManager::getInstance()->runDispatchLoop();

    const auto wallMs = juce::Time::getMillisecondCounterHiRes() - start;
    const auto peakAddedKiB = ProcessStats::getPeakResidentKiB() - residentBefore;

    // Per request: from one request's arrival at the device to the next one's, less the time the
    // device took to send its answer, is what the link worker, the receive thread and the run add.
    const auto exchanges = server.getExchanges();
    std::vector<double> overheadMs, answerMs;

    for (size_t i = 0; i < exchanges.size(); ++i)
    {
        answerMs.push_back (exchanges[i].answeredMs - exchanges[i].arrivedMs);

        if (i + 1 < exchanges.size())
            overheadMs.push_back (exchanges[i + 1].arrivedMs - exchanges[i].answeredMs);
    }

    juce::int64 bytesWritten = 0, requestBytes = 0;

    for (const auto& file : folder.findChildFiles (juce::File::findFiles, true))
        bytesWritten += file.getSize();

    for (const auto& exchange : exchanges)
        requestBytes += exchange.request.getRawDataSize();

    // Every reply is saved as received, so the files hold what came over the wire.
    const auto wireBytes = requestBytes + bytesWritten;
    const auto usbMidiSeconds = (double) wireBytes / usbMidiBytesPerSecond;
    double overheadTotalMs = 0.0;

    for (auto ms : overheadMs)
        overheadTotalMs += ms;

    std::cout << "Orvix III " << (quick ? "bank A" : "complete") << " backup against a simulated device\n"
              << "  result:                 " << host.message << "\n"
              << "  requests:               " << exchanges.size() << " (device got " << server.getRequestCount() << ")\n"
              << "  wall time:              " << juce::String (wallMs / 1000.0, 2) << " s\n"
              << "  per request, device:    median " << juce::String (BenchStatistics::median (answerMs), 2) << " ms, p99 "
              << juce::String (BenchStatistics::percentile (answerMs, 0.99), 2) << " ms\n"
              << "  per request, overhead:  median " << juce::String (BenchStatistics::median (overheadMs), 2) << " ms, p99 "
              << juce::String (BenchStatistics::percentile (overheadMs, 0.99), 2) << " ms (link worker, receive thread, file write, run)\n"
              << "  written:                " << juce::String ((double) bytesWritten / (1024.0 * 1024.0), 1) << " MiB\n"
              << "  on the wire:            " << wireBytes << " bytes; a USB-MIDI port at 0.8 MB/s needs "
              << juce::String (usbMidiSeconds, 1) << " s, to which the link adds " << juce::String (overheadTotalMs / 1000.0, 2)
              << " s (" << juce::String (100.0 * overheadTotalMs / 1000.0 / usbMidiSeconds, 1) << " %)\n"
              << "  peak memory added:      " << peakAddedKiB << " KiB\n";

    folder.deleteRecursively();
    return host.message.startsWith ("Backup complete.") ? 0 : 1;
}
