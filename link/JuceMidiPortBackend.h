#pragma once

#include "MidiPortBackend.h"

/** The platform's MIDI ports through JUCE's MidiInput and MidiOutput: the lists in the order
    getAvailableDevices gives them, ports opened by their identifier.
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

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceMidiPortBackend)
};
