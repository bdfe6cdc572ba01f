#include "RawMidiDeviceAdapter.h"

#if JUCE_LINUX
 #include <fcntl.h>
 #include <poll.h>
 #include <unistd.h>
 #include <cerrno>
#endif

namespace morvane::test
{
namespace
{
    const juce::String devicePortName ("Raw MIDI device");
}

/** Receives the device's replies from the hub (on its delivery thread) and writes them to the
    raw device.
*/
class RawMidiDeviceAdapter::ReplyWriter : public juce::MidiInputCallback
{
public:
    explicit ReplyWriter (RawMidiDeviceAdapter& ownerToUse) : owner (ownerToUse) {}

    void handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message) override
    {
        owner.writeReply (message);
    }

private:
    RawMidiDeviceAdapter& owner;
};

RawMidiDeviceAdapter::RawMidiDeviceAdapter (const juce::String& rawDevicePath, juce::uint8 model)
    : path (rawDevicePath),
      device (std::make_unique<SimulatedDevice> (hub, model, devicePortName)),
      backend (hub.createBackend()),
      replyWriter (std::make_unique<ReplyWriter> (*this))
{
   #if JUCE_LINUX
    fd = ::open (path.toRawUTF8(), O_RDWR | O_NONBLOCK);
   #endif

    toDevice = backend->openOutput (juce::MidiDeviceInfo (devicePortName, {}));
    fromDevice = backend->openInput (juce::MidiDeviceInfo (devicePortName, {}), *replyWriter);

    if (fromDevice != nullptr)
        fromDevice->start();

    if (fd >= 0)
    {
        reader = std::thread ([this] { readLoop(); });

        // The kernel passes messages on to a raw MIDI device only once its reader is waiting.
        for (int i = 0; i < 200 && ! reading; ++i)
            juce::Thread::sleep (5);
    }
}

RawMidiDeviceAdapter::~RawMidiDeviceAdapter()
{
    close();

    if (fromDevice != nullptr)
        fromDevice->stop();

    device.reset();
    fromDevice.reset();
    toDevice.reset();
}

void RawMidiDeviceAdapter::close()
{
    quit = true;

    if (reader.joinable())
        reader.join();

   #if JUCE_LINUX
    if (const auto old = fd.exchange (-1); old >= 0)
        ::close (old);
   #endif
}

std::vector<juce::MemoryBlock> RawMidiDeviceAdapter::takeSysExRead()
{
    const std::lock_guard<std::mutex> lock (sysExLock);
    std::vector<juce::MemoryBlock> taken;
    taken.swap (sysExRead);
    return taken;
}

bool RawMidiDeviceAdapter::writeRaw (const void* data, size_t size)
{
   #if JUCE_LINUX
    const auto* bytes = static_cast<const juce::uint8*> (data);

    while (size > 0 && ! quit)
    {
        const int handle = fd;

        if (handle < 0)
            return false;

        const auto written = ::write (handle, bytes, size);

        if (written > 0)
        {
            bytes += written;
            size -= (size_t) written;
            continue;
        }

        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;

        // The kernel's buffer is full: wait until the sequencer side has taken some of it.
        pollfd pfd { handle, POLLOUT, 0 };
        ::poll (&pfd, 1, 100);
    }

    return size == 0;
   #else
    juce::ignoreUnused (data, size);
    return false;
   #endif
}

void RawMidiDeviceAdapter::writeReply (const juce::MidiMessage& reply)
{
    // A long reply goes out in packets, each when the link has carried the ones before it.
    constexpr int packetBytes = 64;
    const auto* data = reply.getRawData();
    const auto size = reply.getRawDataSize();

    for (int offset = 0; offset < size; offset += packetBytes)
    {
        const auto rate = replyBytesPerSecond.load();
        const auto now = juce::Time::getMillisecondCounterHiRes();
        const auto count = juce::jmin (packetBytes, size - offset);

        // The link is idle when nothing was sent for a while: the packet goes out at once.
        if (rate <= 0 || replyClockMs < now)
            replyClockMs = now;

        if (replyClockMs > now + 1.0)
            juce::Thread::sleep ((int) (replyClockMs - now));

        if (! writeRaw (data + offset, (size_t) count))
            return;

        if (rate > 0)
            replyClockMs += 1000.0 * count / rate;
    }
}

void RawMidiDeviceAdapter::readLoop()
{
   #if JUCE_LINUX
    juce::uint8 buffer[4096];

    while (! quit)
    {
        pollfd pfd { fd, POLLIN, 0 };
        const auto ready = ::poll (&pfd, 1, 50);
        reading = true;

        if (ready <= 0)
            continue;

        if ((pfd.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
        {
            juce::Thread::sleep (20);   // the card went away; keep the descriptor until closed
            continue;
        }

        const auto count = ::read (fd, buffer, sizeof (buffer));

        if (count <= 0)
            continue;

        bytesRead += count;

        for (ssize_t i = 0; i < count; ++i)
            parse (buffer[i]);
    }
   #endif
}

void RawMidiDeviceAdapter::parse (juce::uint8 byte)
{
    if (byte >= 0xF8)
    {
        deliver (juce::MidiMessage (byte));     // real-time bytes may sit anywhere
        return;
    }

    const bool inSysEx = ! pending.empty() && pending.front() == 0xF0;

    if (byte == 0xF7 && inSysEx)
    {
        pending.push_back (byte);

        {
            const std::lock_guard<std::mutex> lock (sysExLock);
            sysExRead.emplace_back (pending.data(), pending.size());
        }

        deliver (juce::MidiMessage (pending.data(), (int) pending.size()));
        pending.clear();
        return;
    }

    if ((byte & 0x80) != 0)
    {
        // A status byte starts a new message; an unfinished one is dropped, as a device would.
        pending.clear();
        pending.push_back (byte);
        expectedLength = byte == 0xF0 ? 0 : juce::MidiMessage::getMessageLengthFromFirstByte (byte);
    }
    else if (! pending.empty())
    {
        pending.push_back (byte);
    }

    if (! inSysEx && byte != 0xF0 && expectedLength > 0 && (int) pending.size() == expectedLength)
    {
        deliver (juce::MidiMessage (pending.data(), (int) pending.size()));
        pending.clear();
    }
}

void RawMidiDeviceAdapter::deliver (const juce::MidiMessage& message)
{
    if (toDevice != nullptr)
        toDevice->sendMessageNow (message);
}
} // namespace morvane::test
