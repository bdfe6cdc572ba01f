// Measures the program a user runs, beside a baseline JUCE application built the same way (an
// empty window), under the display it is started on:
//   idle      both programs side by side, idle for 20 s: CPU, wake-ups (a thread going to sleep and
//             being woken; a preemption is none) and preemptions per thread, resident memory
//   startup   time from the start of each program to its first painted window, in interleaved pairs
//   receive   the link's receive path of a 33,792-message dump into its file: the peak memory it
//             adds and how soon the file is written after the last reply reached the program
//   paced     a paced send of acknowledged messages, with the device answering at once and after
//             5 ms: the time from the device's reply to the next message's arrival
// Every figure is taken over several runs (at least three) and printed as min, median and max
// in one table, with its ratio to the baseline or to its target.
// Run: program_bench [--runs N] [--idle-seconds S] [--program PATH] [idle] [startup] [receive] [paced]
// (all sections without a name; --program measures another build of Morvane, with its Skin folder
// beside it, instead of this one). Linux with an X display only. The machine's load average is
// printed before and after, so that a table can say what it was measured under.

#include "BenchStatistics.h"
#include "LaunchedProgram.h"
#include "LinkBench.h"
#include "MidiProcessing.h"
#include "PacedSendLoad.h"
#include "ProcessStats.h"
#include "ReceiveThread.h"
#include "SimulatedDevice.h"
#include "SysExBuilders.h"
#include "SysExMessage.h"
#include "SysExRequest.h"
#include "VirtualMidiPorts.h"
#include "WindowWatcher.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <memory>
#include <iostream>
#include <thread>

using morvane::test::SimulatedDevice;
using morvane::test::VirtualMidiPorts;

namespace
{
    juce::String fixed (double value, int decimals) { return juce::String (value, decimals); }

    /** The machine's load averages over 1, 5 and 15 minutes, as the system gives them. */
    juce::String loadAverage()
    {
        auto tokens = juce::StringArray::fromTokens (juce::File ("/proc/loadavg").loadFileAsString(), false);
        tokens.removeRange (3, tokens.size());
        return tokens.joinIntoString (" ");
    }

    //==============================================================================
    /** One row of the table: a figure over the runs, and what it is compared with. */
    struct Row
    {
        juce::String what;
        std::vector<double> values;
        int decimals = 1;
        juce::String reference;       // "target <= 0.2", "baseline 123"
        double referenceValue = 0.0;  // divides the median for the ratio; 0 for none
        bool isTarget = false;        // a target the median must not exceed
    };

    void printTable (const std::vector<Row>& rows)
    {
        std::cout << "\n" << juce::String ("figure").paddedRight (' ', 64) << " runs"
                  << juce::String ("min").paddedLeft (' ', 10) << juce::String ("median").paddedLeft (' ', 10)
                  << juce::String ("max").paddedLeft (' ', 10) << "   " << juce::String ("against").paddedRight (' ', 20)
                  << "ratio\n";

        for (const auto& row : rows)
        {
            if (row.values.empty())
            {
                std::cout << row.what.paddedRight (' ', 64) << "    0   (not measured)\n";
                continue;
            }

            const auto [lo, hi] = std::minmax_element (row.values.begin(), row.values.end());
            const auto mid = BenchStatistics::median (row.values);
            juce::String ratio;

            if (row.referenceValue > 0.0)
                ratio = fixed (mid / row.referenceValue, 2) + (row.isTarget ? (mid <= row.referenceValue ? "  meets" : "  MISSES") : "");

            std::cout << row.what.paddedRight (' ', 64) << juce::String ((int) row.values.size()).paddedLeft (' ', 5)
                      << fixed (*lo, row.decimals).paddedLeft (' ', 10) << fixed (mid, row.decimals).paddedLeft (' ', 10)
                      << fixed (*hi, row.decimals).paddedLeft (' ', 10) << "   " << row.reference.paddedRight (' ', 20)
                      << ratio << "\n";
        }
    }

    //==============================================================================
    struct Executables
    {
        juce::File morvane { MORVANE_EXECUTABLE };
        juce::File emptyWindow { EMPTY_WINDOW_EXECUTABLE };
    };

