#pragma once

#include "DeviceRules.h"
#include "JuceMidiPortBackend.h"
#include "MessageLoop.h"
#include "MidiProcessing.h"
#include "RawMidiDeviceAdapter.h"
#include "SysExMessage.h"

#include <memory>

namespace morvane::test
{
/** The ports that the guest's kernel provides: the sequencer's echo port and the first of the
    four VirMIDI ports, whose far side is the raw MIDI device /dev/snd/midiC0D0.
*/
struct GuestPorts
{
    static constexpr const char* through = "Midi Through Port-0";
    static constexpr const char* virMidi = "VirMIDI 0-0";
    static constexpr const char* virMidiRawDevice = "/dev/snd/midiC0D0";
    static constexpr const char* secondVirMidi = "VirMIDI 0-1";
    static constexpr const char* secondVirMidiRawDevice = "/dev/snd/midiC0D1";
};

/** A simulated device of one model behind "VirMIDI 0-0", and a link on the platform's real MIDI
    ports through JuceMidiPortBackend. Sets currentDeviceModel to the device's model while it
    exists.
*/
struct RealPortRig
{
    explicit RealPortRig (juce::uint8 model, const juce::String& rawDevice = GuestPorts::virMidiRawDevice)
        : adapter (std::make_unique<RawMidiDeviceAdapter> (rawDevice, model)),
          link (std::make_unique<MidiProcessing> (std::make_unique<JuceMidiPortBackend>())),
          previousModel (currentDeviceModel.load())
    {
        currentDeviceModel = model;
    }

    ~RealPortRig()
    {
        link.reset();
        adapter.reset();
        currentDeviceModel = previousModel;
    }

    SimulatedDevice& device() { return adapter->getDevice(); }

    /** Lists the ports, chooses the device's port from the listed names as the console's
        automatic choice does, opens both sides and hands them to the link.
    */
    bool connect (const juce::String& pattern = GuestPorts::virMidi)
    {
        link->timerCallback();
        auto& ports = link->getPortManager();
        const auto input = DeviceRules::findPortByPattern (ports.getInputNames(), pattern);
        const auto output = DeviceRules::findPortByPattern (ports.getOutputNames(), pattern);
        return adapter->isOpen() && input >= 0 && output >= 0
               && ports.openInputByIndex (input) && ports.openOutputByIndex (output)
               && link->openDevices (true, true);
    }

    /** Runs the message loop (the list refresh and the paced sender's ticks) until the condition
        holds; generous, as the guest runs under emulation on a loaded machine.
    */
    static bool runUntil (const std::function<bool()>& condition, int timeoutMs = 60000)
    {
        return runMessageLoopUntil (condition, timeoutMs);
    }

    std::unique_ptr<RawMidiDeviceAdapter> adapter;
    std::unique_ptr<MidiProcessing> link;
    const juce::uint8 previousModel;
};
} // namespace morvane::test
