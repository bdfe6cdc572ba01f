#pragma once

#include <juce_core/juce_core.h>

/** Keeps alsa-lib's own error printing from flooding the program's output.

    JUCE opens an ALSA sequencer client each time it lists the MIDI ports (every 2 seconds, and the
    link worker checks its ports every second). On a machine without the sequencer (no
    /dev/snd/seq) alsa-lib prints "open /dev/snd/seq failed" for every one of those attempts.
    Once installed, the missing sequencer is reported once, in words a user understands, and any
    other alsa-lib error text is printed only the first time it occurs. On other platforms it does
    nothing.
*/
class AlsaErrorFilter
{
public:
    /** Installs the filter for the rest of the process (again: no effect). Call it before the
        first MIDI port list is read.
    */
    static void install();

    /** The line printed once when the sequencer cannot be opened. */
    static juce::String missingSequencerText();

    /** How a message from alsa-lib is handled: 0 printed as it came, 1 replaced by the
        missing-sequencer report, 2 dropped (already reported). Called by the installed handler;
        thread-safe.
    */
    static int handleMessage (const juce::String& function, const juce::String& message);

private:
    AlsaErrorFilter() = delete;
};
