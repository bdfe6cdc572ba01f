#include "AlsaSysExWriter.h"
#include "JuceMidiPortBackend.h"
#include "MidiPortManager.h"
#include "RealPortRig.h"

#include <gtest/gtest.h>

using morvane::test::GuestPorts;
using morvane::test::RawMidiDeviceAdapter;
using morvane::test::RealPortRig;

namespace
{
    /** A SysEx message of the given total size whose bytes tell their place. */
    juce::MemoryBlock makeSysEx (int size)
    {
        juce::MemoryBlock bytes ((size_t) size);
        auto* data = static_cast<juce::uint8*> (bytes.getData());
        data[0] = 0xF0;

        for (int i = 1; i < size - 1; ++i)
            data[i] = (juce::uint8) ((i * 31 + size) & 0x7F);

        data[size - 1] = 0xF7;
        return bytes;
    }

    juce::MidiMessage toMessage (const juce::MemoryBlock& bytes)
    {
        return juce::MidiMessage (bytes.getData(), (int) bytes.getSize());
    }

    /** Waits for one message to arrive at the port manager; an empty block when none does. */
    juce::MemoryBlock receiveOne (MidiPortManager& ports, int timeoutMs)
    {
        std::vector<juce::MidiMessage> received;
        const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        while (received.empty() && juce::Time::getMillisecondCounter() < deadline)
        {
            juce::Thread::sleep (5);
            ports.takeReceived (received);
        }

        return received.empty() ? juce::MemoryBlock()
                                : juce::MemoryBlock (received.front().getRawData(), (size_t) received.front().getRawDataSize());
    }

    const int sizes[] = { 256, 1024, 3082, 4096, 4097, 5000, 6000, 8192, 16384, 65536, 262144 };
} // namespace

TEST (RealPortLargeMessages, EverySizeArrivesWholeBothWaysThroughAVirMidiPort)
{
    RealPortRig rig (3, "/dev/snd/midiC0D2");
    auto& ports = rig.link->getPortManager();
    ports.refreshDeviceLists();
    ASSERT_TRUE (ports.openInputByName ("VirMIDI 0-2") && ports.openOutputByName ("VirMIDI 0-2"));

    for (const auto size : sizes)
    {
        SCOPED_TRACE ("SysEx of " + std::to_string (size) + " bytes");
        const auto message = makeSysEx (size);

        // From the program to the device: longer than one event carries, it goes in pieces.
        const auto message1 = toMessage (message);
        ports.sendMessage (&message1);
        std::vector<juce::MemoryBlock> read;
        RealPortRig::runUntil ([&]
        {
            for (auto& block : rig.adapter->takeSysExRead())
                read.push_back (std::move (block));

            return ! read.empty();
        }, 30000);
        ASSERT_EQ (read.size(), 1u);
        EXPECT_TRUE (read.front() == message);

        // From the device to the program, at the device's pace.
        rig.device().sendUnsolicited (message1);
        EXPECT_TRUE (receiveOne (ports, 30000) == message);
    }
}

TEST (RealPortLargeMessages, EverySizeComesBackWholeThroughMidiThrough)
{
    JuceMidiPortBackend backend;
    MidiPortManager ports (backend);
    ports.refreshDeviceLists();
    ASSERT_TRUE (ports.openInputByName (GuestPorts::through) && ports.openOutputByName (GuestPorts::through));

    for (const auto size : sizes)
    {
        SCOPED_TRACE ("SysEx of " + std::to_string (size) + " bytes");
        const auto message = makeSysEx (size);
        const auto midiMessage = toMessage (message);
        ports.sendMessage (&midiMessage);
        EXPECT_TRUE (receiveOne (ports, 30000) == message);
    }
}

TEST (RealPortLargeMessages, WhatJuceAloneCarriesAsOneEvent)
{
    // Not a check of ours: a measurement of the path without the piece writer, printed for the
    // record. The largest message that arrives whole is what one sequencer event carries.
    auto adapter = std::make_unique<RawMidiDeviceAdapter> ("/dev/snd/midiC0D3", 3);
    const auto outputs = juce::MidiOutput::getAvailableDevices();
    juce::MidiDeviceInfo virMidi;

    for (const auto& device : outputs)
        if (device.name == "VirMIDI 0-3")
            virMidi = device;

    auto output = juce::MidiOutput::openDevice (virMidi.identifier);
    ASSERT_NE (output, nullptr);

    int largestCarried = 0;

    for (const auto size : { 256, 3082, 4096, 4097, 6000, 65536 })
    {
        const auto message = makeSysEx (size);
        output->sendMessageNow (toMessage (message));
        std::vector<juce::MemoryBlock> read;
        RealPortRig::runUntil ([&]
        {
            for (auto& block : adapter->takeSysExRead())
                read.push_back (std::move (block));

            return ! read.empty();
        }, 1000);

        const bool whole = read.size() == 1 && read.front() == message;
        std::cout << "JUCE alone, VirMIDI, " << size << " bytes: " << (whole ? "arrives" : "lost") << std::endl;

        if (whole)
            largestCarried = size;
    }

    std::cout << "Largest single SysEx that one event carries to a VirMIDI port: " << largestCarried
              << " bytes; the piece writer takes over above " << AlsaSysExWriter::largestSingleEvent << std::endl;
    EXPECT_GE (largestCarried, AlsaSysExWriter::largestSingleEvent);
}
