// Measures the device link against the simulated device on virtual ports:
//   receive   one dump request answered by 8,448, 33,792 and 135,168 messages, without delay
//   paced     2,000 acknowledged messages at interval 0
//   idle      10 s with both ports open and nothing to do
//   monitor   foot controller dumps of 1, 4 and 16 MiB recorded by the link's monitor
// Run: link_bench [receive | paced | idle | monitor]. Without an argument it runs each in a process of its
// own, so that every run starts from a fresh message loop and memory figure.

#include "BenchStatistics.h"
#include "LinkBench.h"
#include "MidiProcessing.h"
#include "PacedSendLoad.h"
#include "ProcessStats.h"
#include "SimulatedDevice.h"
#include "SysExBuilders.h"
#include "SysExMessage.h"
#include "SysExRequest.h"
#include "VirtualMidiPorts.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <iostream>
#include <numeric>

using morvane::test::SimulatedDevice;
using morvane::test::VirtualMidiPorts;

namespace
{
    double cpuMsOf (const std::map<juce::String, ProcessStats::ThreadFigures>& before,
                    const std::map<juce::String, ProcessStats::ThreadFigures>& after,
                    const juce::String& threadName)
    {
        double total = 0.0;

        for (const auto& [id, thread] : after)
        {
            if (threadName.isNotEmpty() && thread.name != threadName)
                continue;

            const auto earlier = before.find (id);
            total += thread.cpuMs - (earlier != before.end() ? earlier->second.cpuMs : 0.0);
        }

        return total;
    }

    juce::String fixed (double value, int decimals)
    {
        return juce::String (value, decimals);
    }

    //==============================================================================
    void benchmarkReceive()
    {
        std::cout << "\nReceive: one request answered by N messages of a KT4 cab bank, no delay (resident at start "
                  << fixed ((double) ProcessStats::getResidentKiB() / 1024.0, 1) << " MiB)\n"
                  << "  messages      bytes   wall ms    msg/s        MB/s    worker CPU ms  worker MB/s  peak RSS MiB\n";

        struct Size
        {
            int messages;
            juce::uint8 bank;
        };

        // 128 cabs (bank 3), 512 cabs (bank 127, the whole KT4 cab memory) and 2048 cabs.
        for (const auto size : { Size { 8448, 3 }, Size { 33792, 127 }, Size { 135168, 126 } })
        {
            LinkBench bench;

            if (size.bank == 126)
            {
                // Four times the KT4's cab memory, through a reply handler of its own.
                bench.device->setReplyHandler (0x44, [&bench] (const juce::MidiMessage&, const SimulatedDevice::Emit& out)
                {
                    juce::uint8 bank127 = 127;
                    SysExRequest model (3000);
                    buildCabBankDumpRequest (&model, &bank127);

                    for (int round = 0; round < 4; ++round)
                        for (const auto& reply : bench.device->defaultRepliesTo (model.getMessage()))
                            if (! out (reply))
                                return;
                });
            }

            SysExRequest request (3000);
            buildCabBankDumpRequest (&request, &size.bank);
            request.setExpectedReplies (size.messages);

            ProcessStats::resetPeakResident();
            const auto before = ProcessStats::takeThreadFigures();
            const auto start = juce::Time::getMillisecondCounterHiRes();
            bench.link->enqueueRequest (&request);

            while (request.getState() == 0)
                juce::Thread::sleep (1);

            const auto wallMs = juce::Time::getMillisecondCounterHiRes() - start;
            const auto after = ProcessStats::takeThreadFigures();
            const auto peakKiB = ProcessStats::getPeakResidentKiB();

            juce::MemoryBlock bytes;
            request.appendRepliesTo (bytes);
            const auto workerMs = cpuMsOf (before, after, "MidiProcessing");
            const auto megabytes = (double) bytes.getSize() / 1.0e6;

            std::cout << "  " << juce::String (request.getReplyCount()).paddedLeft (' ', 8)
                      << juce::String ((juce::int64) bytes.getSize()).paddedLeft (' ', 11)
                      << fixed (wallMs, 1).paddedLeft (' ', 10)
                      << juce::String ((juce::int64) (request.getReplyCount() / (wallMs / 1000.0))).paddedLeft (' ', 9)
                      << fixed (megabytes / (wallMs / 1000.0), 1).paddedLeft (' ', 12)
                      << fixed (workerMs, 1).paddedLeft (' ', 17)
                      << fixed (workerMs > 0 ? megabytes / (workerMs / 1000.0) : 0.0, 1).paddedLeft (' ', 13)
                      << fixed ((double) peakKiB / 1024.0, 1).paddedLeft (' ', 14)
                      << (request.getState() == SysExRequest::complete ? "" : "   (request FAILED)") << "\n";
        }

        std::cout << "  (wall time covers the device's own message generation and the virtual driver thread;\n"
                  << "   worker CPU is the link worker thread alone)\n";
    }

