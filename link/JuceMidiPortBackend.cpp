#include "JuceMidiPortBackend.h"

#include "AlsaSysExWriter.h"

#if JUCE_LINUX
 #include <fcntl.h>
 #include <sound/asequencer.h>
 #include <sys/ioctl.h>
#endif

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
        JuceOutput (std::unique_ptr<juce::MidiOutput> outputToUse, const juce::String& identifierToUse)
            : output (std::move (outputToUse)), identifier (identifierToUse)
        {
        }

        void sendMessageNow (const juce::MidiMessage& message) override
        {
            if (message.isSysEx() && message.getRawDataSize() > AlsaSysExWriter::largestSingleEvent)
            {
                if (pieceWriter == nullptr)
                    pieceWriter = AlsaSysExWriter::open (identifier);

                // Without the piece writer (not on Linux) the message goes as it is; a port that
                // drops it leaves the request without its reply, so it fails rather than succeeds.
                if (pieceWriter != nullptr && pieceWriter->send (message.getRawData(), message.getRawDataSize()))
                    return;
            }

            output->sendMessageNow (message);
        }

    private:
        std::unique_ptr<juce::MidiOutput> output;
        const juce::String identifier;
        std::unique_ptr<AlsaSysExWriter> pieceWriter;
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
    {
        // Before the input starts, so that no message waits in the pool while it is replaced.
        enlargeSequencerInputPools();
        return std::make_unique<JuceInput> (std::move (input));
    }

    return {};
}

std::unique_ptr<MidiPortBackend::Output> JuceMidiPortBackend::openOutput (const juce::MidiDeviceInfo& device)
{
    const auto identifier = identifierFor (device, device.identifier.isEmpty() ? getAvailableOutputs()
                                                                               : juce::Array<juce::MidiDeviceInfo>());

    if (identifier.isEmpty())
        return {};

    if (auto output = juce::MidiOutput::openDevice (identifier))
    {
        enlargeSequencerInputPools();
        return std::make_unique<JuceOutput> (std::move (output), identifier);
    }

    return {};
}

int JuceMidiPortBackend::enlargeSequencerInputPools()
{
    int enlarged = 0;

   #if JUCE_LINUX
    // JUCE keeps its sequencer handle to itself, and the kernel lets a client change only its
    // own pools; so the pool is set through the client's own file descriptor, found among the
    // process's open files. A pool that is already large enough is never replaced, because
    // replacing it discards what it holds.
    const auto descriptors = juce::File ("/proc/self/fd").findChildFiles (juce::File::findFiles, false);

    for (const auto& entry : descriptors)
    {
        if (entry.getLinkedTarget().getFullPathName() != "/dev/snd/seq")
            continue;

        const auto fd = entry.getFileName().getIntValue();
        int client = -1;

        if (::ioctl (fd, SNDRV_SEQ_IOCTL_CLIENT_ID, &client) < 0 || client < 0)
            continue;

        snd_seq_client_pool pool {};
        pool.client = client;

        if (::ioctl (fd, SNDRV_SEQ_IOCTL_GET_CLIENT_POOL, &pool) < 0)
            continue;

        if (pool.input_pool < sequencerInputPoolCells)
        {
            pool.input_pool = sequencerInputPoolCells;

            if (::ioctl (fd, SNDRV_SEQ_IOCTL_SET_CLIENT_POOL, &pool) < 0)
                continue;
        }

        ++enlarged;
    }
   #endif

    return enlarged;
}
