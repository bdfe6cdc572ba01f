#pragma once

#include <juce_core/juce_core.h>

#include <map>

/** Figures of this process that the benchmarks report: CPU time and scheduler wake-ups per
    thread, resident and peak memory. They are read from Linux's process files through JUCE's
    file classes; where a platform has no such files the values are -1.
*/
class ProcessStats
{
public:
    struct ThreadFigures
    {
        juce::String name;
        double cpuMs = 0.0;                 // time on a CPU
        juce::int64 wakeUps = 0;            // times the thread went to sleep (and so was woken)
        juce::int64 preemptions = 0;        // times it was taken off a CPU while it could run on
        juce::int64 timesScheduled = 0;     // times it was put on a CPU: its wake-ups and its preemptions
    };

    /** The figures of every thread now, by thread id, of this process or of the process pid. */
    static std::map<juce::String, ThreadFigures> takeThreadFigures (const juce::String& pid = "self");

    /** Resident memory now and its peak since the start or the last reset, in KiB. */
    static juce::int64 getResidentKiB (const juce::String& pid = "self");
    static juce::int64 getPeakResidentKiB (const juce::String& pid = "self");

    /** Starts a new peak from the current resident size; false where that is not possible. */
    static bool resetPeakResident();

private:
    static juce::String readWhole (const juce::File& file);
    static juce::int64 readStatusField (const juce::String& pid, const juce::String& field);
};