    /** A thread's rates over an idle run: CPU, wake-ups and preemptions a second. */
    struct ThreadRates
    {
        double cpuPercent = 0.0;
        double wakeUps = 0.0;
        double preemptions = 0.0;
    };

    struct IdleFigures
    {
        double cpuPercent = 0.0;
        double wakeUpsPerSecond = 0.0;
        double scheduledPerSecond = 0.0;   // wake-ups and preemptions: times put on a CPU
        double residentMiB = 0.0;
        std::map<juce::String, ThreadRates> perThread;   // by name; the program's first thread is "message thread"
        juce::StringArray endedThreads;                  // there at the start, gone at the end: not counted
    };

    IdleFigures idleFiguresOf (const juce::String& pid, const std::map<juce::String, ProcessStats::ThreadFigures>& before,
                               const std::map<juce::String, ProcessStats::ThreadFigures>& after,
                               double seconds, juce::int64 residentKiB)
    {
        IdleFigures figures;

        // A thread started during the run counts from its start.
        for (const auto& [id, thread] : after)
        {
            const auto earlier = before.find (id);
            const auto had = earlier != before.end() ? earlier->second : ProcessStats::ThreadFigures();
            ThreadRates rates;
            rates.cpuPercent = 100.0 * (thread.cpuMs - had.cpuMs) / (seconds * 1000.0);
            rates.wakeUps = (double) (thread.wakeUps - had.wakeUps) / seconds;
            rates.preemptions = (double) (thread.preemptions - had.preemptions) / seconds;

            figures.cpuPercent += rates.cpuPercent;
            figures.wakeUpsPerSecond += rates.wakeUps;
            figures.scheduledPerSecond += (double) (thread.timesScheduled - had.timesScheduled) / seconds;

            auto& perName = figures.perThread[id == pid ? juce::String ("message thread") : thread.name];
            perName.cpuPercent += rates.cpuPercent;
            perName.wakeUps += rates.wakeUps;
            perName.preemptions += rates.preemptions;
        }

        for (const auto& [id, thread] : before)
            if (after.find (id) == after.end())
                figures.endedThreads.add (thread.name);

        figures.residentMiB = (double) residentKiB / 1024.0;
        return figures;
    }

    void printThreads (const juce::String& title, const IdleFigures& figures)
    {
        for (const auto& [name, rates] : figures.perThread)
            std::cout << "    " << title.paddedRight (' ', 14) << name.paddedRight (' ', 16)
                      << fixed (rates.cpuPercent, 3).paddedLeft (' ', 8) << " %" << fixed (rates.wakeUps, 1).paddedLeft (' ', 9)
                      << " wake-ups/s" << fixed (rates.preemptions, 1).paddedLeft (' ', 8) << " preempted/s\n";

        if (! figures.endedThreads.isEmpty())
            std::cout << "    " << title.paddedRight (' ', 14) << "ended during the run, not counted: "
                      << figures.endedThreads.joinIntoString (", ") << "\n";
    }

    double wakeUpsOf (const IdleFigures& figures, const juce::String& thread)
    {
        const auto found = figures.perThread.find (thread);
        return found != figures.perThread.end() ? found->second.wakeUps : 0.0;
    }

