// Receive throughput through the real ALSA sequencer, run inside the test guest:
//   bash scripts/guest/run-guest.sh build/bench/realport_bench
// A writer feeds SysEx messages into the raw MIDI device behind "VirMIDI 0-0"; the kernel turns
// them into sequencer events. Two readers take them, one after the other:
//   plain   a sequencer client of alsa-lib's that only counts the bytes of the events
//   link    JuceMidiPortBackend and MidiPortManager: JUCE's input thread, its reassembly of the
//           pieces into whole messages, and the link's incoming buffer, emptied by a consumer
//           thread as the link worker would
// The writer keeps at most a window of bytes ahead of the reader, so that the sequencer never
// drops anything and the figure is what the reader can take. Absolute figures under emulation
// say little; the ratio of the two is the result.

#include "JuceMidiPortBackend.h"
#include "MidiPortManager.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <thread>
#include <vector>

namespace
{
    constexpr int messageBytes = 512;
    constexpr int messageCount = 4000;
    constexpr juce::int64 windowBytes = 16 * 1024;
    const juce::String rawDevice ("/dev/snd/midiC0D0");
    const juce::String portName ("VirMIDI 0-0");

    std::vector<juce::uint8> makeMessage()
    {
        std::vector<juce::uint8> message ((size_t) messageBytes);
        message.front() = 0xF0;

        for (size_t i = 1; i + 1 < message.size(); ++i)
            message[i] = (juce::uint8) (i & 0x7F);

        message.back() = 0xF7;
        return message;
    }

    /** Writes every message to the raw device, never more than the window ahead of received.
        Returns the milliseconds from the first byte written until all had been received.
    */
    double feed (const std::atomic<juce::int64>& received)
    {
        const int fd = ::open (rawDevice.toRawUTF8(), O_RDWR | O_NONBLOCK);

        if (fd < 0)
            return -1.0;

        // The kernel passes bytes on only once the device has a reader waiting.
        pollfd pfd { fd, POLLIN, 0 };
        ::poll (&pfd, 1, 10);

        const auto message = makeMessage();
        const auto total = (juce::int64) messageBytes * messageCount;
        juce::int64 written = 0;
        const auto start = juce::Time::getMillisecondCounterHiRes();

        for (int i = 0; i < messageCount; ++i)
        {
            size_t offset = 0;

            while (offset < message.size())
            {
                while (written - received.load() > windowBytes)
                    std::this_thread::yield();

                const auto count = ::write (fd, message.data() + offset, message.size() - offset);

                if (count > 0)
                {
                    offset += (size_t) count;
                    written += count;
                }
                else
                {
                    pollfd out { fd, POLLOUT, 0 };
                    ::poll (&out, 1, 10);
                }
            }
        }

        const auto deadline = juce::Time::getMillisecondCounterHiRes() + 60000.0;

        while (received.load() < total && juce::Time::getMillisecondCounterHiRes() < deadline)
            std::this_thread::yield();

        const auto elapsed = juce::Time::getMillisecondCounterHiRes() - start;
        ::close (fd);
        return received.load() < total ? -1.0 : elapsed;
    }

