#include "ProcessStats.h"

juce::String ProcessStats::readWhole (const juce::File& file)
{
    // Process files report a length of 0, so read until the stream runs dry.
    juce::FileInputStream stream (file);

    if (! stream.openedOk())
        return {};

    juce::MemoryOutputStream text;
    char buffer[4096];

    for (;;)
    {
        const auto count = stream.read (buffer, (int) sizeof (buffer));

        if (count <= 0)
            break;

        text.write (buffer, (size_t) count);
    }

    return text.toString();
}

std::map<juce::String, ProcessStats::ThreadFigures> ProcessStats::takeThreadFigures (const juce::String& pid)
{
    std::map<juce::String, ThreadFigures> figures;

    for (const auto& task : juce::File ("/proc/" + pid + "/task").findChildFiles (juce::File::findDirectories, false))
    {
        // schedstat: nanoseconds on a CPU, nanoseconds waiting, number of times scheduled in.
        const auto schedstat = juce::StringArray::fromTokens (readWhole (task.getChildFile ("schedstat")), false);

        if (schedstat.size() < 3)
            continue;

        ThreadFigures thread;
        thread.name = readWhole (task.getChildFile ("comm")).trim();
        thread.cpuMs = (double) schedstat[0].getLargeIntValue() / 1.0e6;
        thread.timesScheduled = schedstat[2].getLargeIntValue();

        // A voluntary switch is the thread going to sleep: it runs again only when woken. An
        // involuntary one is the scheduler giving its CPU to another thread, which a loaded
        // machine does more often; it is no wake-up of the thread's own.
        for (const auto& line : juce::StringArray::fromLines (readWhole (task.getChildFile ("status"))))
        {
            if (line.startsWith ("voluntary_ctxt_switches:"))
                thread.wakeUps = line.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue();
            else if (line.startsWith ("nonvoluntary_ctxt_switches:"))
                thread.preemptions = line.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue();
        }

        figures[task.getFileName()] = thread;
    }

    return figures;
}

juce::int64 ProcessStats::readStatusField (const juce::String& pid, const juce::String& field)
{
    const auto status = readWhole (juce::File ("/proc/" + pid + "/status"));

    for (const auto& line : juce::StringArray::fromLines (status))
        if (line.startsWith (field + ":"))
            return line.fromFirstOccurrenceOf (":", false, false).trim().getLargeIntValue();

    return -1;
}

juce::int64 ProcessStats::getResidentKiB (const juce::String& pid)
{
    return readStatusField (pid, "VmRSS");
}

juce::int64 ProcessStats::getPeakResidentKiB (const juce::String& pid)
{
    return readStatusField (pid, "VmHWM");
}

bool ProcessStats::resetPeakResident()
{
    juce::FileOutputStream stream (juce::File ("/proc/self/clear_refs"));

    if (! stream.openedOk())
        return false;

    return stream.writeText ("5", false, false, nullptr);
}