    void benchmarkIdle (const Executables& exe, int runs, int seconds, std::vector<Row>& rows)
    {
        Row morvaneCpu { "idle CPU, % of a core: Morvane", {}, 3 };
        Row emptyCpu { "idle CPU, % of a core: empty window", {}, 3 };
        Row cpuAbove { "idle CPU above the empty window, % of a core", {}, 3, "target <= 0.2", 0.2, true };
        Row morvaneWake { "idle wake-ups per second (all threads): Morvane", {}, 1 };
        Row emptyWake { "idle wake-ups per second (all threads): empty window", {}, 1 };
        Row wakeAbove { "idle wake-ups per second above the empty window", {}, 1, "target <= 20", 20.0, true };
        Row messageAbove { "  of which the message thread's", {}, 1 };
        Row timerAbove { "  of which the timer thread's", {}, 1 };
        // On cores that other programs keep busy, the framework's timer thread is often taken off
        // its CPU where it would have gone to sleep: its wake-ups then differ by tens a second
        // between two identical programs, while its times on a CPU stay within about ten.
        Row scheduledAbove { "idle times put on a CPU per second above the empty window", {}, 1 };
        Row morvaneRss { "resident memory at idle, MiB: Morvane", {}, 1 };
        Row emptyRss { "resident memory at idle, MiB: empty window", {}, 1 };
        WindowWatcher watcher;

        std::cout << "idle: " << runs << " runs of " << seconds << " s, both programs side by side; a wake-up is a "
                  << "thread going to sleep and being woken (a voluntary context switch), a preemption is not one" << std::endl;

        for (int run = 0; run < runs; ++run)
        {
            // Started in turn first, so that neither always meets the cores' placement first.
            std::unique_ptr<LaunchedProgram> first, second;
            first = std::make_unique<LaunchedProgram> (run % 2 == 0 ? exe.morvane : exe.emptyWindow);
            second = std::make_unique<LaunchedProgram> (run % 2 == 0 ? exe.emptyWindow : exe.morvane);
            auto& morvane = run % 2 == 0 ? *first : *second;
            auto& empty = run % 2 == 0 ? *second : *first;

            // Both settle first: the window painted, the start-up's own work done.
            watcher.timeToFirstPaint (morvane.getPid(), morvane.getStartMs());
            watcher.timeToFirstPaint (empty.getPid(), empty.getStartMs());
            juce::Thread::sleep (2000);

            if (! morvane.isRunning() || ! empty.isRunning())
            {
                std::cout << "  a program ended early; run skipped" << std::endl;
                continue;
            }

            const auto beforeM = ProcessStats::takeThreadFigures (morvane.getPidText());
            const auto beforeE = ProcessStats::takeThreadFigures (empty.getPidText());
            const auto start = juce::Time::getMillisecondCounterHiRes();
            juce::Thread::sleep (seconds * 1000);
            const auto afterM = ProcessStats::takeThreadFigures (morvane.getPidText());
            const auto afterE = ProcessStats::takeThreadFigures (empty.getPidText());
            const auto elapsed = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;

            const auto m = idleFiguresOf (morvane.getPidText(), beforeM, afterM, elapsed, ProcessStats::getResidentKiB (morvane.getPidText()));
            const auto e = idleFiguresOf (empty.getPidText(), beforeE, afterE, elapsed, ProcessStats::getResidentKiB (empty.getPidText()));

            std::cout << "  run " << run + 1 << ", load " << loadAverage().upToFirstOccurrenceOf (" ", false, false) << ":\n";
            printThreads ("Morvane", m);
            printThreads ("empty window", e);

            morvaneCpu.values.push_back (m.cpuPercent);
            emptyCpu.values.push_back (e.cpuPercent);
            cpuAbove.values.push_back (m.cpuPercent - e.cpuPercent);
            morvaneWake.values.push_back (m.wakeUpsPerSecond);
            emptyWake.values.push_back (e.wakeUpsPerSecond);
            wakeAbove.values.push_back (m.wakeUpsPerSecond - e.wakeUpsPerSecond);
            messageAbove.values.push_back (wakeUpsOf (m, "message thread") - wakeUpsOf (e, "message thread"));
            timerAbove.values.push_back (wakeUpsOf (m, "JUCE Timer") - wakeUpsOf (e, "JUCE Timer"));
            scheduledAbove.values.push_back (m.scheduledPerSecond - e.scheduledPerSecond);
            morvaneRss.values.push_back (m.residentMiB);
            emptyRss.values.push_back (e.residentMiB);
        }

        emptyCpu.reference = "baseline";
        emptyWake.reference = "baseline";
        emptyRss.reference = "baseline";
        morvaneCpu.reference = "empty window";
        morvaneCpu.referenceValue = BenchStatistics::median (emptyCpu.values);
        morvaneWake.reference = "empty window";
        morvaneWake.referenceValue = BenchStatistics::median (emptyWake.values);
        morvaneRss.reference = "empty window";
        morvaneRss.referenceValue = BenchStatistics::median (emptyRss.values);

        for (auto* row : { &morvaneCpu, &emptyCpu, &cpuAbove, &morvaneWake, &emptyWake, &wakeAbove, &messageAbove, &timerAbove,
                           &scheduledAbove, &morvaneRss, &emptyRss })
            rows.push_back (*row);
    }

