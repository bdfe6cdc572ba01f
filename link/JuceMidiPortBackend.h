#pragma once

#include "MidiPortBackend.h"

/** The platform's MIDI ports through JUCE's MidiInput and MidiOutput: the lists in the order
    getAvailableDevices gives them, ports opened by their identifier.

    On Linux two limits of ALSA's sequencer, which JUCE leaves as they are, would lose SysEx
    silently, and are lifted here:
    - JUCE's sequencer client receives into a pool of 200 cells (about 5.6 KB): a longer message,
      or a burst of dump messages while JUCE's input thread is busy, overflows it and the kernel
      discards what it held. The pool is enlarged to the kernel's largest (2000 cells, about
      56 KB) whenever a port is opened.
    - A SysEx message longer than AlsaSysExWriter::largestSingleEvent is sent in pieces by
      AlsaSysExWriter, because a MIDI port's kernel buffer would drop it whole as one event.
*/
class JuceMidiPortBackend : public MidiPortBackend
{
public:
    JuceMidiPortBackend() = default;

    juce::Array<juce::MidiDeviceInfo> getAvailableInputs() override;
    juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() override;

    std::unique_ptr<Input> openInput (const juce::MidiDeviceInfo& device,
                                      juce::MidiInputCallback& callback) override;
    std::unique_ptr<Output> openOutput (const juce::MidiDeviceInfo& device) override;

    /** The input pool, in cells, that the sequencer client gets on Linux. */
    static constexpr int sequencerInputPoolCells = 2000;

    /** Enlarges the input pool of every ALSA sequencer client this process has open (JUCE's
        among them) to sequencerInputPoolCells; a pool already that large is left alone. Returns
        the number of clients whose pool is now that large. Does nothing elsewhere than on Linux.
    */
    static int enlargeSequencerInputPools();

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceMidiPortBackend)
};
