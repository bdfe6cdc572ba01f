#include "JuceMidiPortBackend.h"

namespace
{
    class JuceInput : public MidiPortBackend::Input
    {
    public:
        explicit JuceInput (std::unique_ptr<juce::MidiInput> inputToUse)
            : input (std::move (inputToUse))
        {
        }

        ~JuceInput() override
        {
            input->stop();
        }

        void start() override { input->start(); }
        void stop() override  { input->stop(); }

    private:
        std::unique_ptr<juce::MidiInput> input;
    };

    class JuceOutput : public MidiPortBackend::Output
    {
    public:
        explicit JuceOutput (std::unique_ptr<juce::MidiOutput> outputToUse)
            : output (std::move (outputToUse))
        {
        }

        void sendMessageNow (const juce::MidiMessage& message) override
        {
            output->sendMessageNow (message);
        }

    private:
        std::unique_ptr<juce::MidiOutput> output;
    };

    /** The identifier to open: the device's own, or that of the first port now listed under
        its name.
    */
    juce::String identifierFor (const juce::MidiDeviceInfo& device,
                                const juce::Array<juce::MidiDeviceInfo>& available)
    {
        if (device.identifier.isNotEmpty())
            return device.identifier;

        for (const auto& candidate : available)
            if (candidate.name == device.name)
                return candidate.identifier;

        return {};
    }
} // namespace

juce::Array<juce::MidiDeviceInfo> JuceMidiPortBackend::getAvailableInputs()
{
    return juce::MidiInput::getAvailableDevices();
}

juce::Array<juce::MidiDeviceInfo> JuceMidiPortBackend::getAvailableOutputs()
{
    return juce::MidiOutput::getAvailableDevices();
}

std::unique_ptr<MidiPortBackend::Input> JuceMidiPortBackend::openInput (const juce::MidiDeviceInfo& device,
                                                                         juce::MidiInputCallback& callback)
{
    const auto identifier = identifierFor (device, device.identifier.isEmpty() ? getAvailableInputs()
                                                                               : juce::Array<juce::MidiDeviceInfo>());

    if (identifier.isEmpty())
        return {};

    if (auto input = juce::MidiInput::openDevice (identifier, &callback))
        return std::make_unique<JuceInput> (std::move (input));

    return {};
}

std::unique_ptr<MidiPortBackend::Output> JuceMidiPortBackend::openOutput (const juce::MidiDeviceInfo& device)
{
    const auto identifier = identifierFor (device, device.identifier.isEmpty() ? getAvailableOutputs()
                                                                               : juce::Array<juce::MidiDeviceInfo>());

    if (identifier.isEmpty())
        return {};

    if (auto output = juce::MidiOutput::openDevice (identifier))
        return std::make_unique<JuceOutput> (std::move (output));

    return {};
}