    void benchmarkStartup (const Executables& exe, int pairs, std::vector<Row>& rows)
    {
        Row morvaneMs { "start-up to the first painted window, ms: Morvane", {}, 1 };
        Row emptyMs { "start-up to the first painted window, ms: empty window", {}, 1 };
        Row ratio { "start-up, Morvane / empty window (interleaved pairs)", {}, 2, "target <= 1.2", 1.2, true };
        WindowWatcher watcher;

        std::cout << "start-up: " << pairs << " interleaved pairs" << std::endl;

        for (int pair = 0; pair < pairs; ++pair)
        {
            double times[2] = { -1.0, -1.0 };

            // Alternate which goes first, so that neither always meets a warmer machine.
            for (int i = 0; i < 2; ++i)
            {
                const bool morvaneNow = (i == 0) == (pair % 2 == 0);
                LaunchedProgram program (morvaneNow ? exe.morvane : exe.emptyWindow);
                times[morvaneNow ? 0 : 1] = watcher.timeToFirstPaint (program.getPid(), program.getStartMs());
            }

            if (times[0] < 0.0 || times[1] <= 0.0)
            {
                std::cout << "  a window did not appear; pair skipped" << std::endl;
                continue;
            }

            morvaneMs.values.push_back (times[0]);
            emptyMs.values.push_back (times[1]);
            ratio.values.push_back (times[0] / times[1]);
        }

        emptyMs.reference = "baseline";
        rows.push_back (morvaneMs);
        rows.push_back (emptyMs);
        rows.push_back (ratio);
    }

    //==============================================================================
    // In-process measurements, each run in a process of its own (fresh memory figures).

    /** Prints "RESULT <memory added / dump bytes> <ms from the last reply's arrival to the written
        file> <dump bytes> <ms from the request's retirement to the written file>".
    */
    int runReceiveOnce()
    {
        LinkBench bench;
        const juce::uint8 bank = 127;   // the whole KT4 cab memory: 33,792 messages

        // The dump is built before anything is timed; the device only sends it.
        SysExRequest model (3000);
        buildCabBankDumpRequest (&model, &bank);
        const auto replies = bench.device->defaultRepliesTo (model.getMessage());
        size_t dumpBytes = 0;

        for (const auto& reply : replies)
            dumpBytes += (size_t) reply.getRawDataSize();

        // The clock starts when the last reply has reached the program: when the port has handed
        // it to the link's input callback. What the link and the receive thread then still do
        // (replies not yet matched, the file not yet written) counts.
        std::atomic<double> lastReplyArrivedAt { 0.0 };
        juce::WaitableEvent lastReplyDelivered;

        bench.device->setReplyHandler (0x44, [&] (const juce::MidiMessage&, const SimulatedDevice::Emit& out)
        {
            for (const auto& reply : replies)
                if (! out (reply))
                    return;

            if (bench.hub.waitUntilDelivered (30000))
                lastReplyArrivedAt = juce::Time::getMillisecondCounterHiRes();

            lastReplyDelivered.signal();
        });

        const auto folder = juce::File::createTempFile ("receive-bench");
        folder.createDirectory();

        SysExRequest request (3000);
        buildCabBankDumpRequest (&request, &bank);
        request.setExpectedReplies ((juce::int32) replies.size());
        std::atomic<double> progress { 0.0 };

        juce::Thread::sleep (200);
        ProcessStats::resetPeakResident();
        const auto residentBefore = ProcessStats::getResidentKiB();

        bench.link->enqueueRequest (&request);
        ReceiveThread receiver (&request, &progress, folder.getFullPathName(), 26, bank, "bench");
        receiver.startThread();

        double retiredAt = 0.0, writtenAt = 0.0;
        const auto deadline = juce::Time::getMillisecondCounterHiRes() + 60000.0;

        // The benchmark's own look at the result starts once the dump is in: polled all along,
        // it would take the two cores' time from the link while the dump arrives.
        lastReplyDelivered.wait (60000);

        while (juce::Time::getMillisecondCounterHiRes() < deadline)
        {
            const auto now = juce::Time::getMillisecondCounterHiRes();

            if (retiredAt == 0.0 && request.getState() != 0)
                retiredAt = now;

            const auto result = receiver.getResult();

            if (result == ReceiveResults::written || result == ReceiveResults::writeFailed || result == ReceiveResults::requestFailed)
            {
                writtenAt = now;
                break;
            }

            std::this_thread::sleep_for (std::chrono::microseconds (100));
        }

        const auto peakKiB = ProcessStats::getPeakResidentKiB();
        const bool ok = receiver.getResult() == ReceiveResults::written;
        folder.deleteRecursively();

        if (! ok || lastReplyArrivedAt.load() <= 0.0)
        {
            std::cout << "RESULT-FAILED" << std::endl;
            return 1;
        }

        std::cout << "RESULT " << (double) (peakKiB - residentBefore) * 1024.0 / (double) dumpBytes << " "
                  << writtenAt - lastReplyArrivedAt.load() << " " << (juce::int64) dumpBytes << " "
                  << writtenAt - retiredAt << std::endl;
        return 0;
    }

