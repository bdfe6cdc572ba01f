#pragma once

#include <juce_core/juce_core.h>

/** A program started by the benchmark as a user would start it, with its own empty HOME (so
    that every run starts like a first one and no run meets another's single-instance lock),
    under the display the benchmark runs on. Linux only: the benchmark reads /proc by its id.
*/
class LaunchedProgram
{
public:
    /** Starts the executable; isRunning() says whether that worked. */
    explicit LaunchedProgram (const juce::File& executable);

    /** Ends the program (SIGTERM, then SIGKILL after 3 s) and removes its HOME. */
    ~LaunchedProgram();

    bool isRunning() const;
    int getPid() const noexcept { return pid; }
    juce::String getPidText() const { return juce::String (pid); }

    /** The time of the start, on Time::getMillisecondCounterHiRes. */
    double getStartMs() const noexcept { return startMs; }

    /** Ends the program now. */
    void end();

private:
    juce::File home;
    int pid = -1;
    double startMs = 0.0;

    JUCE_DECLARE_NON_COPYABLE (LaunchedProgram)
};
