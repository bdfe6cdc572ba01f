#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <memory>

/** The MIDI ports of the platform as MidiPortManager sees them: listing, opening, starting,
    sending.

    The program uses JuceMidiPortBackend, which asks JUCE's MidiInput and MidiOutput; the tests
    use in-process virtual ports. Every call may come from the message thread or the link
    worker; MidiPortManager serialises the calls on each side.
*/
class MidiPortBackend
{
public:
    /** An open input port. Messages reach the callback given to openInput, on a thread of the
        backend's, between start and stop.
    */
    class Input
    {
    public:
        virtual ~Input() = default;

        virtual void start() = 0;

        /** After stop returns, the callback is no longer called and is not running. */
        virtual void stop() = 0;
    };

    /** An open output port. */
    class Output
    {
    public:
        virtual ~Output() = default;

        /** Sends the message at once; the call may block while the driver takes it. */
        virtual void sendMessageNow (const juce::MidiMessage& message) = 0;
    };

    virtual ~MidiPortBackend() = default;

    /** The ports present now, in the platform's order. */
    virtual juce::Array<juce::MidiDeviceInfo> getAvailableInputs() = 0;
    virtual juce::Array<juce::MidiDeviceInfo> getAvailableOutputs() = 0;

    /** Opens the listed port (by its identifier; by its name when the identifier is empty).
        Returns nullptr when the port is gone or cannot be opened. The input is not yet started.
    */
    virtual std::unique_ptr<Input> openInput (const juce::MidiDeviceInfo& device,
                                              juce::MidiInputCallback& callback) = 0;
    virtual std::unique_ptr<Output> openOutput (const juce::MidiDeviceInfo& device) = 0;
};
