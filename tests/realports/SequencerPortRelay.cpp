#include "SequencerPortRelay.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <vector>

namespace
{
    snd_seq_t* handleOf (void* seq) { return static_cast<snd_seq_t*> (seq); }

    /** Finds the kernel port of that name; false when none is listed. */
    bool findPort (snd_seq_t* seq, const juce::String& name, int& client, int& port)
    {
        snd_seq_client_info_t* clientInfo = nullptr;
        snd_seq_port_info_t* portInfo = nullptr;
        snd_seq_client_info_alloca (&clientInfo);
        snd_seq_port_info_alloca (&portInfo);
        snd_seq_client_info_set_client (clientInfo, -1);

        while (snd_seq_query_next_client (seq, clientInfo) >= 0)
        {
            snd_seq_port_info_set_client (portInfo, snd_seq_client_info_get_client (clientInfo));
            snd_seq_port_info_set_port (portInfo, -1);

            while (snd_seq_query_next_port (seq, portInfo) >= 0)
            {
                if (name == snd_seq_port_info_get_name (portInfo))
                {
                    client = snd_seq_port_info_get_client (portInfo);
                    port = snd_seq_port_info_get_port (portInfo);
                    return true;
                }
            }
        }

        return false;
    }
} // namespace

SequencerPortRelay::SequencerPortRelay (const juce::String& portName, const juce::String& kernelPortName)
{
    snd_seq_t* handle = nullptr;

    if (snd_seq_open (&handle, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0)
        return;

    seq = handle;
    snd_seq_set_client_name (handle, "Relay");
    snd_seq_set_client_pool_input (handle, 2000);

    port = snd_seq_create_simple_port (handle, portName.toRawUTF8(),
                                       SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ
                                           | SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                       SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_HARDWARE);

    // The kernel port talks to a second port, subscribed both ways (a VirMIDI port passes on
    // only what comes through a subscription). The relay thread passes each message on from the
    // other port of the two.
    devicePort = snd_seq_create_simple_port (handle, "Relay to device", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_WRITE,
                                             SND_SEQ_PORT_TYPE_APPLICATION);

    if (port < 0 || devicePort < 0 || ! findPort (handle, kernelPortName, kernelClient, kernelPort))
        return;

    if (snd_seq_connect_from (handle, devicePort, kernelClient, kernelPort) < 0
        || snd_seq_connect_to (handle, devicePort, kernelClient, kernelPort) < 0)
        return;

    ready = true;
    thread = std::thread ([this] { relay(); });
}

SequencerPortRelay::~SequencerPortRelay()
{
    quit = true;

    if (thread.joinable())
        thread.join();

    if (seq != nullptr)
        snd_seq_close (handleOf (seq));
}

void SequencerPortRelay::remove()
{
    quit = true;

    if (thread.joinable())
        thread.join();

    if (port >= 0)
        snd_seq_delete_simple_port (handleOf (seq), port);

    if (devicePort >= 0)
        snd_seq_delete_simple_port (handleOf (seq), devicePort);

    devicePort = -1;

    port = -1;
}

void SequencerPortRelay::relay()
{
    auto* handle = handleOf (seq);
    const auto count = snd_seq_poll_descriptors_count (handle, POLLIN);
    std::vector<pollfd> descriptors ((size_t) count);
    snd_seq_poll_descriptors (handle, descriptors.data(), (unsigned int) count, POLLIN);

    while (! quit)
    {
        if (poll (descriptors.data(), (nfds_t) count, 50) <= 0)
            continue;

        snd_seq_event_t* event = nullptr;

        while (snd_seq_event_input (handle, &event) >= 0 && event != nullptr)
        {
            const bool fromDevice = event->dest.port == devicePort;
            snd_seq_ev_set_source (event, (unsigned char) (fromDevice ? port : devicePort));
            snd_seq_ev_set_subs (event);
            snd_seq_ev_set_direct (event);
            snd_seq_event_output_direct (handle, event);
        }
    }
}