    //==============================================================================
    void benchmarkPacedSend()
    {
        constexpr int messageCount = 2000;
        LinkBench bench;

        // The device stamps each message as it arrives and acknowledges it at once.
        std::vector<double> arrivals;
        arrivals.reserve (messageCount);

        bench.device->setReplyHandler (0x78, [&] (const juce::MidiMessage& request, const SimulatedDevice::Emit& out)
        {
            arrivals.push_back (juce::Time::getMillisecondCounterHiRes());
            out (bench.device->makeStatusReply (request.getRawData()[5], 0));
        });

        auto& sender = bench.link->getMultiMsgTimer();
        PacedSendLoad::load (sender, messageCount);

        const auto before = ProcessStats::takeThreadFigures();
        const auto start = juce::Time::getMillisecondCounterHiRes();
        PacedSendLoad::runUntilSent (sender);

        const auto wallMs = juce::Time::getMillisecondCounterHiRes() - start;
        const auto after = ProcessStats::takeThreadFigures();

        std::vector<double> gaps;

        for (size_t i = 1; i < arrivals.size(); ++i)
            gaps.push_back (arrivals[i] - arrivals[i - 1]);

        std::cout << "\nPaced send: " << messageCount << " acknowledged messages at interval 0, device answering at once\n"
                  << "  state " << sender.getState() << ", " << arrivals.size() << " messages arrived in "
                  << fixed (wallMs, 0) << " ms\n"
                  << "  time per message (arrival to arrival): mean " << fixed (BenchStatistics::mean (gaps), 3)
                  << " ms, median " << fixed (BenchStatistics::median (gaps), 3) << " ms, 99th percentile "
                  << fixed (BenchStatistics::percentile (gaps, 0.99), 3) << " ms, max "
                  << fixed (BenchStatistics::maximum (gaps), 3) << " ms\n"
                  << "  CPU: worker " << fixed (cpuMsOf (before, after, "MidiProcessing"), 1) << " ms, whole process "
                  << fixed (cpuMsOf (before, after, {}), 1) << " ms\n";
    }

