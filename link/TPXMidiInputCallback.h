#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

class MidiPortManager;

/** Receives the messages of the open MIDI input, on the driver's thread, and hands each
    complete one to its owner's MidiPortManager::appendIncoming. Fragments of a SysEx message
    are ignored: only complete messages arrive.
*/
class TPXMidiInputCallback : public juce::MidiInputCallback
{
public:
    TPXMidiInputCallback() = default;
    ~TPXMidiInputCallback() override = default;

    /** The port manager that takes the messages; nullptr drops them. Set before the input opens. */
    void setOwner (MidiPortManager* newOwner) noexcept { owner = newOwner; }

    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;

private:
    MidiPortManager* owner = nullptr;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TPXMidiInputCallback)
};