    /** Prints "RESULT <median gap> <p99 gap> <max gap>": ms from each reply to the next message.

        A message counts as sent when the link hands it to the port, on the link's sending
        thread, as a driver takes it; the simulated device's own thread, which takes it up after
        that, is not the program's and is not timed. A reply counts from when the device emits
        it: its way through the port's delivery thread, like a driver's, is timed.
    */
    int runPacedOnce (int replyDelayMs)
    {
        const int messageCount = replyDelayMs > 0 ? 400 : 1500;
        LinkBench bench;
        std::vector<double> arrivals, replied;
        arrivals.reserve ((size_t) messageCount);
        replied.reserve ((size_t) messageCount);

        bench.device->setArrivalObserver ([&] (const juce::MidiMessage& message)
        {
            if (message.getRawDataSize() > 5 && message.getRawData()[5] == 0x78)
                arrivals.push_back (juce::Time::getMillisecondCounterHiRes());
        });

        bench.device->setReplyHandler (0x78, [&] (const juce::MidiMessage& request, const SimulatedDevice::Emit& out)
        {
            if (replyDelayMs > 0)
                std::this_thread::sleep_for (std::chrono::milliseconds (replyDelayMs));

            replied.push_back (juce::Time::getMillisecondCounterHiRes());
            out (bench.device->makeStatusReply (request.getRawData()[5], 0));
        });

        auto& sender = bench.link->getMultiMsgTimer();
        PacedSendLoad::load (sender, messageCount);
        PacedSendLoad::runUntilSent (sender);

        std::vector<double> gaps;

        for (size_t i = 1; i < arrivals.size() && i - 1 < replied.size(); ++i)
            gaps.push_back (arrivals[i] - replied[i - 1]);

        if (sender.getState() != TransferStates::finished || gaps.empty())
        {
            std::cout << "RESULT-FAILED" << std::endl;
            return 1;
        }

        std::cout << "RESULT " << BenchStatistics::median (gaps) << " " << BenchStatistics::percentile (gaps, 0.99) << " "
                  << BenchStatistics::maximum (gaps) << std::endl;
        return 0;
    }

    /** Runs this program in a mode of its own and returns the numbers of its RESULT line. */
    std::vector<double> runChild (const juce::StringArray& arguments)
    {
        juce::ChildProcess child;
        auto command = arguments;
        command.insert (0, juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName());

        if (! child.start (command))
            return {};

        for (const auto& line : juce::StringArray::fromLines (child.readAllProcessOutput()))
        {
            if (! line.startsWith ("RESULT "))
                continue;

            std::vector<double> values;

            for (const auto& token : juce::StringArray::fromTokens (line.fromFirstOccurrenceOf ("RESULT ", false, false), false))
                values.push_back (token.getDoubleValue());

            return values;
        }

        return {};
    }

