#include "DumpBuilders.h"
#include "PayloadKind.h"
#include "RealPortRig.h"
#include "SequencerPortRelay.h"
#include "SysExRequest.h"
#include "UpdateHardware.h"

#include <gtest/gtest.h>

using morvane::test::GuestPorts;
using morvane::test::RealPortRig;
namespace dumps = morvane::test;

namespace
{
    /** Runs a shell command in the guest; returns its exit code, its output in output. */
    int runCommand (const juce::String& command, juce::String& output)
    {
        juce::ChildProcess process;

        if (! process.start (juce::StringArray { "/bin/sh", "-c", command + " 2>&1" }))
            return -1;

        output = process.readAllProcessOutput().trim();
        process.waitForProcessToFinish (30000);
        return (int) process.getExitCode();
    }

    juce::MidiMessage firmwareQuery (juce::uint8 model)
    {
        juce::MidiMessage message;
        buildSysExMessage (message, 0x08, nullptr, 0, model);
        return message;
    }

    bool isListed (MidiProcessing& link, const juce::String& name)
    {
        juce::StringArray inputs, outputs;
        link.getInputDeviceNames (inputs);
        link.getOutputDeviceNames (outputs);
        return inputs.contains (name) && outputs.contains (name);
    }
} // namespace

TEST (RealPortLoss, TheKernelKeepsAVirMidiPortWhileItIsOpen)
{
    RealPortRig rig (3);
    ASSERT_TRUE (rig.connect());

    // Unloading the module of a card whose port is open is refused (the module is in use), so a
    // VirMIDI port cannot vanish under the program; the test below unplugs a port that can.
    juce::String output;
    EXPECT_NE (runCommand ("rmmod snd_virmidi", output), 0) << output.toStdString();
    std::cout << "rmmod snd_virmidi while its port is open: " << output << std::endl;
    EXPECT_TRUE (isListed (*rig.link, GuestPorts::virMidi));
}

TEST (RealPortLoss, APortThatDisappearsMidTransferIsNoticedAndEndsAsLostCommunication)
{
    // The device's USB port, named as the console's automatic choice expects, relayed to the
    // simulated device behind "VirMIDI 0-1".
    RealPortRig rig (3, GuestPorts::secondVirMidiRawDevice);
    auto usbPort = std::make_unique<SequencerPortRelay> ("ORVIX II MIDI 1", GuestPorts::secondVirMidi);
    ASSERT_TRUE (usbPort->isReady());
    ASSERT_TRUE (rig.connect (DeviceRules::portPattern (3)));

    juce::String opened;
    ASSERT_TRUE (rig.link->getPortManager().getOutputName (opened));
    EXPECT_EQ (opened, "ORVIX II MIDI 1");

    const auto file = dumps::makePresetDump (3, dumps::makePresetWords (3, "Clean", 1), 0);
    UpdateHardware send (&rig.link->getMultiMsgTimer(), static_cast<const juce::uint8*> (file.getData()),
                         (juce::uint32) file.getSize(), 3, 200, false, PayloadKinds::preset);
    send.startThread (juce::Thread::Priority::low);
    ASSERT_TRUE (RealPortRig::runUntil ([&] { return rig.device().getPacedMessageCount() >= 5; }, 10000))
        << "read " << rig.adapter->getBytesRead() << " received " << rig.device().getReceivedCount()
        << " sent " << rig.device().getSentCount() << " state " << send.getTransferState();

    // Unplugged while open and in the middle of the transfer.
    usbPort->remove();

    // The presence check notices; the transfer ends, and never as a success.
    ASSERT_TRUE (RealPortRig::runUntil ([&] { return rig.link->isOutputConnected() == 0; }));
    ASSERT_TRUE (RealPortRig::runUntil ([&] { return send.getTransferState() >= TransferStates::stopped; }));
    const auto state = send.getTransferState();
    EXPECT_TRUE (state == TransferStates::outputNotConnected || state == TransferStates::requestFailed) << state;
    EXPECT_LT (rig.device().getPacedMessageCount(), 34);
    EXPECT_TRUE (send.waitForThreadToExit (10000));

    // A request that comes due while the port is gone is refused unsent.
    SysExRequest query (firmwareQuery (3));
    ASSERT_TRUE (rig.link->enqueueRequest (&query));
    ASSERT_TRUE (RealPortRig::runUntil ([&] { return query.getState() != SysExRequest::pending; }));
    EXPECT_EQ (query.getState(), SysExRequest::failed);

    // Plugged in again under the same name: the presence check reopens it by name and the
    // device answers again.
    usbPort.reset();
    usbPort = std::make_unique<SequencerPortRelay> ("ORVIX II MIDI 1", GuestPorts::secondVirMidi);
    ASSERT_TRUE (usbPort->isReady());
    ASSERT_TRUE (RealPortRig::runUntil ([&] { return rig.link->areConnected (true, true); }));

    SysExRequest again (firmwareQuery (3));
    ASSERT_TRUE (rig.link->enqueueRequest (&again));
    ASSERT_TRUE (RealPortRig::runUntil ([&] { return again.getState() != SysExRequest::pending; }));
    EXPECT_EQ (again.getState(), SysExRequest::complete);

    rig.link.reset();   // before the port it uses
}
