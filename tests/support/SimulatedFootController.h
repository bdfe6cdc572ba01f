#pragma once

#include "VirtualMidiPorts.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <thread>
#include <vector>

namespace morvane::test
{
/** A QMR-303 foot controller (model 2 or 4) on virtual ports.

    The device cannot be asked for its data: the user starts its dump on the device, which then
    sends its SysEx messages of its own accord, here in bursts from a thread of its own. Between
    them it sends MIDI clock and active sensing, as the real device does while its clock runs.
    It plugs an input and an output of its port name into the hub and answers nothing.
*/
class SimulatedFootController
{
public:
    /** A dump as the device sends it, and what a recording of it must hold. */
    struct Dump
    {
        std::vector<juce::MidiMessage> messages;   ///< in sending order, SysEx and the rest
        juce::MemoryBlock sysExBytes;              ///< the SysEx messages' bytes in order
        juce::uint32 totalBytes = 0;               ///< the bytes of every message
    };

    /** sysExMessages messages of payloadBytes data bytes each; a clock byte (F8) after every
        clockEvery of them and an active-sensing byte (FE) after every sensingEvery (0: none).
    */
    static Dump buildDump (juce::uint8 model, int sysExMessages, int payloadBytes, int clockEvery, int sensingEvery);

    /** Plugs the input and output named portName into the hub. */
    SimulatedFootController (VirtualMidiPorts& ports, juce::uint8 model, const juce::String& portName);

    /** Waits for a dump still being sent, then leaves the ports plugged. */
    ~SimulatedFootController();

    juce::uint8 getModel() const noexcept { return model; }
    const juce::String& getPortName() const noexcept { return portName; }

    /** Starts sending the dump from the device's thread: burstMessages messages at once, then a
        pause of pauseMs, until all are sent. Waits first for a dump still being sent.
    */
    void startDump (Dump dump, int burstMessages, int pauseMs);

    /** True once every message of the last dump is queued and delivered (or the time passed). */
    bool waitUntilSent (int timeoutMs);

private:
    VirtualMidiPorts& ports;
    const juce::uint8 model;
    const juce::String portName;
    std::atomic<bool> sending { false };
    std::thread thread;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimulatedFootController)
};
} // namespace morvane::test