    void benchmarkReceive (int runs, std::vector<Row>& rows)
    {
        Row memory { "receive 33,792 messages: peak memory added / dump bytes", {}, 2, "target <= 2", 2.0, true };
        Row latency { "receive: file written after the last reply arrived, ms", {}, 1, "target <= 10", 10.0, true };
        Row afterRetired { "receive: file written after the request was retired, ms", {}, 1 };
        juce::int64 dumpBytes = 0;

        std::cout << "receive: " << runs << " runs" << std::endl;

        for (int run = 0; run < runs; ++run)
        {
            const auto values = runChild ({ "receive-once" });

            if (values.size() < 3)
            {
                std::cout << "  a receive run failed" << std::endl;
                continue;
            }

            memory.values.push_back (values[0]);
            latency.values.push_back (values[1]);
            dumpBytes = (juce::int64) values[2];

            if (values.size() > 3)
                afterRetired.values.push_back (values[3]);
        }

        if (dumpBytes > 0)
            std::cout << "  the dump: " << dumpBytes << " bytes" << std::endl;

        rows.push_back (memory);
        rows.push_back (latency);
        rows.push_back (afterRetired);
    }

    void benchmarkPaced (int runs, std::vector<Row>& rows)
    {
        std::cout << "paced: " << runs << " runs for each reply delay" << std::endl;

        for (const int delay : { 0, 5 })
        {
            const auto device = delay == 0 ? juce::String ("reply at once") : juce::String ("reply after 5 ms");
            Row p99 { "paced send, gap beyond the reply, p99, ms: " + device, {}, 3, "target <= 1", 1.0, true };
            Row mid { "paced send, gap beyond the reply, median, ms: " + device, {}, 3 };

            for (int run = 0; run < runs; ++run)
            {
                const auto values = runChild ({ "paced-once", juce::String (delay) });

                if (values.size() < 3)
                {
                    std::cout << "  a paced run failed" << std::endl;
                    continue;
                }

                mid.values.push_back (values[0]);
                p99.values.push_back (values[1]);
            }

            rows.push_back (p99);
            rows.push_back (mid);
        }
    }
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::StringArray args;

    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);

    if (args[0] == "receive-once")
        return runReceiveOnce();

    if (args[0] == "paced-once")
        return runPacedOnce (args[1].getIntValue());

    int runs = 3, idleSeconds = 20;
    juce::StringArray sections;

    for (int i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--runs")
            runs = juce::jmax (3, args[++i].getIntValue());
        else if (args[i] == "--idle-seconds")
            idleSeconds = juce::jmax (1, args[++i].getIntValue());
        else
            sections.add (args[i]);
    }

    if (sections.isEmpty())
        sections = { "idle", "startup", "receive", "paced" };

    Executables exe;

    for (int i = 0; i < sections.size(); ++i)
    {
        if (sections[i] == "--program" && i + 1 < sections.size())
        {
            exe.morvane = juce::File::getCurrentWorkingDirectory().getChildFile (sections[i + 1]);
            sections.removeRange (i, 2);
            break;
        }
    }

    if (! exe.morvane.existsAsFile())
    {
        std::cerr << "no program at " << exe.morvane.getFullPathName() << std::endl;
        return 1;
    }

    std::cout << "program: " << exe.morvane.getFullPathName() << "\nload average before: " << loadAverage() << std::endl;

    if ((sections.contains ("idle") || sections.contains ("startup"))
        && (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty() || ! WindowWatcher().isConnected()))
    {
        std::cerr << "the idle and start-up figures need an X display (DISPLAY)" << std::endl;
        return 1;
    }

    std::vector<Row> rows;

    if (sections.contains ("idle"))
        benchmarkIdle (exe, runs, idleSeconds, rows);

    if (sections.contains ("startup"))
        benchmarkStartup (exe, juce::jmax (runs, 5), rows);

    if (sections.contains ("receive"))
        benchmarkReceive (runs, rows);

    if (sections.contains ("paced"))
        benchmarkPaced (runs, rows);

    printTable (rows);
    std::cout << "\nload average after: " << loadAverage() << std::endl;
    return 0;
}
