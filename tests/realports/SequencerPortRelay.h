#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <thread>

/** A port of a sequencer client in this process, named like a device's USB port, that relays
    everything between the programs connected to it and a kernel port (a VirMIDI port).

    Unlike the kernel's VirMIDI ports, which stay while anything uses them, this port can be
    taken away at any moment, as a USB device's port is when it is unplugged: remove deletes it
    while the program still has it open.
*/
class SequencerPortRelay
{
public:
    /** Creates the port portName and connects it both ways to the kernel port named by
        kernelPortName.
    */
    SequencerPortRelay (const juce::String& portName, const juce::String& kernelPortName);
    ~SequencerPortRelay();

    /** False when the sequencer, the kernel port or the new port was not there. */
    bool isReady() const noexcept { return ready; }

    /** Deletes the port; whatever was connected to it is disconnected by the kernel. */
    void remove();

private:
    void relay();

    void* seq = nullptr;        // snd_seq_t, kept out of this header
    int port = -1;              // the port the program sees
    int devicePort = -1;        // a port not offered for subscription, connected to the kernel port
    int kernelClient = -1, kernelPort = -1;
    bool ready = false;
    std::atomic<bool> quit { false };
    std::thread thread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SequencerPortRelay)
};