    //==============================================================================
    void benchmarkIdle()
    {
        constexpr int seconds = 10;
        LinkBench bench;

        // Let the start-up settle, then idle in the program's own message loop.
        juce::MessageManager::getInstance()->runDispatchLoopUntil (300);

        const auto before = ProcessStats::takeThreadFigures();
        const auto start = juce::Time::getMillisecondCounterHiRes();
        juce::Timer::callAfterDelay (seconds * 1000, [] { juce::MessageManager::getInstance()->stopDispatchLoop(); });
        juce::MessageManager::getInstance()->runDispatchLoop();
        const auto elapsedS = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;
        const auto after = ProcessStats::takeThreadFigures();

        double cpuMs = 0.0;
        juce::int64 wakeUps = 0;

        std::cout << "\nIdle: ports open, worker running, nothing to do, " << fixed (elapsedS, 1) << " s\n";

        for (const auto& [id, thread] : after)
        {
            const auto earlier = before.find (id);
            const auto threadCpu = thread.cpuMs - (earlier != before.end() ? earlier->second.cpuMs : 0.0);
            const auto threadWakeUps = thread.wakeUps - (earlier != before.end() ? earlier->second.wakeUps : 0);
            cpuMs += threadCpu;
            wakeUps += threadWakeUps;
            std::cout << "  thread " << thread.name.paddedRight (' ', 16) << fixed (threadCpu, 2).paddedLeft (' ', 8)
                      << " ms CPU " << juce::String (threadWakeUps).paddedLeft (' ', 6) << " wake-ups\n";
        }

        std::cout << "  process: " << fixed (100.0 * cpuMs / (elapsedS * 1000.0), 3) << " % of a core, "
                  << fixed ((double) wakeUps / elapsedS, 1) << " wake-ups per second\n";
    }
    //==============================================================================
    void benchmarkMonitor()
    {
        std::cout << "\nMonitor: a foot controller dump of 256-byte SysEx messages with a clock byte after every 8,\n"
                  << "recorded by the link's monitor and taken out (time per MiB stays flat when recording is linear)\n"
                  << "      MiB  messages   wall ms   ms per MiB   worker CPU ms   take ms\n";

        for (const int mebibytes : { 1, 4, 16 })
        {
            LinkBench bench;
            const int sysExMessages = mebibytes * 4096;
            std::vector<juce::MidiMessage> dump;
            juce::uint32 totalBytes = 0;

            for (int i = 0; i < sysExMessages; ++i)
            {
                dump.push_back (SimulatedDevice::makeMessage (2, 0x30, std::vector<juce::uint8> (247, (juce::uint8) (i & 0x7F))));

                if (i % 8 == 7)
                    dump.push_back (juce::MidiMessage::midiClock());
            }

            for (const auto& message : dump)
                totalBytes += (juce::uint32) message.getRawDataSize();

            const auto before = ProcessStats::takeThreadFigures();
            const auto start = juce::Time::getMillisecondCounterHiRes();
            bench.link->startMonitoring();

            for (const auto& message : dump)
                bench.hub.sendToInput (LinkBench::portName, message);

            while (bench.link->getReceivedByteCount() < totalBytes)
                juce::Thread::sleep (1);

            const auto wallMs = juce::Time::getMillisecondCounterHiRes() - start;
            const auto after = ProcessStats::takeThreadFigures();
            bench.link->stopMonitoring();

            const auto takeStart = juce::Time::getMillisecondCounterHiRes();
            juce::MidiBuffer recorded;
            bench.link->takeMonitorBuffer (recorded);
            const auto takeMs = juce::Time::getMillisecondCounterHiRes() - takeStart;
            const auto mib = (double) totalBytes / (1024.0 * 1024.0);

            std::cout << fixed (mib, 1).paddedLeft (' ', 9)
                      << juce::String ((juce::int64) dump.size()).paddedLeft (' ', 10)
                      << fixed (wallMs, 1).paddedLeft (' ', 10)
                      << fixed (wallMs / mib, 1).paddedLeft (' ', 13)
                      << fixed (cpuMsOf (before, after, "MidiProcessing"), 1).paddedLeft (' ', 16)
                      << fixed (takeMs, 2).paddedLeft (' ', 10)
                      << (recorded.getNumEvents() == (int) dump.size() ? "" : "   (events LOST)") << "\n";
        }
    }
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    const juce::String mode (argc > 1 ? argv[1] : "");

    if (mode.isEmpty())
    {
        const auto self = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName();

        for (const auto* each : { "receive", "paced", "idle", "monitor" })
        {
            juce::ChildProcess child;

            if (! child.start (juce::StringArray { self, each }))
                return 1;

            std::cout << child.readAllProcessOutput() << std::flush;
        }

        return 0;
    }

    if (ProcessStats::getResidentKiB() < 0)
        std::cout << "(memory, CPU and wake-up figures need Linux's /proc; they show as -1 or 0 here)\n";

    if (mode == "receive")
        benchmarkReceive();
    else if (mode == "paced")
        benchmarkPacedSend();
    else if (mode == "idle")
        benchmarkIdle();
    else if (mode == "monitor")
        benchmarkMonitor();
    else
        std::cerr << "usage: link_bench [receive | paced | idle | monitor]" << std::endl;

    return 0;
}
