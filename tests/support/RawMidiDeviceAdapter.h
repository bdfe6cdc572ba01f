#pragma once

#include "SimulatedDevice.h"
#include "VirtualMidiPorts.h"

#include <atomic>
#include <memory>
#include <thread>

namespace morvane::test
{
/** A SimulatedDevice speaking on a raw MIDI device of the kernel (such as /dev/snd/midiC0D0,
    the far side of the sequencer port "VirMIDI 0-0"), so that the program reaches it through
    the real ALSA sequencer.

    The device sits on a private hub of virtual ports. A reader thread cuts the bytes that come
    out of the raw device into messages and hands them to the device; the device's replies are
    written to the raw device in order, no faster than the device's link carries them (by
    default about what a USB MIDI 1.0 device sends, one 64-byte packet of three-byte events per
    millisecond), and blocking while the kernel's buffer is full.

    Linux only: the raw MIDI device is a character device that JUCE does not open, so this test
    adapter reads and writes it with the plain file calls.
*/
class RawMidiDeviceAdapter
{
public:
    RawMidiDeviceAdapter (const juce::String& rawDevicePath, juce::uint8 model);

    /** Stops the reader and closes the raw device. */
    ~RawMidiDeviceAdapter();

    /** False when the raw device could not be opened. */
    bool isOpen() const noexcept { return fd >= 0; }

    SimulatedDevice& getDevice() noexcept { return *device; }

    /** Bytes read from the raw device so far (everything the program sent). */
    juce::int64 getBytesRead() const noexcept { return bytesRead.load(); }

    /** Every complete SysEx message read from the raw device, whether or not the device would
        answer it; for measuring what the port carries.
    */
    std::vector<juce::MemoryBlock> takeSysExRead();

    /** Writes raw bytes to the device as they stand (for messages the device would not make),
        at once, without the link's pacing. False when the device is closed or gone.
    */
    bool writeRaw (const void* data, size_t size);

    /** The rate at which the device's replies go out; 0 writes them as fast as the kernel takes
        them.
    */
    void setReplyBytesPerSecond (int bytesPerSecond) noexcept { replyBytesPerSecond = bytesPerSecond; }

    static constexpr int usbMidiBytesPerSecond = 48000;

    /** Stops reading and closes the raw device, as when the device is switched off. */
    void close();

private:
    void readLoop();
    void parse (juce::uint8 byte);
    void deliver (const juce::MidiMessage& message);
    void writeReply (const juce::MidiMessage& reply);

    const juce::String path;
    VirtualMidiPorts hub;
    std::unique_ptr<SimulatedDevice> device;
    std::unique_ptr<MidiPortBackend> backend;
    std::unique_ptr<MidiPortBackend::Output> toDevice;
    std::unique_ptr<MidiPortBackend::Input> fromDevice;

    class ReplyWriter;
    std::unique_ptr<ReplyWriter> replyWriter;

    std::atomic<int> fd { -1 };
    std::atomic<bool> quit { false };
    std::atomic<bool> reading { false };
    std::atomic<juce::int64> bytesRead { 0 };
    std::atomic<int> replyBytesPerSecond { usbMidiBytesPerSecond };

    // The hub's delivery thread only: when the replies written so far are due on the link.
    double replyClockMs = 0.0;
    std::thread reader;

    // Reader thread only: the message being cut out of the byte stream.
    std::vector<juce::uint8> pending;
    int expectedLength = 0;

    std::mutex sysExLock;
    std::vector<juce::MemoryBlock> sysExRead;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RawMidiDeviceAdapter)
};
} // namespace morvane::test
