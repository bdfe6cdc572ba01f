#include "AlsaSysExWriter.h"

#if JUCE_LINUX
 #include <alsa/asoundlib.h>
#endif

struct AlsaSysExWriter::Handle
{
   #if JUCE_LINUX
    ~Handle()
    {
        if (seq != nullptr)
            snd_seq_close (seq);
    }

    snd_seq_t* seq = nullptr;
    int port = -1;
   #endif
};

AlsaSysExWriter::AlsaSysExWriter (std::unique_ptr<Handle> handleToUse)
    : handle (std::move (handleToUse))
{
}

AlsaSysExWriter::~AlsaSysExWriter() = default;

std::unique_ptr<AlsaSysExWriter> AlsaSysExWriter::open (const juce::String& identifier)
{
   #if JUCE_LINUX
    const auto client = identifier.upToFirstOccurrenceOf ("-", false, false);
    const auto port = identifier.fromFirstOccurrenceOf ("-", false, false);

    if (! client.containsOnly ("0123456789") || ! port.containsOnly ("0123456789")
        || client.isEmpty() || port.isEmpty())
        return {};

    auto handle = std::make_unique<Handle>();

    if (snd_seq_open (&handle->seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0)
    {
        handle->seq = nullptr;
        return {};
    }

    snd_seq_set_client_name (handle->seq, "Morvane SysEx");
    handle->port = snd_seq_create_simple_port (handle->seq, "SysEx out", SND_SEQ_PORT_CAP_READ,
                                               SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);

    if (handle->port < 0 || snd_seq_connect_to (handle->seq, handle->port, client.getIntValue(), port.getIntValue()) < 0)
        return {};

    return std::unique_ptr<AlsaSysExWriter> (new AlsaSysExWriter (std::move (handle)));
   #else
    juce::ignoreUnused (identifier);
    return {};
   #endif
}

bool AlsaSysExWriter::send (const juce::uint8* data, int size)
{
   #if JUCE_LINUX
    for (int offset = 0; offset < size; offset += pieceBytes)
    {
        if (offset > 0)
            juce::Thread::sleep (pieceIntervalMs);

        snd_seq_event_t event;
        snd_seq_ev_clear (&event);
        snd_seq_ev_set_source (&event, (unsigned char) handle->port);
        snd_seq_ev_set_subs (&event);
        snd_seq_ev_set_direct (&event);
        snd_seq_ev_set_sysex (&event, (unsigned int) juce::jmin (pieceBytes, size - offset),
                              const_cast<juce::uint8*> (data + offset));

        if (snd_seq_event_output_direct (handle->seq, &event) < 0)
            return false;
    }

    return true;
   #else
    juce::ignoreUnused (data, size);
    return false;
   #endif
}