    /** The plain reader: alsa-lib's sequencer, the event bytes counted. */
    double measurePlain()
    {
        snd_seq_t* seq = nullptr;

        if (snd_seq_open (&seq, "default", SND_SEQ_OPEN_INPUT, 0) < 0)
            return -1.0;

        snd_seq_set_client_pool_input (seq, JuceMidiPortBackend::sequencerInputPoolCells);
        const auto port = snd_seq_create_simple_port (seq, "plain", SND_SEQ_PORT_CAP_WRITE, SND_SEQ_PORT_TYPE_APPLICATION);
        snd_seq_addr_t source {};

        if (snd_seq_parse_address (seq, &source, portName.toRawUTF8()) < 0 || snd_seq_connect_from (seq, port, source.client, source.port) < 0)
        {
            // The address parser wants a client name; look the port up instead.
            snd_seq_client_info_t* clientInfo = nullptr;
            snd_seq_port_info_t* portInfo = nullptr;
            snd_seq_client_info_alloca (&clientInfo);
            snd_seq_port_info_alloca (&portInfo);
            snd_seq_client_info_set_client (clientInfo, -1);
            bool connected = false;

            while (! connected && snd_seq_query_next_client (seq, clientInfo) >= 0)
            {
                snd_seq_port_info_set_client (portInfo, snd_seq_client_info_get_client (clientInfo));
                snd_seq_port_info_set_port (portInfo, -1);

                while (! connected && snd_seq_query_next_port (seq, portInfo) >= 0)
                    if (portName == snd_seq_port_info_get_name (portInfo))
                        connected = snd_seq_connect_from (seq, port, snd_seq_port_info_get_client (portInfo),
                                                          snd_seq_port_info_get_port (portInfo)) >= 0;
            }

            if (! connected)
                return -1.0;
        }

        std::atomic<juce::int64> received { 0 };
        std::atomic<bool> quit { false };

        std::thread reader ([&]
        {
            const auto count = snd_seq_poll_descriptors_count (seq, POLLIN);
            std::vector<pollfd> descriptors ((size_t) count);
            snd_seq_poll_descriptors (seq, descriptors.data(), (unsigned int) count, POLLIN);

            while (! quit)
            {
                if (::poll (descriptors.data(), (nfds_t) count, 50) <= 0)
                    continue;

                snd_seq_event_t* event = nullptr;

                do
                {
                    if (snd_seq_event_input (seq, &event) >= 0 && event != nullptr && event->type == SND_SEQ_EVENT_SYSEX)
                        received += event->data.ext.len;
                }
                while (snd_seq_event_input_pending (seq, 0) > 0);
            }
        });

        const auto elapsed = feed (received);
        quit = true;
        reader.join();
        snd_seq_close (seq);
        return elapsed;
    }

    /** The link's reader: JUCE's input thread into the port manager, emptied by a consumer. */
    double measureLink()
    {
        JuceMidiPortBackend backend;
        MidiPortManager ports (backend);
        ports.refreshDeviceLists();

        if (! ports.openInputByName (portName))
            return -1.0;

        std::atomic<juce::int64> received { 0 };
        std::atomic<bool> quit { false };

        std::thread consumer ([&]
        {
            std::vector<juce::MidiMessage> messages;

            while (! quit)
            {
                ports.takeReceived (messages);

                for (const auto& message : messages)
                    received += message.getRawDataSize();

                messages.clear();
                juce::Thread::sleep (1);
            }
        });

        const auto elapsed = feed (received);
        quit = true;
        consumer.join();
        return elapsed;
    }

    void report (const char* name, double elapsedMs)
    {
        const auto total = (double) messageBytes * messageCount;

        if (elapsedMs <= 0.0)
            std::cout << name << ": incomplete (bytes were lost or the port is missing)" << std::endl;
        else
            std::cout << name << ": " << juce::String (total / 1024.0 / (elapsedMs / 1000.0), 1) << " KB/s ("
                      << (int) elapsedMs << " ms for " << messageCount << " messages of "
                      << messageBytes << " bytes)" << std::endl;
    }
} // namespace

int main()
{
    juce::ScopedJuceInitialiser_GUI juce;

    // Each reader twice, alternately, so that neither has the guest's caches to itself.
    double plain = 0.0, link = 0.0;

    for (int round = 0; round < 2; ++round)
    {
        const auto plainMs = measurePlain();
        const auto linkMs = measureLink();
        report ("plain alsa-lib reader", plainMs);
        report ("link (JUCE input)    ", linkMs);

        if (plainMs <= 0.0 || linkMs <= 0.0)
            return 1;

        plain += plainMs;
        link += linkMs;
    }

    std::cout << "link throughput / plain reader throughput: " << juce::String (plain / link, 2) << std::endl;
    return 0;
}
